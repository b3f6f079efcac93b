#include "streaming.h"

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#include "../tools/logger.h"
#include "driver_ring.h"
#include "hardware.h"
#include "messages.h"
#include "zplatform/paths.h"
#include "zplatform/system_info.h"

std::atomic<bool> BuffersLogging{false};

namespace {

using namespace std::chrono_literals;

constexpr auto kThreadWait = 100ms;            // longest wait of a stream thread before it looks for a stop
constexpr int kInitPolls = 5001;               // readiness polls of StartDataThreads, 1 ms apart
constexpr std::uint32_t kReadPiece = 1 << 20;  // bytes of one read of the reading thread

std::string Hex8(const void* address) {
    char text[16];
    std::snprintf(text, sizeof text, "%08" PRIX32,
                  static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(address)));
    return text;
}

void LogOutput(const std::string& text) {
    DebugLogger.Add("i", "THWOutput.Execute", 255, text);
}

void Warn(const std::string& text) {
    ShowMsgBox(text, TMsgKind::Warning, TMsgButtons::Ok);
}
void Fail(const std::string& text) {
    ShowMsgBox(text, TMsgKind::Error, TMsgButtons::Ok);
}

}  // namespace

// ---- Data buffer memory ----------------------------------------------------------------------------

void TLargeMemoryFree::operator()(std::uint8_t* memory) const noexcept {
    std::free(memory);
}

TLargeMemory AllocateLargeMemory(std::size_t size) {
#if defined(__linux__)
    constexpr std::size_t kLargePage = 2u << 20;
    const std::size_t rounded = (std::max<std::size_t>(size, 1) + kLargePage - 1) / kLargePage * kLargePage;
    auto* memory = static_cast<std::uint8_t*>(std::aligned_alloc(kLargePage, rounded));
    if (memory) madvise(memory, rounded, MADV_HUGEPAGE);  // advice only: small pages where refused
    return TLargeMemory(memory);
#else
    return TLargeMemory(static_cast<std::uint8_t*>(std::malloc(std::max<std::size_t>(size, 1))));
#endif
}

// ---- Output thread ---------------------------------------------------------------------------------

THWOutput::THWOutput(TDataStream& stream) : stream_(stream) {
    stream_.HWOutputStopped = false;
    const std::string name = "qmbus" + std::to_string(stream_.hw_.SlotNum) + "evnt0";
    hEventUioma = zplatform::NamedEvent::openForWait("Global\\" + name);
    if (!hEventUioma) {
        Fail(MessageList[22] + name);
        Terminate();
    }
}

void THWOutput::OnTerminate() {
    stream_.HWOutputStopped = true;
}

std::int64_t THWOutput::InterruptCount() {
    TZorvanHWClass& hw = stream_.hw_;
    hw.GetInterruptInfo();
    auto* block = static_cast<std::uint32_t*>(hw.InterruptInfo.Buffers);
    if (!block) return lastCount_;  // no interrupt block handed out yet: the count is taken as unchanged
    // The driver's count is 32 bits; the modular difference follows it across its wrap.
    const std::uint32_t raw = std::atomic_ref<std::uint32_t>(block[1]).load(std::memory_order_acquire);
    lastCount_ += static_cast<std::uint32_t>(raw - static_cast<std::uint32_t>(lastCount_));
    return lastCount_;
}

bool THWOutput::WaitForData(TDataBuffer& buffer) {
    if (buffer.Empty.load(std::memory_order_acquire) != 0)
        stream_.Counters.DataWaits.fetch_add(1, std::memory_order_relaxed);
    std::unique_lock lock(stream_.fillMutex_);
    while (buffer.Empty.load(std::memory_order_acquire) != 0) {
        if (Terminated()) return false;
        stream_.filled_.wait_for(lock, kThreadWait);
    }
    return true;
}

bool THWOutput::FillDriverBuffer(std::uint32_t c) {
    const TMemBuffer& driverBuffer = stream_.hw_.MemoryData.Buffers[c];
    lpData = static_cast<std::uint8_t*>(driverBuffer.UserVA);
    dwLength = driverBuffer.Size;
    const bool withReader = stream_.hw_.WithRDThread;
    std::uint32_t written = 0;
    while (written < dwLength) {
        TDataBuffer& data = stream_.DataBuffers[CurBuffNum];
        if (withReader && CopyedLength == 0 && !WaitForData(data)) return false;
        BuffPtr = data.Data.get() + CopyedLength;
        const std::uint32_t chunk = std::min(data.Size - CopyedLength, dwLength - written);
        std::memcpy(lpData + written, BuffPtr, chunk);
        if (BuffersLogging.load(std::memory_order_relaxed))
            LogOutput("CopyMemory BuffIndex=" + std::to_string(c) + " lpData=0x" + Hex8(lpData + written) +
                      " dwLength=" + std::to_string(chunk) + " DataBufPtr=0x" + Hex8(BuffPtr));
        written += chunk;
        CopyedLength += chunk;
        stream_.Counters.CtrlByteTX.fetch_add(chunk, std::memory_order_release);  // publishes the copy
        if (CopyedLength == data.Size) {  // this data buffer is used up: on to the next one
            CopyedLength = 0;
            CurBuffNum = static_cast<std::uint8_t>((CurBuffNum + 1) % stream_.DataBufferCount);
            // One data buffer holds the whole file: using it up is one pass through the file.
            if (!withReader) stream_.Counters.Passes.fetch_add(1, std::memory_order_relaxed);
            if (withReader) {
                data.Empty.store(1, std::memory_order_release);
                stream_.hEventEmptyBuff->set();
            }
        }
    }
    return true;
}

void THWOutput::Execute() {
    // The board must not overtake the ring: the thread that refills it runs before ordinary work
    // (where the program may raise it; it then spends nearly all its time waiting for the driver).
    zplatform::system::raiseCurrentThreadPriority(1);
    stream_.hEventHWOutputThread->reset();
    const std::uint32_t ring = stream_.RingBuffers;
    // The ring position follows from the count at the start; without it nothing can be placed, so the
    // thread waits (every failed attempt shows its box) until the driver hands out its interrupt block.
    while (!Terminated()) {
        InterruptCount();
        if (stream_.hw_.InterruptInfo.Buffers) break;
        std::this_thread::sleep_for(kThreadWait);
    }
    const std::int64_t first = lastCount_;
    std::int64_t last = first;
    std::int64_t count = first;
    stream_.Counters.CtrlOldIRQCount = first;
    stream_.Counters.CtrlIRQCount = first;
    CopyedLength = 0;
    CurBuffNum = 0;
    std::uint32_t c = 0;
    std::int64_t n = ring;  // the first pass fills the whole ring
    while (!Terminated()) {
        if (IsInited) {
            if (hEventUioma->wait(kThreadWait) != zplatform::WaitResult::Signaled) continue;
            count = InterruptCount();
            stream_.Counters.CtrlIRQCount = count;
            const auto behind = static_cast<std::uint32_t>(std::min<std::int64_t>(count - last, UINT32_MAX));
            if (behind > stream_.Counters.MostBehind.load(std::memory_order_relaxed))
                stream_.Counters.MostBehind.store(behind, std::memory_order_relaxed);
            if (count - last < static_cast<std::int64_t>(ring)) {
                n = count - last;
            } else {
                // The board has overtaken the ring: it replayed old buffers. Resume at its position.
                n = 0;
                c = static_cast<std::uint32_t>((count - first) % ring);
                stream_.Counters.Overruns.fetch_add(1, std::memory_order_relaxed);
            }
            if (BuffersLogging.load(std::memory_order_relaxed))
                LogOutput("WaitForSingleObject-OK  IRQ: cnt=" + std::to_string(count) +
                          " BlockForWrite=" + std::to_string(n));
        }
        for (; n > 0; --n) {
            if (!FillDriverBuffer(c)) break;
            c = (c + 1) % ring;
        }
        if (IsInited) last = count;
        IsInited = true;
    }
    hEventUioma.reset();
    stream_.Counters.OutputCpuNs = zplatform::system::currentThreadCpuTime().count();
    stream_.hEventHWOutputThread->set();
}

// ---- Reading thread --------------------------------------------------------------------------------

TReadThread::TReadThread(TDataStream& stream, std::string FileName) : stream_(stream) {
    stream_.ReadThreadStopped = false;
    stream_.hEventEmptyBuff = zplatform::NamedEvent::createLocal(false, false);
    if (!stream_.hEventEmptyBuff) {
        Fail(MessageList[24]);
        Terminate();
        return;
    }
    InFileName = std::move(FileName);
}

void TReadThread::OnTerminate() {
    stream_.ReadThreadStopped = true;
}

// Size bytes of the file repeated without end, from where the last read stopped. The file is read in
// pieces, so that one long read never keeps the output thread from a processor.
void TReadThread::FillBuffer(TDataBuffer& buffer) {
    std::uint32_t filled = 0;
    bool wrapped = false;  // the last read hit the end of the file without reading anything
    while (filled < buffer.Size) {
        const std::uint32_t wanted = std::min<std::uint32_t>(buffer.Size - filled, kReadPiece);
        Stream.read(reinterpret_cast<char*>(buffer.Data.get()) + filled, wanted);
        const auto got = static_cast<std::uint32_t>(Stream.gcount());
        filled += got;
        CopyedLength += got;
        if (got == wanted) continue;
        // The end of the file (or of a file that shrank): go on from its start.
        if (got == 0 && wrapped) {  // nothing readable at all: keep the sequence length with zeros
            std::fill(buffer.Data.get() + filled, buffer.Data.get() + buffer.Size, std::uint8_t{0});
            break;
        }
        // The pass that reached the end is done (a file that became empty makes no passes).
        if (CopyedLength > 0) stream_.Counters.Passes.fetch_add(1, std::memory_order_relaxed);
        wrapped = got == 0;
        Stream.clear();
        Stream.seekg(0);
        CopyedLength = 0;
    }
}

void TReadThread::Execute() {
    // The output thread waits for this one whenever a data buffer is not refilled in time, and the board
    // then overtakes the ring: the reader goes before ordinary work, below the time-critical threads.
    zplatform::system::favourCurrentThread();
    stream_.hEventReadThread->reset();
    if (!Terminated()) {
        Stream.open(zplatform::pathFromUtf8(InFileName), std::ios::binary | std::ios::ate);
        FSize = Stream ? static_cast<std::int64_t>(Stream.tellg()) : 0;
        Stream.seekg(0);
        CopyedLength = 0;
        // The Start goes on as soon as the first buffer holds its data: the output thread fills the
        // ring from it while this thread fills the second one (and tells it so, should it already wait).
        for (std::uint8_t k = 0; k < stream_.DataBufferCount && !Terminated(); ++k) {
            FillBuffer(stream_.DataBuffers[k]);
            stream_.DataBuffers[k].Empty.store(0, std::memory_order_release);
            LastBuff = k;
            IsInited = true;
            stream_.NotifyFilled();
        }
        IsInited = true;
    }
    while (!Terminated()) {
        if (stream_.hEventEmptyBuff->wait(kThreadWait) != zplatform::WaitResult::Signaled) continue;
        for (unsigned i = LastBuff + 1u; i <= LastBuff + stream_.DataBufferCount; ++i) {
            const auto k = static_cast<std::uint8_t>(i % stream_.DataBufferCount);
            TDataBuffer& buffer = stream_.DataBuffers[k];
            if (buffer.Empty.load(std::memory_order_acquire) == 0) break;
            FillBuffer(buffer);
            buffer.Empty.store(0, std::memory_order_release);
            LastBuff = k;
            stream_.NotifyFilled();
        }
    }
    Stream.close();
    stream_.hEventReadThread->set();
}

// ---- The streaming state of the main window --------------------------------------------------------

TDataStream::TDataStream(TZorvanHWClass& hw) : hw_(hw) {
    hEventHWOutputThread = zplatform::NamedEvent::createLocal(true, true);
    hEventReadThread = zplatform::NamedEvent::createLocal(true, true);
}

TDataStream::~TDataStream() {
    StopDataThreads();
}

void TDataStream::NotifyFilled() {
    { std::lock_guard lock(fillMutex_); }
    filled_.notify_all();
}

template <typename Thread>
void TDataStream::WaitUntilInited(Thread& thread, const char* timeoutMessage) {
    for (int poll = 0; poll < kInitPolls && !thread.IsInited && !thread.Finished(); ++poll)
        std::this_thread::sleep_for(1ms);
    if (!thread.IsInited) Warn(timeoutMessage);
}

void TDataStream::StartDataThreads() {
    // Threads still running keep their buffers: they are neither replaced nor doubled.
    if (!ReadThreadStopped || !HWOutputStopped) {
        if (!ReadThreadStopped) Warn("Trying to run read thread, but it was not stopped.");
        if (!HWOutputStopped) Warn("Trying to run write thread, but it was not stopped.");
        return;
    }
    ReleaseThreads();  // threads of an earlier run that ended on their own
    std::ifstream file(zplatform::pathFromUtf8(hw_.SourceFile), std::ios::binary | std::ios::ate);
    if (!file) {
        Fail(MessageList[8] + hw_.SourceFile + MessageList[9]);
        return;
    }
    FileSize = static_cast<std::uint64_t>(file.tellg());
    file.seekg(0);
    if (FileSize == 0) {
        Fail("The file " + hw_.SourceFile + " is empty: there is nothing to stream.");
        return;
    }
    RingBuffers = ClampRingToMapped(hw_.MemoryData);
    if (RingBuffers == 0) {
        Fail("The driver has no DMA buffers: the file cannot be streamed.");
        return;
    }

    hw_.WithRDThread = FileSize > kReadThreadThreshold;
    DataBufferCount = hw_.WithRDThread ? 2 : 1;
    for (std::uint8_t k = 0; k < DataBufferCount; ++k) {
        TDataBuffer& buffer = DataBuffers[k];
        buffer.Size = hw_.WithRDThread ? kReadThreadBufferSize : static_cast<std::uint32_t>(FileSize);
        buffer.Data = AllocateLargeMemory(buffer.Size);
        buffer.Empty.store(1);
        if (!buffer.Data) {
            Fail("Not enough memory for the data buffers of " + hw_.SourceFile + ".");
            StopDataThreads();
            return;
        }
    }
    if (!hw_.WithRDThread) {
        file.read(reinterpret_cast<char*>(DataBuffers[0].Data.get()), DataBuffers[0].Size);
        const auto got = static_cast<std::uint32_t>(file.gcount());
        if (got == 0) {
            Fail("The file " + hw_.SourceFile + " could not be read.");
            StopDataThreads();
            return;
        }
        DataBuffers[0].Size = got;  // a file that shrank meanwhile is streamed as it is now
        DataBuffers[0].Empty.store(0, std::memory_order_release);
    }
    file.close();

    if (hw_.WithRDThread) {
        if (ReadThreadStopped) {
            ReadThread = std::make_unique<TReadThread>(*this, hw_.SourceFile);
            ReadThread->Resume();
            WaitUntilInited(*ReadThread, "Read thread not init (timeout).");
        } else {
            Warn("Trying to run read thread, but it was not stopped.");
        }
    }
    if (HWOutputStopped) {
        HWOutput = std::make_unique<THWOutput>(*this);
        HWOutput->Resume();
        WaitUntilInited(*HWOutput, "Write thread not init (timeout).");
    } else {
        Warn("Trying to run write thread, but it was not stopped.");
    }
}

void TDataStream::ReleaseThreads() {
    if (HWOutput && (HWOutputStopped || HWOutput->Finished())) HWOutput.reset();
    if (ReadThread && (ReadThreadStopped || ReadThread->Finished())) ReadThread.reset();
}

void TDataStream::StopDataThreads() {
    MainWindowEffects().ResetStreamingDisplay();
    // A thread that is showing a box must not keep this wait from ending.
    struct WorkersGoOn {
        WorkersGoOn() { MessageBoxes().SetWorkersMustNotWait(true); }
        ~WorkersGoOn() { MessageBoxes().SetWorkersMustNotWait(false); }
    } workersGoOn;
    if (HWOutput) {
        HWOutput->Terminate();
        hEventHWOutputThread->wait();
        HWOutput.reset();  // joins
    }
    if (ReadThread) {
        ReadThread->Terminate();
        hEventReadThread->wait();
        ReadThread.reset();
    }
    hEventEmptyBuff.reset();
    for (TDataBuffer& buffer : DataBuffers) {
        buffer.Data.reset();
        buffer.Size = 0;
    }
    DataBufferCount = 0;
}
