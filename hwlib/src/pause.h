// The library's only way to sleep: a pause the board's hardware requires, counted for
// ZorvanL_PausedNanoseconds.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

namespace zorvan {

inline std::atomic<std::int64_t>& pausedNanoseconds() {
    static std::atomic<std::int64_t> total{0};
    return total;
}

// Counted once the pause is over: a look at the count while a pause runs sees the pauses taken.
template <typename Rep, typename Period>
void pause(std::chrono::duration<Rep, Period> length) {
    std::this_thread::sleep_for(length);
    pausedNanoseconds().fetch_add(std::chrono::duration_cast<std::chrono::nanoseconds>(length).count(),
                                  std::memory_order_relaxed);
}

}  // namespace zorvan
