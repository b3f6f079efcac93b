#include "sample_clock_synth.h"

#include <cstdio>

#include <cmath>

namespace qmio {

using namespace zorvan::reg;

namespace {

constexpr std::uint64_t kTuningMask = (std::uint64_t{1} << 48) - 1;
constexpr std::uint32_t kDacClockRegister = 0x01;
constexpr std::uint32_t kDacDivideBy4 = 0x80;
constexpr std::uint32_t kDacDivideBy2 = 0x40;
// The tuning word is truncated: the synthesizer's clock for the base sample clock comes out a few
// parts in 10^13 above 4 x 122000 kHz.
constexpr double kBaseOutputKHz = synth::kMultiplierBase * synth::kBaseSampleKHz * (1.0 + 1e-9);

}  // namespace

SampleClockSynth::SampleClockSynth(Board& board) {
    board.mapWrite(SER_CTL, this);
    board.mapWrite(SYNTH_DATA, this);
    board.mapRead(FPGA_CTL, this);
    corruptions_ = static_cast<int>(board.config().integer("SynthCorruptReadBacks", 0));
}

void SampleClockSynth::reset() {
    registers_ = {};
    registers_[synth::kControl0].bits = synth::kControl0Bits;
    registers_[synth::kControl1].bits = synth::kControl1Bits;
    registers_[synth::kTuning].bits = synth::kTuningBits;
    selected_ = false;
    reading_ = false;
    output_ = false;
    updates_ = 0;
    readBacks_ = 0;
}

std::uint32_t SampleClockSynth::read(std::uint32_t /*FPGA_CTL*/) {
    return (selected_ && reading_ && output_) ? fpga::kSynthReadBack : 0;
}

void SampleClockSynth::endTransfer() {
    if (selected_ && !reading_ && instructionBits_ == 8 && instruction_ < kRegisters) {
        Register& r = registers_[instruction_];
        if (r.bits != 0 && dataBits_ == r.bits) {
            r.shadow = data_;
            r.pending = true;
        }
    }
    selected_ = false;
    reading_ = false;
    output_ = false;
}

void SampleClockSynth::write(std::uint32_t index, std::uint32_t value) {
    if (index == SER_CTL.index) {
        if (value & ser_ctl::kResetSerial) {
            selected_ = false;
            reading_ = false;
            output_ = false;
        }
        if (value & ser_ctl::kSynthUpdate) {
            bool any = false;
            for (Register& r : registers_) {
                if (!r.pending) continue;
                r.latched = r.shadow;
                r.latchedValid = true;
                r.pending = false;
                any = true;
            }
            if (any) ++updates_;
        }
        const bool select = (value & ser_ctl::kSynthSelect) != 0;
        if (selected_ && !select) endTransfer();
        if (!selected_ && select) {
            selected_ = true;
            instructionBits_ = 0;
            instruction_ = 0;
            dataBits_ = 0;
            data_ = 0;
            reading_ = false;
            output_ = false;
        }
        return;
    }
    // SYNTH_DATA
    if (!selected_) return;
    const unsigned bit = value & 1u;
    if (instructionBits_ < 8) {
        instruction_ = static_cast<std::uint8_t>(instruction_ << 1 | bit);
        if (++instructionBits_ == 8 && (instruction_ & synth::kReadFlag)) {
            instruction_ &= static_cast<std::uint8_t>(~synth::kReadFlag);
            reading_ = true;
            readPosition_ = 0;
            ++readBacks_;
            corrupted_ = corruptions_ != 0;
            if (corruptions_ > 0) --corruptions_;
        }
        return;
    }
    if (reading_) {
        // Each clock presents the next bit of the latched register, most significant first.
        const Register* r = instruction_ < kRegisters ? &registers_[instruction_] : nullptr;
        bool out = false;
        if (r && readPosition_ < r->bits) out = (r->latched >> (r->bits - 1 - readPosition_)) & 1u;
        if (corrupted_ && readPosition_ == 0) out = !out;
        output_ = out;
        ++readPosition_;
        return;
    }
    data_ = data_ << 1 | bit;
    ++dataBits_;
}

double SampleClockSynth::outputKHz() const {
    if (!isLatched(synth::kTuning)) return 0.0;
    const std::uint64_t word = latched(synth::kTuning) & kTuningMask;
    if (word == 0) return 0.0;
    return std::ldexp(synth::kReferenceKHz, 48) / static_cast<double>(word);
}

unsigned converterClockDivider(const Converter& converter, double outputKHz) {
    const std::uint8_t clock = converter.registerValue(kDacClockRegister);
    if (clock & kDacDivideBy4) return synth::kMultiplierBase;
    if (clock & kDacDivideBy2) return synth::kMultiplierHigh;
    return outputKHz <= kBaseOutputKHz ? synth::kMultiplierBase : synth::kMultiplierHigh;
}

void SampleClockSynth::describe(std::string& out) {
    char line[160];
    if (outputKHz() > 0.0)
        std::snprintf(
            line, sizeof line, "  sample-clock synthesizer: %.3f kHz, tuning word 0x%012llX, %u updates\n",
            outputKHz(), static_cast<unsigned long long>(latched(synth::kTuning) & kTuningMask), updates_);
    else
        std::snprintf(line, sizeof line, "  sample-clock synthesizer: no tuning word (base sample clock)\n");
    out += line;
}

double sampleClockKHz(Board& board) {
    const double output = board.device<SampleClockSynth>().outputKHz();
    return output > 0.0 ? output / converterClockDivider(board.device<Converter>(), output)
                        : synth::kBaseSampleKHz;
}

}  // namespace qmio
