// The L-band local-oscillator PLL: a 24-bit shift register fed one bit per PLL_DATA write (bit 0, most
// significant first), copied into the latch that its bits 1-0 select by a write to PLL_LOAD. The
// oscillator runs once the reference, function, initialisation and counter latches have all been
// loaded; it then sits at 2 MHz x (10 B + A) with B and A from the counter latch.
#pragma once

#include <array>

#include "../board.h"

namespace qmio {

class LocalOscillator : public BoardDevice {
 public:
    explicit LocalOscillator(Board& board);
    void write(std::uint32_t index, std::uint32_t value) override;
    void reset() override;
    void describe(std::string& out) override;

    // Latches by their select bits: 0 counter, 1 reference, 2 function, 3 initialisation.
    std::uint32_t latch(unsigned select) const { return latches_.at(select); }
    bool locked() const { return loaded_ == 0xF; }
    unsigned b() const;
    unsigned a() const;
    double frequencyMHz() const;  // 0 while not locked
    unsigned loads() const { return loads_; }

 private:
    std::uint32_t shift_ = 0;
    std::array<std::uint32_t, 4> latches_{};
    unsigned loaded_ = 0;  // bit per latch loaded since power-on
    unsigned loads_ = 0;
};

}  // namespace qmio
