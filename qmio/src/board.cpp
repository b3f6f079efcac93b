#include "board.h"

#include <algorithm>

#include "devices/dma_master.h"
#include "devices/fpga_config_port.h"
#include "devices/source_ram.h"
#include "zplatform/registry.h"

namespace qmio {
namespace {

constexpr std::uint32_t kBeyondWindow = 0xFFFFFFFF;    // a read outside the window: nobody answers
constexpr std::int64_t kDmaPhysicalBase = 0x10000000;  // bus addresses of the DMA buffers start here
constexpr std::uint32_t kDmaPhysicalAlign = 0x10000;

}  // namespace

Board::Board(BoardConfig config) : config_(std::move(config)) {
    populateBoard(*this);
    reset();
}

Board::~Board() {
    std::lock_guard lock(mutex_);
    releaseHost();  // before the DMA memory and the interrupt block go away with the members
}

void Board::releaseHost() {
    for (auto& device : devices_)
        device->releaseHost();
}

void Board::reset() {
    for (auto& device : devices_)
        device->reset();
}

void Board::mapRead(zorvan::reg::Reg r, BoardDevice* device) {
    readers_.at(r.index).push_back(device);
}

void Board::mapWrite(zorvan::reg::Reg r, BoardDevice* device) {
    writers_.at(r.index).push_back(device);
}

std::uint32_t Board::read(std::uint32_t index) {
    std::lock_guard lock(mutex_);
    std::uint32_t value = kBeyondWindow;
    if (index < kWindowWords) {
        value = 0;
        for (BoardDevice* device : readers_[index])
            value |= device->read(index);
    }
    record(index, value, false);
    return value;
}

void Board::write(std::uint32_t index, std::uint32_t value) {
    std::lock_guard lock(mutex_);
    record(index, value, true);
    if (index >= kWindowWords) return;
    for (BoardDevice* device : writers_[index])
        device->write(index, value);
}

void Board::writeBytes(std::uint32_t index, const std::uint8_t* values, std::uint32_t count) {
    std::lock_guard lock(mutex_);
    for (std::uint32_t i = 0; i < count; ++i) {
        record(index, values[i], true);
        if (index >= kWindowWords) continue;
        for (BoardDevice* device : writers_[index])
            device->write(index, values[i]);
    }
}

void Board::record(std::uint32_t index, std::uint32_t value, bool write) {
    if (!logging_) return;
    if (logCount_ < logCapacity_)
        log_.push_back({index, value, static_cast<std::uint8_t>(write ? 1 : 0), {}});
    ++logCount_;
}

void Board::logRegisters(bool on, std::size_t capacity) {
    std::lock_guard lock(mutex_);
    logging_ = on;
    if (on) {
        log_.clear();
        log_.reserve(std::min<std::size_t>(capacity, 1 << 20));
        logCapacity_ = capacity;
        logCount_ = 0;
    }
}

std::size_t Board::readLog(std::size_t first, QmioTestAccess* out, std::size_t max) {
    std::lock_guard lock(mutex_);
    for (std::size_t i = 0; i < max && first + i < log_.size(); ++i)
        out[i] = log_[first + i];
    return logCount_;
}

void Board::mapDmaBuffers(TMapMemData& table) {
    if (dmaTable_.empty()) {
        const auto parameters = zplatform::registry::readDriverBufferParameters();
        const unsigned count = config_.dmaBuffers
                                   ? config_.dmaBuffers
                                   : static_cast<unsigned>(std::max(1, parameters.buffersPerChannel));
        const std::uint32_t length =
            config_.dmaBufferLength ? config_.dmaBufferLength : parameters.bufferLength;
        const std::int64_t stride =
            (std::int64_t{length} + kDmaPhysicalAlign - 1) / kDmaPhysicalAlign * kDmaPhysicalAlign;
        for (unsigned i = 0; i < count; ++i) {
            dmaMemory_.push_back(std::make_unique<std::uint8_t[]>(length));  // zero-filled
            TMemBuffer buffer{};
            buffer.Size = length;
            buffer.UserVA = dmaMemory_.back().get();
            buffer.MemoryPA = kDmaPhysicalBase + stride * i;
            dmaTable_.push_back(buffer);
            dmaRegions_.push_back(
                {static_cast<std::uint64_t>(buffer.MemoryPA), length, dmaMemory_.back().get()});
        }
    }
    table = TMapMemData{};
    table.Count = static_cast<std::uint32_t>(dmaTable_.size());
    table.Buffers = dmaTable_.data();
}

void Board::unmapDmaBuffers() {
    releaseHost();
    dmaTable_.clear();
    dmaRegions_.clear();
    dmaMemory_.clear();
}

std::uint8_t* Board::hostMemory(std::uint64_t physical, std::uint32_t length) {
    for (const DmaRegion& region : dmaRegions_)
        if (physical >= region.physical && physical - region.physical <= region.length &&
            length <= region.length - (physical - region.physical))
            return region.memory + (physical - region.physical);
    return nullptr;
}

std::uint32_t Board::interruptCount() {
    return std::atomic_ref<std::uint32_t>(interruptBlock_[1]).load(std::memory_order_acquire);
}

void Board::signalInterrupt() {
    std::atomic_ref<std::uint32_t>(interruptBlock_[1]).fetch_add(1, std::memory_order_release);
    if (interruptsLost_.load(std::memory_order_relaxed)) return;
    if (zplatform::NamedEvent* event = interruptEventView_.load(std::memory_order_acquire)) event->set();
}

void Board::setInterruptCount(std::uint32_t count) {
    std::atomic_ref<std::uint32_t>(interruptBlock_[1]).store(count, std::memory_order_release);
}

std::string Board::interruptEventName(std::uint8_t slotNumber) {
    return "Global\\qmbus" + std::to_string(slotNumber) + "evnt0";
}

void Board::opened() {
    std::lock_guard lock(mutex_);
    open_ = true;
    if (interruptEvent_) return;
    interruptEvent_ = zplatform::NamedEvent::create(interruptEventName(config_.slotNumber), false, false);
    interruptEventView_.store(interruptEvent_.get(), std::memory_order_release);
}

void Board::closed() {
    std::lock_guard lock(mutex_);
    open_ = false;
    releaseHost();
    interruptEventView_.store(nullptr, std::memory_order_release);
    interruptEvent_.reset();
}

std::uint8_t Board::hardwareVersion() const {
    return config_.eeprom[zorvan::reg::eeprom::kHardwareVersion];
}

QmioTestOutput Board::output() {
    std::lock_guard lock(mutex_);
    return outputLocked();
}

QmioTestOutput Board::outputLocked() {
    const auto& fpga = device<FpgaConfigPort>();
    if (!fpga.modulatorPresent()) return QMIO_OUTPUT_SILENT;
    if (fpga.image().mode <= 1)
        return device<SourceRam>().playLength() > 0 ? QMIO_OUTPUT_SOURCE_RAM : QMIO_OUTPUT_SILENT;
    return device<DmaMaster>().running() ? QMIO_OUTPUT_DMA_RING : QMIO_OUTPUT_SILENT;
}

std::string Board::status() {
    std::lock_guard lock(mutex_);
    std::string out = config_.name + "\n";
    switch (outputLocked()) {
        case QMIO_OUTPUT_SOURCE_RAM:
            out += "  output: playing the source RAM\n";
            break;
        case QMIO_OUTPUT_DMA_RING:
            out += "  output: playing the DMA ring\n";
            break;
        default:
            out += "  output: silent\n";
            break;
    }
    out += "  driver slot " + std::to_string(config_.driverSlot) + ", slot number " +
           std::to_string(config_.slotNumber) + ", hardware version " + std::to_string(hardwareVersion()) +
           (open_ ? ", open" : ", closed");
    if (!dmaRegions_.empty())
        out += ", " + std::to_string(dmaRegions_.size()) + " DMA buffers of " +
               std::to_string(dmaRegions_.front().length) + " bytes";
    out += ", interrupts " + std::to_string(interruptCount()) + "\n";
    for (auto& device : devices_)
        device->describe(out);
    return out;
}

}  // namespace qmio
