// A device of the emulated board, reached through the board's register dispatch.
#pragma once

#include <cstdint>

namespace qmio {

class BoardDevice {
 public:
    virtual ~BoardDevice() = default;
    // Contribution to a read of register `index` (the board ORs the contributions of all readers).
    virtual std::uint32_t read(std::uint32_t /*index*/) { return 0; }
    virtual void write(std::uint32_t /*index*/, std::uint32_t /*value*/) {}
    // Power-on state.
    virtual void reset() = 0;
};

}  // namespace qmio
