// The two step attenuators of the output: each a 6-bit shift register fed one bit per DATA write (bit 0,
// most significant first) and latched by a write to its LOAD register; 0.5 dB per step, 0-31.5 dB.
#pragma once

#include "../board.h"

namespace qmio {

class StepAttenuator : public BoardDevice {
 public:
    StepAttenuator(Board& board, zorvan::reg::Reg data, zorvan::reg::Reg load, const char* name);
    void write(std::uint32_t index, std::uint32_t value) override;
    void reset() override;
    void describe(std::string& out) override;

    unsigned code() const { return code_; }
    double attenuationDb() const { return code_ * zorvan::reg::attenuator::kStepDb; }
    unsigned loads() const { return loads_; }

 private:
    zorvan::reg::Reg data_;
    const char* name_;
    unsigned shift_ = 0;
    unsigned code_ = 0;
    unsigned loads_ = 0;
};

// Attenuator H (ATT_H_DATA / ATT_H_LOAD) and attenuator L (ATT_L_DATA / ATT_L_LOAD).
class AttenuatorH : public StepAttenuator {
 public:
    explicit AttenuatorH(Board& board)
        : StepAttenuator(board, zorvan::reg::ATT_H_DATA, zorvan::reg::ATT_H_LOAD, "H") {}
};
class AttenuatorL : public StepAttenuator {
 public:
    explicit AttenuatorL(Board& board)
        : StepAttenuator(board, zorvan::reg::ATT_L_DATA, zorvan::reg::ATT_L_LOAD, "L") {}
};

}  // namespace qmio
