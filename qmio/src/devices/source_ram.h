// The board's source RAM: 16-bit words (1 MiB, 2 MiB on hardware version 2), written through a DATA_PORT
// address followed by a RAM_DATA word; addresses wrap at the end of the memory, so a source written at
// -n .. -1 occupies its top n words. PLAY_CTL describes what the modulator plays from it: the negated
// length in bits 27-0, the bit order in bit 30 and the byte order in bit 31.
//
// DATA_PORT also carries the FPGA configuration bytes: while the configuration port is in configuration
// mode its writes are not addresses.
#pragma once

#include <vector>

#include "../board.h"
#include "fpga_config_port.h"

namespace qmio {

class SourceRam : public BoardDevice {
 public:
    SourceRam(Board& board, const FpgaConfigPort& fpga);
    void write(std::uint32_t index, std::uint32_t value) override;
    void reset() override;
    void describe(std::string& out) override;

    std::uint32_t sizeWords() const { return static_cast<std::uint32_t>(memory_.size()); }
    std::uint16_t word(std::uint32_t address) const { return memory_[address & (sizeWords() - 1)]; }
    std::uint32_t address() const { return address_; }
    std::uint32_t playControl() const { return playControl_; }
    std::uint32_t playLength() const;  // words (or bits) the modulator plays, from PLAY_CTL
    unsigned bitOrder() const;
    unsigned byteOrder() const;
    std::uint64_t wordWrites() const { return wordWrites_; }

 private:
    const FpgaConfigPort& fpga_;
    std::vector<std::uint16_t> memory_;
    std::uint32_t address_ = 0;
    std::uint32_t playControl_ = 0;
    std::uint64_t wordWrites_ = 0;
};

}  // namespace qmio
