#include "filters.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "dsp_checks.h"

namespace firmware {
namespace {

using test::decibel;
using test::largestMagnitude;
using test::magnitude;

// Frequencies below in units of the symbol rate; the filters run at samplesPerSymbol samples per
// symbol, so f symbol rates are f / samplesPerSymbol cycles per sample.
TEST(ShapingFilters, LinearPhaseEqualEnergyAndTheCoefficientFieldUsedWithoutWrapping) {
    for (int sps : samplesPerSymbolValues()) {
        const auto set = shapingFilterSet(sps);
        ASSERT_EQ(set.size(), shapingDesigns().size());
        int tallest = 0;
        for (std::size_t d = 0; d < set.size(); ++d) {
            SCOPED_TRACE(shapingDesigns()[d].prefix + std::to_string(sps));
            const auto& h = set[d];
            ASSERT_EQ(h.size(), static_cast<std::size_t>(8 * sps));
            int peak = 0;
            double energy = 0.0;
            for (std::size_t n = 0; n < h.size(); ++n) {
                ASSERT_GE(h[n], -1.0);
                ASSERT_LE(std::lround(h[n] * 2048.0), 2047) << "coefficient " << h[n] << " would wrap";
                EXPECT_NEAR(h[n], h[h.size() - 1 - n], 1e-6);
                peak = std::max(peak, test::fieldValue(h[n]));
                energy += h[n] * h[n];
            }
            double first = 0.0;
            for (double c : set[0])
                first += c * c;
            EXPECT_NEAR(energy / first, 1.0, 1e-9);
            EXPECT_GE(peak, 0.85 * 2048);
            tallest = std::max(tallest, peak);
        }
        EXPECT_EQ(tallest, 2047);
    }
}

TEST(ShapingFilters, PassbandHalfPowerPointAndStopbandOfEachDesign) {
    for (int sps : samplesPerSymbolValues()) {
        const auto set = shapingFilterSet(sps);
        for (std::size_t d = 0; d < set.size(); ++d) {
            const double rollOff = shapingDesigns()[d].rollOff;
            SCOPED_TRACE(shapingDesigns()[d].prefix + std::to_string(sps));
            const std::vector<double> h = test::asLoaded(set[d]);
            const double dc = magnitude(h, 0.0);
            const double rate = 1.0 / sps;  // the symbol rate in cycles per sample

            // Flat up to where the roll-off begins.
            for (int i = 0; i <= 50; ++i) {
                const double f = (1.0 - rollOff) / 2.0 * rate * i / 50;
                EXPECT_NEAR(decibel(magnitude(h, f) / dc), 0.0, 0.2) << "at " << f / rate;
            }
            // Half power at half the symbol rate, as every root-Nyquist pulse has it.
            EXPECT_NEAR(decibel(magnitude(h, 0.5 * rate) / dc), -3.01, 0.2);
            // Attenuated beyond the occupied band (plus a tenth of the symbol rate for the
            // eight-symbol truncation), where that lies below half the sample rate.
            const double stop = ((1.0 + rollOff) / 2.0 + 0.1) * rate;
            if (stop < 0.5) {
                EXPECT_LT(decibel(largestMagnitude(h, stop, 0.5, 400) / dc), -35.0);
            }
        }
    }
}

TEST(ShapingFilters, MatchedPairIsNyquist) {
    for (int sps : samplesPerSymbolValues()) {
        const auto set = shapingFilterSet(sps);
        for (std::size_t d = 0; d < set.size(); ++d) {
            SCOPED_TRACE(shapingDesigns()[d].prefix + std::to_string(sps));
            const auto& h = set[d];
            // Transmit filter followed by the matched receive filter (the same, linear phase).
            std::vector<double> pair(2 * h.size() - 1, 0.0);
            for (std::size_t i = 0; i < h.size(); ++i)
                for (std::size_t j = 0; j < h.size(); ++j)
                    pair[i + j] += h[i] * h[j];
            const std::size_t centre = h.size() - 1;
            const double peak = pair[centre];
            EXPECT_EQ(std::max_element(pair.begin(), pair.end()) - pair.begin(),
                      static_cast<std::ptrdiff_t>(centre));
            for (std::size_t n = centre % sps; n < pair.size(); n += sps)
                if (n != centre) {
                    EXPECT_LT(std::abs(pair[n]) / peak, 0.015)
                        << "symbol " << (static_cast<long>(n) - static_cast<long>(centre)) / sps;
                }
        }
    }
}

TEST(PostFilter, PolyphaseInterpolatorOf512PhasesWith70DbStopband) {
    const std::vector<double> h = postFilter();
    ASSERT_EQ(h.size(), 8192u);
    const double phases = kPostFilterPhases;

    // Every phase passes the input at (close to) unity gain, and phase 0 is a pure delay: the
    // prototype's centre tap and zeros at every other multiple of 512.
    for (int phase = 0; phase < kPostFilterPhases; ++phase) {
        double gain = 0.0;
        for (int tap = 0; tap < kPostFilterTaps; ++tap)
            gain += h[static_cast<std::size_t>(tap * kPostFilterPhases + phase)];
        EXPECT_NEAR(gain, 1.0, 0.005) << "phase " << phase;
    }
    for (int tap = 0; tap < kPostFilterTaps; ++tap)
        EXPECT_EQ(test::fieldValue(h[static_cast<std::size_t>(tap * kPostFilterPhases)]),
                  tap == 8 ? 2047 : 0);
    for (double c : h)
        ASSERT_LE(std::lround(c * 2048.0), 2047);

    // Frequencies in units of the input rate, the prototype running at 512 times that rate.
    const double dc = magnitude(h, 0.0);
    for (int i = 0; i <= 100; ++i) {
        const double f = 0.36 * i / 100 / phases;
        EXPECT_NEAR(decibel(magnitude(h, f) / dc), 0.0, 0.01);
    }
    // The stopband's sidelobes are 1/8192 wide: sample densely near the edge, where they are tallest.
    const auto stopband = [&](const std::vector<double>& g) {
        return decibel(std::max(largestMagnitude(g, 0.64 / phases, 8.0 / phases, 3000),
                                largestMagnitude(g, 8.0 / phases, 0.5, 2000)) /
                       magnitude(g, 0.0));
    };
    EXPECT_LT(stopband(h), -70.0);
    EXPECT_LT(stopband(test::asLoaded(h)), -65.0);
}

}  // namespace
}  // namespace firmware
