// The FPGA's I2C master engine: I2C_CMD takes one command per write, I2C_STAT shows busy (bit 0) and
// not-acknowledged (bit 7), SER_CTL reads back the received byte. I2C_CFG_LO/HI hold the prescaler and
// the control byte; the engine works only while bit 7 of I2C_CFG_HI (enable) is set, otherwise a command
// is dropped and reads as not acknowledged.
#pragma once

#include "../board.h"
#include "i2c_bus.h"

namespace qmio {

class I2cEngine : public BoardDevice {
 public:
    I2cEngine(Board& board, I2cBus& bus);
    std::uint32_t read(std::uint32_t index) override;
    void write(std::uint32_t index, std::uint32_t value) override;
    void reset() override;

    void setStuckBusy(bool on) { stuckBusy_ = on; }
    void setBusyReadings(int readings) { busyReadings_ = readings; }

 private:
    I2cBus& bus_;
    std::uint8_t prescaler_ = 0;
    std::uint8_t control_ = 0;
    bool nack_ = false;
    std::uint8_t received_ = 0;
    int busyLeft_ = 0;      // status readings the current command still shows busy
    int busyReadings_ = 0;  // per command
    bool stuckBusy_ = false;
};

}  // namespace qmio
