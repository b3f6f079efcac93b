#include "i2c_bus.h"

namespace qmio {

bool I2cBus::start(std::uint8_t addressByte) {
    if (active_) active_->stop();  // a repeated START ends the target's current transfer
    active_ = nullptr;
    const std::uint8_t address7 = addressByte >> 1;
    auto it = targets_.find(address7);
    if (it == targets_.end()) return false;
    if (auto refusal = refusals_.find(address7); refusal != refusals_.end() && refusal->second > 0) {
        --refusal->second;
        return false;
    }
    if (!it->second->start(addressByte & 1)) return false;
    active_ = it->second;
    return true;
}

bool I2cBus::send(std::uint8_t byte) {
    return active_ ? active_->send(byte) : false;
}

// With nobody driving SDA the line stays high: an absent target reads as 0xFF.
std::uint8_t I2cBus::receive(bool ack) {
    return active_ ? active_->receive(ack) : 0xFF;
}

void I2cBus::stop() {
    if (active_) active_->stop();
    active_ = nullptr;
}

void I2cBus::reset() {
    active_ = nullptr;
    refusals_.clear();
}

}  // namespace qmio
