#include "eeprom.h"

namespace qmio {

bool Eeprom::start(bool read) {
    if (!read) addressBytes_ = 0;
    return true;
}

bool Eeprom::send(std::uint8_t byte) {
    if (addressBytes_ == 0) {
        pointer_ = static_cast<std::size_t>(byte) << 8;
        ++addressBytes_;
    } else if (addressBytes_ == 1) {
        pointer_ = (pointer_ | byte) % memory_.size();
        ++addressBytes_;
    } else {
        memory_[pointer_] = byte;
        pointer_ = (pointer_ + 1) % memory_.size();
    }
    return true;
}

std::uint8_t Eeprom::receive(bool /*ack*/) {
    const std::uint8_t byte = memory_[pointer_];
    pointer_ = (pointer_ + 1) % memory_.size();
    return byte;
}

}  // namespace qmio
