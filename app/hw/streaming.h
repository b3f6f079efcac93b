// The streaming engine: a source file larger than the board's RAM reaches the board through the
// driver's DMA ring, repeated without end. The output thread (THWOutput) fills the whole ring before the
// master starts and then, on every signal of the driver, as many buffers as the board has played. Files
// above 100 MiB are kept in two 50 MiB data buffers that the reading thread (TReadThread) refills;
// smaller files are read once into one data buffer. A Start with the reading thread goes on as soon as
// the first data buffer is read: the second is read while the board plays the first (50 MiB last
// 190 ms at 266 MB/s, the refill's deadline in every later round too), so the board sounds a whole
// buffer's reading time earlier.
//
// What the board plays is the file repeated, byte for byte, with no gap, repeat or reordering of the
// data the program sends:
// - the output thread waits for a data buffer the reading thread has not refilled yet instead of
//   sending its old bytes again (it checks for a stop every 100 ms while it waits);
// - when the board has overtaken the ring (the interrupt count advanced by the ring's size or more
//   since the last pass), nothing is written in that pass and writing resumes at the board's position
//   with the next bytes of the file: the board has replayed old buffers, the program skips no data;
// - the interrupt count is a 32-bit counter of the driver; it is followed across its wrap at 2^32;
//   while the driver has not yet handed out its interrupt block, the count is taken as unchanged;
// - the ring never uses more buffers, or longer ones, than the driver mapped;
// - file positions and sizes are 64-bit; a file that cannot be opened, is empty or shrinks while it is
//   streamed is reported, and a short read wraps to the file's start so the sequence stays the file's.
//
// The thread-end events ("hEventHWOutputThread", "hEventReadThread") and the hand-over event
// ("hEventEmptyBuff") are private to the process, without a name: two programs driving two boards must
// never share them (a stop of one would otherwise wait on the other's threads).
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>

#include "worker_thread.h"
#include "zplatform/named_event.h"

class TZorvanHWClass;
class TDataStream;

// Files above this size are streamed from two data buffers by a reading thread.
inline constexpr std::uint64_t kReadThreadThreshold = 0x6400000;   // 100 MiB
inline constexpr std::uint32_t kReadThreadBufferSize = 0x3200000;  // 50 MiB

// The data buffers' memory: large pages where the system offers them, so that the first filling of
// 50 MiB does not stop at every small page.
struct TLargeMemoryFree {
    void operator()(std::uint8_t* memory) const noexcept;
};
using TLargeMemory = std::unique_ptr<std::uint8_t[], TLargeMemoryFree>;
// `size` bytes, not initialised; nullptr when the memory is not there.
TLargeMemory AllocateLargeMemory(std::size_t size);

struct TDataBuffer {
    TLargeMemory Data;
    std::uint32_t Size = 0;
    // 1: used up, waiting to be filled; 0: holds data not yet copied out. Written with release and read
    // with acquire: the flag hands the buffer's bytes from one thread to the other.
    std::atomic<std::uint8_t> Empty{1};
};

// Display counters of the service window, written by the output thread.
struct TStreamCounters {
    std::atomic<std::int64_t> CtrlOldIRQCount{0};  // interrupt count when the output thread began
    std::atomic<std::int64_t> CtrlIRQCount{0};     // interrupt count last seen
    std::atomic<std::uint64_t> CtrlByteTX{0};      // bytes copied into driver buffers since the start
    std::atomic<std::uint64_t> Overruns{0};        // passes in which the board had overtaken the ring
    // Times the whole file has been read through and the reading side went back to its start: by the
    // reading thread for a file above 100 MiB, by the output thread for a file held in one data buffer.
    // It counts what was handed towards the board; the board plays it a ring's length later.
    std::atomic<std::uint64_t> Passes{0};
    std::atomic<std::int64_t> OutputCpuNs{0};  // CPU time of the last output thread, when it ended
    std::atomic<std::uint32_t> MostBehind{0};  // most buffers the board had played at one wake-up
    std::atomic<std::uint64_t> DataWaits{0};   // times the next data buffer was not refilled yet
};

class THWOutput final : public TWorkerThread {
 public:
    // Builds the thread suspended and opens the driver's event "Global\qmbus<slot>evnt0" for waiting.
    // When it cannot be opened: an error box, and the thread ends at once once resumed.
    explicit THWOutput(TDataStream& stream);
    ~THWOutput() override { Finish(); }

    std::atomic<bool> IsInited{false};  // the first filling of the ring is done

 private:
    void Execute() override;
    void OnTerminate() override;
    // Driver buffer c from the data buffers; false when a stop came while waiting for data.
    bool FillDriverBuffer(std::uint32_t c);
    bool WaitForData(TDataBuffer& buffer);
    std::int64_t InterruptCount();

    TDataStream& stream_;
    std::unique_ptr<zplatform::NamedEvent> hEventUioma;
    std::uint32_t CopyedLength = 0;  // bytes of the current data buffer already copied out
    std::uint8_t* lpData = nullptr;
    std::uint32_t dwLength = 0;
    std::uint8_t* BuffPtr = nullptr;
    std::uint8_t CurBuffNum = 0;
    std::int64_t lastCount_ = 0;  // for following the 32-bit count across its wrap
};

class TReadThread final : public TWorkerThread {
 public:
    // Builds the thread suspended and creates the hand-over event "hEventEmptyBuff".
    TReadThread(TDataStream& stream, std::string FileName);
    ~TReadThread() override { Finish(); }

    std::atomic<bool> IsInited{false};  // the first data buffer holds its data (the second follows)

 private:
    void Execute() override;
    void OnTerminate() override;
    void FillBuffer(TDataBuffer& buffer);

    TDataStream& stream_;
    std::ifstream Stream;
    std::string InFileName;
    std::uint8_t LastBuff = 0;
    std::int64_t FSize = 0;
    std::int64_t CopyedLength = 0;  // bytes of the file read in the current pass
};

// The streaming state of one main window: data buffers, threads, their events and counters.
class TDataStream {
 public:
    explicit TDataStream(TZorvanHWClass& hw);  // creates the two thread-end events (set)
    ~TDataStream();                            // stops the threads

    // Reads the source file into the data buffers (or starts the reading thread) and starts the output
    // thread, which fills the whole ring; the start sequence starts the master afterwards.
    void StartDataThreads();
    // Stops both threads (each stop takes effect within about 100 ms) and frees the data buffers.
    void StopDataThreads();

    std::uint64_t FileSize = 0;  // size of the file being streamed
    TStreamCounters Counters;

 private:
    friend class THWOutput;
    friend class TReadThread;

    template <typename Thread>
    void WaitUntilInited(Thread& thread, const char* timeoutMessage);
    void NotifyFilled();
    void ReleaseThreads();

    TZorvanHWClass& hw_;
    TDataBuffer DataBuffers[2];
    std::uint8_t DataBufferCount = 0;
    std::uint8_t RingBuffers = 0;  // driver buffers of this run
    std::atomic<bool> HWOutputStopped{true};
    std::atomic<bool> ReadThreadStopped{true};
    std::unique_ptr<zplatform::NamedEvent> hEventHWOutputThread;
    std::unique_ptr<zplatform::NamedEvent> hEventReadThread;
    std::shared_ptr<zplatform::NamedEvent> hEventEmptyBuff;
    std::unique_ptr<THWOutput> HWOutput;
    std::unique_ptr<TReadThread> ReadThread;
    // The reading thread's signal back to the output thread when it has refilled a buffer.
    std::mutex fillMutex_;
    std::condition_variable filled_;
};

// The per-buffer log lines of the output thread are written while this is on.
extern std::atomic<bool> BuffersLogging;
