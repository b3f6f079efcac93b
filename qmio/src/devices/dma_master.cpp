#include "dma_master.h"

#include "zplatform/system_info.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>

#include "../modulator_timing.h"

#if defined(__SANITIZE_THREAD__)
#define QMIO_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define QMIO_THREAD_SANITIZER 1
#endif
#endif

#ifdef QMIO_THREAD_SANITIZER
extern "C" void AnnotateIgnoreReadsBegin(const char* file, int line);
extern "C" void AnnotateIgnoreReadsEnd(const char* file, int line);
#endif

namespace qmio {
namespace {

using namespace zorvan::reg;
using Clock = std::chrono::steady_clock;

// How often the playback thread looks at the modulator's timing, and how long it sleeps at most while
// the master holds.
constexpr auto kTimingPoll = std::chrono::milliseconds(50);
constexpr double kLongestWaitSeconds = 1e6;

// The board reads host memory as bus master, beside whatever the program does: the program may be
// rewriting a buffer the board is reading, which is an overrun of the real system that the program's
// refill discipline has to prevent, not a race inside the emulator. Under ThreadSanitizer this one read
// is therefore not instrumented (it copies into the thread's own staging memory only); every other
// access, the program's included, is still checked.
void busMasterRead(std::uint8_t* to, const std::uint8_t* from, std::size_t length) {
#ifdef QMIO_THREAD_SANITIZER
    AnnotateIgnoreReadsBegin(__FILE__, __LINE__);
#endif
    std::memcpy(to, from, length);
#ifdef QMIO_THREAD_SANITIZER
    AnnotateIgnoreReadsEnd(__FILE__, __LINE__);
#endif
}

}  // namespace

bool verifyAgainstFile(PlaybackCapture& capture, const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::vector<std::uint8_t> expected((std::istreambuf_iterator<char>(in)),
                                       std::istreambuf_iterator<char>());
    if (expected.empty()) return false;
    capture.toVerify(std::move(expected));
    return true;
}

DmaMaster::DmaMaster(Board& board) : board_(board) {
    board.mapWrite(MASTER_CTL, this);
    board.mapWrite(DMA_INDEX, this);
    board.mapWrite(DMA_SIZE, this);
    board.mapWrite(DMA_ADDR, this);
    const BoardConfig& config = board.config();
    rateSetting_ = config.number("MasterByteRate", 0.0);
    if (const auto capacity = config.integer("CaptureMemory", 0); capacity > 0)
        capture_.toMemory(static_cast<std::size_t>(capacity));
    if (const auto path = config.text("CaptureFile", ""); !path.empty()) capture_.toFile(path);
    if (const auto path = config.text("VerifyFile", ""); !path.empty()) verifyAgainstFile(capture_, path);
}

DmaMaster::~DmaMaster() {
    stop();
}

void DmaMaster::reset() {
    stop();
    descriptors_.fill({});
    index_ = 0;
    described_ = 0;
    fault_ = -1;
}

void DmaMaster::releaseHost() {
    stop();
}

void DmaMaster::write(std::uint32_t index, std::uint32_t value) {
    if (index == DMA_INDEX.index) {
        index_ = value;
    } else if (index == DMA_SIZE.index) {
        if (index_ < descriptors_.size()) descriptors_[index_].size = value;
    } else if (index == DMA_ADDR.index) {
        if (index_ < descriptors_.size()) descriptors_[index_].address = value;
    } else if (value == master::kStop) {
        stop();
    } else if (value == master::kStart) {
        start();
    } else if (master::kCommand.get(value) == master::kCommand.get(master::kDescribe)) {
        stop();  // a new ring is being described
        described_ = master::kDescribeCount.get(value);
        fault_ = -1;
    }
    // Other MASTER_CTL words have no meaning on this board and are ignored.
}

void DmaMaster::start() {
    stop();
    fault_ = -1;
    std::vector<RingBuffer> ring;
    for (unsigned i = 0; i < described_; ++i) {
        const Descriptor& d = descriptors_[i];
        std::uint8_t* memory = nullptr;
        if ((d.address & master::kAddressValid) && d.size > 0)
            memory = board_.hostMemory(d.address & ~master::kAddressValid, d.size);
        if (!memory) {
            fault_ = static_cast<int>(i);
            return;
        }
        ring.push_back({memory, d.size});
    }
    running_ = true;
    buffersPlayed_.store(0, std::memory_order_release);
    bytesPlayed_.store(0, std::memory_order_release);
    position_.store(0, std::memory_order_release);
    if (ring.empty()) return;  // started over no buffers: there is nothing to play
    {
        std::lock_guard lock(control_);
        stopRequested_ = false;
        modulatorRate_ = modulatorRate();
        ++generation_;
    }
    thread_ = std::thread(&DmaMaster::run, this, std::move(ring));
}

void DmaMaster::stop() {
    if (thread_.joinable()) {
        {
            std::lock_guard lock(control_);
            stopRequested_ = true;
        }
        wake_.notify_all();
        thread_.join();
        capture_.flush();
    }
    running_ = false;
}

double DmaMaster::modulatorRate() {
    const ModulatorTiming timing = modulatorTiming(board_);
    if (!timing.configured || !(timing.symbolClockKHz > 0) || !(timing.sourceBitsPerSymbol > 0)) return 0;
    return timing.symbolClockKHz * 1000.0 * timing.sourceBitsPerSymbol / 8.0;
}

double DmaMaster::currentRate() {
    const double setting = rateSetting();
    if (setting < 0) return std::numeric_limits<double>::infinity();
    return setting > 0 ? setting : modulatorRate();
}

void DmaMaster::setRate(double bytesPerSecond) {
    {
        std::lock_guard lock(control_);
        rateSetting_ = std::isnan(bytesPerSecond) ? 0 : bytesPerSecond;
        ++generation_;
    }
    wake_.notify_all();
}

double DmaMaster::rateSetting() {
    std::lock_guard lock(control_);
    return rateSetting_;
}

void DmaMaster::setBudget(std::int64_t buffers) {
    {
        std::lock_guard lock(control_);
        budget_ = buffers < 0 ? -1 : buffers;
        ++generation_;
    }
    wake_.notify_all();
}

std::int64_t DmaMaster::budget() {
    std::lock_guard lock(control_);
    return budget_;
}

void DmaMaster::run(std::vector<RingBuffer> ring) {
    // The board's timing is hardware: its thread runs before the host's work where it may.
    zplatform::system::raiseCurrentThreadPriority(2);
    std::size_t largest = 0;
    for (const RingBuffer& buffer : ring)
        largest = std::max<std::size_t>(largest, buffer.size);
    std::vector<std::uint8_t> staging(largest);  // the board's own FIFO, allocated once per start

    std::size_t position = 0;
    std::uint64_t paced = ~std::uint64_t{0};  // the generation the current pacing segment belongs to
    Clock::time_point segmentStart{};
    double segmentBytes = 0;
    Clock::time_point lastLook = Clock::now() - kTimingPoll;
    for (;;) {
        // The modulator's rate, looked at now and then. Only tried: the board's lock may be held by
        // whoever is stopping this thread.
        if (Clock::now() - lastLook >= kTimingPoll) {
            std::unique_lock boardLock(board_.mutex(), std::try_to_lock);
            if (boardLock.owns_lock()) {
                const double rate = modulatorRate();
                boardLock.unlock();
                lastLook = Clock::now();
                std::lock_guard lock(control_);
                if (rate != modulatorRate_) {
                    modulatorRate_ = rate;
                    ++generation_;
                }
            }
        }

        std::unique_lock lock(control_);
        if (stopRequested_) return;
        if (generation_ != paced) {  // a new rate or budget: pace afresh from now
            paced = generation_;
            segmentStart = Clock::now();
            segmentBytes = 0;
        }
        const auto changed = [&] { return stopRequested_ || generation_ != paced; };
        const double rate = rateSetting_ != 0 ? rateSetting_ : modulatorRate_;
        if (rate == 0 || budget_ == 0) {
            // Holding: nothing is played; the time spent here does not count as playing time.
            wake_.wait_for(lock, kTimingPoll, changed);
            paced = ~std::uint64_t{0};
            continue;
        }
        const RingBuffer& buffer = ring[position];
        if (rate > 0) {
            const double seconds = std::min((segmentBytes + buffer.size) / rate, kLongestWaitSeconds);
            const auto due = segmentStart + std::chrono::duration_cast<Clock::duration>(
                                                std::chrono::duration<double>(seconds));
            if (wake_.wait_until(lock, due, changed)) continue;  // stopped, or paced afresh
        }
        if (budget_ > 0) --budget_;
        lock.unlock();

        // The board moves on to the next buffer before it reports this one played, so whoever sees
        // the count also sees the position that goes with it.
        position = (position + 1) % ring.size();
        position_.store(static_cast<unsigned>(position), std::memory_order_release);
        playOne(buffer, staging);
        segmentBytes += buffer.size;
    }
}

void DmaMaster::playOne(const RingBuffer& buffer, std::vector<std::uint8_t>& staging) {
    if (capture_.active()) {
        busMasterRead(staging.data(), buffer.memory, buffer.size);
        capture_.append(staging.data(), buffer.size);
    }
    buffersPlayed_.fetch_add(1, std::memory_order_acq_rel);
    bytesPlayed_.fetch_add(buffer.size, std::memory_order_acq_rel);
    board_.signalInterrupt();
}

void DmaMaster::describe(std::string& out) {
    char line[224];
    if (fault_ >= 0) {
        std::snprintf(
            line, sizeof line,
            "  DMA master: halted, descriptor %d (size %u, address 0x%08X) is not mapped DMA memory\n",
            fault_, descriptors_[fault_].size, descriptors_[fault_].address);
    } else if (!running_) {
        std::snprintf(line, sizeof line, "  DMA master: stopped, %u buffers described, %llu buffers played\n",
                      described_, static_cast<unsigned long long>(buffersPlayed()));
    } else {
        const double rate = currentRate();
        char pace[48];
        if (std::isinf(rate))
            std::snprintf(pace, sizeof pace, "as fast as possible");
        else if (rate == 0)
            std::snprintf(pace, sizeof pace, "holding, modulator takes no data");
        else
            std::snprintf(pace, sizeof pace, "%.0f bytes/s", rate);
        std::snprintf(
            line, sizeof line,
            "  DMA master: running over %u buffers, at buffer %u, %llu buffers (%llu bytes) played, %s%s\n",
            described_, position(), static_cast<unsigned long long>(buffersPlayed()),
            static_cast<unsigned long long>(bytesPlayed()), pace, budget() == 0 ? ", budget spent" : "");
    }
    out += line;
    if (const auto check = capture_.verification(); check.expectedSize > 0) {
        std::snprintf(line, sizeof line, "  verify: %llu bytes, %llu passes, %llu mismatches\n",
                      static_cast<unsigned long long>(check.bytes),
                      static_cast<unsigned long long>(check.passes),
                      static_cast<unsigned long long>(check.mismatches));
        out += line;
    } else if (capture_.active()) {
        std::snprintf(line, sizeof line, "  capture: %llu bytes\n",
                      static_cast<unsigned long long>(capture_.read(0, nullptr, 0)));
        out += line;
    }
}

}  // namespace qmio
