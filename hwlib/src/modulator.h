// Steps of the modulator's set-up that more than one operation runs: the symbol clock (Write_TI) loads
// the shaping filter, the interpolator and the synthesizer.
#pragma once

#include <cstdint>

#include "device.h"

namespace zorvan {

// Modulation kinds (the operator's list, as _SetModKind takes them) that change what is written.
namespace kind {
inline constexpr std::uint8_t kOff = 0;
inline constexpr std::uint8_t kUnmodulated = 1;
inline constexpr std::uint8_t kBpsk = 2;
inline constexpr std::uint8_t kQpsk = 3;
inline constexpr std::uint8_t kOqpsk = 4;
inline constexpr std::uint8_t k64Qam = 9;
inline constexpr std::uint8_t kPi4Qpsk = 10;
inline constexpr std::uint8_t kCeOqpsk = 15;
inline constexpr std::uint8_t k128Qam = 16;
inline constexpr std::uint8_t k256Qam = 17;
}  // namespace kind

namespace tables {
// Load_FIR: the shaping filter of the stored type and samples per symbol, then FILTER_CTL.
void loadShapingFilter(ZorvanDevice& device);
// FILTER_CTL without the shaping filter: samples per symbol (interpShift 0-5) and spectrum inversion.
std::uint32_t filterOffControl(const ZorvanDevice& device);
// Load_FIR_Interp: both halves of the linear interpolator for the divider interpFactor.
void loadInterpolator(ZorvanDevice& device);
// A filter coefficient as the board holds it: value x 2048, rounded (halves away from zero), as a
// 12-bit two's-complement number. The field holds -1.0 to 2047/2048; larger values wrap as the 12-bit
// field does (1.0 becomes -2048). A value that is not a number, or infinite, gives 0.
std::uint32_t coefficient12(double value);
}  // namespace tables

namespace clock_chain {
// LoadSynth: registers 0, 1 and the tuning word of sampleFreq, each read back.
void loadSynth(ZorvanDevice& device);
// The 64-bit register 6 for a sample clock in kHz (16 zero bits, 32-bit integer, 16-bit fraction).
std::uint64_t tuningWord(double sampleFreqKHz);
}  // namespace clock_chain

}  // namespace zorvan
