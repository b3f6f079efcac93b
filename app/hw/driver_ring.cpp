#include "driver_ring.h"

#include <algorithm>
#include <fstream>
#include <vector>

#include "../tools/logger.h"
#include "hardware.h"
#include "messages.h"
#include "zplatform/paths.h"
#include "zplatform/registry.h"

std::int32_t BuffersPerCH = 4;
std::uint32_t DrvBufferLen = 0x100000;
std::uint8_t DrvBufCount = 4;

namespace {

std::vector<std::uint32_t> mappedLengths;  // empty until RememberMappedRing
bool mappedKnown = false;

std::uint32_t RoundedPiece(std::uint64_t length, std::uint32_t parts) {
    const std::uint64_t piece = (length + parts - 1) / parts;
    return static_cast<std::uint32_t>((piece + 3) / 4 * 4);
}

void LogLoad(const std::string& text) {
    DebugLogger.Add("i", "LoadDrvBuffers", 255, text);
}

}  // namespace

void ReadDriverBufferParameters() {
    const auto parameters = zplatform::registry::readDriverBufferParameters();
    BuffersPerCH = parameters.buffersPerChannel;
    DrvBufferLen = parameters.bufferLength;
    // A value of the wrong type is reported, and its default keeps the start-up going.
    for (const std::string& name : parameters.invalid)
        ShowMsgBox("Invalid data type for '" + name + "'", TMsgKind::Error, TMsgButtons::Ok);
}

std::uint32_t PadBytes(std::uint32_t Length, std::uint32_t Parts) {
    if (Parts == 0) return 0;
    return static_cast<std::uint32_t>(std::uint64_t{RoundedPiece(Length, Parts)} * Parts - Length);
}

void RememberMappedRing(const TMapMemData& MemoryData) {
    mappedLengths.clear();
    for (std::uint32_t i = 0; MemoryData.Buffers && i < MemoryData.Count; ++i)
        mappedLengths.push_back(MemoryData.Buffers[i].Size);
    mappedKnown = true;
}

std::uint32_t MappedBufferCount() {
    return static_cast<std::uint32_t>(mappedLengths.size());
}

std::uint32_t MappedBufferLength(std::uint32_t index) {
    return index < mappedLengths.size() ? mappedLengths[index] : 0;
}

std::uint8_t ClampRingToMapped(const TMapMemData& MemoryData) {
    std::uint32_t available = MemoryData.Buffers ? MemoryData.Count : 0;
    if (mappedKnown) available = std::min(available, MappedBufferCount());
    DrvBufCount = static_cast<std::uint8_t>(std::min<std::uint32_t>(DrvBufCount, available));
    return DrvBufCount;
}

void SetDriverBufferSizes(TMapMemData& MemoryData, std::uint32_t length) {
    const std::uint32_t count = std::min<std::uint32_t>(static_cast<std::uint32_t>(std::max(BuffersPerCH, 0)),
                                                        MemoryData.Buffers ? MemoryData.Count : 0);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t capacity = mappedKnown ? MappedBufferLength(i) : MemoryData.Buffers[i].Size;
        MemoryData.Buffers[i].Size = std::min(length, capacity);
    }
}

void TZorvanHWClass::StartMaster() {
    CheckHWResult("StartMaster", ::StartMaster(DevNum, DrvBufCount));
}

void TZorvanHWClass::LoadDrvBuffers() {
    std::ifstream file(zplatform::pathFromUtf8(SourceFile), std::ios::binary | std::ios::ate);
    if (!file) {
        ShowMsgBox(MessageList[8] + SourceFile + MessageList[9], TMsgKind::Error, TMsgButtons::Ok);
        return;
    }
    const std::uint64_t size = static_cast<std::uint64_t>(file.tellg());
    file.seekg(0);

    // The ring may use only what the driver mapped, and no piece may be longer than its buffer.
    ClampRingToMapped(MemoryData);
    std::uint32_t capacity = DrvBufferLen;
    for (std::uint32_t j = 0; j < DrvBufCount; ++j)
        capacity = std::min(capacity, mappedKnown ? MappedBufferLength(j) : MemoryData.Buffers[j].Size);
    if (size == 0 || capacity == 0 || size > std::uint64_t{capacity} * DrvBufCount) {
        ShowMsgBox("The file " + SourceFile + " does not fit the driver's buffers.", TMsgKind::Error,
                   TMsgButtons::Ok);
        return;
    }
    const auto length = static_cast<std::uint32_t>(size);

    // The fewest buffers that hold the file (capacity is DrvBufferLen, or less where the driver mapped
    // shorter buffers).
    std::uint32_t first = static_cast<std::uint32_t>((size + capacity - 1) / capacity);
    while (first <= DrvBufCount && RoundedPiece(length, first) > capacity)
        ++first;  // 4-byte rounding
    std::uint32_t best = first;
    std::uint32_t bestFill = PadBytes(length, first);
    for (std::uint32_t k = first; k <= DrvBufCount; ++k) {
        if (RoundedPiece(length, k) > capacity) continue;
        const std::uint32_t fill = PadBytes(length, k);
        if (fill == 0) {
            best = k;
            bestFill = 0;
            break;
        }
        if (fill < bestFill) {  // ties keep the smaller count
            best = k;
            bestFill = fill;
        }
    }
    if (best > DrvBufCount) {
        ShowMsgBox("The file " + SourceFile + " does not fit the driver's buffers.", TMsgKind::Error,
                   TMsgButtons::Ok);
        return;
    }
    LogLoad("Файл некратной длины " + std::to_string(size) +
            "! Байт заполнено константой: " + std::to_string(bestFill));
    DrvBufCount = static_cast<std::uint8_t>(best);
    LogLoad("Загружено буферов драйвера: " + std::to_string(best));

    const std::uint32_t per = RoundedPiece(length, DrvBufCount);
    for (std::uint32_t j = 0; j < DrvBufCount; ++j) {
        MemoryData.Buffers[j].Size = per;
        LogLoad("MemoryData.Buffers[" + std::to_string(j) + "].Size=" + std::to_string(per));
    }
    std::uint64_t read = 0;
    for (std::uint32_t j = 0; j + 1 < DrvBufCount; ++j) {
        file.read(static_cast<char*>(MemoryData.Buffers[j].UserVA), per);
        read += static_cast<std::uint64_t>(file.gcount());
    }
    auto* last = static_cast<char*>(MemoryData.Buffers[DrvBufCount - 1].UserVA);
    std::fill(last, last + per, '\0');  // the board plays this constant after the file's last byte
    file.read(last, per);
    read += static_cast<std::uint64_t>(file.gcount());
    if (read != size)
        ShowMsgBox("The file " + SourceFile + " was not read whole.", TMsgKind::Error, TMsgButtons::Ok);
}
