// The board's I2C bus: bus mechanics apart from the devices on it. A device implements only the
// four events a target sees: a START with its address (read or write), a byte sent to it, a byte
// read from it, and STOP.
#pragma once

#include <cstdint>
#include <map>

namespace qmio {

class I2cTarget {
 public:
    virtual ~I2cTarget() = default;
    virtual bool start(bool read) = 0;           // true: address acknowledged
    virtual bool send(std::uint8_t byte) = 0;    // true: byte acknowledged
    virtual std::uint8_t receive(bool ack) = 0;  // ack false: the controller's last byte
    virtual void stop() {}
};

class I2cBus {
 public:
    void attach(std::uint8_t address7, I2cTarget* target) { targets_[address7] = target; }

    // START (or repeated START) with an address byte: 7-bit address and R/W bit.
    bool start(std::uint8_t addressByte);
    bool send(std::uint8_t byte);
    std::uint8_t receive(bool ack);
    void stop();

    // The target at `address7` leaves its next `times` address bytes unacknowledged.
    void refuse(std::uint8_t address7, int times) { refusals_[address7] = times; }
    void reset();

 private:
    std::map<std::uint8_t, I2cTarget*> targets_;
    std::map<std::uint8_t, int> refusals_;
    I2cTarget* active_ = nullptr;
};

}  // namespace qmio
