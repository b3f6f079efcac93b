/*
 * The entry points of the I/O access layer libqmio, as libZorvanL resolves them by name.
 * The board's own driver library ("libqmio.dll" beside the kernel driver qmbus) exports the twelve
 * mandatory entries; the emulated libqmio exports the optional register trap as well.
 */
#ifndef QMBUS_API_H
#define QMBUS_API_H

#include <stdint.h>

#include "ZorvanL.h"

#ifdef __cplusplus
extern "C" {
#endif

/* An emulated layer cannot see plain stores into memory: when it offers a trap, every register access
 * of the device goes through it, one call per access, in program order. `index` is the 32-bit word
 * index into the register window. */
typedef struct TRegisterTrap {
    void* context;
    uint32_t (*read)(void* context, uint32_t index);
    void (*write)(void* context, uint32_t index, uint32_t value);
    /* Optional (NULL when not offered): `count` writes of values[0], values[1], ... to the register at
     * `index`, one access each and in order, exactly as `count` calls of `write` make them. A register
     * that takes a stream of bytes (the FPGA's configuration port) gets the stream in one call. */
    void (*writeBytes)(void* context, uint32_t index, const uint8_t* values, uint32_t count);
} TRegisterTrap;

typedef int32_t (*PFN_DeviceSupportedCount)(void);
typedef const char* (*PFN_QMBUS_GetFullDeviceName)(const uint8_t* slot);       /* slot index 0..63 in *slot */
typedef int64_t (*PFN_QMBUS_Open)(uint8_t slot);                               /* -1 on failure */
typedef uint32_t (*PFN_QMBUS_GetSlotNumber)(int64_t handle);                   /* low 8 bits used */
typedef int32_t (*PFN_QMBUS_BARMap)(int64_t handle, TBARBuffer* bar);          /* 0 = ok */
typedef int32_t (*PFN_QMBUS_MemoryMap)(int64_t handle, TMapMemData* mem);      /* 0 = ok */
typedef int32_t (*PFN_QMBUS_GetInterruptInfo)(int64_t handle, TIntInfo* info); /* 0 = ok */
typedef int32_t (*PFN_QMBUS_BARUnmap)(int64_t handle, TBARBuffer* bar);
typedef int32_t (*PFN_QMBUS_MemoryUnmap)(int64_t handle, TMapMemData* mem);
typedef int32_t (*PFN_QMBUS_Close)(int64_t handle);
typedef int32_t (*PFN_QMBUS_Read)(int64_t handle, uint32_t offset, uint32_t* value);
typedef int32_t (*PFN_QMBUS_Write)(int64_t handle, uint32_t offset, uint32_t value);
typedef int32_t (*PFN_QMBUS_GetRegisterTrap)(int64_t handle, TRegisterTrap* trap); /* 0 = trap filled */

#ifdef __cplusplus
}
#endif

#endif /* QMBUS_API_H */
