// Measurements shared by the generator's tests, computed independently of the design code.
#pragma once

#include <cmath>
#include <complex>
#include <cstdio>
#include <numbers>
#include <string>
#include <vector>

namespace firmware::test {

// |H(f)| of an FIR, f in cycles per sample.
inline double magnitude(const std::vector<double>& h, double f) {
    const std::complex<double> step = std::polar(1.0, -2.0 * std::numbers::pi * f);
    std::complex<double> sum = 0.0, turn = 1.0;
    for (double c : h) {
        sum += c * turn;
        turn *= step;
    }
    return std::abs(sum);
}

inline double decibel(double ratio) {
    return 20.0 * std::log10(ratio);
}

// The largest |H(f)| over [from, to], sampled at `points` frequencies.
inline double largestMagnitude(const std::vector<double>& h, double from, double to, int points) {
    double largest = 0.0;
    for (int i = 0; i <= points; ++i)
        largest = std::max(largest, magnitude(h, from + (to - from) * i / points));
    return largest;
}

// A coefficient as the modulator's 12-bit field holds it: x 2048 rounded (halves away from zero),
// masked to 12 bits, read back as two's complement.
inline int fieldValue(double c) {
    const int raw = static_cast<int>(std::lround(c * 2048.0)) & 0xFFF;
    return raw >= 0x800 ? raw - 0x1000 : raw;
}

inline std::vector<double> asLoaded(const std::vector<double>& h) {
    std::vector<double> q;
    for (double c : h)
        q.push_back(fieldValue(c) / 2048.0);
    return q;
}

// The numbers of a text, read as the library reads a number file: "%le" until a conversion fails.
inline std::vector<double> readNumbers(const std::string& text) {
    std::vector<double> values;
    const char* p = text.c_str();
    double v;
    int used;
    while (std::sscanf(p, "%le%n", &v, &used) == 1) {
        values.push_back(v);
        p += used;
    }
    return values;
}

}  // namespace firmware::test
