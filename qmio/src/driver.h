// The emulated driver: the boards it lists in its 64 slots, their handles and mappings.
#pragma once

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "board.h"

namespace qmio {

class Driver {
 public:
    static Driver& instance();

    // Replaces every board (see QmioTest_Configure). nullptr: QMIO_CONFIG or the default board.
    int configure(const char* text);

    int32_t supportedCount();
    const char* deviceName(unsigned slot);
    int64_t open(unsigned slot);
    int32_t close(int64_t handle);
    // The board behind an open handle, or nullptr.
    Board* boardForHandle(int64_t handle);
    // The board at configuration position `index`, or nullptr.
    Board* board(int index);
    int nameQueries() const { return nameQueries_.load(); }

 private:
    Driver();
    void ensureConfigured();
    void rebuild(EmulatorConfig config);
    // The status file: written by its own thread while a file is configured.
    void writeStatusFile();
    void statusLoop();

    std::mutex mutex_;
    bool configured_ = false;
    std::vector<std::unique_ptr<Board>> boards_;
    std::array<Board*, 64> bySlot_{};
    std::array<bool, 64> open_{};
    std::atomic<int> nameQueries_{0};
    std::string statusFile_;  // guarded by mutex_
    std::thread statusThread_;
};

inline constexpr int64_t kHandleBase = 0x5A4C0000;  // handle = base + driver slot

}  // namespace qmio
