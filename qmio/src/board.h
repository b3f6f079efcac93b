// The emulated board: its register window, the devices behind it, its DMA buffers and interrupt block.
// Every trapped register access passes one dispatch point, under the board's lock, to the devices that
// own the register: a write reaches every device mapped for writing at that index, a read answers the
// OR of the contributions of the devices mapped for reading. A register nobody reads answers 0; a write
// nobody takes is ignored (and logged like every access).
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <typeindex>
#include <unordered_map>
#include <vector>

#include "QmbusApi.h"
#include "ZorvanLRegisters.h"
#include "board_device.h"
#include "config.h"
#include "qmio/qmio_test.h"
#include "zplatform/named_event.h"

namespace qmio {

inline constexpr std::uint32_t kWindowWords = 1024;  // 4 KiB register window
inline constexpr std::uint32_t kInterruptBlockWords = 8;

class Board {
 public:
    explicit Board(BoardConfig config);
    ~Board();
    Board(const Board&) = delete;
    Board& operator=(const Board&) = delete;

    const BoardConfig& config() const { return config_; }

    // Trapped register accesses (they take the board's lock).
    std::uint32_t read(std::uint32_t index);
    void write(std::uint32_t index, std::uint32_t value);
    // `count` writes to one register, in order, under one taking of the lock (each logged and
    // dispatched as a single write is).
    void writeBytes(std::uint32_t index, const std::uint8_t* values, std::uint32_t count);

    // Wiring, used by the devices while the board is built.
    void mapRead(zorvan::reg::Reg r, BoardDevice* device);
    void mapWrite(zorvan::reg::Reg r, BoardDevice* device);

    // The device of type T (every board has exactly one of each kind).
    template <typename T>
    T& device() {
        return *static_cast<T*>(devicesByType_.at(std::type_index(typeid(T))));
    }
    template <typename T, typename... Args>
    T& addDevice(Args&&... args) {
        auto owned = std::make_unique<T>(std::forward<Args>(args)...);
        T& device = *owned;
        devicesByType_[std::type_index(typeid(T))] = &device;
        devices_.push_back(std::move(owned));
        return device;
    }

    // The board's lock: held by every trapped access and by every inspection from outside.
    std::mutex& mutex() { return mutex_; }

    // Register window memory (the UserVA the driver maps; plain accesses land here when untrapped).
    std::uint32_t* window() { return window_.data(); }

    // DMA buffers, allocated when the driver maps them. Unmapping stops every device that reads them.
    void mapDmaBuffers(TMapMemData& table);
    void unmapDmaBuffers();
    bool dmaMapped() const { return !dmaTable_.empty(); }
    std::vector<TMemBuffer>& dmaTable() { return dmaTable_; }
    // The host memory behind `length` bytes at bus address `physical`, when they lie inside one mapped
    // DMA buffer (as the driver allocated it, whatever the program wrote into the table); else nullptr.
    std::uint8_t* hostMemory(std::uint64_t physical, std::uint32_t length);

    // Interrupt block: word 1 counts the buffers the board has played.
    std::uint32_t* interruptBlock() { return interruptBlock_.data(); }
    std::uint32_t interruptCount();
    // One played buffer: the count in the interrupt block goes up (an atomic store, which the program
    // reads with an atomic load), then the driver's named event is set. Needs no lock: the playback
    // thread calls it while the board's lock may be held by a register access.
    void signalInterrupt();
    // Interrupts lost on the way to the host: the count still goes up, the event is not set.
    void loseInterrupts(bool on) { interruptsLost_.store(on, std::memory_order_relaxed); }
    // Sets the count of the interrupt block (a test starting the count near its wrap at 2^32).
    void setInterruptCount(std::uint32_t count);
    // The driver's named event: "Global\qmbus" + slot number in decimal + "evnt0", an automatic-reset
    // event that exists while a handle of the board is open, so that the program can open it by name
    // (with the right to wait only) between QMBUS_Open and QMBUS_Close.
    static std::string interruptEventName(std::uint8_t slotNumber);

    // The driver opened / closed a handle of the board (called without the board's lock). Closing
    // stops every device that works on the host's memory, then removes the named event.
    void opened();
    void closed();
    bool isOpen() const { return open_; }
    // The hardware version byte the board was built with (its EEPROM image at power-on).
    std::uint8_t hardwareVersion() const;

    // A short human-readable status of the whole board, one line per device group, after a first line
    // that tells what the board sends out. Takes the lock.
    std::string status();
    // What the board sends out now: a working image plays its source RAM (source modes 0 and 1) or the
    // DMA ring while the master runs (modes 2 to 4); otherwise it is silent. Takes the lock.
    QmioTestOutput output();
    // The same, with the board's lock held by the caller.
    QmioTestOutput outputLocked();

    // Register log for tests.
    void logRegisters(bool on, std::size_t capacity);
    std::size_t readLog(std::size_t first, QmioTestAccess* out, std::size_t max);

    // Faults injected by tests or the configuration: written under the board's lock (faults()), read
    // by the driver's entry points from any thread through hasFault.
    BoardConfig& faults() { return config_; }
    bool hasFault(bool BoardConfig::*fault) {
        std::lock_guard lock(mutex_);
        return config_.*fault;
    }

    // Powers every device on again.
    void reset();

 private:
    void record(std::uint32_t index, std::uint32_t value, bool write);

    BoardConfig config_;
    std::mutex mutex_;
    std::vector<std::unique_ptr<BoardDevice>> devices_;
    std::unordered_map<std::type_index, BoardDevice*> devicesByType_;
    std::array<std::vector<BoardDevice*>, kWindowWords> readers_{};
    std::array<std::vector<BoardDevice*>, kWindowWords> writers_{};
    std::vector<std::uint32_t> window_ = std::vector<std::uint32_t>(kWindowWords, 0);

    void releaseHost();

    struct DmaRegion {
        std::uint64_t physical;
        std::uint32_t length;
        std::uint8_t* memory;
    };
    std::vector<std::unique_ptr<std::uint8_t[]>> dmaMemory_;
    std::vector<TMemBuffer> dmaTable_;
    std::vector<DmaRegion> dmaRegions_;
    alignas(8) std::array<std::uint32_t, kInterruptBlockWords> interruptBlock_{};
    std::unique_ptr<zplatform::NamedEvent> interruptEvent_;
    std::atomic<zplatform::NamedEvent*> interruptEventView_{nullptr};  // for the playback thread
    std::atomic<bool> interruptsLost_{false};
    bool open_ = false;

    bool logging_ = false;
    std::size_t logCapacity_ = 0;
    std::size_t logCount_ = 0;
    std::vector<QmioTestAccess> log_;
};

// Builds the board's devices and wires them to their registers.
void populateBoard(Board& board);

}  // namespace qmio
