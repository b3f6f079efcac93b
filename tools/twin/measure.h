// Measurements on the modelled output, with liquid-dsp: the power spectrum (Welch: Hann-windowed
// transforms, half overlapped, averaged), the occupied bandwidth and the signal's centre, and the
// Es/N0 that the received symbols show.
#pragma once

#include <string>
#include <vector>

#include "receiver.h"

namespace twin_tools {

struct Spectrum {
    double binHz = 0;
    std::vector<double> frequencyHz;  // bin centres, -rate/2 .. rate/2 (baseband)
    std::vector<double> powerDb;      // relative to the strongest bin
};
Spectrum welch(const std::vector<Complex>& samples, double rateHz, unsigned nfft = 2048);

// The occupied band: from the lowest to the highest bin within `belowPeakDb` of the strongest bin
// (30 dB: a root-raised-cosine signal of roll-off a then occupies Rs x (1 + a) within 2%), after the
// noise floor (the median of the outer tenth of the bins) is taken out; where the signal stands less
// than belowPeakDb + 10 dB above the floor, the threshold is 10 dB above the floor (depthDb).
struct Band {
    double lowHz = 0, highHz = 0, depthDb = 0;
    double widthHz() const { return highHz - lowHz; }
    double centreHz() const { return (lowHz + highHz) / 2; }
};
Band occupiedBand(const Spectrum& spectrum, double belowPeakDb = 30.0);

// Es/N0 (dB) of unit-power symbols from their distance to the nearest point of `kind`'s constellation
// (decision directed: valid while symbol errors are rare).
double measuredEsN0Db(const KindInfo& kind, const std::vector<Complex>& symbols,
                      const std::string& firmwareDir);

}  // namespace twin_tools
