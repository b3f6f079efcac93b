#include "source_ram.h"

#include <algorithm>
#include <cstdio>

namespace qmio {

using namespace zorvan::reg;

SourceRam::SourceRam(Board& board, const FpgaConfigPort& fpga)
    : fpga_(fpga), memory_(board.hardwareVersion() == 2 ? ram::kWordsVersion2 : ram::kWords, 0) {
    board.mapWrite(DATA_PORT, this);
    board.mapWrite(RAM_DATA, this);
    board.mapWrite(PLAY_CTL, this);
}

void SourceRam::reset() {
    // The memory keeps no defined contents at power-on; the emulated one starts zeroed.
    std::fill(memory_.begin(), memory_.end(), 0);
    address_ = 0;
    playControl_ = 0;
}

void SourceRam::write(std::uint32_t index, std::uint32_t value) {
    if (index == DATA_PORT.index) {
        if (!fpga_.configuring()) address_ = value;
    } else if (index == RAM_DATA.index) {
        memory_[address_ & (sizeWords() - 1)] = static_cast<std::uint16_t>(value);
        ++wordWrites_;
    } else {
        playControl_ = value;
    }
}

std::uint32_t SourceRam::playLength() const {
    return play::kNegatedLength.get(0u - play::kNegatedLength.get(playControl_));
}

unsigned SourceRam::bitOrder() const {
    return play::kBitOrder.get(playControl_);
}

unsigned SourceRam::byteOrder() const {
    return play::kByteOrder.get(playControl_);
}

void SourceRam::describe(std::string& out) {
    char line[160];
    std::snprintf(line, sizeof line,
                  "  source RAM: %u words, %llu words written, plays %u (bit order %u, byte order %u)%s\n",
                  sizeWords(), static_cast<unsigned long long>(wordWrites_), playLength(), bitOrder(),
                  byteOrder(), fpga_.configuring() ? ", FPGA configuring" : "");
    out += line;
}

}  // namespace qmio
