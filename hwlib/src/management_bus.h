// The board's I2C bus, driven byte by byte through the FPGA's I2C engine (I2C_CMD, I2C_STAT, SER_CTL).
#pragma once

#include <cstdint>
#include <span>

#include "device.h"

namespace zorvan::bus {

void start(ZorvanDevice& device, std::uint8_t addressByte);
void sendByte(ZorvanDevice& device, std::uint8_t byte);
std::uint8_t readByte(ZorvanDevice& device, bool last);
void stop(ZorvanDevice& device);

// Reads out.size() bytes of the EEPROM at `address` (16-bit, high byte first on the bus).
void eepromRead(ZorvanDevice& device, std::uint16_t address, std::span<std::uint8_t> out);

std::uint8_t readHardwareVersion(ZorvanDevice& device);
// Fills device.calTable from the 16 EEPROM correction records.
void readCorrectionTable(ZorvanDevice& device);

}  // namespace zorvan::bus
