// Entry points of the emulated libqmio: those of the driver's own library, the register trap, and the
// test interface (qmio_test.h). None of them throws or crashes on strange arguments.
#include <algorithm>

#include "QmbusApi.h"
#include "devices/i2c_engine.h"
#include "devices/management_bus.h"
#include "driver.h"
#include "qmio/qmio_test.h"

using qmio::Board;
using qmio::Driver;

namespace {

constexpr std::uint32_t kInterruptBlockCount = qmio::kInterruptBlockWords;

std::uint32_t trapRead(void* context, std::uint32_t index) {
    return static_cast<Board*>(context)->read(index);
}

void trapWrite(void* context, std::uint32_t index, std::uint32_t value) {
    static_cast<Board*>(context)->write(index, value);
}

template <typename Operation>
int32_t withBoard(int32_t index, Operation&& operation) {
    Board* board = Driver::instance().board(index);
    if (!board) return -1;
    std::lock_guard lock(board->mutex());
    return operation(*board);
}

}  // namespace

extern "C" {

QMIO_API int32_t DeviceSupportedCount(void) {
    return Driver::instance().supportedCount();
}

QMIO_API const char* QMBUS_GetFullDeviceName(const uint8_t* slot) {
    return slot ? Driver::instance().deviceName(*slot) : "";
}

QMIO_API int64_t QMBUS_Open(uint8_t slot) {
    return Driver::instance().open(slot);
}

QMIO_API uint32_t QMBUS_GetSlotNumber(int64_t handle) {
    Board* board = Driver::instance().boardForHandle(handle);
    return board ? board->config().slotNumber : 0;
}

QMIO_API int32_t QMBUS_BARMap(int64_t handle, TBARBuffer* bar) {
    Board* board = Driver::instance().boardForHandle(handle);
    if (!board || !bar || board->faults().failBarMap) return -1;
    *bar = TBARBuffer{};
    bar->UserVA = board->window();
    bar->Length = qmio::kWindowWords * 4;
    return 0;
}

QMIO_API int32_t QMBUS_GetRegisterTrap(int64_t handle, TRegisterTrap* trap) {
    Board* board = Driver::instance().boardForHandle(handle);
    if (!board || !trap || board->faults().noTrap) return -1;
    trap->context = board;
    trap->read = trapRead;
    trap->write = trapWrite;
    return 0;
}

QMIO_API int32_t QMBUS_MemoryMap(int64_t handle, TMapMemData* mem) {
    Board* board = Driver::instance().boardForHandle(handle);
    if (!board || !mem || board->faults().failMemoryMap) return -1;
    std::lock_guard lock(board->mutex());
    board->mapDmaBuffers(*mem);
    return 0;
}

QMIO_API int32_t QMBUS_GetInterruptInfo(int64_t handle, TIntInfo* info) {
    Board* board = Driver::instance().boardForHandle(handle);
    if (!board || !info || board->faults().failInterruptInfo) return -1;
    *info = TIntInfo{};
    info->Count = kInterruptBlockCount;
    info->Buffers = board->interruptBlock();
    return 0;
}

QMIO_API int32_t QMBUS_BARUnmap(int64_t handle, TBARBuffer* bar) {
    if (!Driver::instance().boardForHandle(handle) || !bar) return -1;
    *bar = TBARBuffer{};
    return 0;
}

QMIO_API int32_t QMBUS_MemoryUnmap(int64_t handle, TMapMemData* mem) {
    Board* board = Driver::instance().boardForHandle(handle);
    if (!board || !mem) return -1;
    std::lock_guard lock(board->mutex());
    board->unmapDmaBuffers();
    *mem = TMapMemData{};
    return 0;
}

QMIO_API int32_t QMBUS_Close(int64_t handle) {
    return Driver::instance().close(handle);
}

// Byte-offset register access of the driver's library.
QMIO_API int32_t QMBUS_Read(int64_t handle, uint32_t offset, uint32_t* value) {
    Board* board = Driver::instance().boardForHandle(handle);
    if (!board || !value) return -1;
    *value = board->read(offset / 4);
    return 0;
}

QMIO_API int32_t QMBUS_Write(int64_t handle, uint32_t offset, uint32_t value) {
    Board* board = Driver::instance().boardForHandle(handle);
    if (!board) return -1;
    board->write(offset / 4, value);
    return 0;
}

// ---- Test interface ----

QMIO_API int32_t QmioTest_Configure(const char* configText) {
    return Driver::instance().configure(configText);
}

QMIO_API int32_t QmioTest_NameQueries(void) {
    return Driver::instance().nameQueries();
}

QMIO_API int32_t QmioTest_LogRegisters(int32_t board, int32_t on, int32_t capacity) {
    Board* b = Driver::instance().board(board);
    if (!b || capacity < 0) return -1;
    b->logRegisters(on != 0, static_cast<std::size_t>(capacity));
    return 0;
}

QMIO_API int32_t QmioTest_ReadRegisterLog(int32_t board, int32_t first, QmioTestAccess* out, int32_t max) {
    Board* b = Driver::instance().board(board);
    if (!b || first < 0 || max < 0 || (max > 0 && !out)) return -1;
    const std::size_t total = b->readLog(static_cast<std::size_t>(first), out, static_cast<std::size_t>(max));
    return static_cast<int32_t>(std::min<std::size_t>(total, INT32_MAX));
}

QMIO_API int32_t QmioTest_SetFault(int32_t board, int32_t fault, int32_t on) {
    return withBoard(board, [&](Board& b) {
        auto& faults = b.faults();
        const bool set = on != 0;
        switch (fault) {
            case QMIO_FAULT_OPEN:
                faults.failOpen = set;
                break;
            case QMIO_FAULT_BAR_MAP:
                faults.failBarMap = set;
                break;
            case QMIO_FAULT_MEMORY_MAP:
                faults.failMemoryMap = set;
                break;
            case QMIO_FAULT_INTERRUPT_INFO:
                faults.failInterruptInfo = set;
                break;
            case QMIO_FAULT_I2C_STUCK_BUSY:
                b.device<qmio::I2cEngine>().setStuckBusy(set);
                break;
            case QMIO_FAULT_NO_TRAP:
                faults.noTrap = set;
                break;
            default:
                return -1;
        }
        return 0;
    });
}

QMIO_API int32_t QmioTest_I2cRefuse(int32_t board, uint8_t addressByte, int32_t times) {
    return withBoard(board, [&](Board& b) {
        b.device<qmio::ManagementBus>().bus().refuse(addressByte >> 1, times);
        return 0;
    });
}

QMIO_API int32_t QmioTest_I2cBusyReadings(int32_t board, int32_t readings) {
    return withBoard(board, [&](Board& b) {
        b.device<qmio::I2cEngine>().setBusyReadings(std::max(0, readings));
        return 0;
    });
}

QMIO_API int32_t QmioTest_EepromWrite(int32_t board, uint16_t address, const uint8_t* bytes, int32_t count) {
    if (!bytes || count < 0) return -1;
    return withBoard(board, [&](Board& b) {
        auto& memory = b.device<qmio::ManagementBus>().eeprom().memory();
        for (int32_t i = 0; i < count; ++i)
            memory[(address + i) % memory.size()] = bytes[i];
        return 0;
    });
}

QMIO_API int32_t QmioTest_EepromRead(int32_t board, uint16_t address, uint8_t* bytes, int32_t count) {
    if (!bytes || count < 0) return -1;
    return withBoard(board, [&](Board& b) {
        const auto& memory = b.device<qmio::ManagementBus>().eeprom().memory();
        for (int32_t i = 0; i < count; ++i)
            bytes[i] = memory[(address + i) % memory.size()];
        return 0;
    });
}

QMIO_API int32_t QmioTest_PinSensorRegister(int32_t board, uint8_t reg, int32_t value) {
    return withBoard(board, [&](Board& b) {
        b.device<qmio::ManagementBus>().sensor().pin(reg, value);
        return 0;
    });
}

QMIO_API int32_t QmioTest_TuningDacValue(int32_t board) {
    return withBoard(board, [&](Board& b) { return b.device<qmio::ManagementBus>().tuningDac().value(); });
}

}  // extern "C"
