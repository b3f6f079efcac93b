#include "rf_correction.h"

#include <cstdio>

namespace qmio {

using namespace zorvan::reg;

RfCorrection::RfCorrection(Board& board) {
    board.mapWrite(RF_CORR, this);
}

void RfCorrection::reset() {
    word_ = 0;
}

void RfCorrection::write(std::uint32_t /*RF_CORR*/, std::uint32_t value) {
    word_ = value;
    ++writes_;
}

std::array<int, 4> RfCorrection::bytes() const {
    std::array<int, 4> c{};
    for (unsigned k = 0; k < c.size(); ++k)
        c[k] = static_cast<std::int8_t>(rf_corr::kByte[k].get(word_));
    return c;
}

void RfCorrection::describe(std::string& out) {
    const auto c = bytes();
    char line[96];
    std::snprintf(line, sizeof line, "  L-band correction: %d %d %d %d (0x%08X)\n", c[0], c[1], c[2], c[3],
                  word_);
    out += line;
}

}  // namespace qmio
