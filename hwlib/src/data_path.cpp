// Data path and master control: the source RAM, its packing order, the DMA buffer table and the
// interrupt record handed to the caller, and the board's bus master.
#include <sys/stat.h>

#include <fstream>
#include <vector>

#include "ZorvanL.h"
#include "device.h"
#include "io_layer.h"

namespace zorvan {
namespace {

using namespace reg;

// The whole file, or -6 (missing, a directory, not openable) / -25 (not read whole) with its path in
// lastError.
std::vector<char> readWholeFile(ZorvanDevice& device, const char* fileName) {
    // A directory opens as a stream on some systems but has no bytes to give.
    struct stat info {};
    const bool directory = stat(fileName, &info) == 0 && S_ISDIR(info.st_mode);
    std::ifstream in;
    if (!directory) in.open(fileName, std::ios::binary);
    if (!in.is_open()) {
        device.setLastError(fileName);
        raise(Error::OpenFile);
    }
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    if (size < 0 || !in) {
        device.setLastError(fileName);
        raise(Error::ReadFile);
    }
    std::vector<char> bytes(static_cast<std::size_t>(size));
    in.read(bytes.data(), size);
    if (in.gcount() != size) {
        device.setLastError(fileName);
        raise(Error::ReadFile);
    }
    return bytes;
}

void writeRam(ZorvanDevice& device, std::uint32_t address, std::uint32_t value) {
    device.write(DATA_PORT, address);
    device.write(RAM_DATA, value);
}

// Word form: 16-bit little-endian words at the addresses -n .. -1 (an odd last byte is ignored).
// Bit-text form: one write per character, the character's bit placed at position i mod 16 where i
// counts from the padding that fills the first word, from address -1 - S/16 upwards.
void loadRam(ZorvanDevice& device, const char* fileName, bool bitText) {
    if (!fileName) raise(Error::BadParameters);
    const std::vector<char> bytes = readWholeFile(device, fileName);
    const std::size_t size = bytes.size();
    if (!bitText) {
        const std::size_t words = size / 2;
        device.ramLength = static_cast<std::uint32_t>(words);
        std::uint32_t address = 0u - static_cast<std::uint32_t>(words);
        for (std::size_t i = 0; i < words; ++i) {
            const auto low = static_cast<std::uint8_t>(bytes[2 * i]);
            const auto high = static_cast<std::uint8_t>(bytes[2 * i + 1]);
            writeRam(device, address++, std::uint32_t{low} | std::uint32_t{high} << 8);
        }
        return;
    }
    device.ramLength = static_cast<std::uint32_t>(size);
    const std::size_t pad = (16 - size % 16) % 16;
    std::uint32_t address = 0u - 1u - static_cast<std::uint32_t>(size / 16);
    for (std::size_t i = pad; i < size + pad; ++i) {
        const bool one = bytes[i - pad] == '1';
        writeRam(device, address++, one ? std::uint32_t{1} << (i % 16) : 0);
    }
}

// Any non-zero order is taken as 1: each order is one bit of PLAY_CTL, and a larger value must not
// spill into the neighbouring field.
void setPackingOrder(ZorvanDevice& device, std::uint8_t bitOrder, std::uint8_t byteOrder) {
    device.write(PLAY_CTL, play::kByteOrder.prep(byteOrder != 0) | play::kBitOrder.prep(bitOrder != 0) |
                               play::kNegatedLength.prep(0u - device.ramLength));
}

// Describes the first `buffers` DMA buffers and starts the master. More buffers than the driver mapped
// are refused with -1 before anything is written: there are no records to describe them with.
void startMaster(ZorvanDevice& device, std::uint8_t buffers) {
    const TMapMemData& table = device.memoryData;
    const std::uint32_t mapped = device.memMapped && table.Buffers ? table.Count : 0;
    if (buffers > mapped) raise(Error::BadParameters);
    device.write(MASTER_CTL, master::kDescribe + buffers);
    for (std::uint32_t i = 0; i < buffers; ++i) {
        const TMemBuffer& buffer = table.Buffers[i];
        device.write(DMA_INDEX, i);
        device.write(DMA_SIZE, buffer.Size);
        device.write(DMA_ADDR, static_cast<std::uint32_t>(buffer.MemoryPA) | master::kAddressValid);
    }
    device.write(MASTER_CTL, master::kStart);
}

}  // namespace
}  // namespace zorvan

using namespace zorvan;

extern "C" {

ZORVANL_API int32_t Load_RAM(uint8_t dev, const char* fileName, uint8_t bitText) {
    return deviceScope(dev, [&](ZorvanDevice& device) { loadRam(device, fileName, bitText != 0); });
}

ZORVANL_API int32_t SetPackingOrder(uint8_t dev, uint8_t bitOrder, uint8_t byteOrder) {
    return deviceScope(dev, [&](ZorvanDevice& device) { setPackingOrder(device, bitOrder, byteOrder); });
}

ZORVANL_API void _ConnectDeviceGetHandels(uint8_t dev, TMapMemData* mem, uint8_t* slot) {
    deviceCall(dev, [&](ZorvanDevice& device) {
        if (mem) *mem = device.memoryData;
        if (slot) *slot = device.slotNumber;
    });
}

ZORVANL_API int32_t StartMaster(uint8_t dev, uint8_t buffers) {
    return deviceScope(dev, [&](ZorvanDevice& device) { startMaster(device, buffers); });
}

ZORVANL_API int32_t StopMaster(uint8_t dev) {
    return deviceScope(dev, [](ZorvanDevice& device) { device.write(reg::MASTER_CTL, reg::master::kStop); });
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
