#include "local_oscillator.h"

#include <bit>
#include <cstdio>

namespace qmio {

using namespace zorvan::reg;

LocalOscillator::LocalOscillator(Board& board) {
    board.mapWrite(PLL_DATA, this);
    board.mapWrite(PLL_LOAD, this);
}

void LocalOscillator::reset() {
    shift_ = 0;
    latches_.fill(0);
    loaded_ = 0;
}

void LocalOscillator::write(std::uint32_t index, std::uint32_t value) {
    if (index == PLL_DATA.index) {
        shift_ = ((shift_ << 1) | (value & 1)) & 0xFFFFFF;
        return;
    }
    const unsigned select = pll::kLatch.get(shift_);
    latches_[select] = shift_;
    loaded_ |= 1u << select;
    ++loads_;
}

unsigned LocalOscillator::b() const {
    return pll::kB.get(latches_[pll::kLatchCounter]);
}

unsigned LocalOscillator::a() const {
    return pll::kA.get(latches_[pll::kLatchCounter]);
}

double LocalOscillator::frequencyMHz() const {
    if (!locked()) return 0.0;
    return pll::kCountMHz * (10.0 * b() + a());
}

void LocalOscillator::describe(std::string& out) {
    char line[160];
    if (locked())
        std::snprintf(line, sizeof line, "  local oscillator: %.0f MHz (B %u, A %u), function latch 0x%06X\n",
                      frequencyMHz(), b(), a(), latches_[pll::kLatchFunction]);
    else
        std::snprintf(line, sizeof line, "  local oscillator: not locked (%d of 4 latches loaded)\n",
                      std::popcount(loaded_));
    out += line;
}

}  // namespace qmio
