// An independent receiver of the board's output, built from liquid-dsp (matched filter, symbol timing,
// demodulation) and libfec (Viterbi decoder); it shares no code with the emulator's output model. It
// knows the signal only as a receiver set up for it would: the modulation, the roll-off of the root
// raised cosine, the samples per symbol and the code.
#pragma once

#include <complex>
#include <cstdint>
#include <string>
#include <vector>

namespace twin_tools {

using Complex = std::complex<float>;

struct KindInfo {
    std::uint8_t kind;  // the operator's list
    const char* name;
    unsigned bits;
    bool offset;  // OQPSK: Q half a symbol late
};
// The modulation kinds the receiver demodulates.
const std::vector<KindInfo>& receiverKinds();
const KindInfo* findKind(std::uint8_t kind);

// Roll-off of the shaping filter type (1 IBS 0.35, 2-4 Nyquist 0.4/0.5/0.6, 5 wide 1.0).
float rollOff(std::uint8_t filterType);

// The matched filter's output (root raised cosine of `beta`, 8 symbols, as many samples as `samples`).
std::vector<Complex> matchedFilter(const std::vector<Complex>& samples, unsigned sps, float beta,
                                   bool inverted);
// Matched filter (root raised cosine of `beta`, 8 symbols) and symbol timing: the symbols, scaled to
// unit mean power. With `knownTiming` the sampling instant is the filters' combined delay; otherwise
// the receiver picks the sampling phase of the largest eye opening. `inverted` undoes spectrum
// inversion.
std::vector<Complex> matchedSymbols(const std::vector<Complex>& samples, unsigned sps, float beta,
                                    bool offset, bool inverted, bool knownTiming = true);

// Symbols from liquid-dsp's symbol synchronizer (polyphase root-raised-cosine matched filter of 32
// phases, timing recovered from the signal alone), scaled to unit mean power; the first `settle` symbols
// (while the loop locks) are dropped.
std::vector<Complex> recoveredSymbols(const std::vector<Complex>& samples, unsigned sps, float beta,
                                      std::size_t settle = 2000);

// Hard decisions of liquid-dsp's demodulator for `kind`, most significant bit of each label first.
// `firmwareDir` holds the constellation files the receiver takes its arbitrary constellations from.
std::vector<std::uint8_t> demodulate(const KindInfo& kind, const std::vector<Complex>& symbols,
                                     const std::string& firmwareDir);
// The same symbols as soft bits for the Viterbi decoder (0 a sure zero, 255 a sure one); QPSK only.
std::vector<std::uint8_t> softQpsk(const std::vector<Complex>& symbols);

struct CodeInfo {
    std::uint8_t code;  // the operator's list
    const char* name;
    unsigned period;             // source bits per puncturing period (1 without puncturing)
    std::vector<unsigned> sent;  // indices of the coded bits X1 Y1 X2 Y2 .. sent, in order
    bool invertY;
};
const std::vector<CodeInfo>& receiverCodes();

// Depuncturing and Viterbi decoding (K=7, 171/133) of soft coded bits; returns the decoded bits.
std::vector<std::uint8_t> viterbiDecode(const CodeInfo& code, const std::vector<std::uint8_t>& soft);

// The offset (0 .. maxShift) at which `received` best matches `expected`, and the errors there,
// compared over `length` bits.
struct Alignment {
    std::size_t shift = 0;
    std::size_t errors = 0;
    std::size_t compared = 0;
};
Alignment align(const std::vector<std::uint8_t>& received, const std::vector<std::uint8_t>& expected,
                std::size_t maxShift, std::size_t length);

}  // namespace twin_tools
