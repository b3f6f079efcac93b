// Library frame: connecting and disconnecting a board, raw register access, error texts.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "ZorvanL.h"
#include "device.h"
#include "error_texts.h"
#include "io_layer.h"
#include "management_bus.h"

namespace zorvan {
namespace {

using namespace reg;

constexpr unsigned kDriverSlots = 64;
constexpr auto kBusyMutexWait = std::chrono::milliseconds(50);
constexpr const char* kBusyMutexPrefix = "ZorvanLDeviceIsBisyMutexDev";

bool isZorvanBoard(const char* name) {
    return name && std::strstr(name, "bbbb") != nullptr && std::strstr(name, "0010") != nullptr;
}

// Releases what the device's flags say it holds. The handle is reset afterwards, so that a second
// disconnect does not close it again.
void release(ZorvanDevice& device) {
    const IoLayer& io = ioLayer();
    if (device.barMapped && device.handle != -1 && io.BARUnmap) io.BARUnmap(device.handle, &device.barBuffer);
    device.barMapped = false;
    device.trapped = false;
    if (device.memMapped && device.handle != -1 && io.MemoryUnmap)
        io.MemoryUnmap(device.handle, &device.memoryData);
    device.memMapped = false;
    if (device.handle != -1 && io.Close) io.Close(device.handle);
    device.handle = -1;
    device.busyMutex.reset();
}

void connect(std::uint8_t dev, const char* firmwareDir) {
    if (dev >= kDeviceTableSize || firmwareDir == nullptr) raise(Error::BadParameters);
    const std::size_t dirLength = std::strlen(firmwareDir);
    if (dirLength >= kFirmwareDirCapacity) raise(Error::BadParameters);

    // A number that is still connected is released first, so that its handle, mappings and busy
    // mutex are not left held by an object nobody can reach any more.
    if (ZorvanDevice* old = findDevice(dev)) release(*old);
    ZorvanDevice& device = replaceDevice(dev);
    device.firmwareDir.assign(firmwareDir, dirLength);

    const IoLayer& io = ioLayer();
    if (!io.complete() || io.DeviceSupportedCount() == 0) raise(Error::QmbusNotFound);

    unsigned matching = 0;
    unsigned slot = 0;
    for (; slot < kDriverSlots; ++slot) {
        const std::uint8_t slotIndex = static_cast<std::uint8_t>(slot);
        if (!isZorvanBoard(io.GetFullDeviceName(&slotIndex))) continue;
        if (matching++ == dev) break;
    }
    if (slot == kDriverSlots) raise(Error::DeviceNotFound);

    device.busyMutex =
        zplatform::NamedMutex::acquire(kBusyMutexPrefix + std::to_string(slot), kBusyMutexWait);
    if (!device.busyMutex) raise(Error::DeviceBusy);

    device.handle = io.Open(static_cast<std::uint8_t>(slot));
    if (device.handle == -1) raise(Error::Connection);
    device.driverSlot = static_cast<std::uint8_t>(slot);
    device.slotNumber = static_cast<std::uint8_t>(io.GetSlotNumber(device.handle) & 0xFF);

    device.barMapped = io.BARMap(device.handle, &device.barBuffer) == 0;
    if (!device.barMapped) raise(Error::BarMapping);
    if (io.GetRegisterTrap && io.GetRegisterTrap(device.handle, &device.trap) == 0)
        device.trapped = device.trap.read != nullptr && device.trap.write != nullptr;

    device.memMapped = io.MemoryMap(device.handle, &device.memoryData) == 0;
    if (!device.memMapped) raise(Error::MemoryMapping);

    device.write(I2C_CFG_HI, 0);
    device.write(I2C_CFG_LO, i2c::kConfigLo);
    device.write(I2C_CFG_HI, i2c::kConfigHi);
    device.write(CTL_0C, 0);
    device.write(SER_CTL, ser_ctl::kResetSerial);
    device.write(SER_CTL, ser_ctl::kReleased);

    device.hwVersion = bus::readHardwareVersion(device);
    if (device.hwVersion == 2) bus::readCorrectionTable(device);
}

}  // namespace
}  // namespace zorvan

using namespace zorvan;

extern "C" {

ZORVANL_API int32_t ConnectDevice(uint8_t dev, const char* firmwareDir) {
    return errorScope([&] { connect(dev, firmwareDir); });
}

ZORVANL_API int32_t DisconnectDevice(uint8_t dev) {
    return deviceScope(dev, [](ZorvanDevice& device) { release(device); });
}

ZORVANL_API int32_t WritePort(uint8_t dev, uint32_t index, uint32_t value) {
    return deviceScope(dev, [&](ZorvanDevice& device) { device.writeIndex(index, value); });
}

ZORVANL_API int32_t ReadPort(uint8_t dev, uint32_t index, uint32_t* value) {
    return deviceScope(dev, [&](ZorvanDevice& device) {
        if (!value) raise(Error::BadParameters);
        *value = device.readIndex(index);
    });
}

ZORVANL_API int32_t GetErrorcodeDescript(int32_t code, int32_t language, char* text) {
    // The sign is ignored; the most negative code has no positive counterpart and is simply unknown.
    const long long magnitude = std::llabs(static_cast<long long>(code));
    if (magnitude >= kErrorTextCount || (language != 0 && language != 1) || text == nullptr) return -1;
    const ErrorText& entry = kErrorTexts[magnitude];
    const char* source = language == 0 ? entry.english : entry.russian;
    std::memcpy(text, source, std::strlen(source) + 1);
    return 0;
}

ZORVANL_API void GetLastErrorInfo(uint8_t dev, char* text) {
    if (text == nullptr) return;
    ZorvanDevice* device = findDevice(dev);
    if (!device) {
        text[0] = '\0';
        return;
    }
    std::memcpy(text, device->lastError.c_str(), device->lastError.size() + 1);
    device->lastError.clear();
}

}  // extern "C"
