// A record of everything the board's master plays, for tests and diagnostics: a bounded memory sink that
// keeps the first `capacity` bytes (later bytes are counted, not kept), or a file that receives them all.
// Its own lock guards it; the playback thread appends without the board's lock.
//
// A third sink compares instead of keeping: in verify mode every byte played is checked against an
// expected sequence repeated in order (the source file the program streams), so that a run of any
// length proves what the board played without a byte of capture on disk. It counts the bytes verified,
// the passes (whole repetitions of the sequence) and the bytes that differed, and keeps the position
// of the first difference.
//
// Configuration keys: CaptureMemory=<bytes> (memory sink of that capacity), CaptureFile=<path>,
// VerifyFile=<path> (verify mode against that file's contents).
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

namespace qmio {

class PlaybackCapture {
 public:
    PlaybackCapture() = default;
    ~PlaybackCapture();
    PlaybackCapture(const PlaybackCapture&) = delete;
    PlaybackCapture& operator=(const PlaybackCapture&) = delete;

    // Starts a fresh capture into memory (capacity 0: off) or into a file (empty path: off); either
    // replaces what was captured before. toFile returns false when the file cannot be created.
    void toMemory(std::size_t capacity);
    bool toFile(const std::string& path);
    void off();
    // Verify mode against `expected` (empty: off). Replaces any capture.
    void toVerify(std::vector<std::uint8_t> expected);

    struct Verification {
        std::uint64_t bytes = 0;       // bytes compared
        std::uint64_t passes = 0;      // whole repetitions of the expected sequence
        std::uint64_t mismatches = 0;  // bytes that were not the expected ones
        std::int64_t firstMismatch = -1;
        std::uint64_t expectedSize = 0;
    };
    Verification verification();

    bool active() const { return active_.load(std::memory_order_acquire); }
    void append(const std::uint8_t* data, std::size_t length);
    void flush();
    // Copies up to `max` kept bytes from `offset` on; returns the bytes captured so far (kept or not).
    std::uint64_t read(std::uint64_t offset, std::uint8_t* out, std::size_t max);

 private:
    void closeLocked();

    std::mutex mutex_;
    std::atomic<bool> active_{false};
    std::vector<std::uint8_t> memory_;
    std::size_t capacity_ = 0;
    std::FILE* file_ = nullptr;
    std::uint64_t total_ = 0;
    std::vector<std::uint8_t> expected_;
    Verification verification_;
};

}  // namespace qmio
