// The signal parameters as the operator changes them one at a time: the limits of each numeric field
// and what the board is given once a new value is in the hardware object. The main window and the
// remote-control server both apply a parameter through these functions, so that a value reaches the
// board the same way whichever of them changed it.
#pragma once

#include <cstdint>

class TZorvanHWClass;

// A numeric field's default and limits, in the hardware object's units.
struct TFieldLimits {
    double Default;
    double Low;
    double High;
};
// Carrier, MHz: the carrier field's own check.
inline constexpr TFieldLimits kCarrierLimits{1000, 800, 2200};
// Carrier, MHz, as Start, Save and the up/down buttons take it.
inline constexpr TFieldLimits kCarrierTakenLimits{1000, 5, 2200};
// Symbol clock, kHz. A value above High is kept after a warning (CheckClkFreq).
inline constexpr TFieldLimits kClockLimits{1000, 0.5, 220000};
// Step of the up/down buttons, MHz.
inline constexpr TFieldLimits kFreqStepLimits{1, 0.00001, 1000};
// Either attenuator, dB.
inline constexpr TFieldLimits kAttenuatorLimits{15, 0, 31};
// Noise level, dB.
inline constexpr TFieldLimits kNoiseLimits{0, -40, 15};

// Samples per symbol by list position (the library receives the position + 1).
inline constexpr int kSamplesPerSymbol[] = {1, 2, 4, 16, 32};

// A new carrier or symbol clock: the library's working mode follows the new frequencies, then the
// clock chain and the carrier word.
void WriteFrequencies(TZorvanHWClass& hw);
// A new noise level: the generator, then the clock chain that scales it.
void WriteNoiseLevel(TZorvanHWClass& hw);
// The noise option (Noise 1 on, 0 off) into the generator. While the sine interferer runs and noise is
// off, the generator is the tone's: the tone is written again rather than switched off.
void ApplyNoiseState(TZorvanHWClass& hw, bool on);

// List choices (positions in their lists) and the board's part that each one needs.
void ApplyModKind(TZorvanHWClass& hw, std::uint8_t position);     // a device load
void ApplyFilter(TZorvanHWClass& hw, std::uint8_t position);      // the library told first, a device load
void ApplyCode(TZorvanHWClass& hw, std::uint8_t position);        // coder and puncturing
void ApplySourceCode(TZorvanHWClass& hw, std::uint8_t position);  // a device load
void ApplySamples(TZorvanHWClass& hw, std::uint8_t position);     // a device load

// The coding options: each is 0 or 1 and writes the board's part that holds it.
void ApplyScrambler(TZorvanHWClass& hw, std::uint8_t on);          // coder word
void ApplyDiffCoder(TZorvanHWClass& hw, std::uint8_t on);          // coder word
void ApplyDiffMapping(TZorvanHWClass& hw, std::uint8_t on);        // bit map
void ApplySpectrumInversion(TZorvanHWClass& hw, std::uint8_t on);  // the library told, the clock chain

// Modulation, coding and packing apply to a bit-stream source only.
bool BitStreamSource(const TZorvanHWClass& hw);

// The packing order of a bit-stream source (0 little-endian, 1 big-endian) into the object and the board.
void ApplyPackingOrder(TZorvanHWClass& hw, std::int32_t bit, std::int32_t byte);
