// The signal model of the modulator: what the board sends out, computed from the register state the
// library wrote (never from the program's settings). One small class per stage, in signal order:
//
//   SourceBits       the bytes the board plays (source RAM as PLAY_CTL describes it, or the bytes the
//                    DMA master played, as the capture records them), as a bit stream
//   Scrambler        CODING bit 1
//   ConvolutionalCoder  CODING coder 1 (K=7, rate 1/2, punctured by PUNCT), coder 5 (Manchester)
//   DifferentialCoder   CODING bit 0
//   BitMapper        BITMAP (4096 entries, or the bypass of 128QAM / 256QAM)
//   ConstellationTable  CONST_RAM as loaded (256 points, the shift gives the bits per symbol)
//   PulseShaper      FIR_COEF taps in use for the samples per symbol of FILTER_CTL, offset modulation
//                    and spectrum inversion of FILTER_CTL
//   NoiseSource      NOISE_AMP (Gaussian noise or the sine interferer of SINE_FREQ)
//
// Model assumptions (the choices the board's documentation leaves open; kept here and only here):
// - Bit order: the bytes of the source are taken most significant bit first. The source RAM plays its
//   words from address -n on; each 16-bit word gives its low byte first (PLAY_CTL bit 31 set: its high
//   byte first), each byte most significant bit first (PLAY_CTL bit 30 set: least significant first).
// - Scrambler: the additive pseudo-random sequence of polynomial 1 + x^14 + x^15, register loaded
//   with 100101010000000 at the start of the stream (the energy-dispersal scrambler of DVB-S).
// - Convolutional code K=7: CCSDS polynomials G1 = 171, G2 = 133 (octal); for each source bit the
//   coder emits X (G1) then Y (G2). The "1/2I" variants (CODING bit 7) invert Y. The encoder starts
//   in state 0.
// - Puncturing (PUNCT header enabled): a period of P source bits gives 2P coded bits, numbered
//   X1 Y1 X2 Y2 ...; each pattern word names two of them to send, its low nibble first, then its
//   high nibble; the words are sent in order of their position.
// - Manchester: a one is sent as 1 0, a zero as 0 1. The sequential (K=36), K=8 and I/Q codes are not
//   modelled: the bits pass uncoded (the model reports it in `Parameters::codingModelled`).
// - Differential coding (CODING bit 0): b(k) = d(k) xor b(k-1) on the coded bit stream, b(-1) = 0.
// - Mapper: a symbol takes B = 16 - shift bits (B = 2 for pi/4-QPSK, whose shift is 14); the first bit
//   is the most significant bit of the symbol's label d. The BITMAP address is d (bits 0-5), the first
//   bit of d once more (bit 6) and the previous symbol's mapping m1 m0 (bits 9 and 8); the mapping m
//   addresses the constellation table. pi/4-QPSK (the only mapping that reads address bit 6) adds
//   4 x the parity of the symbol's index to m: its odd symbols use the turned points 4-7 of the table.
//   With the bypass (128QAM, 256QAM) d addresses the table.
// - Shaping: the symbols, as 8-bit table values, enter the FIR at S samples per symbol (an impulse at
//   the first sample of each symbol). Offset modulation delays Q by S/2 samples. Spectrum inversion
//   negates Q. The FIR output is scaled by 1/2048 (the taps' full scale). The render rate is the
//   symbol clock x S, before the board's linear interpolator (which only raises the rate) and before
//   the post filter.
// - Carrier: the model renders complex baseband; the carrier (CARRIER_NCO x fs / 2^32) is reported,
//   and the spectrum tools place the baseband around it.
// - Noise: complex white Gaussian noise (ziggurat method, xorshift64* generator seeded by the caller)
//   across the render rate, of power (amplitude / 1024 x 128)^2 per complex sample (NOISE_AMP's
//   amplitude; 0 dB is noise as strong as a full-scale table value). The coarse noise step shows
//   through the samples per symbol it halves (FILTER_CTL): at one amplitude each step costs 3 dB of
//   Es/N0. The sine interferer is a complex tone of that amplitude at -SINE_FREQ word x fs / 2^30
//   from the carrier.
// - Es/N0 = mean signal power per sample x S / noise power per sample (N0 = noise power / render rate,
//   Es = signal power / symbol rate); Eb/N0 counts the source bits of a symbol (bits x code rate).
#pragma once

#include <array>
#include <complex>
#include <cstdint>
#include <vector>

namespace qmio::twin {

using Sample = std::complex<float>;

// The register state the model reads, copied from the board under its lock.
struct BoardState {
    std::vector<std::uint8_t> sourceBytes;  // in playing order (see SourceBits)
    unsigned ramBitOrder = 0, ramByteOrder = 0;
    bool sourceIsRam = false;  // sourceBytes are RAM words (low byte first in memory order)
    std::array<std::int8_t, 256> constI{}, constQ{};
    int constShift = -1;
    std::vector<std::uint8_t> bitMap;  // 4096 mappings
    bool bitMapBypass = false;
    std::uint32_t coding = 0;
    std::array<std::uint32_t, 4> punct{};
    std::uint32_t filterControl = 0;
    unsigned samplesPerSymbol = 1;
    std::vector<std::int16_t> taps;  // in use for samplesPerSymbol (empty: no filter)
    std::uint32_t carrierWord = 0;
    int noiseMode = 0;  // 0 off, 1 noise, 2 sine
    unsigned noiseAmplitude = 0;
    std::uint32_t sineWord = 0;
    double sampleClockHz = 0.0;
    double symbolRateHz = 0.0;
};

// What the model derives from the state.
struct Parameters {
    double renderRateHz = 0;  // symbol rate x samples per symbol
    double symbolRateHz = 0;
    unsigned samplesPerSymbol = 1;
    unsigned bitsPerSymbol = 0;
    double codeRate = 1;  // source bits per coded bit
    bool codingModelled = true;
    double carrierHz = 0;  // signed NCO frequency
    bool offset = false, inverted = false, pi4 = false;
    double signalPower = 0;         // mean power per sample of the noiseless signal
    double noisePower = 0;          // per complex sample (0: off)
    double esN0Db = 0, ebN0Db = 0;  // of the source bits; +infinity without noise
    double sineOffsetHz = 0;
};

class SourceBits {
 public:
    explicit SourceBits(const BoardState& s);
    bool empty() const { return bytes_.empty(); }
    unsigned next();  // repeats the source for ever

 private:
    std::vector<std::uint8_t> bytes_;  // in playing order, bits most significant first
    std::size_t bit_ = 0;
};

class Scrambler {
 public:
    explicit Scrambler(bool on) : on_(on) {}
    unsigned apply(unsigned bit);

 private:
    bool on_;
    std::uint32_t reg_ = 0b100101010000000;
};

class ConvolutionalCoder {
 public:
    explicit ConvolutionalCoder(const BoardState& s);
    // Feeds one source bit; appends the coded bits it sends to `out`.
    void encode(unsigned bit, std::vector<std::uint8_t>& out);
    double rate() const;
    bool modelled() const { return modelled_; }

 private:
    unsigned coder_ = 0;
    bool invertY_ = false, modelled_ = true;
    std::uint32_t state_ = 0;
    std::vector<unsigned> keep_;  // puncturing: indices into the period's 2P coded bits, in send order
    unsigned period_ = 0, position_ = 0;
    std::vector<std::uint8_t> periodBits_;
};

class DifferentialCoder {
 public:
    explicit DifferentialCoder(bool on) : on_(on) {}
    unsigned apply(unsigned bit) { return on_ ? (last_ ^= bit) : bit; }

 private:
    bool on_;
    unsigned last_ = 0;
};

class BitMapper {
 public:
    explicit BitMapper(const BoardState& s);
    unsigned bitsPerSymbol() const { return bits_; }
    // The constellation address of the next symbol with label d.
    unsigned map(unsigned label);

 private:
    std::vector<std::uint8_t> table_;
    bool bypass_, pi4_;
    unsigned bits_;
    unsigned previous_ = 0, parity_ = 0;
};

class ConstellationTable {
 public:
    explicit ConstellationTable(const BoardState& s);
    Sample point(unsigned address) const { return points_[address & 0xFF]; }
    double meanPower(unsigned bitsPerSymbol) const;

 private:
    std::array<Sample, 256> points_{};
};

class PulseShaper {
 public:
    explicit PulseShaper(const BoardState& s);
    unsigned samplesPerSymbol() const { return sps_; }
    // Energy gain of the filter (sum of the squared taps at full scale 1).
    double energy() const { return energy_; }
    // One symbol in, samplesPerSymbol samples out.
    void push(Sample symbol, Sample* out);

 private:
    unsigned sps_;
    bool offset_, inverted_;
    std::size_t span_ = 1;  // symbols the filter spans
    double energy_ = 0;
    std::vector<float> phaseTaps_;  // by output phase, then by symbol
    std::vector<Sample> history_;
    std::size_t head_ = 0;
    std::vector<float> qDelay_;
    std::size_t qHead_ = 0;
};

class NoiseSource {
 public:
    NoiseSource(const BoardState& s, double noisePower, double renderRateHz, std::uint64_t seed);
    Sample next();

 private:
    int mode_;
    float sigma_;  // per component
    double amplitude_, phase_ = 0, step_ = 0;
    std::uint64_t state_;  // xorshift64*
    std::uint64_t random();
    float uniform();   // in (0, 1)
    float gaussian();  // unit variance (the ziggurat method)
};

// The whole chain.
class SignalModel {
 public:
    explicit SignalModel(BoardState state);
    const Parameters& parameters() const { return params_; }
    // The first `count` complex baseband samples at parameters().renderRateHz from the start of the
    // stream; noise from `seed`. Empty when the board sends nothing (no constellation, no source).
    std::vector<Sample> render(std::size_t count, std::uint64_t seed) const;
    // The same into `out` (room for `count`); returns the samples written.
    std::size_t render(Sample* out, std::size_t count, std::uint64_t seed) const;

 private:
    BoardState state_;
    Parameters params_;
};

}  // namespace qmio::twin
