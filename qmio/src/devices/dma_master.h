// The board's DMA master. StartMaster describes the ring: MASTER_CTL 0x04000000 + n announces n
// descriptors (and stops a running master), then for each DMA_INDEX i its DMA_SIZE and DMA_ADDR (the
// buffer's bus address with bit 0 set); MASTER_CTL 0x60000000 starts the master, 0 stops it.
//
// While started, a playback thread plays the described buffers in ring order, 0 .. n-1 and round again,
// each in the time its bytes take at the board's data rate; after each buffer it reads the buffer from
// host memory (the bus-master read), hands it to the capture when one is on, counts it in the interrupt
// block and sets the driver's named event (Board::signalInterrupt).
//
// The data rate is the modulator's source rate (symbol clock x source bits per symbol / 8, from
// ModulatorTiming). While the board is not configured (no working image, no symbol clock) the modulator
// takes no data: the master holds at its place in the ring, plays nothing and raises no interrupt, and
// goes on once the board is configured. Tests and benchmarks override the rate (configuration key
// MasterByteRate=<bytes per second>, -1 as fast as possible, 0 the modulator's rate; or
// QmioTest_SetMasterRate) and can let the master play a given number of buffers only (QmioTest_MasterBudget).
//
// A start that finds a descriptor without its valid bit, of size 0, or not inside one mapped DMA buffer
// does not start: the master halts with a fault naming that descriptor (a bus error on the board).
//
// Threads: the playback thread owns its stop flag and wake-up. It never waits for the board's lock
// (it only tries it, now and then, to look at the modulator's timing), so stopping it from a register
// access (MASTER_CTL 0), from QMBUS_MemoryUnmap, QMBUS_Close or the board's destruction, all of which
// hold the board's lock, always returns, after joining it. Stop is idempotent.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "../board.h"
#include "playback_capture.h"

namespace qmio {

// Verify mode of `capture` against the contents of the file at `path`; false (nothing changed) when the
// file is missing or empty.
bool verifyAgainstFile(PlaybackCapture& capture, const std::string& path);

class DmaMaster : public BoardDevice {
 public:
    struct Descriptor {
        std::uint32_t size = 0;
        std::uint32_t address = 0;
    };

    explicit DmaMaster(Board& board);
    ~DmaMaster() override;
    void write(std::uint32_t index, std::uint32_t value) override;
    void reset() override;
    void releaseHost() override;
    void describe(std::string& out) override;

    // Rate setting: 0 the modulator's rate, > 0 bytes per second, < 0 as fast as possible.
    void setRate(double bytesPerSecond);
    double rateSetting();
    // The rate the master plays at now, in bytes per second: 0 while the modulator takes no data,
    // infinity as fast as possible. Call with the board's lock.
    double currentRate();
    // Buffers the master may still play (-1: no limit). It holds, like a stalled modulator, at 0.
    void setBudget(std::int64_t buffers);
    std::int64_t budget();

    void stop();
    bool running() const { return running_; }
    unsigned described() const { return described_; }
    Descriptor descriptor(unsigned index) const { return descriptors_.at(index); }
    int faultDescriptor() const { return fault_; }  // -1: none
    std::uint64_t buffersPlayed() const { return buffersPlayed_.load(std::memory_order_acquire); }
    std::uint64_t bytesPlayed() const { return bytesPlayed_.load(std::memory_order_acquire); }
    unsigned position() const { return position_.load(std::memory_order_acquire); }
    PlaybackCapture& capture() { return capture_; }

 private:
    struct RingBuffer {
        const std::uint8_t* memory;
        std::uint32_t size;
    };

    void start();
    void run(std::vector<RingBuffer> ring);
    void playOne(const RingBuffer& buffer, std::vector<std::uint8_t>& staging);
    double modulatorRate();  // board's lock held

    Board& board_;
    std::array<Descriptor, zorvan::reg::master::kDescriptors> descriptors_{};
    std::uint32_t index_ = 0;
    unsigned described_ = 0;
    bool running_ = false;
    int fault_ = -1;

    // Shared with the playback thread, under control_.
    std::mutex control_;
    std::condition_variable wake_;
    bool stopRequested_ = false;
    double rateSetting_ = 0;
    double modulatorRate_ = 0;  // as the thread last saw it
    std::int64_t budget_ = -1;
    std::uint64_t generation_ = 0;  // changes whenever a setting the thread paces by changes

    std::thread thread_;
    std::atomic<std::uint64_t> buffersPlayed_{0};
    std::atomic<std::uint64_t> bytesPlayed_{0};
    std::atomic<unsigned> position_{0};
    PlaybackCapture capture_;
};

}  // namespace qmio
