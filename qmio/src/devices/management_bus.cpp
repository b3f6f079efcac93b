#include "management_bus.h"

#include "ZorvanLRegisters.h"

namespace qmio {

using namespace zorvan::reg;

ManagementBus::ManagementBus(const BoardConfig& config)
    : eeprom_(config.eeprom),
      sensor_(config.pcbTemperature, config.fpgaTemperature),
      initialRefusals_(config.i2cRefusals) {
    bus_.attach(i2c::kEepromWrite >> 1, &eeprom_);
    bus_.attach(i2c::kSensorWrite >> 1, &sensor_);
    bus_.attach(i2c::kTuningDacWrite >> 1, &dac_);
}

void ManagementBus::reset() {
    bus_.reset();
    for (const auto& [address7, times] : initialRefusals_)
        bus_.refuse(address7, times);
    initialRefusals_.clear();  // configured refusals apply once, from power-on
    eeprom_.reset();
    sensor_.reset();
    dac_.reset();
}

}  // namespace qmio
