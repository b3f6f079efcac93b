// Clock chain: the sample-clock synthesizer and the symbol clock (samples per symbol, divider, rate
// word), with the shaping filter and the interpolator that go with them.
#include <algorithm>
#include <chrono>
#include <cmath>

#include "ZorvanL.h"
#include "device.h"
#include "modulator.h"
#include "pause.h"

namespace zorvan::clock_chain {
namespace {

using namespace reg;

constexpr auto kSynthSettle = std::chrono::milliseconds(30);
constexpr int kControlAttempts = 2;
constexpr double kLHighRateMargin = 1.0001;  // keeps the L-band divider's sample clock below the base
constexpr double kRateMargin = 1.000001;
constexpr int kMaxShift = 5;
constexpr int kMaxDividerExponent = 30;  // the divider is held in a signed 32-bit field

// Shifts instruction and data into the synthesizer and latches them.
void synthWrite(ZorvanDevice& device, std::uint8_t reg, std::uint64_t value, unsigned bits) {
    device.write(SER_CTL, ser_ctl::kSynthSelect);
    device.writeSerial(SYNTH_DATA, reg, 8);
    device.writeSerial(SYNTH_DATA, value, bits);
    device.write(SER_CTL, ser_ctl::kReleased);
    device.write(SER_CTL, ser_ctl::kSynthUpdate);
    device.write(SER_CTL, ser_ctl::kReleased);
}

// Reads register `reg` back and compares every bit (all are clocked, even after a mismatch).
bool synthReadBack(ZorvanDevice& device, std::uint8_t reg, std::uint64_t expected, unsigned bits) {
    device.write(SER_CTL, ser_ctl::kSynthSelect);
    device.writeSerial(SYNTH_DATA, reg | synth::kReadFlag, 8);
    bool match = true;
    for (unsigned position = bits; position-- > 0;) {
        device.write(SYNTH_DATA, 0);
        const bool received = (device.read(FPGA_CTL) & fpga::kSynthReadBack) != 0;
        if (received != (((expected >> position) & 1) != 0)) match = false;
    }
    device.write(SER_CTL, ser_ctl::kReleased);
    return match;
}

void loadControlRegister(ZorvanDevice& device, std::uint8_t reg, std::uint64_t value, unsigned bits) {
    for (int attempt = 0; attempt < kControlAttempts; ++attempt) {
        synthWrite(device, reg, value, bits);
        pause(kSynthSettle);
        if (synthReadBack(device, reg, value, bits)) return;
    }
    raise(Error::Synthesizer);
}

// log2 truncated toward zero, for any positive argument (infinities and zero included).
int lg(double value) {
    const double l = std::log2(value);
    if (std::isnan(l)) return 0;
    return static_cast<int>(std::trunc(std::clamp(l, -4096.0, 4096.0)));
}

// 2^m rounded to an integer, halves up (2^-1 gives 1, smaller powers 0).
std::int32_t pow2Rounded(int m) {
    if (m >= 0) return std::int32_t{1} << std::min(m, kMaxDividerExponent);
    return m == -1 ? 1 : 0;
}

// The samples-per-symbol exponent and the coarse noise step for `clock`: every noise step halves the
// samples per symbol (and doubles the divider), down to one sample per symbol.
void chooseSamplesPerSymbol(ZorvanDevice& device, double clock) {
    int k = lg(kBaseSampleFreqKHz / clock);
    if (k < 0 || k > kMaxShift) k = kMaxShift;  // a byte: a negative exponent also ends at 5
    const int a = std::min<int>(device.noiseStep, k);
    device.interpShift = static_cast<std::uint8_t>(k - a);
    device.noiseStep = static_cast<std::uint8_t>(a);
}

// The power-of-two divider that brings the symbol clock x samples per symbol just below the base
// sample frequency; at least 1.
std::int32_t powerOfTwoDivider(const ZorvanDevice& device, double clock) {
    const int m = lg(kBaseSampleFreqKHz / (clock * kRateMargin * std::ldexp(1.0, device.interpShift)));
    return std::max(pow2Rounded(m), std::int32_t{1});
}

// The low 32 bits of a non-negative integral value.
std::uint32_t low32(double integral) {
    if (!std::isfinite(integral)) return 0;
    double wrapped = std::fmod(integral, 4294967296.0);
    if (wrapped < 0) wrapped += 4294967296.0;
    return static_cast<std::uint32_t>(wrapped);
}

void writeSymbolClock(ZorvanDevice& device, double clock) {
    if (!std::isfinite(clock) || clock <= 0.0) raise(Error::BadParameters);

    if (device.lBand == 1 && device.hiRate == 1) {
        // L-band high-rate images: one sample per symbol, no shaping filter, an integer divider.
        device.interpShift = 0;
        device.filterType = 0;
        const double divider = std::trunc(kBaseSampleFreqKHz / (clock * kLHighRateMargin));
        device.interpFactor = divider < 1.0 ? 1 : static_cast<std::int32_t>(std::min(divider, 1073741824.0));
        device.sampleFreq = clock * device.interpFactor;
        loadSynth(device);
    } else if (device.lBand == 1) {
        // L-band images: the sample clock follows the symbol clock.
        chooseSamplesPerSymbol(device, clock);
        // At least 1: a divider of 0 would stop the sample clock (and the tuning word divides by it).
        device.interpFactor = powerOfTwoDivider(device, clock);
        device.sampleFreq = std::ldexp(clock, device.interpShift) * device.interpFactor;
        loadSynth(device);
    } else if (device.superHiRate == 1) {
        // The highest-rate IF image: two samples per symbol and no divider (a divider of 1, which
        // the interpolator also gets below).
        device.sampleFreq = 2.0 * clock;
        device.interpShift = 1;
        device.interpFactor = 1;
        device.write(RATE_DIV, 0xFFFF);
        if (device.filterType != 0) tables::loadShapingFilter(device);
        loadSynth(device);
    } else {
        // IF images: the base sample clock and the symbol-rate word.
        device.sampleFreq = kBaseSampleFreqKHz;
        chooseSamplesPerSymbol(device, clock);
        device.interpFactor = powerOfTwoDivider(device, clock);
        const double word =
            std::ldexp(clock, device.interpShift) * device.interpFactor * kRateNcoScale / kBaseSampleFreqKHz;
        device.write(RATE_NCO, low32(std::floor(word + 0.5)));  // rounded, halves up
    }

    if (device.interpShift != 0 && device.filterType != 0) {
        tables::loadShapingFilter(device);
    } else {
        device.write(FILTER_CTL, tables::filterOffControl(device));
    }
    device.write(RATE_DIV,
                 rate_div::kNegatedDivider.prep(0u - static_cast<std::uint32_t>(device.interpFactor)));
    if (device.hiRate == 0) tables::loadInterpolator(device);
}

}  // namespace

std::uint64_t tuningWord(double sampleFreqKHz) {
    const double k = sampleFreqKHz > synth::kBaseSampleKHz ? synth::kMultiplierHigh : synth::kMultiplierBase;
    const double x = std::ldexp(synth::kReferenceKHz, 32) / (k * sampleFreqKHz);
    if (!std::isfinite(x) || x < 0.0) return 0;
    const double integer = std::trunc(x);
    const auto fraction = static_cast<std::uint64_t>(std::trunc((x - integer) * 65536.0)) & 0xFFFF;
    return std::uint64_t{low32(integer)} << synth::kTuningFractionBits | fraction;
}

void loadSynth(ZorvanDevice& device) {
    loadControlRegister(device, synth::kControl0, synth::kControl0Value, synth::kControl0Bits);
    loadControlRegister(device, synth::kControl1, synth::kControl1Value, synth::kControl1Bits);
    const std::uint64_t word = tuningWord(device.sampleFreq);
    synthWrite(device, synth::kTuning, word, synth::kTuningBits);
    if (!synthReadBack(device, synth::kTuning, word, synth::kTuningBits)) raise(Error::Synthesizer);
}

}  // namespace zorvan::clock_chain

using namespace zorvan;

extern "C" {

ZORVANL_API int32_t _SetKVPS(uint8_t dev, uint8_t shift) {
    return deviceScope(dev, [&](ZorvanDevice& device) { device.interpShift = shift; });
}

ZORVANL_API int32_t LoadSynth(uint8_t dev) {
    return deviceScope(dev, [](ZorvanDevice& device) { clock_chain::loadSynth(device); });
}

ZORVANL_API int32_t Write_TI(uint8_t dev, double clock) {
    return deviceScope(dev, [&](ZorvanDevice& device) { clock_chain::writeSymbolClock(device, clock); });
}

}  // extern "C"
