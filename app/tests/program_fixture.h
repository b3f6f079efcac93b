// The program's engine against the emulated board: a hardware object connected to device 0, the
// windows replaced by a recorder.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "hw/driver_ring.h"
#include "hw/hardware.h"
#include "hw/messages.h"
#include "hw/operator_ui.h"
#include "qmio/qmio_test.h"

namespace program_test {

using namespace std::chrono_literals;

struct Box {
    std::string text;
    TMsgKind kind;
};

// Stands in for the windows: records every box and window effect, from any thread.
class RecordingUi final : public TMessageBoxes, public TMainWindowEffects {
 public:
    void ShowMsgBox(const std::string& text, TMsgKind kind, TMsgButtons) override {
        std::lock_guard lock(mutex_);
        boxes_.push_back({text, kind});
        changed_.notify_all();
    }
    bool AskOkCancel(const std::string& text, TMsgKind kind, int, int) override {
        ShowMsgBox(text, kind, TMsgButtons::OkCancel);
        return confirm;
    }
    void SetMainInputEnabled(bool enabled) override { effect(enabled ? "input on" : "input off"); }
    void RestartArmedTools() override { effect("restart tools"); }
    void ResetStreamingDisplay() override { effect("reset display"); }

    bool confirm = true;  // the answer to every OK/Cancel question

    std::vector<Box> boxes() const {
        std::lock_guard lock(mutex_);
        return boxes_;
    }
    std::vector<std::string> effects() const {
        std::lock_guard lock(mutex_);
        return effects_;
    }
    void clear() {
        std::lock_guard lock(mutex_);
        boxes_.clear();
        effects_.clear();
    }
    // Waits (at most `limit`) until a box whose text starts with `prefix` was shown.
    bool waitForBox(const std::string& prefix, std::chrono::milliseconds limit = 10s) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, limit, [&] {
            for (const auto& box : boxes_)
                if (box.text.rfind(prefix, 0) == 0) return true;
            return false;
        });
    }

 private:
    void effect(const char* what) {
        std::lock_guard lock(mutex_);
        effects_.push_back(what);
    }
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Box> boxes_;
    std::vector<std::string> effects_;
};

// The directory holding the generated Firmware/ folder (the program's directory).
inline std::string ProgramDir() {
    return std::filesystem::path(ZORVANL_FIRMWARE_DIR).parent_path().string() + "/";
}

// A directory of its own for each test, removed afterwards.
class TempDir {
 public:
    TempDir() {
        static int counter = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("zvprog" + std::to_string(getpid()) + "_" + std::to_string(counter++));
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }

 private:
    std::filesystem::path path_;
};

// Bytes that name their own position: a shifted or repeated piece is told apart from the right one.
inline std::vector<std::uint8_t> PositionBytes(std::size_t size, unsigned seed = 1) {
    std::vector<std::uint8_t> bytes(size);
    std::uint32_t x = seed * 2654435761u;
    for (std::size_t i = 0; i < size; ++i) {
        x = x * 1664525u + 1013904223u;
        bytes[i] = static_cast<std::uint8_t>(x >> 24);
    }
    return bytes;
}

inline void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    std::string text(static_cast<std::size_t>(std::max<std::streamoff>(in.tellg(), 0)), '\0');
    in.seekg(0);
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    return text;
}

// Polls `done` until it holds or `limit` passes.
inline bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 20s) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(200us);
    }
    return true;
}

class ProgramTest : public ::testing::Test {
 protected:
    // The emulator's configuration; by default one board with a ring of 4 x 64 KiB.
    virtual std::string boardConfig() const { return "[Board0]\nDmaBuffers=4\nDmaBufferLength=65536\n"; }

    void SetUp() override {
        ASSERT_GE(QmioTest_Configure(boardConfig().c_str()), 1);
        InstallMessageBoxes(&ui);
        InstallMainWindowEffects(&ui);
        AppDir = ProgramDir();
        ErrorTextLanguage = 0;
        CreateWarning(0);
        hw = std::make_unique<TZorvanHWClass>(0);
        ZorvanHWObject = hw.get();
        ASSERT_EQ(ConnectDevice(0, AppPath("Firmware").c_str()), 0);
        _ConnectDeviceGetHandels(0, &hw->MemoryData, &hw->SlotNum);
        RememberMappedRing(hw->MemoryData);
        ASSERT_GT(std::uint32_t{hw->MemoryData.Count}, 0u);  // a copy: the record is byte-packed
        BuffersPerCH = static_cast<std::int32_t>(hw->MemoryData.Count);
        DrvBufferLen = hw->MemoryData.Buffers[0].Size;
        DrvBufCount = static_cast<std::uint8_t>(BuffersPerCH);
    }

    void TearDown() override {
        ZorvanHWObject = nullptr;
        hw.reset();  // disconnects
        InstallMessageBoxes(nullptr);
        InstallMainWindowEffects(nullptr);
    }

    std::vector<std::string> boxTexts() const {
        std::vector<std::string> texts;
        for (const auto& box : ui.boxes())
            texts.push_back(box.text);
        return texts;
    }

    RecordingUi ui;
    std::unique_ptr<TZorvanHWClass> hw;
    TempDir dir;
};

}  // namespace program_test
