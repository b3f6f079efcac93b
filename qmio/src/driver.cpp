#include "driver.h"

#include <chrono>
#include <cstdio>
#include <fstream>

#ifdef _WIN32
#include <windows.h>
#endif

namespace qmio {

Driver& Driver::instance() {
    static Driver* driver = new Driver;  // never destroyed: modules may call in while the process ends
    return *driver;
}

Driver::Driver() = default;

void Driver::ensureConfigured() {
    if (!configured_) rebuild(loadConfig());
}

void Driver::rebuild(EmulatorConfig config) {
    statusFile_ = config.statusFile;
    if (!statusFile_.empty() && !statusThread_.joinable())
        statusThread_ = std::thread([this] { statusLoop(); });
    boards_.clear();
    bySlot_.fill(nullptr);
    open_.fill(false);
    for (auto& boardConfig : config.boards) {
        if (bySlot_[boardConfig.driverSlot]) continue;  // two boards cannot share a slot
        boards_.push_back(std::make_unique<Board>(std::move(boardConfig)));
        bySlot_[boards_.back()->config().driverSlot] = boards_.back().get();
    }
    configured_ = true;
    nameQueries_ = 0;
}

// The driver lives as long as the process: so does the thread, which only ever holds the driver's lock
// while it reads the boards' states.
void Driver::statusLoop() {
    for (;;) {
        writeStatusFile();
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
}

void Driver::writeStatusFile() {
    std::string path, text;
    {
        std::lock_guard lock(mutex_);
        path = statusFile_;
        for (const auto& board : boards_)
            text += board->status();
    }
    if (path.empty()) return;
    // A reader never sees a half-written file: the new text replaces the old one by a rename.
    const std::string temporary = path + ".new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out.flush()) return;
    }
#ifdef _WIN32
    MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
#else
    std::rename(temporary.c_str(), path.c_str());
#endif
}

int Driver::configure(const char* text) {
    std::lock_guard lock(mutex_);
    rebuild(text ? parseConfig(text) : loadConfig());
    return static_cast<int>(boards_.size());
}

int32_t Driver::supportedCount() {
    std::lock_guard lock(mutex_);
    ensureConfigured();
    return static_cast<int32_t>(boards_.size());
}

const char* Driver::deviceName(unsigned slot) {
    ++nameQueries_;
    std::lock_guard lock(mutex_);
    ensureConfigured();
    if (slot >= bySlot_.size() || !bySlot_[slot]) return "";
    return bySlot_[slot]->config().name.c_str();
}

int64_t Driver::open(unsigned slot) {
    std::lock_guard lock(mutex_);
    ensureConfigured();
    if (slot >= bySlot_.size() || !bySlot_[slot] || bySlot_[slot]->hasFault(&BoardConfig::failOpen))
        return -1;
    open_[slot] = true;
    bySlot_[slot]->opened();
    return kHandleBase + slot;
}

int32_t Driver::close(int64_t handle) {
    std::lock_guard lock(mutex_);
    const int64_t slot = handle - kHandleBase;
    if (slot < 0 || slot >= static_cast<int64_t>(open_.size()) || !open_[slot]) return -1;
    open_[slot] = false;
    bySlot_[slot]->closed();
    return 0;
}

Board* Driver::boardForHandle(int64_t handle) {
    std::lock_guard lock(mutex_);
    const int64_t slot = handle - kHandleBase;
    if (slot < 0 || slot >= static_cast<int64_t>(open_.size()) || !open_[slot]) return nullptr;
    return bySlot_[slot];
}

Board* Driver::board(int index) {
    std::lock_guard lock(mutex_);
    ensureConfigured();
    return index >= 0 && index < static_cast<int>(boards_.size()) ? boards_[index].get() : nullptr;
}

}  // namespace qmio
