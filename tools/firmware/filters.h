// Shaping filters (Firmware/Filter/<prefix><samples per symbol>.dat) and the post filter
// (Firmware/Filter/pf512_70.dat).
//
// Shaping filters. The modulator's FIR runs at the sample rate, 2^n samples per symbol (n = 1..5),
// and takes exactly 8 x samples-per-symbol coefficients: a pulse spanning eight symbols. Every design
// is a root-raised-cosine pulse (the transmit half of a matched pair whose product is a Nyquist,
// zero-ISI, pulse), sampled symmetrically about the middle of the even-length filter (half a sample
// either side of the centre), so that the filter has exactly linear phase:
//   ibs_  roll-off 0.35: the shaping satellite modems give IBS and IDR business-service carriers
//         (35 % excess bandwidth, also the DVB-S roll-off); the narrowest spectrum the board offers.
//   n04_, n05_, n06_  roll-off 0.4, 0.5 and 0.6.
//   wde_  roll-off 1.0: the widest member of the family (occupied bandwidth twice the symbol rate),
//         still zero-ISI with a matched receiver, with the smallest time-domain tails and the widest
//         eye opening; for wide-band tests and receivers with simple timing recovery. At 2 samples
//         per symbol its band reaches half the sample rate, and the sampled pulse is exactly a
//         two-sample hold: each symbol is held for both of its samples.
// The filter's coefficient field holds 12-bit two's complement numbers, coefficient x 2048, so a
// coefficient must stay within -1.0 .. 2047/2048 (1.0 itself would wrap to -1.0). All designs of one
// samples-per-symbol value share one scale: equal pulse energy, so the output power does not change
// with the filter type, and the tallest of them (the roll-off 1.0 pulse) peaks at exactly 2047/2048.
// The others then peak at 86 % to 98 % of full scale. Truncated to eight symbols, the pulses keep
// their -3 dB point at half the symbol rate, pass-band ripple below 0.15 dB, stopband attenuation of
// 36 dB or more and residual intersymbol interference of a matched pair below -38 dB.
//
// Post filter. The "i_hi" images (symbol clocks of 30 to 55 MHz on the IF band) resample the shaped
// stream to the converter's fixed sample clock with a polyphase interpolator of 512 phases of 16 taps
// (8192 coefficients, coefficient i serving phase i mod 512). Its prototype is a Kaiser-window
// low-pass at 512 times the input rate with its cutoff at half the input rate: flat (ripple below
// 0.01 dB) to 0.36 of the input rate and at least 70 dB down from 0.64 of the input rate. With 2
// samples per symbol that passes the whole occupied band of roll-offs up to 0.44 and puts their
// first image, which begins at 0.64 of the input rate, 70 dB down, close to the noise floor of a
// 12-bit converter; wider roll-offs lose a little of their outer skirt. The prototype is centred on
// coefficient 4096; its far end (index 8192, zero in the prototype) is dropped, so phase 0 is a pure
// delay and the samples of the shaped stream pass unchanged. Each phase has a gain of 0.9994; the
// peak (coefficient 4096) is 2047/2048.
#pragma once

#include <string>
#include <vector>

namespace firmware {

inline constexpr int kSpanSymbols = 8;  // symbols spanned by a shaping filter
inline constexpr int kPostFilterPhases = 512;
inline constexpr int kPostFilterTaps = 16;             // taps per phase
inline constexpr double kPostFilterStopbandDb = 70.0;  // from 0.64 of the input rate
inline constexpr double kFullScale = 2047.0 / 2048.0;  // largest coefficient the 12-bit field holds

struct ShapingDesign {
    std::string prefix;  // "ibs_", "n04_", ...
    double rollOff;
};

// The five shaping designs, in the order of the operator's filter list.
const std::vector<ShapingDesign>& shapingDesigns();

// The samples-per-symbol values the modulator supports: 2, 4, 8, 16, 32.
const std::vector<int>& samplesPerSymbolValues();

// The root-raised-cosine pulse of `rollOff` at `samplesPerSymbol`, 8 x samplesPerSymbol
// coefficients, unit energy.
std::vector<double> rootRaisedCosine(double rollOff, int samplesPerSymbol);

// The five shaping filters for `samplesPerSymbol`, in the order of shapingDesigns(), scaled as the
// modulator needs them (common scale, tallest peak 2047/2048).
std::vector<std::vector<double>> shapingFilterSet(int samplesPerSymbol);

// The 8192 coefficients of the post filter.
std::vector<double> postFilter();

// A coefficient file's text: one "%le"-readable number per line.
std::string coefficientText(const std::vector<double>& coefficients);

}  // namespace firmware
