#include "i2c_engine.h"

namespace qmio {

using namespace zorvan::reg;

I2cEngine::I2cEngine(Board& board, I2cBus& bus) : bus_(bus) {
    board.mapWrite(I2C_CMD, this);
    board.mapWrite(I2C_CFG_LO, this);
    board.mapWrite(I2C_CFG_HI, this);
    board.mapRead(I2C_STAT, this);
    board.mapRead(SER_CTL, this);
    stuckBusy_ = board.config().i2cStuckBusy;
    busyReadings_ = board.config().i2cBusyReadings;
}

void I2cEngine::reset() {
    prescaler_ = 0;
    control_ = 0;
    nack_ = false;
    received_ = 0;
    busyLeft_ = 0;
}

std::uint32_t I2cEngine::read(std::uint32_t index) {
    if (index == SER_CTL.index) return received_;
    // I2C_STAT
    std::uint32_t status = nack_ ? i2c::kStatusNack : 0;
    if (stuckBusy_) {
        status |= i2c::kStatusBusy;
    } else if (busyLeft_ > 0) {
        --busyLeft_;
        status |= i2c::kStatusBusy;
    }
    return status;
}

void I2cEngine::write(std::uint32_t index, std::uint32_t value) {
    if (index == I2C_CFG_LO.index) {
        prescaler_ = static_cast<std::uint8_t>(value);
        return;
    }
    if (index == I2C_CFG_HI.index) {
        control_ = static_cast<std::uint8_t>(value);
        if (!(control_ & i2c::kEnable)) bus_.stop();
        return;
    }
    // I2C_CMD
    if (!(control_ & i2c::kEnable)) {
        nack_ = true;
        return;
    }
    busyLeft_ = busyReadings_;
    if (value < i2c::kSendByte) {
        nack_ = !bus_.start(static_cast<std::uint8_t>(value));
    } else if (value < i2c::kReadAck) {
        nack_ = !bus_.send(static_cast<std::uint8_t>(value - i2c::kSendByte));
    } else if (value == i2c::kReadAck || value == i2c::kReadLast) {
        received_ = bus_.receive(value == i2c::kReadAck);
    } else if (value == i2c::kStop) {
        bus_.stop();
    }
}

}  // namespace qmio
