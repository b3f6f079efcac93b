#include "filters.h"

#include <liquid/liquid.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace firmware {
namespace {

double peakMagnitude(const std::vector<double>& h) {
    double peak = 0.0;
    for (double c : h)
        peak = std::max(peak, std::abs(c));
    return peak;
}

}  // namespace

const std::vector<ShapingDesign>& shapingDesigns() {
    static const std::vector<ShapingDesign> designs = {
        {"ibs_", 0.35}, {"n04_", 0.4}, {"n05_", 0.5}, {"n06_", 0.6}, {"wde_", 1.0}};
    return designs;
}

const std::vector<int>& samplesPerSymbolValues() {
    static const std::vector<int> values = {2, 4, 8, 16, 32};
    return values;
}

std::vector<double> rootRaisedCosine(double rollOff, int samplesPerSymbol) {
    // liquid-dsp samples the pulse at t = (n + dt) / k - m symbols, n = 0 .. 2km. With a delay of
    // half a sample the first 2km samples lie symmetrically about the centre; the last one, half a
    // sample beyond the eight-symbol span, is not used.
    const unsigned k = static_cast<unsigned>(samplesPerSymbol);
    const unsigned m = kSpanSymbols / 2;
    std::vector<float> pulse(2 * k * m + 1);
    if (liquid_firdes_rrcos(k, m, static_cast<float>(rollOff), 0.5f, pulse.data()) != 0)
        throw std::runtime_error("root-raised-cosine design failed");
    std::vector<double> h(pulse.begin(), pulse.end() - 1);
    double energy = 0.0;
    for (double c : h)
        energy += c * c;
    for (double& c : h)
        c /= std::sqrt(energy);
    return h;
}

std::vector<std::vector<double>> shapingFilterSet(int samplesPerSymbol) {
    std::vector<std::vector<double>> set;
    double tallest = 0.0;
    for (const ShapingDesign& design : shapingDesigns()) {
        set.push_back(rootRaisedCosine(design.rollOff, samplesPerSymbol));
        tallest = std::max(tallest, peakMagnitude(set.back()));
    }
    for (std::vector<double>& h : set)
        for (double& c : h)
            c *= kFullScale / tallest;
    return set;
}

std::vector<double> postFilter() {
    // Cutoff at half the input rate, in cycles per prototype sample; the prototype runs at 512
    // times the input rate. Kaiser's estimate reaches its attenuation a little beyond the nominal
    // transition band; designing for one dB more gives the full 70 dB from 0.64 of the input rate.
    const unsigned length = kPostFilterPhases * kPostFilterTaps;
    std::vector<float> prototype(length + 1);
    if (liquid_firdes_kaiser(length + 1, 0.5f / kPostFilterPhases,
                             static_cast<float>(kPostFilterStopbandDb + 1.0), 0.0f, prototype.data()) != 0)
        throw std::runtime_error("post filter design failed");
    std::vector<double> h(prototype.begin(), prototype.end() - 1);
    const double scale = kFullScale / peakMagnitude(h);
    for (double& c : h)
        c *= scale;
    return h;
}

std::string coefficientText(const std::vector<double>& coefficients) {
    std::string text;
    char line[32];
    for (double c : coefficients) {
        std::snprintf(line, sizeof line, "%.12e\n", c);
        text += line;
    }
    return text;
}

}  // namespace firmware
