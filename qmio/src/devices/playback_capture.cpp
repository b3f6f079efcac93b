#include "playback_capture.h"

#include <algorithm>
#include <cstring>

namespace qmio {

PlaybackCapture::~PlaybackCapture() {
    std::lock_guard lock(mutex_);
    closeLocked();
}

void PlaybackCapture::closeLocked() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    memory_.clear();
    memory_.shrink_to_fit();
    capacity_ = 0;
    total_ = 0;
    expected_.clear();
    expected_.shrink_to_fit();
    verification_ = {};
    active_.store(false, std::memory_order_release);
}

void PlaybackCapture::off() {
    std::lock_guard lock(mutex_);
    closeLocked();
}

void PlaybackCapture::toMemory(std::size_t capacity) {
    std::lock_guard lock(mutex_);
    closeLocked();
    if (capacity == 0) return;
    memory_.reserve(capacity);
    capacity_ = capacity;
    active_.store(true, std::memory_order_release);
}

bool PlaybackCapture::toFile(const std::string& path) {
    std::lock_guard lock(mutex_);
    closeLocked();
    if (path.empty()) return true;
    file_ = std::fopen(path.c_str(), "wb");
    active_.store(file_ != nullptr, std::memory_order_release);
    return file_ != nullptr;
}

void PlaybackCapture::toVerify(std::vector<std::uint8_t> expected) {
    std::lock_guard lock(mutex_);
    closeLocked();
    if (expected.empty()) return;
    expected_ = std::move(expected);
    verification_.expectedSize = expected_.size();
    active_.store(true, std::memory_order_release);
}

PlaybackCapture::Verification PlaybackCapture::verification() {
    std::lock_guard lock(mutex_);
    return verification_;
}

void PlaybackCapture::append(const std::uint8_t* data, std::size_t length) {
    std::lock_guard lock(mutex_);
    if (!expected_.empty()) {
        // Compared in runs up to the end of the expected sequence, so that the common case is one
        // memcmp per run and only a differing run is looked at byte by byte.
        const std::size_t size = expected_.size();
        std::size_t at = static_cast<std::size_t>(verification_.bytes % size);
        for (std::size_t done = 0; done < length;) {
            const std::size_t run = std::min(length - done, size - at);
            if (std::memcmp(data + done, expected_.data() + at, run) != 0) {
                for (std::size_t i = 0; i < run; ++i) {
                    if (data[done + i] == expected_[at + i]) continue;
                    if (verification_.firstMismatch < 0)
                        verification_.firstMismatch = static_cast<std::int64_t>(verification_.bytes + i);
                    ++verification_.mismatches;
                }
            }
            verification_.bytes += run;
            done += run;
            at += run;
            if (at == size) {
                at = 0;
                ++verification_.passes;
            }
        }
    } else if (file_) {
        std::fwrite(data, 1, length, file_);
    } else if (memory_.size() < capacity_) {
        const std::size_t kept = std::min(length, capacity_ - memory_.size());
        memory_.insert(memory_.end(), data, data + kept);
    }
    total_ += length;
}

void PlaybackCapture::flush() {
    std::lock_guard lock(mutex_);
    if (file_) std::fflush(file_);
}

std::uint64_t PlaybackCapture::read(std::uint64_t offset, std::uint8_t* out, std::size_t max) {
    std::lock_guard lock(mutex_);
    if (out && offset < memory_.size()) {
        const std::size_t count = std::min<std::uint64_t>(max, memory_.size() - offset);
        std::memcpy(out, memory_.data() + offset, count);
    }
    return total_;
}

}  // namespace qmio
