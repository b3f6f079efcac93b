// The board's I2C EEPROM (8 KiB, 16-bit memory address sent high byte first): a write transfer sets the
// address pointer and writes any further bytes, a read transfer reads on from the pointer. The address
// wraps at the end of the memory.
#pragma once

#include <vector>

#include "i2c_bus.h"

namespace qmio {

class Eeprom : public I2cTarget {
 public:
    explicit Eeprom(std::vector<std::uint8_t> contents) : memory_(std::move(contents)) {}
    bool start(bool read) override;
    bool send(std::uint8_t byte) override;
    std::uint8_t receive(bool ack) override;
    void reset() { addressBytes_ = 0; }

    std::vector<std::uint8_t>& memory() { return memory_; }

 private:
    std::vector<std::uint8_t> memory_;
    std::size_t pointer_ = 0;
    int addressBytes_ = 0;  // address bytes received in the current write transfer
};

}  // namespace qmio
