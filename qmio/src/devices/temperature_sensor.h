// The board's temperature sensor: a local (board) and a remote (FPGA) channel behind an 8-bit register
// pointer. Register 0x00 is the board temperature in whole degrees, 0x01 the FPGA temperature in whole
// degrees, 0x10 its fraction in eighths of a degree (bits 7-5). The modelled temperatures drift slowly
// around their configured values (a few tenths of a degree over minutes), as a board in a rack does.
#pragma once

#include <array>
#include <chrono>

#include "i2c_bus.h"

namespace qmio {

class TemperatureSensor : public I2cTarget {
 public:
    TemperatureSensor(double pcbCelsius, double fpgaCelsius);
    bool start(bool read) override;
    bool send(std::uint8_t byte) override;
    std::uint8_t receive(bool ack) override;

    // Pins a register to a raw value; a negative value releases it.
    void pin(std::uint8_t reg, int value);
    void reset();

    double pcbCelsius() const;
    double fpgaCelsius() const;

 private:
    std::uint8_t registerValue(std::uint8_t reg) const;
    double seconds() const;

    double pcbBase_, fpgaBase_;
    std::chrono::steady_clock::time_point epoch_ = std::chrono::steady_clock::now();
    std::uint8_t pointer_ = 0;
    bool pointerNext_ = false;
    std::array<int, 256> pinned_{};
};

}  // namespace qmio
