// The driver's DMA ring as the program uses it: the driver's buffer parameters, the number of buffers
// of the current run, and the single-loaded cycle mode that splits a file once over the ring.
#pragma once

#include <cstdint>

#include "ZorvanL.h"

class TZorvanHWClass;

// The driver's buffer parameters ("BuffersPerCH", "CHBufferLENs"; 4 and 1 MiB when missing or 0),
// read once at start-up from the registry (on Linux its stand-in, which the emulated driver also reads).
extern std::int32_t BuffersPerCH;
extern std::uint32_t DrvBufferLen;
// Buffers in the ring of the current run: the low 8 bits of BuffersPerCH, possibly lowered by
// LoadDrvBuffers, and never more than the driver mapped.
extern std::uint8_t DrvBufCount;

// A value of a type the reading refuses shows the error "Invalid data type for '<name>'" and its
// default applies; the start-up goes on.
void ReadDriverBufferParameters();

// The bytes of padding when Length is split into Parts pieces of c bytes, c being Length / Parts
// rounded up and then rounded up to a multiple of 4. Parts 0 gives 0.
std::uint32_t PadBytes(std::uint32_t Length, std::uint32_t Parts);

// The ring as the driver mapped it: remembered once right after connect, before the program changes
// the sizes. Buffers beyond it, or longer than it, are never used.
void RememberMappedRing(const TMapMemData& MemoryData);
std::uint32_t MappedBufferCount();
std::uint32_t MappedBufferLength(std::uint32_t index);

// DrvBufCount lowered, when needed, to the buffers the driver has mapped. Returns the new value.
std::uint8_t ClampRingToMapped(const TMapMemData& MemoryData);

// Sets the played size of the first BuffersPerCH buffers (at most the mapped ones) to `length`, each
// cut to what the driver mapped for it.
void SetDriverBufferSizes(TMapMemData& MemoryData, std::uint32_t length);
