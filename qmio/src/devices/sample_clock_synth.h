// The sample-clock synthesizer and its serial port. SER_CTL (writes only; its reads belong to the I2C
// engine): bit 0 selects the synthesizer for a transfer, bit 2 is the update strobe that latches what
// was written, bit 1 resets the serial interface. SYNTH_DATA: one bit (bit 0) per write while selected.
// A transfer starts with an 8-bit instruction, most significant bit first: the register number, plus
// 0x80 to read it back. A write then carries exactly the register's data bits (a transfer of any other
// length is discarded at the release); an update strobe latches every register written since the last
// one. A read clocks the latched register out on bit 17 of an FPGA_CTL read, most significant bit
// first, one bit per further SYNTH_DATA write.
//
// Registers: 0 (32 bits) and 1 (40 bits) are control words; 6 (64 bits) is the tuning word: 16 zero
// bits, a 32-bit integer part and a 16-bit fraction, i.e. the 48-bit word W. The synthesizer runs at
// 2^48 x 10000 kHz / W (clocked at that rate it produces the board's 10 MHz reference); the sample
// clock is that divided by k (see converterClockDivider). Power-on: nothing latched, no clock.
//
// Configuration key of the board's section:
//   SynthCorruptReadBacks=<n>   the next n read-backs show their first bit inverted (-1: all of them)
#pragma once

#include <array>

#include "../board.h"
#include "converter.h"

namespace qmio {

class SampleClockSynth : public BoardDevice {
 public:
    static constexpr unsigned kRegisters = 8;

    explicit SampleClockSynth(Board& board);
    std::uint32_t read(std::uint32_t index) override;
    void write(std::uint32_t index, std::uint32_t value) override;
    void reset() override;
    void describe(std::string& out) override;

    // The latched register `reg`, and whether it was ever latched.
    std::uint64_t latched(unsigned reg) const { return reg < kRegisters ? registers_[reg].latched : 0; }
    bool isLatched(unsigned reg) const { return reg < kRegisters && registers_[reg].latchedValid; }
    // The synthesizer's own clock in kHz (k x the sample clock); 0 without a tuning word.
    double outputKHz() const;
    std::uint32_t updates() const { return updates_; }
    std::uint32_t readBacks() const { return readBacks_; }

    // The next `count` read-backs show their first bit inverted; a negative count: every read-back.
    void corruptReadBacks(int count) { corruptions_ = count; }

 private:
    struct Register {
        unsigned bits = 0;  // 0: no such register
        std::uint64_t shadow = 0;
        bool pending = false;
        std::uint64_t latched = 0;
        bool latchedValid = false;
    };
    void endTransfer();

    std::array<Register, kRegisters> registers_{};
    bool selected_ = false;
    unsigned instructionBits_ = 0;
    std::uint8_t instruction_ = 0;
    unsigned dataBits_ = 0;
    std::uint64_t data_ = 0;
    bool reading_ = false;
    bool corrupted_ = false;  // the current read-back
    unsigned readPosition_ = 0;
    bool output_ = false;
    std::uint32_t updates_ = 0;
    std::uint32_t readBacks_ = 0;
    int corruptions_ = 0;
};

// The converter's clock divider, as far as the sample clock is concerned: the synthesizer's output
// clocks the AD9786, which divides it by k and hands the sample clock to the FPGA. The divider is the
// converter's register 0x01 (0x80: k = 4, for sample clocks up to the base 122000 kHz; 0x40: k = 2,
// above it). The tuning word alone cannot tell k: the synthesizer's range (244-488 MHz) is covered
// once with k = 4 and once with k = 2.
//
// While the converter's register 0x01 holds neither bit (power-on, and after its reset pulse), the
// divider follows the tuning word as for the base clock: k = 4 when the synthesizer runs at
// 4 x 122000 kHz or below, k = 2 above. Sample clocks above 122000 kHz are then seen at half their
// rate; the library's converter set-up (after every symbol clock of a device load) puts that right.
unsigned converterClockDivider(const Converter& converter, double outputKHz);

// The modulator's sample clock in kHz. Until the synthesizer has a tuning word the board runs from its
// base sample clock, 122000 kHz.
double sampleClockKHz(Board& board);

}  // namespace qmio
