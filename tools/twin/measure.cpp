#include "measure.h"

#include <liquid/liquid.h>

#include <algorithm>
#include <cmath>

namespace twin_tools {

Spectrum welch(const std::vector<Complex>& samples, double rateHz, unsigned nfft) {
    Spectrum s;
    spgramcf q = spgramcf_create(nfft, LIQUID_WINDOW_HANN, nfft, nfft / 2);
    spgramcf_write(q, const_cast<Complex*>(samples.data()), static_cast<unsigned>(samples.size()));
    std::vector<float> psd(nfft);
    spgramcf_get_psd_mag(q, psd.data());
    spgramcf_destroy(q);
    const float peak = std::max(*std::max_element(psd.begin(), psd.end()), 1e-30f);
    s.binHz = rateHz / nfft;
    for (unsigned k = 0; k < nfft; ++k) {
        s.frequencyHz.push_back((static_cast<double>(k) - nfft / 2.0) * s.binHz);
        s.powerDb.push_back(10.0 * std::log10(std::max(psd[k] / peak, 1e-30f)));
    }
    return s;
}

Band occupiedBand(const Spectrum& spectrum, double belowPeakDb) {
    Band band;
    const std::size_t n = spectrum.powerDb.size();
    if (n < 16) return band;
    // The noise floor: the median of the outer tenth of the bins (beyond 0.45 of the rate), taken out of
    // the spectrum; the threshold stays 10 dB above what is left of it.
    std::vector<double> linear(n), outer;
    for (std::size_t k = 0; k < n; ++k) {
        linear[k] = std::pow(10.0, spectrum.powerDb[k] / 10.0);
        if (k < n / 20 || k >= n - n / 20) outer.push_back(linear[k]);
    }
    std::nth_element(outer.begin(), outer.begin() + static_cast<std::ptrdiff_t>(outer.size() / 2),
                     outer.end());
    const double floor = outer[outer.size() / 2];
    std::vector<double> db(n);
    double peak = 0;
    for (std::size_t k = 0; k < n; ++k)
        peak = std::max(peak, linear[k] - floor);
    if (peak <= 0) return band;
    const double depth =
        std::min(belowPeakDb, 10.0 * std::log10(peak / std::max(floor, peak * 1e-12)) - 10.0);
    for (std::size_t k = 0; k < n; ++k)
        db[k] = 10.0 * std::log10(std::max(linear[k] - floor, peak * 1e-12) / peak);
    std::size_t first = n, last = 0;
    for (std::size_t k = 0; k < n; ++k)
        if (db[k] >= -depth) first = std::min(first, k), last = k;
    if (first > last) return band;
    // Edges between the bins, interpolated on the dB scale where the level crosses the threshold.
    const auto edge = [&](std::size_t inside, std::size_t outside) {
        const double a = db[inside], b = db[outside];
        const double t = a == b ? 0.5 : (a + depth) / (a - b);
        return spectrum.frequencyHz[inside] +
               t * (spectrum.frequencyHz[outside] - spectrum.frequencyHz[inside]);
    };
    band.lowHz = first > 0 ? edge(first, first - 1) : spectrum.frequencyHz[first];
    band.highHz = last + 1 < n ? edge(last, last + 1) : spectrum.frequencyHz[last];
    band.depthDb = depth;
    return band;
}

double measuredEsN0Db(const KindInfo& kind, const std::vector<Complex>& symbols,
                      const std::string& firmwareDir) {
    const auto bits = demodulate(kind, symbols, firmwareDir);
    if (bits.empty() || kind.kind == 10) return NAN;
    double error = 0;
    // Error vector against the decided point: the symbol's distance to the closest of the decisions'
    // cluster centres (mean of the symbols that received that decision).
    const unsigned points = 1u << kind.bits;
    std::vector<Complex> sum(points);
    std::vector<std::size_t> count(points);
    std::vector<unsigned> labels(symbols.size());
    for (std::size_t n = 0; n < symbols.size(); ++n) {
        unsigned label = 0;
        for (unsigned b = 0; b < kind.bits; ++b)
            label = label << 1 | bits[n * kind.bits + b];
        labels[n] = label;
        sum[label] += symbols[n];
        ++count[label];
    }
    for (std::size_t n = 0; n < symbols.size(); ++n)
        error += std::norm(symbols[n] - sum[labels[n]] / static_cast<float>(count[labels[n]]));
    error /= static_cast<double>(symbols.size());
    // The symbols have unit power: signal 1 - error, noise error.
    return error > 0 ? 10.0 * std::log10((1.0 - error) / error) : INFINITY;
}

}  // namespace twin_tools
