// Data path and master control: the DMA buffer table and the interrupt record handed to the caller.
#include "ZorvanL.h"
#include "device.h"
#include "io_layer.h"

using namespace zorvan;

extern "C" {

ZORVANL_API void _ConnectDeviceGetHandels(uint8_t dev, TMapMemData* mem, uint8_t* slot) {
    deviceCall(dev, [&](ZorvanDevice& device) {
        if (mem) *mem = device.memoryData;
        if (slot) *slot = device.slotNumber;
    });
}

// Calls only the I/O access layer: safe from a streaming thread while another thread owns the registers.
ZORVANL_API int32_t GetInterruptInfo(uint8_t dev, TIntInfo* info) {
    return deviceScope(dev, [&](ZorvanDevice& device) {
        if (device.handle == -1) raise(Error::Io);
        if (!info) raise(Error::BadParameters);
        if (ioLayer().GetInterruptInfo(device.handle, &device.interruptInfo) != 0)
            raise(Error::InterruptMapping);
        *info = device.interruptInfo;
    });
}

}  // extern "C"
