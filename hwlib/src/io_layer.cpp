#include "io_layer.h"

#include "zplatform/dynlib.h"

namespace zorvan {
namespace {

template <typename Function>
void resolve(const zplatform::DynamicLibrary& library, const char* name, Function& entry) {
    entry = reinterpret_cast<Function>(library.symbol(name));
}

IoLayer loadIoLayer() {
    IoLayer layer;
    const auto library = zplatform::DynamicLibrary::load(zplatform::sharedLibraryName("qmio"));
    if (!library.loaded()) return layer;
    resolve(library, "DeviceSupportedCount", layer.DeviceSupportedCount);
    resolve(library, "QMBUS_GetFullDeviceName", layer.GetFullDeviceName);
    resolve(library, "QMBUS_Open", layer.Open);
    resolve(library, "QMBUS_GetSlotNumber", layer.GetSlotNumber);
    resolve(library, "QMBUS_BARMap", layer.BARMap);
    resolve(library, "QMBUS_MemoryMap", layer.MemoryMap);
    resolve(library, "QMBUS_GetInterruptInfo", layer.GetInterruptInfo);
    resolve(library, "QMBUS_BARUnmap", layer.BARUnmap);
    resolve(library, "QMBUS_MemoryUnmap", layer.MemoryUnmap);
    resolve(library, "QMBUS_Close", layer.Close);
    resolve(library, "QMBUS_Read", layer.Read);
    resolve(library, "QMBUS_Write", layer.Write);
    resolve(library, "QMBUS_GetRegisterTrap", layer.GetRegisterTrap);
    return layer;
}

#ifndef _WIN32
[[maybe_unused]] const bool kLoadedWithLibrary = (ioLayer(), true);
#endif

}  // namespace

bool IoLayer::complete() const {
    return DeviceSupportedCount && GetFullDeviceName && Open && GetSlotNumber && BARMap && MemoryMap &&
           GetInterruptInfo && BARUnmap && MemoryUnmap && Close && Read && Write;
}

const IoLayer& ioLayer() {
    static const IoLayer layer = loadIoLayer();
    return layer;
}

}  // namespace zorvan
