// A device of the emulated board, reached through the board's register dispatch.
#pragma once

#include <cstdint>
#include <string>

namespace qmio {

class BoardDevice {
 public:
    virtual ~BoardDevice() = default;
    // Contribution to a read of register `index` (the board ORs the contributions of all readers).
    virtual std::uint32_t read(std::uint32_t /*index*/) { return 0; }
    virtual void write(std::uint32_t /*index*/, std::uint32_t /*value*/) {}
    // Power-on state.
    virtual void reset() = 0;
    // The host's memory (DMA buffers, interrupt block) or the driver's handle is about to go away: a
    // device that works on it by itself stops doing so before this returns. Called with the board's lock.
    virtual void releaseHost() {}
    // Appends the device's lines to the board's human-readable status (each line ends with '\n').
    // Called with the board's lock.
    virtual void describe(std::string& /*out*/) {}
};

}  // namespace qmio
