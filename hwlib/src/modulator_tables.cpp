// Modulator tables: the constellation RAM, the shaping filter, the post filter of the "i_hi" images and
// the linear interpolator, with the three setters of the modulation parameters.
#include <algorithm>
#include <cmath>
#include <string>

#include "ZorvanL.h"
#include "device.h"
#include "modulator.h"
#include "number_file.h"

namespace zorvan::tables {
namespace {

using namespace reg;

constexpr std::size_t kConstellationCapacity = 512;  // integers: 256 points of I and Q
constexpr std::size_t kFilterCapacity = fir::kMaxTaps;
constexpr std::size_t kPostFilterCapacity = post_filter::kLength;

// Constellation file stems by modulation kind; several kinds share the QPSK table.
constexpr const char* kStems[] = {"c_Off",    "c_NoMod", "cBPSK",    "cQPSK",    "cQPSK",
                                  "c8PSK",    "c8QAM",   "c16QAM",   "c32QAM",   "c64QAM",
                                  "cpi4QPSK", "cQPSK",   "c16APSK2", "c32APSK3", "cQPSK",
                                  "cQPSK",    "c128QAM", "c256QAM",  "c8QAM_DS", "c8QAM_PD"};
constexpr std::uint8_t kKinds = sizeof kStems / sizeof kStems[0];
constexpr std::uint32_t kShiftUnmodulated = 15;
constexpr std::uint32_t kShiftPi4Qpsk = 14;

// Shaping-filter file names: prefix by filter type, suffix by samples-per-symbol exponent.
constexpr const char* kFilterPrefixes[] = {"", "ibs_", "n04_", "n05_", "n06_", "wde_"};
constexpr const char* kFilterSuffixes[] = {"", "2.dat", "4.dat", "8.dat", "16.dat", "32.dat"};
constexpr std::uint8_t kFilterTypes = 6;
constexpr std::uint8_t kShifts = 6;

bool offsetModulation(std::uint8_t kind) {
    return kind == 4 || kind == 15;  // OQPSK, CE OQPSK
}

void loadConstellation(ZorvanDevice& device) {
    const std::string stem = device.modKind < kKinds ? kStems[device.modKind] : "";
    const std::string path = device.firmwarePath("Const/" + stem + ".dat");
    const auto values = readIntegers(path, kConstellationCapacity);
    if (!values) {
        device.setLastError(path);
        raise(Error::OpenFile);
    }
    // Fewer than two integers hold no point: the table cannot be filled from such a file.
    const std::size_t points = values->size() / 2;
    if (points == 0) {
        device.setLastError(path);
        raise(Error::ReadFile);
    }
    std::uint32_t shift =
        static_cast<std::uint32_t>(16 - roundHalfAway(std::log2(static_cast<double>(points))));
    if (device.modKind == kind::kPi4Qpsk) shift = kShiftPi4Qpsk;
    if (device.modKind == kind::kOff || device.modKind == kind::kUnmodulated) shift = kShiftUnmodulated;

    // A table of M points is repeated to fill all 256 addresses.
    for (std::uint32_t address = 0; address < constellation::kEntries; ++address) {
        const std::size_t p = address % points;
        device.write(CONST_RAM, constellation::kShift.prep(shift) | constellation::kAddress.prep(address) |
                                    constellation::kI.prep(static_cast<std::uint32_t>((*values)[2 * p])) |
                                    constellation::kQ.prep(static_cast<std::uint32_t>((*values)[2 * p + 1])));
    }
}

void loadPostFilter(ZorvanDevice& device, const char* fileName) {
    if (!(device.lBand == 0 && device.hiRate == 1)) return;  // only the "i_hi" images have it
    const auto values = readReals(fileName, kPostFilterCapacity);
    if (!values) {
        device.setLastError(fileName);
        raise(Error::OpenFile);
    }
    if (values->size() < kPostFilterCapacity) {
        device.setLastError(fileName);
        raise(Error::ReadFile);
    }
    for (std::uint32_t i = 0; i < kPostFilterCapacity; ++i)
        device.write(PF_COEF, post_filter::kIndex.prep(i) | coefficient12((*values)[i]));
    device.write(RF_CORR, rf_corr::kPostFilterOn);
}

}  // namespace

std::uint32_t filterOffControl(const ZorvanDevice& device) {
    return filter::kBase + filter::kSpectrInv * device.spectrInv -
           (std::uint32_t{1} << device.interpShift) * filter::kSamplesStep;
}

std::uint32_t coefficient12(double value) {
    const double scaled = std::round(value * 2048.0);
    if (!std::isfinite(scaled)) return 0;
    double wrapped = std::fmod(scaled, 4096.0);  // exact for every double
    if (wrapped < 0) wrapped += 4096.0;
    return static_cast<std::uint32_t>(wrapped);
}

void loadShapingFilter(ZorvanDevice& device) {
    const std::uint8_t type = device.filterType;
    const std::uint8_t shift = device.interpShift;
    // No filter type or sample count names a file beyond these, and the filter holds 256 taps.
    if (type >= kFilterTypes || shift >= kShifts) raise(Error::BadParameters);
    // The filter switched off, or one sample per symbol (nothing to shape): no file is read and
    // FILTER_CTL gets the control word without the filter, as the symbol clock writes it then.
    if (type == 0 || shift == 0) {
        device.write(FILTER_CTL, filterOffControl(device));
        return;
    }
    const std::string path =
        device.firmwarePath(std::string("Filter/") + kFilterPrefixes[type] + kFilterSuffixes[shift]);
    const std::uint32_t offset = offsetModulation(device.modKind) ? 1 : 0;
    const auto values = readReals(path, kFilterCapacity);
    if (!values) {
        device.setLastError(path);
        raise(Error::OpenFile);
    }
    const std::uint32_t taps = fir::kTapsPerSample << shift;
    if (values->size() < taps) {
        device.setLastError(path);
        raise(Error::ReadFile);
    }
    const std::uint32_t bank = fir::kShift.prep(shift - 1u);
    for (std::uint32_t i = 0; i < taps; ++i)
        device.write(FIR_COEF, bank | fir::kIndex.prep(i) | fir::kStrobe | coefficient12((*values)[i]));
    device.write(FIR_COEF, bank);  // closes the bank
    device.write(FILTER_CTL, filter::kBase + filter::kOn + filter::kOffset * offset +
                                 filter::kSpectrInv * device.spectrInv -
                                 (std::uint32_t{1} << shift) * filter::kSamplesStep);
}

void loadInterpolator(ZorvanDevice& device) {
    const std::int32_t n = device.interpFactor;
    if (n <= 0) return;
    // Each half holds 8192 entries; a larger divider gets its first 8192 (an index beyond them would
    // spill into the half bit and overwrite the other half).
    const std::uint32_t entries = std::min<std::uint32_t>(static_cast<std::uint32_t>(n), interp::kEntries);
    for (std::uint32_t half = 0; half < 2; ++half) {
        for (std::uint32_t i = 0; i < entries; ++i) {
            const double fraction = (half == 0 ? static_cast<double>(i) : static_cast<double>(n) - i) / n;
            const auto value = static_cast<std::uint32_t>(roundHalfAway(fraction * interp::kFullScale));
            device.write(INTERP_COEF,
                         interp::kFalling.prep(half) | interp::kIndex.prep(i) | interp::kValue.prep(value));
        }
    }
}

}  // namespace zorvan::tables

using namespace zorvan;

extern "C" {

ZORVANL_API void _SetModKind(uint8_t dev, uint8_t kind) {
    deviceCall(dev, [&](ZorvanDevice& device) { device.modKind = kind; });
}

ZORVANL_API void _SetFilterType(uint8_t dev, uint8_t type) {
    deviceCall(dev, [&](ZorvanDevice& device) { device.filterType = type; });
}

ZORVANL_API void _SetSpectrInv(uint8_t dev, uint8_t inv) {
    deviceCall(dev, [&](ZorvanDevice& device) { device.spectrInv = inv; });
}

ZORVANL_API int32_t LoadModulationRAM(uint8_t dev) {
    return deviceScope(dev, [](ZorvanDevice& device) { tables::loadConstellation(device); });
}

ZORVANL_API int32_t Load_FIR(uint8_t dev) {
    return deviceScope(dev, [](ZorvanDevice& device) { tables::loadShapingFilter(device); });
}

ZORVANL_API int32_t LoadFIRPF(uint8_t dev, const char* fileName) {
    return deviceScope(dev, [&](ZorvanDevice& device) {
        if (!fileName) raise(Error::BadParameters);
        tables::loadPostFilter(device, fileName);
    });
}

ZORVANL_API int32_t Load_FIR_Interp(uint8_t dev) {
    return deviceScope(dev, [](ZorvanDevice& device) { tables::loadInterpolator(device); });
}

}  // extern "C"
