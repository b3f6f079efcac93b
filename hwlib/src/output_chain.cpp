// Carrier and output chain: the carrier word, the AD9786 converter, the L-band local oscillator and its
// correction word, the two step attenuators, the noise and sine generator and the carrier sweep.
#include <algorithm>
#include <array>
#include <cmath>

#include "ZorvanL.h"
#include "device.h"

namespace zorvan {
namespace {

using namespace reg;

constexpr double kTwoPow32 = 4294967296.0;
constexpr double kTwoPow30 = 1073741824.0;
constexpr double kLBandFromMHz = 600.0;
constexpr int kConverterBusyReads = 1000;
constexpr double kNoiseStepDb = 3.01;
constexpr std::array<double, 5> kNoiseStepThresholds = {0.0, 3.0, 6.0, 9.0, 12.0};

// A frequency word as a 32-bit register holds it: rounded half away from zero, then taken modulo 2^32
// (two's complement for negative words). fmod is exact, so any finite value has a defined word; a value
// that is not finite (a NaN carrier, a zero sample clock) is refused with -1 before it reaches a cast.
std::uint32_t registerWord(double value) {
    if (!std::isfinite(value)) raise(Error::BadParameters);
    double word = std::fmod(std::round(value), kTwoPow32);
    if (word < 0) word += kTwoPow32;
    return static_cast<std::uint32_t>(word);
}

void requireFinite(double value) {
    if (!std::isfinite(value)) raise(Error::BadParameters);
}

// ---- AD9786 serial port ----

void converterWrite(ZorvanDevice& device, std::uint8_t address, std::uint8_t value) {
    device.write(DAC_CS, dac::kSelect);
    device.writeSerial(DAC_SDIO, address, 8);
    device.writeSerial(DAC_SDIO, value, 8);
    device.write(DAC_CS, dac::kRelease);
}

std::uint8_t converterRead(ZorvanDevice& device, std::uint8_t address) {
    device.write(DAC_CS, dac::kSelect);
    device.writeSerial(DAC_SDIO, address + dac::kReadFlag, 8);
    unsigned value = 0;
    for (int bit = 0; bit < 8; ++bit) {
        device.write(DAC_SDIO, 0);  // clocks the next bit out, most significant first
        value = (value << 1) | (device.read(DATA_PORT) & data_port::kConverterReadBack);
    }
    device.write(DAC_CS, dac::kRelease);
    return static_cast<std::uint8_t>(value);
}

// Resets and programs the converter. Every register is written and checked even after a time-out or
// a mismatch, so that the board is as complete as it can be; the failure is reported at the end.
void programConverter(ZorvanDevice& device) {
    if (!device.fpgaLoaded) raise(Error::FpgaNotLoaded);
    device.write(DAC_CS, dac::kResetPulse);
    device.write(DAC_CS, dac::kRelease);

    bool busy = true;
    for (int reading = 0; reading < kConverterBusyReads && busy; ++reading)
        busy = (converterRead(device, dac::kStatus) & dac::kBusy) != 0;
    bool failed = busy;  // still busy after every reading: a time-out

    const std::uint8_t interpolation =
        device.sampleFreq <= kBaseSampleFreqKHz ? dac::kInterpolationLowRate : dac::kInterpolationHighRate;
    const std::array<std::pair<std::uint8_t, std::uint8_t>, 5> table = {{
        {dac::kControl, 0x00},
        {dac::kInterpolation, interpolation},
        {dac::kDataControl, dac::kDataControlValue},
        {dac::kModulation, static_cast<std::uint8_t>(device.dacMode + dac::kModulationBase)},
        {dac::kMixer, dac::kMixerValue},
    }};
    for (const auto& [address, value] : table) {
        converterWrite(device, address, value);
        if (converterRead(device, address) != value) failed = true;
    }
    if (failed) raise(Error::Converter);
}

// ---- L band ----

void programLocalOscillator(ZorvanDevice& device) {
    const double lo = device.loFreq;
    // B on the 20 MHz step, A the 2 MHz counts of the remaining 0 or 10 MHz. Both are kept as doubles
    // until they are reduced to their fields, so that no carrier, however large, overflows a cast.
    const double b = std::trunc(lo / pll::kStepMHz);
    const double a = std::round((lo - pll::kStepMHz * b) * 10.0 / pll::kStepMHz);
    const std::uint32_t counter = (registerWord(b) * 4096u + registerWord(a)) * 4u;
    const std::uint32_t function =
        pll::kFunctionBase + (device.hwVersion == 0 ? pll::kFunctionVersion0 : pll::kFunctionLater);
    for (const std::uint32_t word : {pll::kReferenceWord, counter, function, pll::kInitialiseWord}) {
        device.writeSerial(PLL_DATA, word & 0xFFFFFF, pll::kWordBits);
        device.write(PLL_LOAD, 0);
    }
}

// The correction word for the LO frequency, interpolated between the two neighbouring records of the
// table (record i belongs to 700 + 100 i MHz). Outside 700-2200 MHz the nearest end record is used as
// it stands: the table has nothing beyond its ends, and reading past them would take bytes of other
// memory as correction.
std::uint32_t correctionWord(const ZorvanDevice& device) {
    const double position = device.loFreq / 100.0;
    const double whole = std::trunc(position);
    const double fraction = position - whole;
    const double first = whole - 7.0;  // index of the lower record
    const int last = static_cast<int>(eeprom::kCorrectionRecords) - 1;
    std::uint32_t word = 0;
    for (unsigned k = 0; k < eeprom::kCorrectionBytes; ++k) {
        const auto& row = device.calTable[k];
        double value = 0;
        if (first < 0)
            value = row[0];
        else if (first >= last)
            value = row[last];  // 2200 MHz itself (fraction 0) lands here too
        else {
            const int i = static_cast<int>(first);
            value = fraction == 0 ? row[i] : row[i] + fraction * (row[i + 1] - row[i]);
        }
        const auto c = static_cast<std::uint32_t>(roundHalfAway(value));  // -128..127
        word |= k == 3 ? c << 24 : (c & 0xFF) << (8 * k);
    }
    return word;
}

void setCarrier(ZorvanDevice& device, double carrier) {
    requireFinite(carrier);
    const double fs = device.sampleFreq;
    std::uint32_t word = 0;
    if (carrier < kLBandFromMHz) {
        const double c = carrier * 1000.0;
        double fraction = 0;
        if (c < fs / 3) {
            device.dacMode = dac::kModeDirect;
            fraction = c / fs;
        } else if (c < 2 * fs / 3) {
            device.dacMode = dac::kModeHalfImage;
            fraction = (fs / 2 - c) / fs;
        } else {
            device.dacMode = dac::kModeFullImage;
            fraction = (fs - c) / fs;
        }
        word = registerWord(fraction * kTwoPow32);
        programConverter(device);
    } else {
        device.lBand = 1;
        device.loFreq = pll::kGridMHz * std::round(carrier / pll::kGridMHz);  // halves away from zero
        word = registerWord((device.loFreq - carrier) * 1000.0 / fs * kTwoPow32);
        programLocalOscillator(device);
        device.write(RF_CORR, correctionWord(device));
    }
    device.write(CARRIER_NCO, word);
    device.write(SWEEP_CTL, 0);
    device.write(SWEEP_STEP, sweep::kCarrierDefaultStep);
}

// Attenuations are held within what the attenuator can do (0-31.5 dB): a request beyond it gets the
// nearest setting, and the value written back is always the one the attenuator holds.
void setAttenuator(ZorvanDevice& device, Reg data, Reg load, double* dB) {
    if (!dB || std::isnan(*dB)) raise(Error::BadParameters);
    const double wanted = std::clamp(*dB, 0.0, attenuator::kMaxDb);
    const auto code = static_cast<std::uint32_t>(roundHalfAway(wanted / attenuator::kStepDb));
    device.writeSerial(data, code, attenuator::kCodeBits);
    device.write(load, 0);
    *dB = code * attenuator::kStepDb;
}

// Amplitude word for a level in dB relative to full scale: 1024 is 0 dB, capped at the 10-bit maximum.
std::uint32_t amplitude(double levelDb) {
    const double a = std::round(std::pow(10.0, levelDb / 20.0) * noise::kFullScale);
    if (a > noise::kMaxAmplitude) return noise::kMaxAmplitude;
    return static_cast<std::uint32_t>(a);
}

void setNoise(ZorvanDevice& device, std::uint8_t kind, double level, double freq) {
    switch (kind) {
        case 0:
            device.write(NOISE_AMP, noise::kOff);
            device.write(SINE_FREQ, 0);
            device.noiseStep = 0;
            break;
        case 1: {
            requireFinite(level);
            const auto step = static_cast<std::uint8_t>(std::count_if(kNoiseStepThresholds.begin(),
                                                                      kNoiseStepThresholds.end(),
                                                                      [&](double t) { return level > t; }));
            device.noiseStep = step;
            device.write(NOISE_AMP, noise::kOff);
            device.write(NOISE_AMP, amplitude(level - kNoiseStepDb * step));
            device.write(SINE_FREQ, 0);
            break;
        }
        case 2: {
            requireFinite(level);
            requireFinite(freq);
            const std::uint32_t word = registerWord(-freq * kTwoPow30 / device.sampleFreq);
            device.write(SINE_FREQ, noise::kSineEnable + noise::kSineWord.prep(word));
            device.write(NOISE_AMP, amplitude(level));
            break;
        }
        default:
            break;  // no such generator setting: nothing is written
    }
}

void setSweep(ZorvanDevice& device, std::uint8_t enable, std::int32_t dwell, std::uint16_t increment) {
    const std::uint32_t negatedDwell = 0u - static_cast<std::uint32_t>(dwell);
    device.write(SWEEP_STEP, increment + (negatedDwell << 16));
    device.write(SWEEP_CTL, enable ? sweep::kEnable : 0);
}

}  // namespace
}  // namespace zorvan

using namespace zorvan;

extern "C" {

ZORVANL_API int32_t Write_AD9786(uint8_t dev) {
    return deviceScope(dev, [](ZorvanDevice& device) { programConverter(device); });
}

ZORVANL_API int32_t Write_VN(uint8_t dev, double carrier) {
    return deviceScope(dev, [&](ZorvanDevice& device) { setCarrier(device, carrier); });
}

ZORVANL_API int32_t Write_Att_H(uint8_t dev, double* dB) {
    return deviceScope(
        dev, [&](ZorvanDevice& device) { setAttenuator(device, reg::ATT_H_DATA, reg::ATT_H_LOAD, dB); });
}

ZORVANL_API int32_t Write_Att_L(uint8_t dev, double* dB) {
    return deviceScope(
        dev, [&](ZorvanDevice& device) { setAttenuator(device, reg::ATT_L_DATA, reg::ATT_L_LOAD, dB); });
}

ZORVANL_API int32_t WriteNoise(uint8_t dev, uint8_t kind, double level, double freq) {
    return deviceScope(dev, [&](ZorvanDevice& device) { setNoise(device, kind, level, freq); });
}

ZORVANL_API int32_t WriteSwp(uint8_t dev, uint8_t enable, int32_t dwell, uint16_t increment) {
    return deviceScope(dev, [&](ZorvanDevice& device) { setSweep(device, enable, dwell, increment); });
}

}  // extern "C"
