// The I/O access layer libqmio, loaded by bare name with the default search order and resolved once
// for the whole process. The library never calls through an entry that did not resolve.
#pragma once

#include "QmbusApi.h"

namespace zorvan {

struct IoLayer {
    PFN_DeviceSupportedCount DeviceSupportedCount = nullptr;
    PFN_QMBUS_GetFullDeviceName GetFullDeviceName = nullptr;
    PFN_QMBUS_Open Open = nullptr;
    PFN_QMBUS_GetSlotNumber GetSlotNumber = nullptr;
    PFN_QMBUS_BARMap BARMap = nullptr;
    PFN_QMBUS_MemoryMap MemoryMap = nullptr;
    PFN_QMBUS_GetInterruptInfo GetInterruptInfo = nullptr;
    PFN_QMBUS_BARUnmap BARUnmap = nullptr;
    PFN_QMBUS_MemoryUnmap MemoryUnmap = nullptr;
    PFN_QMBUS_Close Close = nullptr;
    PFN_QMBUS_Read Read = nullptr;                        // resolved, never called
    PFN_QMBUS_Write Write = nullptr;                      // resolved, never called
    PFN_QMBUS_GetRegisterTrap GetRegisterTrap = nullptr;  // optional: only emulated layers offer it

    // The layer loaded and every mandatory entry resolved.
    bool complete() const;
};

// The process-wide layer. On POSIX it is loaded while libZorvanL itself is loaded; on Windows at the
// first call, because a DLL must not load other libraries from its initialisation (loader lock).
const IoLayer& ioLayer();

}  // namespace zorvan
