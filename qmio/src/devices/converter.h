// The AD9786 digital-to-analogue converter behind its serial port (DAC_CS, DAC_SDIO, read-back on bit 0
// of DATA_PORT). A transfer is an instruction byte (bit 7 read, bits 6-0 register) followed by 8 data
// bits; a write stores the register when its eighth data bit arrives, a read clocks one data bit out per
// DAC_SDIO write. A reset pulse (DAC_CS 2) restores the power-on registers and leaves the converter busy
// (bit 5 of register 0x0F) for a number of status reads.
//
// Configuration keys: DacBusyReads=<n> (status reads that show busy after a reset, default 3),
// DacStuckBusy=0/1 (busy for ever), DacReadBackFault=0/1 (every read answers bit 0 inverted).
#pragma once

#include <array>

#include "../board.h"

namespace qmio {

class Converter : public BoardDevice {
 public:
    explicit Converter(Board& board);
    std::uint32_t read(std::uint32_t index) override;
    void write(std::uint32_t index, std::uint32_t value) override;
    void reset() override;
    void describe(std::string& out) override;

    std::uint8_t registerValue(unsigned address) const { return registers_.at(address); }
    bool busy() const { return stuckBusy_ || busyReadsLeft_ > 0; }
    // Modulation mode (register 0x03 bits 3-0: 0, 8 or 12) and interpolation factor (register 0x01
    // bits 7-6: 1, 2, 4 or 8).
    unsigned mode() const;
    unsigned interpolation() const;
    unsigned resets() const { return resets_; }
    bool selected() const { return selected_; }

    void setStuckBusy(bool on) { stuckBusy_ = on; }
    void setReadBackFault(bool on) { readBackFault_ = on; }

 private:
    void clock(bool bit);

    std::array<std::uint8_t, zorvan::reg::dac::kRegisters> registers_{};
    bool selected_ = false;
    unsigned bits_ = 0;  // bits clocked in the current transfer
    std::uint8_t instruction_ = 0;
    std::uint8_t data_ = 0;
    std::uint8_t readValue_ = 0;
    std::uint32_t output_ = 0;  // the serial output line, bit 0 of a DATA_PORT read
    unsigned resets_ = 0;
    int busyReadsLeft_ = 0;
    int busyReads_ = 3;
    bool stuckBusy_ = false;
    bool readBackFault_ = false;
};

}  // namespace qmio
