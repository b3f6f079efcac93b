// The reference-tuning DAC: a write-only I2C device that latches a 16-bit value sent high byte first.
#pragma once

#include "i2c_bus.h"

namespace qmio {

class TuningDac : public I2cTarget {
 public:
    bool start(bool read) override {
        received_ = 0;
        return !read;  // write-only: a read address is not acknowledged
    }
    bool send(std::uint8_t byte) override {
        if (received_ == 0) high_ = byte;
        if (received_ == 1) value_ = high_ << 8 | byte;
        ++received_;
        return received_ <= 2;
    }
    std::uint8_t receive(bool) override { return 0xFF; }
    void reset() { received_ = 0; }

    int value() const { return value_; }  // -1 until a value was latched

 private:
    int received_ = 0;
    int high_ = 0;
    int value_ = -1;
};

}  // namespace qmio
