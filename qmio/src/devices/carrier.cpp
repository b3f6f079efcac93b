#include "carrier.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "../modulator_timing.h"
#include "converter.h"
#include "local_oscillator.h"

namespace qmio {

using namespace zorvan::reg;

CarrierNco::CarrierNco(Board& board) : board_(board) {
    board.mapWrite(CARRIER_NCO, this);
    board.mapWrite(SWEEP_CTL, this);
    board.mapWrite(SWEEP_STEP, this);
    board.mapRead(DATA_PORT, this);
}

void CarrierNco::reset() {
    word_ = 0;
    step_ = 0;
    enabled_ = false;
    baseOffset_ = 0;
}

std::uint32_t CarrierNco::read(std::uint32_t /*DATA_PORT*/) {
    return passEnded() ? data_port::kSweepPassEnded : 0;
}

void CarrierNco::write(std::uint32_t index, std::uint32_t value) {
    if (index == CARRIER_NCO.index) {
        word_ = value;
    } else if (index == SWEEP_STEP.index) {
        step_ = value;
    } else if (value & sweep::kEnable) {
        baseOffset_ = sweepOffset();  // 0 when the sweep was off
        enabled_ = true;
        increment_ = static_cast<std::int16_t>(sweep::kIncrement.get(step_));
        const std::uint32_t negatedDwell = sweep::kNegatedDwell.get(step_);
        dwell_ = negatedDwell == 0 ? 0x10000 : 0x10000 - negatedDwell;
        tickHz_ = modulatorTiming(board_).sampleClockKHz * 1000.0 / sweep::kClockDivider;
        passStart_ = Clock::now();
        ++passes_;
    } else {
        enabled_ = false;
        baseOffset_ = 0;
    }
}

std::uint32_t CarrierNco::stepsDone() const {
    if (!enabled_) return 0;
    const double seconds = std::chrono::duration<double>(Clock::now() - passStart_).count();
    const double steps = seconds * tickHz_ / dwell_;
    return steps >= sweep::kStepsPerPass ? sweep::kStepsPerPass
                                         : static_cast<std::uint32_t>(std::max(0.0, steps));
}

std::uint32_t CarrierNco::sweepOffset() const {
    if (!enabled_) return 0;
    return baseOffset_ + stepsDone() * static_cast<std::uint32_t>(increment_);
}

double CarrierNco::ncoKHz() const {
    return static_cast<std::int32_t>(effectiveWord()) * modulatorTiming(board_).sampleClockKHz / 4294967296.0;
}

double CarrierNco::ifOutputMHz() const {
    const double fs = modulatorTiming(board_).sampleClockKHz;
    const double nco = ncoKHz();
    switch (board_.device<Converter>().mode()) {
        case dac::kModeDirect:
            return nco / 1000.0;
        case dac::kModeHalfImage:
            return (fs / 2 - nco) / 1000.0;
        case dac::kModeFullImage:
            return (fs - nco) / 1000.0;
        default:
            return std::nan("");
    }
}

double CarrierNco::lBandOutputMHz() const {
    const auto& lo = board_.device<LocalOscillator>();
    return lo.locked() ? lo.frequencyMHz() - ncoKHz() / 1000.0 : std::nan("");
}

void CarrierNco::describe(std::string& out) {
    char line[192];
    std::snprintf(line, sizeof line,
                  "  carrier: NCO word 0x%08X (%.3f kHz at fs %.3f kHz), converter mode %u", effectiveWord(),
                  ncoKHz(), modulatorTiming(board_).sampleClockKHz, board_.device<Converter>().mode());
    out += line;
    if (const double mhz = ifOutputMHz(); !std::isnan(mhz)) {
        std::snprintf(line, sizeof line, ", IF output %.6f MHz", mhz);
        out += line;
    }
    if (const double mhz = lBandOutputMHz(); !std::isnan(mhz)) {
        std::snprintf(line, sizeof line, ", L-band output %.6f MHz", mhz);
        out += line;
    }
    out += "\n";
    if (!enabled_) {
        out += "  sweep: off\n";
        return;
    }
    std::snprintf(line, sizeof line, "  sweep: pass %u %s, step %u of 65536, increment %d, dwell %u ticks\n",
                  passes_, passEnded() ? "ended" : "running", stepsDone(), increment_, dwell_);
    out += line;
}

}  // namespace qmio
