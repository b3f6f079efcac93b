// The board's I2C bus with its three devices: EEPROM (address byte 0xA2/0xA3), temperature sensor
// (0x98/0x99) and reference-tuning DAC (0x1E). The FPGA's I2C engine (I2cEngine) drives it.
#pragma once

#include "../board_device.h"
#include "../config.h"
#include "eeprom.h"
#include "i2c_bus.h"
#include "temperature_sensor.h"
#include "tuning_dac.h"

namespace qmio {

class ManagementBus : public BoardDevice {
 public:
    explicit ManagementBus(const BoardConfig& config);
    void reset() override;

    I2cBus& bus() { return bus_; }
    Eeprom& eeprom() { return eeprom_; }
    TemperatureSensor& sensor() { return sensor_; }
    TuningDac& tuningDac() { return dac_; }

 private:
    I2cBus bus_;
    Eeprom eeprom_;
    TemperatureSensor sensor_;
    TuningDac dac_;
    std::map<std::uint8_t, int> initialRefusals_;
};

}  // namespace qmio
