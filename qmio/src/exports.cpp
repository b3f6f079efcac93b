// Entry points of the emulated libqmio: those of the driver's own library, the register trap, and the
// test interface (qmio_test.h). None of them throws or crashes on strange arguments.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "QmbusApi.h"
#include "devices/attenuator.h"
#include "devices/carrier.h"
#include "devices/converter.h"
#include "devices/dma_master.h"
#include "devices/i2c_engine.h"
#include "devices/local_oscillator.h"
#include "devices/management_bus.h"
#include "devices/noise_generator.h"
#include "devices/rf_correction.h"
#include "devices/source_ram.h"
#include "driver.h"
#include "modulator_timing.h"
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
            case QMIO_FAULT_DAC_STUCK_BUSY:
                b.device<qmio::Converter>().setStuckBusy(set);
                break;
            case QMIO_FAULT_DAC_READ_BACK:
                b.device<qmio::Converter>().setReadBackFault(set);
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

// ---- Output chain ----

QMIO_API int32_t QmioTest_Converter(int32_t board, QmioTestConverter* out) {
    if (!out) return -1;
    return withBoard(board, [&](Board& b) {
        const auto& converter = b.device<qmio::Converter>();
        *out = QmioTestConverter{};
        for (unsigned i = 0; i < std::size(out->registers); ++i)
            out->registers[i] = converter.registerValue(i);
        out->mode = static_cast<int32_t>(converter.mode());
        out->interpolation = static_cast<int32_t>(converter.interpolation());
        out->busy = converter.busy() ? 1 : 0;
        out->resets = static_cast<int32_t>(converter.resets());
        return 0;
    });
}

QMIO_API int32_t QmioTest_Carrier(int32_t board, QmioTestCarrier* out) {
    if (!out) return -1;
    return withBoard(board, [&](Board& b) {
        const auto& carrier = b.device<qmio::CarrierNco>();
        const auto& correction = b.device<qmio::RfCorrection>();
        *out = QmioTestCarrier{};
        out->ncoWord = carrier.word();
        out->effectiveWord = carrier.effectiveWord();
        out->ncoKHz = carrier.ncoKHz();
        out->sampleClockKHz = qmio::modulatorTiming(b).sampleClockKHz;
        out->ifOutputMHz = carrier.ifOutputMHz();
        out->lBandOutputMHz = carrier.lBandOutputMHz();
        out->correctionWord = correction.word();
        const auto bytes = correction.bytes();
        std::copy(bytes.begin(), bytes.end(), out->correction);
        return 0;
    });
}

QMIO_API int32_t QmioTest_LocalOscillator(int32_t board, QmioTestLocalOscillator* out) {
    if (!out) return -1;
    return withBoard(board, [&](Board& b) {
        const auto& lo = b.device<qmio::LocalOscillator>();
        *out = QmioTestLocalOscillator{};
        for (unsigned i = 0; i < 4; ++i)
            out->latches[i] = lo.latch(i);
        out->locked = lo.locked() ? 1 : 0;
        out->b = static_cast<int32_t>(lo.b());
        out->a = static_cast<int32_t>(lo.a());
        out->frequencyMHz = lo.frequencyMHz();
        out->loads = static_cast<int32_t>(lo.loads());
        return 0;
    });
}

QMIO_API int32_t QmioTest_Attenuators(int32_t board, QmioTestAttenuators* out) {
    if (!out) return -1;
    return withBoard(board, [&](Board& b) {
        const auto& h = b.device<qmio::AttenuatorH>();
        const auto& l = b.device<qmio::AttenuatorL>();
        *out = QmioTestAttenuators{};
        out->codeH = static_cast<int32_t>(h.code());
        out->codeL = static_cast<int32_t>(l.code());
        out->dbH = h.attenuationDb();
        out->dbL = l.attenuationDb();
        out->loadsH = static_cast<int32_t>(h.loads());
        out->loadsL = static_cast<int32_t>(l.loads());
        return 0;
    });
}

QMIO_API int32_t QmioTest_Noise(int32_t board, QmioTestNoise* out) {
    if (!out) return -1;
    return withBoard(board, [&](Board& b) {
        const auto& noise = b.device<qmio::NoiseGenerator>();
        *out = QmioTestNoise{};
        out->mode = static_cast<int32_t>(noise.mode());
        out->amplitude = static_cast<int32_t>(noise.amplitude());
        out->levelDb = noise.levelDb();
        out->sineWord = noise.sineWord();
        out->sineOffsetKHz = noise.sineOffsetKHz();
        return 0;
    });
}

QMIO_API int32_t QmioTest_Sweep(int32_t board, QmioTestSweep* out) {
    if (!out) return -1;
    return withBoard(board, [&](Board& b) {
        const auto& carrier = b.device<qmio::CarrierNco>();
        *out = QmioTestSweep{};
        out->enabled = carrier.sweepEnabled() ? 1 : 0;
        out->passEnded = carrier.passEnded() ? 1 : 0;
        out->increment = carrier.increment();
        out->dwellTicks = static_cast<int32_t>(carrier.dwellTicks());
        out->stepsDone = static_cast<int32_t>(carrier.stepsDone());
        out->passes = static_cast<int32_t>(carrier.passes());
        out->stepWord = carrier.stepWord();
        out->offsetWord = carrier.sweepOffset();
        return 0;
    });
}

// ---- Data path ----

QMIO_API int32_t QmioTest_SourceRam(int32_t board, QmioTestSourceRam* out) {
    if (!out) return -1;
    return withBoard(board, [&](Board& b) {
        const auto& ram = b.device<qmio::SourceRam>();
        *out = QmioTestSourceRam{};
        out->sizeWords = static_cast<int32_t>(ram.sizeWords());
        out->address = ram.address();
        out->playControl = ram.playControl();
        out->playLength = static_cast<int32_t>(ram.playLength());
        out->bitOrder = static_cast<int32_t>(ram.bitOrder());
        out->byteOrder = static_cast<int32_t>(ram.byteOrder());
        out->wordWrites = static_cast<int64_t>(ram.wordWrites());
        out->configuring = ram.configuring() ? 1 : 0;
        return 0;
    });
}

QMIO_API int32_t QmioTest_ReadSourceRam(int32_t board, uint32_t address, uint16_t* words, int32_t count) {
    if (!words || count < 0) return -1;
    return withBoard(board, [&](Board& b) {
        const auto& ram = b.device<qmio::SourceRam>();
        for (int32_t i = 0; i < count; ++i)
            words[i] = ram.word(address + static_cast<uint32_t>(i));
        return 0;
    });
}

QMIO_API int32_t QmioTest_Master(int32_t board, QmioTestMaster* out) {
    if (!out) return -1;
    return withBoard(board, [&](Board& b) {
        auto& master = b.device<qmio::DmaMaster>();
        *out = QmioTestMaster{};
        out->running = master.running() ? 1 : 0;
        out->described = static_cast<int32_t>(master.described());
        out->faultDescriptor = master.faultDescriptor();
        out->position = static_cast<int32_t>(master.position());
        out->buffersPlayed = static_cast<int64_t>(master.buffersPlayed());
        out->bytesPlayed = static_cast<int64_t>(master.bytesPlayed());
        out->byteRate = master.currentRate();
        out->budget = master.budget();
        out->interruptCount = b.interruptCount();
        return 0;
    });
}

QMIO_API int32_t QmioTest_MasterDescriptor(int32_t board, int32_t index, uint32_t* size, uint32_t* address) {
    if (!size || !address || index < 0 || index >= static_cast<int32_t>(zorvan::reg::master::kDescriptors))
        return -1;
    return withBoard(board, [&](Board& b) {
        const auto descriptor = b.device<qmio::DmaMaster>().descriptor(static_cast<unsigned>(index));
        *size = descriptor.size;
        *address = descriptor.address;
        return 0;
    });
}

QMIO_API int32_t QmioTest_SetMasterRate(int32_t board, double bytesPerSecond) {
    if (std::isnan(bytesPerSecond)) return -1;
    return withBoard(board, [&](Board& b) {
        b.device<qmio::DmaMaster>().setRate(bytesPerSecond);
        return 0;
    });
}

QMIO_API int32_t QmioTest_MasterBudget(int32_t board, int64_t buffers) {
    return withBoard(board, [&](Board& b) {
        b.device<qmio::DmaMaster>().setBudget(buffers);
        return 0;
    });
}

QMIO_API int32_t QmioTest_CaptureMemory(int32_t board, int64_t capacity) {
    if (capacity < 0) return -1;
    return withBoard(board, [&](Board& b) {
        b.device<qmio::DmaMaster>().capture().toMemory(static_cast<std::size_t>(capacity));
        return 0;
    });
}

QMIO_API int32_t QmioTest_CaptureFile(int32_t board, const char* path) {
    return withBoard(board, [&](Board& b) {
        return b.device<qmio::DmaMaster>().capture().toFile(path ? path : "") ? 0 : -1;
    });
}

QMIO_API int64_t QmioTest_ReadCapture(int32_t board, int64_t offset, uint8_t* out, int32_t max) {
    if (offset < 0 || max < 0 || (max > 0 && !out)) return -1;
    Board* b = Driver::instance().board(board);
    if (!b) return -1;
    std::lock_guard lock(b->mutex());
    const std::uint64_t total = b->device<qmio::DmaMaster>().capture().read(
        static_cast<std::uint64_t>(offset), out, static_cast<std::size_t>(max));
    return static_cast<int64_t>(std::min<std::uint64_t>(total, INT64_MAX));
}

// ---- Status ----

QMIO_API int32_t QmioTest_Status(int32_t board, char* text, int32_t size) {
    if (size < 0 || (size > 0 && !text)) return -1;
    Board* b = Driver::instance().board(board);
    if (!b) return -1;
    const std::string status = b->status();
    if (size > 0) {
        const std::size_t count = std::min<std::size_t>(status.size(), static_cast<std::size_t>(size) - 1);
        std::memcpy(text, status.data(), count);
        text[count] = '\0';
    }
    return static_cast<int32_t>(std::min<std::size_t>(status.size(), INT32_MAX));
}

}  // extern "C"
