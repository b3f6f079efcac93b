#include "management_bus.h"

#include <array>
#include <chrono>

#include "ZorvanL.h"
#include "pause.h"

namespace zorvan::bus {
namespace {

using namespace reg;
using std::chrono::milliseconds;

constexpr int kReadyReadings = 100;     // status readings before -17 (about one second)
constexpr milliseconds kBusyPause{10};  // after each busy reading
constexpr int kAddressAttempts = 250;   // unacknowledged address bytes before -18
constexpr milliseconds kAddressRetryPause{1};
constexpr milliseconds kCorrectionRecordPause{10};

// Waits until the engine is idle; yields whether the last byte went unacknowledged.
bool waitReady(ZorvanDevice& device) {
    for (int reading = 0; reading < kReadyReadings; ++reading) {
        const std::uint32_t status = device.read(I2C_STAT);
        if (!(status & i2c::kStatusBusy)) return (status & i2c::kStatusNack) != 0;
        pause(kBusyPause);
    }
    raise(Error::I2cNotReady);
}

// One byte from a device whose read form is addressByte + 1, after pointing it at `pointer`.
std::uint8_t readSensorRegister(ZorvanDevice& device, std::uint8_t pointer) {
    start(device, i2c::kSensorWrite);
    sendByte(device, pointer);
    stop(device);
    start(device, i2c::kSensorRead);
    const std::uint8_t value = readByte(device, true);
    stop(device);
    return value;
}

}  // namespace

void start(ZorvanDevice& device, std::uint8_t addressByte) {
    waitReady(device);  // a stale not-acknowledged bit from an earlier transfer does not matter here
    for (int attempt = 0; attempt < kAddressAttempts; ++attempt) {
        device.write(I2C_CMD, addressByte);
        if (!waitReady(device)) return;
        pause(kAddressRetryPause);
    }
    device.write(I2C_CMD, i2c::kStop);
    raise(Error::I2cNoAnswer);
}

void sendByte(ZorvanDevice& device, std::uint8_t byte) {
    device.write(I2C_CMD, i2c::kSendByte + byte);
    if (waitReady(device)) raise(Error::I2cNoAnswer);
}

std::uint8_t readByte(ZorvanDevice& device, bool last) {
    device.write(I2C_CMD, last ? i2c::kReadLast : i2c::kReadAck);
    waitReady(device);
    return static_cast<std::uint8_t>(ser_ctl::kReceivedByte.get(device.read(SER_CTL)));
}

void stop(ZorvanDevice& device) {
    device.write(I2C_CMD, i2c::kStop);
}

void eepromRead(ZorvanDevice& device, std::uint16_t address, std::span<std::uint8_t> out) {
    start(device, i2c::kEepromWrite);
    sendByte(device, static_cast<std::uint8_t>(address >> 8));
    sendByte(device, static_cast<std::uint8_t>(address & 0xFF));
    stop(device);
    start(device, i2c::kEepromRead);
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = readByte(device, i + 1 == out.size());
    stop(device);
}

std::uint8_t readHardwareVersion(ZorvanDevice& device) {
    std::uint8_t version = 0;
    eepromRead(device, eeprom::kHardwareVersion, {&version, 1});
    return version;
}

void readCorrectionTable(ZorvanDevice& device) {
    for (unsigned record = 0; record < eeprom::kCorrectionRecords; ++record) {
        std::array<std::uint8_t, eeprom::kCorrectionBytes> bytes{};
        eepromRead(device,
                   static_cast<std::uint16_t>(eeprom::kCorrectionTable + eeprom::kCorrectionStride * record),
                   bytes);
        for (unsigned k = 0; k < eeprom::kCorrectionBytes; ++k)
            device.calTable[k][record] = static_cast<std::int8_t>(bytes[k]);
        pause(kCorrectionRecordPause);
    }
}

}  // namespace zorvan::bus

using namespace zorvan;

extern "C" {

ZORVANL_API int32_t GetHWVer(uint8_t dev, uint8_t* version) {
    return deviceScope(dev, [&](ZorvanDevice& device) {
        if (!version) raise(Error::BadParameters);
        *version = bus::readHardwareVersion(device);
    });
}

ZORVANL_API int32_t GetSN(uint8_t dev, uint32_t* serial) {
    return deviceScope(dev, [&](ZorvanDevice& device) {
        if (!serial) raise(Error::BadParameters);
        std::array<std::uint8_t, 4> b{};
        bus::eepromRead(device, reg::eeprom::kSerialNumber, b);
        *serial =
            (std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) | (std::uint32_t{b[2]} << 8) | b[3];
    });
}

ZORVANL_API int32_t MakeDACTune(uint8_t dev) {
    return deviceScope(dev, [&](ZorvanDevice& device) {
        if (device.hwVersion != 2) return;  // only version 2 boards carry the tuning DAC
        std::array<std::uint8_t, 2> b{};
        bus::eepromRead(device, reg::eeprom::kTuneValue, b);
        device.dacTune = static_cast<std::uint16_t>(b[0] << 8 | b[1]);
        bus::start(device, reg::i2c::kTuningDacWrite);
        bus::sendByte(device, b[0]);
        bus::sendByte(device, b[1]);
        bus::stop(device);
    });
}

ZORVANL_API uint16_t _GetDACTuneValue(uint8_t dev) {
    const ZorvanDevice* device = findDevice(dev);
    return device ? device->dacTune : 0;
}

ZORVANL_API int32_t ReadTemperature(uint8_t dev, int32_t* pcb, int32_t* fpga) {
    return deviceScope(dev, [&](ZorvanDevice& device) {
        if (!pcb || !fpga) raise(Error::BadParameters);
        *pcb = bus::readSensorRegister(device, reg::sensor::kLocal);
        const unsigned high = bus::readSensorRegister(device, reg::sensor::kRemoteHigh);
        const unsigned low = bus::readSensorRegister(device, reg::sensor::kRemoteLow);
        const unsigned quarters = (high * 256 + (low & 0xC0)) >> 6;
        *fpga = static_cast<int32_t>((quarters + 2) / 4);  // nearest whole degree, halves up
    });
}

}  // extern "C"
