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
#include "devices/fpga_config_port.h"
#include "devices/i2c_engine.h"
#include "devices/local_oscillator.h"
#include "devices/management_bus.h"
#include "devices/modulator.h"
#include "devices/noise_generator.h"
#include "devices/rf_correction.h"
#include "devices/sample_clock_synth.h"
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

void trapWriteBytes(void* context, std::uint32_t index, const std::uint8_t* values, std::uint32_t count) {
    static_cast<Board*>(context)->writeBytes(index, values, count);
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
    if (!board || !bar || board->hasFault(&qmio::BoardConfig::failBarMap)) return -1;
    *bar = TBARBuffer{};
    bar->UserVA = board->window();
    bar->Length = qmio::kWindowWords * 4;
    return 0;
}

QMIO_API int32_t QMBUS_GetRegisterTrap(int64_t handle, TRegisterTrap* trap) {
    Board* board = Driver::instance().boardForHandle(handle);
    if (!board || !trap || board->hasFault(&qmio::BoardConfig::noTrap)) return -1;
    trap->context = board;
    trap->read = trapRead;
    trap->write = trapWrite;
    trap->writeBytes = trapWriteBytes;
    return 0;
}

QMIO_API int32_t QMBUS_MemoryMap(int64_t handle, TMapMemData* mem) {
    Board* board = Driver::instance().boardForHandle(handle);
    if (!board || !mem || board->hasFault(&qmio::BoardConfig::failMemoryMap)) return -1;
    std::lock_guard lock(board->mutex());
    board->mapDmaBuffers(*mem);
    return 0;
}

QMIO_API int32_t QMBUS_GetInterruptInfo(int64_t handle, TIntInfo* info) {
    Board* board = Driver::instance().boardForHandle(handle);
    if (!board || !info || board->hasFault(&qmio::BoardConfig::failInterruptInfo)) return -1;
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
            case QMIO_FAULT_INTERRUPTS_LOST:
                b.loseInterrupts(set);
                break;
            case QMIO_FAULT_FPGA_DONE_HIGH:
                b.device<qmio::FpgaConfigPort>().setDoneStuckHigh(set);
                break;
            case QMIO_FAULT_FPGA_NO_RESET:
                b.device<qmio::FpgaConfigPort>().setNoReset(set);
                break;
            case QMIO_FAULT_FPGA_NO_DONE:
                b.device<qmio::FpgaConfigPort>().setNoDone(set);
                break;
            case QMIO_FAULT_SYNTH_READBACK:
                b.device<qmio::SampleClockSynth>().corruptReadBacks(set ? -1 : 0);
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
        out->configuring = b.device<qmio::FpgaConfigPort>().configuring() ? 1 : 0;
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

QMIO_API int32_t QmioTest_SetInterruptCount(int32_t board, uint32_t count) {
    Board* b = Driver::instance().board(board);
    if (!b) return -1;
    b->setInterruptCount(count);
    return 0;
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

QMIO_API int32_t QmioTest_VerifyFile(int32_t board, const char* path) {
    return withBoard(board, [&](Board& b) {
        auto& capture = b.device<qmio::DmaMaster>().capture();
        if (!path || !*path) {
            capture.off();
            return 0;
        }
        return qmio::verifyAgainstFile(capture, path) ? 0 : -1;
    });
}

QMIO_API int32_t QmioTest_Verification(int32_t board, QmioTestVerification* out) {
    if (!out) return -1;
    return withBoard(board, [&](Board& b) {
        const auto check = b.device<qmio::DmaMaster>().capture().verification();
        *out = {check.bytes, check.passes, check.mismatches, check.firstMismatch, check.expectedSize};
        return 0;
    });
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

QMIO_API int32_t QmioTest_Output(int32_t board) {
    Board* b = Driver::instance().board(board);
    return b ? static_cast<int32_t>(b->output()) : -1;
}

// ---- FPGA configuration, sample clock and modulator ----

QMIO_API int32_t QmioTest_FpgaState(int32_t board, QmioTestFpga* state) {
    if (!state) return -1;
    return withBoard(board, [&](Board& b) {
        const auto& port = b.device<qmio::FpgaConfigPort>();
        const std::uint32_t status = port.status();  // as FPGA_STAT shows it
        *state = QmioTestFpga{};
        state->done = status & zorvan::reg::fpga::kStatusDone ? 1 : 0;
        state->reset = status & zorvan::reg::fpga::kStatusReset ? 1 : 0;
        state->configuring = port.configuring() ? 1 : 0;
        state->broken = port.broken() ? 1 : 0;
        state->mode = state->band = state->rate = 0xFF;
        if (port.configured()) {
            const auto& image = port.image();
            state->mode = image.mode;
            state->band = image.band;
            state->rate = static_cast<uint8_t>(image.rate);
            state->suffix = image.suffix;
            std::memcpy(state->name, image.name.data(), std::min<std::size_t>(image.name.size(), 16));
        }
        state->bytesReceived = port.bytesReceived();
        state->configurations = port.configurations();
        return 0;
    });
}

QMIO_API int32_t QmioTest_Synthesizer(int32_t board, QmioTestSynthesizer* state) {
    if (!state) return -1;
    return withBoard(board, [&](Board& b) {
        const auto& synth = b.device<qmio::SampleClockSynth>();
        const auto& converter = b.device<qmio::Converter>();
        *state = QmioTestSynthesizer{};
        state->control0 = synth.latched(zorvan::reg::synth::kControl0);
        state->control1 = synth.latched(zorvan::reg::synth::kControl1);
        state->tuning = synth.latched(zorvan::reg::synth::kTuning);
        for (unsigned r = 0; r < qmio::SampleClockSynth::kRegisters; ++r)
            if (synth.isLatched(r)) state->latched |= 1u << r;
        state->updates = synth.updates();
        state->readBacks = synth.readBacks();
        state->outputKHz = synth.outputKHz();
        state->divider = static_cast<int32_t>(qmio::converterClockDivider(converter, state->outputKHz));
        state->converterClockRegister = converter.registerValue(0x01);
        state->sampleClockKHz = qmio::sampleClockKHz(b);
        return 0;
    });
}

QMIO_API int32_t QmioTest_SynthCorruptReadBacks(int32_t board, int32_t count) {
    return withBoard(board, [&](Board& b) {
        b.device<qmio::SampleClockSynth>().corruptReadBacks(count);
        return 0;
    });
}

QMIO_API int32_t QmioTest_Modulator(int32_t board, QmioTestModulator* state) {
    if (!state) return -1;
    return withBoard(board, [&](Board& b) {
        using namespace zorvan::reg;
        const auto& mapper = b.device<qmio::SymbolMapper>();
        const auto& coder = b.device<qmio::ChannelCoder>();
        const auto& shaping = b.device<qmio::ShapingFilter>();
        const auto& rate = b.device<qmio::RateGenerator>();
        const auto& post = b.device<qmio::PostFilter>();
        *state = QmioTestModulator{};
        state->filterControl = shaping.control();
        state->rateNco = rate.rateNco();
        state->rateDiv = rate.rateDiv();
        state->divider = rate.divider();
        state->coding = coder.coding();
        for (int i = 0; i < 4; ++i)
            state->punct[i] = coder.punct()[i];
        state->rfCorr = post.rfCorr();
        state->constShift = mapper.shift() < 0 ? 0xFF : static_cast<uint8_t>(mapper.shift());
        state->filterOn = shaping.control() & filter::kOn ? 1 : 0;
        state->filterOffset = shaping.control() & filter::kOffset ? 1 : 0;
        state->filterSpectrInv = shaping.control() & filter::kSpectrInv ? 1 : 0;
        state->samplesPerSymbol = static_cast<uint8_t>(shaping.samplesPerSymbol());
        state->postFilterOn = post.on() ? 1 : 0;
        state->bitMapBypass = mapper.bitMapBypass() ? 1 : 0;
        state->punctWrites = coder.punctWrites();
        state->constWrites = mapper.constWrites();
        state->firWrites = shaping.coefficientWrites();
        state->interpWrites[0] = rate.interpolatorWrites(false);
        state->interpWrites[1] = rate.interpolatorWrites(true);
        state->postFilterWrites = post.writes();
        state->bitMapWrites = mapper.bitMapWrites();
        state->ceWrites = mapper.ceWrites();
        return 0;
    });
}

QMIO_API int32_t QmioTest_ConstellationRam(int32_t board, int8_t i[256], int8_t q[256]) {
    if (!i || !q) return -1;
    return withBoard(board, [&](Board& b) {
        const auto& mapper = b.device<qmio::SymbolMapper>();
        for (std::size_t a = 0; a < 256; ++a) {
            i[a] = mapper.constellation()[a].i;
            q[a] = mapper.constellation()[a].q;
        }
        return static_cast<int32_t>(mapper.constWrites());
    });
}

QMIO_API int32_t QmioTest_ShapingFilter(int32_t board, int32_t samplesPerSymbol, int16_t taps[256]) {
    unsigned exponent = 0;
    while (exponent < 6 && (1 << exponent) != samplesPerSymbol)
        ++exponent;
    if (!taps || exponent < 1 || exponent > 5) return -1;
    return withBoard(board, [&](Board& b) {
        const auto& shaping = b.device<qmio::ShapingFilter>();
        std::copy(shaping.taps(exponent).begin(), shaping.taps(exponent).end(), taps);
        return static_cast<int32_t>(shaping.tapCount(exponent));
    });
}

QMIO_API int32_t QmioTest_Interpolator(int32_t board, int32_t falling, int32_t first, int32_t count,
                                       uint16_t* values) {
    if (first < 0 || count < 0 || (count > 0 && !values)) return -1;
    return withBoard(board, [&](Board& b) {
        const auto& rate = b.device<qmio::RateGenerator>();
        const auto& half = rate.interpolator(falling != 0);
        if (static_cast<std::size_t>(first) + static_cast<std::size_t>(count) > half.size()) return -1;
        std::copy_n(half.begin() + first, count, values);
        return static_cast<int32_t>(rate.interpolatorWrites(falling != 0));
    });
}

QMIO_API int32_t QmioTest_PostFilter(int32_t board, int32_t first, int32_t count, int16_t* taps) {
    if (first < 0 || count < 0 || (count > 0 && !taps)) return -1;
    return withBoard(board, [&](Board& b) {
        const auto& post = b.device<qmio::PostFilter>();
        if (static_cast<std::size_t>(first) + static_cast<std::size_t>(count) > post.taps().size()) return -1;
        std::copy_n(post.taps().begin() + first, count, taps);
        return static_cast<int32_t>(post.writes());
    });
}

QMIO_API int32_t QmioTest_BitMap(int32_t board, uint8_t map[4096]) {
    if (!map) return -1;
    return withBoard(board, [&](Board& b) {
        const auto& mapper = b.device<qmio::SymbolMapper>();
        std::copy(mapper.bitMap().begin(), mapper.bitMap().end(), map);
        return static_cast<int32_t>(mapper.bitMapWrites());
    });
}

QMIO_API int32_t QmioTest_CeTable(int32_t board, uint16_t values[1024]) {
    if (!values) return -1;
    return withBoard(board, [&](Board& b) {
        const auto& mapper = b.device<qmio::SymbolMapper>();
        std::copy(mapper.ceTable().begin(), mapper.ceTable().end(), values);
        return static_cast<int32_t>(mapper.ceWrites());
    });
}

QMIO_API int32_t QmioTest_ModulatorTiming(int32_t board, QmioTestTiming* timing) {
    if (!timing) return -1;
    return withBoard(board, [&](Board& b) {
        const qmio::ModulatorTiming t = qmio::modulatorTiming(b);
        *timing = QmioTestTiming{};
        timing->configured = t.configured ? 1 : 0;
        timing->sourceMode = t.sourceMode;
        timing->sampleClockKHz = t.sampleClockKHz;
        timing->symbolClockKHz = t.symbolClockKHz;
        timing->sourceBitsPerSymbol = t.sourceBitsPerSymbol;
        return 0;
    });
}

}  // extern "C"
