#include "converter.h"

#include <cstdio>

namespace qmio {

using namespace zorvan::reg;

Converter::Converter(Board& board) {
    board.mapWrite(DAC_CS, this);
    board.mapWrite(DAC_SDIO, this);
    board.mapRead(DATA_PORT, this);
    const BoardConfig& config = board.config();
    busyReads_ = static_cast<int>(config.integer("DacBusyReads", busyReads_));
    stuckBusy_ = config.integer("DacStuckBusy", 0) != 0;
    readBackFault_ = config.integer("DacReadBackFault", 0) != 0;
}

void Converter::reset() {
    registers_.fill(0);  // power-on: every register 0, not busy
    selected_ = false;
    bits_ = 0;
    output_ = 0;
    busyReadsLeft_ = 0;
}

unsigned Converter::mode() const {
    return dac::kModeField.get(registers_[dac::kModulation]);
}

unsigned Converter::interpolation() const {
    return 1u << dac::kInterpolationField.get(registers_[dac::kInterpolation]);
}

std::uint32_t Converter::read(std::uint32_t /*DATA_PORT*/) {
    return output_;
}

void Converter::write(std::uint32_t index, std::uint32_t value) {
    if (index == DAC_SDIO.index) {
        if (selected_) clock((value & 1) != 0);
        return;
    }
    // DAC_CS: every change of the select line ends the transfer in progress.
    bits_ = 0;
    output_ = 0;
    selected_ = value == dac::kSelect;
    if (value == dac::kResetPulse) {
        registers_.fill(0);
        busyReadsLeft_ = busyReads_;
        ++resets_;
    }
}

void Converter::clock(bool bit) {
    if (bits_ < 8) {
        instruction_ = static_cast<std::uint8_t>(instruction_ << 1 | bit);
        if (++bits_ < 8) return;
        const unsigned address = dac::kAddress.get(instruction_);
        if (!(instruction_ & dac::kReadFlag)) return;
        readValue_ = address < registers_.size() ? registers_[address] : 0;
        if (address == dac::kStatus && busy()) {
            readValue_ |= dac::kBusy;
            if (busyReadsLeft_ > 0) --busyReadsLeft_;
        }
        if (readBackFault_) readValue_ ^= 1;
        return;
    }
    if (bits_ >= 16) return;  // beyond one data byte: ignored
    const unsigned dataBit = bits_++ - 8;
    const unsigned address = dac::kAddress.get(instruction_);
    if (instruction_ & dac::kReadFlag) {
        output_ = (readValue_ >> (7 - dataBit)) & 1;
        return;
    }
    data_ = static_cast<std::uint8_t>(data_ << 1 | bit);
    if (dataBit == 7 && address < registers_.size()) registers_[address] = data_;
}

void Converter::describe(std::string& out) {
    char line[160];
    std::snprintf(
        line, sizeof line,
        "  converter: mode %u, interpolation %u, registers 00-05 %02X %02X %02X %02X %02X %02X%s%s\n", mode(),
        interpolation(), registers_[0], registers_[1], registers_[2], registers_[3], registers_[4],
        registers_[5], busy() ? ", busy" : "", resets_ == 0 ? ", never reset" : "");
    out += line;
}

}  // namespace qmio
