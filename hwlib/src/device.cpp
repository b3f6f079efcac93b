#include "device.h"

#include <atomic>
#include <cmath>
#include <mutex>
#include <vector>

#include "zplatform/paths.h"

namespace zorvan {
namespace {

// Entries are published atomically: a streaming thread asking for interrupt information never sees a
// half-written entry. Objects are never freed while the process runs, so a pointer once read stays
// valid even when a later ConnectDevice replaces the entry.
std::array<std::atomic<ZorvanDevice*>, kDeviceTableSize> deviceTable{};

// Objects replaced by a later ConnectDevice stay here, alive and reachable, to the end of the process.
std::mutex retiredMutex;
std::vector<ZorvanDevice*>& retiredDevices() {
    static auto* retired = new std::vector<ZorvanDevice*>;
    return *retired;
}

}  // namespace

std::string ZorvanDevice::firmwarePath(const std::string& relative) const {
    return zplatform::nativePath(firmwareDir + zplatform::kPathSeparator, relative);
}

ZorvanDevice* findDevice(std::uint8_t dev) noexcept {
    return dev < kDeviceTableSize ? deviceTable[dev].load(std::memory_order_acquire) : nullptr;
}

ZorvanDevice& deviceFor(std::uint8_t dev) {
    if (dev >= kDeviceTableSize) raise(Error::BadParameters);
    ZorvanDevice* device = findDevice(dev);
    if (!device) raise(Error::Io);
    return *device;
}

ZorvanDevice& replaceDevice(std::uint8_t dev) {
    auto* device = new ZorvanDevice;  // owned by the table for the life of the process
    if (ZorvanDevice* old = deviceTable[dev].exchange(device, std::memory_order_acq_rel)) {
        std::lock_guard lock(retiredMutex);
        retiredDevices().push_back(old);
    }
    return *device;
}

std::int64_t roundHalfAway(double value) {
    return static_cast<std::int64_t>(std::round(value));
}

std::int64_t roundHalfUp(double value) {
    return static_cast<std::int64_t>(std::floor(value + 0.5));
}

}  // namespace zorvan
