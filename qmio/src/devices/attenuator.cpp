#include "attenuator.h"

#include <cstdio>

namespace qmio {

using namespace zorvan::reg;

StepAttenuator::StepAttenuator(Board& board, Reg data, Reg load, const char* name)
    : data_(data), name_(name) {
    board.mapWrite(data, this);
    board.mapWrite(load, this);
}

void StepAttenuator::reset() {
    shift_ = 0;
    code_ = attenuator::kMaxCode;  // power-on: full attenuation
}

void StepAttenuator::write(std::uint32_t index, std::uint32_t value) {
    if (index == data_.index) {
        shift_ = ((shift_ << 1) | (value & 1)) & attenuator::kMaxCode;
        return;
    }
    code_ = shift_;
    ++loads_;
}

void StepAttenuator::describe(std::string& out) {
    char line[96];
    std::snprintf(line, sizeof line, "  attenuator %s: %.1f dB (code %u)\n", name_, attenuationDb(), code_);
    out += line;
}

}  // namespace qmio
