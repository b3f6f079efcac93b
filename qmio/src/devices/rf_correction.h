// The L-band correction of the output: four signed bytes c0-c3 written as one RF_CORR word. (The same
// register's bit 3 also switches the modulator's post filter; that device maps RF_CORR as well.)
#pragma once

#include <array>

#include "../board.h"

namespace qmio {

class RfCorrection : public BoardDevice {
 public:
    explicit RfCorrection(Board& board);
    void write(std::uint32_t index, std::uint32_t value) override;
    void reset() override;
    void describe(std::string& out) override;

    std::uint32_t word() const { return word_; }
    std::array<int, 4> bytes() const;
    unsigned writes() const { return writes_; }

 private:
    std::uint32_t word_ = 0;
    unsigned writes_ = 0;
};

}  // namespace qmio
