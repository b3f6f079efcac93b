#include "fpga_config_port.h"

#include <cstdio>
#include <iterator>

#include "../modulator_timing.h"

#include <algorithm>

namespace qmio {

using namespace zorvan::reg;

FpgaConfigPort::FpgaConfigPort(Board& board) : board_(board) {
    board.mapWrite(FPGA_CTL, this);
    board.mapWrite(DATA_PORT, this);
    board.mapRead(FPGA_STAT, this);
    const BoardConfig& config = board.config();
    resetReadings_ =
        static_cast<int>(std::clamp<long long>(config.integer("FpgaResetReadings", 2), 0, 1 << 20));
    doneStuckHigh_ = config.integer("FpgaDoneStuckHigh", 0) != 0;
    noReset_ = config.integer("FpgaNoReset", 0) != 0;
    noDone_ = config.integer("FpgaNoDone", 0) != 0;
}

void FpgaConfigPort::reset() {
    clear();
    progHeld_ = false;
    configMode_ = false;
    initHigh_ = true;  // power-on: ready for an image
    configurations_ = 0;
}

void FpgaConfigPort::clear() {
    done_ = false;
    image_ = {};
    initHigh_ = false;
    clearingReadings_ = -1;
    headerBytes_ = 0;
    incoming_ = {};
    payloadBytes_ = 0;
    payloadCrc_ = 0;
    complete_ = false;
    broken_ = false;
    bytesReceived_ = 0;
    for (auto& listener : listeners_)
        listener();
}

std::uint32_t FpgaConfigPort::read(std::uint32_t /*FPGA_STAT*/) {
    // After PROG is released the FPGA clears its memory for a few readings, then raises RESET.
    if (clearingReadings_ >= 0 && !noReset_) {
        if (clearingReadings_ == 0) {
            initHigh_ = true;
            clearingReadings_ = -1;
        } else {
            --clearingReadings_;
        }
    }
    return status();
}

std::uint32_t FpgaConfigPort::status() const {
    std::uint32_t status = 0;
    if (done_ || doneStuckHigh_) status |= fpga::kStatusDone;
    if (initHigh_) status |= fpga::kStatusReset;
    return status;
}

void FpgaConfigPort::write(std::uint32_t index, std::uint32_t value) {
    if (index == DATA_PORT.index) {
        if (configMode_) take(static_cast<std::uint8_t>(value));
        return;
    }
    // FPGA_CTL
    const bool prog = !(value & fpga::kControlProgReleased);
    if (prog) {
        progHeld_ = true;
        clear();
    } else if (progHeld_) {
        progHeld_ = false;
        clearingReadings_ = resetReadings_;
    }
    configMode_ = !prog && (value & fpga::kControlConfigure) != 0;
}

void FpgaConfigPort::fail() {
    broken_ = true;
    initHigh_ = false;  // a CRC error pulls RESET (INIT) low
}

void FpgaConfigPort::take(std::uint8_t byte) {
    // Only an FPGA that has cleared its memory and waits for an image takes bytes.
    if (progHeld_ || !initHigh_ || done_ || broken_ || complete_) return;
    ++bytesReceived_;
    if (headerBytes_ < header_.size()) {
        header_[headerBytes_++] = byte;
        if (headerBytes_ < header_.size()) return;
        const auto header = fpga_image::decodeHeader(header_.data());
        if (!header) return fail();
        incoming_ = *header;
    } else {
        payloadCrc_ = fpga_image::crc32(&byte, 1, payloadCrc_);
        ++payloadBytes_;
    }
    if (payloadBytes_ < incoming_.payloadLength) return;
    if (payloadCrc_ != incoming_.payloadCrc) return fail();
    complete_ = true;
    if (noDone_) return;
    done_ = true;
    image_ = incoming_;
    ++configurations_;
}

}  // namespace qmio

namespace qmio {

void FpgaConfigPort::describe(std::string& out) {
    static constexpr const char* kRates[] = {"standard",  "high rate", "highest rate",
                                             "L-band NF", "L-band UF", "RAM load"};
    char line[256];
    if (configMode_) {
        std::snprintf(line, sizeof line, "  FPGA: configuring, %u bytes received\n", bytesReceived_);
    } else if (!done_) {
        std::snprintf(line, sizeof line, "  FPGA: not configured%s\n",
                      broken_ ? " (the last image was not intact)" : "");
    } else {
        const auto rate = static_cast<unsigned>(image_.rate);
        std::snprintf(line, sizeof line, "  FPGA: %s, %s image, %u configurations since power-on\n",
                      image_.name.c_str(), rate < std::size(kRates) ? kRates[rate] : "unknown",
                      configurations_);
    }
    out += line;
    if (!modulatorPresent()) return;
    const ModulatorTiming timing = modulatorTiming(board_);
    std::snprintf(line, sizeof line,
                  "  modulator: sample clock %.3f kHz, symbol clock %.3f kHz, %.3g source bits per symbol "
                  "(%.0f bytes/s)\n",
                  timing.sampleClockKHz, timing.symbolClockKHz, timing.sourceBitsPerSymbol,
                  timing.symbolClockKHz * 1000.0 * timing.sourceBitsPerSymbol / 8.0);
    out += line;
}

}  // namespace qmio
