// Sample source files for trying the board (Signals/).
//
// Bit streams are pseudo-random binary sequences of ITU-T O.150: PRBS-15 (x^15 + x^14 + 1) and
// PRBS-23 (x^23 + x^18 + 1), both inverted as O.150 defines for these two patterns, so that a
// bit-error analyser set to the standard pattern locks on them. Binary files hold eight bits per
// byte, the first bit in bit 7. The board repeats a RAM source without a gap, so the RAM-sized files
// hold whole periods of their sequence: the repetition continues the sequence without a seam.
//
// The I/Q files hold a QPSK baseband signal (the symbols of the PRBS-15 pairs labelled as cQPSK)
// shaped by the 0.35 roll-off root-raised-cosine at 4 samples per symbol, as interleaved signed
// samples I0 Q0 I1 Q1 ... (16-bit ones little-endian). The filtering is circular over the file, so
// the played loop has no seam either.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace firmware {

// Maximal-length linear feedback shift register with taps at `degree` and `tap` (1-based), started
// all ones; next() returns the output bit before the O.150 inversion.
class Prbs {
 public:
    Prbs(int degree, int tap) : degree_(degree), tap_(tap), state_((1u << degree) - 1) {}
    int next() {
        const int bit = static_cast<int>(((state_ >> (degree_ - 1)) ^ (state_ >> (tap_ - 1))) & 1u);
        state_ = ((state_ << 1) | static_cast<unsigned>(bit)) & ((1u << degree_) - 1);
        return bit;
    }

 private:
    int degree_;
    int tap_;
    unsigned state_;
};

// `count` bits of the inverted PRBS of the given polynomial, one per element (0 or 1).
std::vector<std::uint8_t> prbsBits(int degree, int tap, std::size_t count);

// `bits` packed eight to a byte, the first bit in bit 7 (the bit count must be a multiple of 8).
std::vector<std::uint8_t> packBits(const std::vector<std::uint8_t>& bits);

// The shaped QPSK signal: `symbols` symbols at 4 samples per symbol, interleaved I/Q, unscaled
// (peak coordinate 1.0).
std::vector<double> qpskBaseband(std::size_t symbols);

// One file of the Signals directory.
struct SignalFile {
    std::string name;
    std::vector<std::uint8_t> bytes;
    std::string description;  // one line for README.txt
};

// Every file of the Signals directory but README.txt.
std::vector<SignalFile> signalFiles();

// The text of Signals/README.txt for `files`.
std::string signalReadme(const std::vector<SignalFile>& files);

}  // namespace firmware
