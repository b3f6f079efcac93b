// The soak check's player: streams a file through the emulated board for a given time and proves that
// every byte the board played was the file repeated in order. The board compares as it plays (its
// verify mode), so a run of any length keeps nothing on disk.
//
//   zorvanl_soak <path> <seconds> <work directory> [bytes per second]
//     path: streaming  output thread alone (a file of 3 MiB + 123 bytes)
//           reading    output and reading threads (a file of 100 MiB + 4097 bytes)
//           cycle      single-loaded cycle: a 3 MiB file split once over four driver buffers
//
// Prints one line: "soak path=<path> bytes=B passes=P overruns=O mismatches=M first=F boxes=N".
// The exit status is 0 when nothing differed, nothing was overrun and no box was shown.
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "hw/driver_ring.h"
#include "hw/hardware.h"
#include "hw/messages.h"
#include "hw/operator_ui.h"
#include "hw/streaming.h"
#include "qmio/qmio_test.h"

namespace {

class CountingBoxes final : public TMessageBoxes {
 public:
    void ShowMsgBox(const std::string& text, TMsgKind, TMsgButtons) override {
        std::lock_guard lock(mutex_);
        std::fprintf(stderr, "box: %s\n", text.c_str());
        ++count;
    }
    bool AskOkCancel(const std::string& text, TMsgKind kind, int, int) override {
        ShowMsgBox(text, kind, TMsgButtons::OkCancel);
        return false;
    }
    int count = 0;

 private:
    std::mutex mutex_;
};

// Bytes that name their position, so that a repeated or skipped piece differs from the right one.
void writeFile(const std::string& path, std::uint64_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::vector<char> chunk(1 << 20);
    std::uint32_t x = 0x9E3779B9u;
    for (std::uint64_t done = 0; done < size;) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(chunk.size(), size - done));
        for (std::size_t i = 0; i < n; ++i) {
            x = x * 1664525u + 1013904223u;
            chunk[i] = static_cast<char>(x >> 24);
        }
        out.write(chunk.data(), static_cast<std::streamsize>(n));
        done += n;
    }
}

int usage() {
    std::fprintf(stderr,
                 "usage: zorvanl_soak streaming|reading|cycle SECONDS DIRECTORY [BYTES_PER_SECOND]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) return usage();
    const std::string path = argv[1];
    const double seconds = std::atof(argv[2]);
    const std::string directory = argv[3];
    const double rate = argc > 4 ? std::atof(argv[4]) : 32e6;
    std::uint64_t size = 0;
    if (path == "streaming")
        size = 3 * (1u << 20) + 123;
    else if (path == "reading")
        size = kReadThreadThreshold + 4097;
    else if (path == "cycle")
        size = 3 * (1u << 20);
    else
        return usage();

    const std::string file = directory + "/soak_" + path + "_" + std::to_string(getpid()) + ".bin";
    writeFile(file, size);

    CountingBoxes boxes;
    InstallMessageBoxes(&boxes);
    // ZORVANL_SOAK_SLOT: the board's slot, so that two players can stream on two boards at once.
    const char* slot = std::getenv("ZORVANL_SOAK_SLOT");
    const std::string board = "[Board0]\nDmaBuffers=4\nDmaBufferLength=1048576\nSlotNumber=" +
                              std::to_string(slot ? std::atoi(slot) : 3) +
                              "\nDriverSlot=" + std::to_string(slot ? std::atoi(slot) % 64 : 0) + "\n";
    if (QmioTest_Configure(board.c_str()) < 1) return 3;
    // The program's directory, with the firmware set beside the executable.
    AppDir = std::filesystem::read_symlink("/proc/self/exe").parent_path().string() + "/";
    ErrorTextLanguage = 0;
    CreateWarning(0);
    auto hw = std::make_unique<TZorvanHWClass>(0);
    ZorvanHWObject = hw.get();
    if (ConnectDevice(0, AppPath("Firmware").c_str()) != 0) return 3;
    _ConnectDeviceGetHandels(0, &hw->MemoryData, &hw->SlotNum);
    RememberMappedRing(hw->MemoryData);
    BuffersPerCH = static_cast<std::int32_t>(hw->MemoryData.Count);
    DrvBufferLen = hw->MemoryData.Buffers[0].Size;
    DrvBufCount = static_cast<std::uint8_t>(BuffersPerCH);
    hw->SourceFile = file;

    QmioTest_SetMasterRate(0, rate);
    if (QmioTest_VerifyFile(0, file.c_str()) != 0) return 3;
    auto stream = std::make_unique<TDataStream>(*hw);
    if (path == "cycle") {
        hw->LoadDrvBuffers();
        hw->StartMaster();
    } else {
        SetDriverBufferSizes(hw->MemoryData, DrvBufferLen);
        stream->StartDataThreads();
        hw->StartMaster();
    }
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    ::StopMaster(0);
    if (path != "cycle") stream->StopDataThreads();

    QmioTestVerification check{};
    QmioTest_Verification(0, &check);
    const auto overruns = static_cast<unsigned long long>(stream->Counters.Overruns.load());
    std::printf("soak path=%s bytes=%llu passes=%llu overruns=%llu mismatches=%llu first=%lld boxes=%d\n",
                path.c_str(), static_cast<unsigned long long>(check.bytes),
                static_cast<unsigned long long>(check.passes), overruns,
                static_cast<unsigned long long>(check.mismatches),
                static_cast<long long>(check.firstMismatch), boxes.count);
    stream.reset();
    ZorvanHWObject = nullptr;
    hw.reset();
    InstallMessageBoxes(nullptr);
    std::filesystem::remove(file);
    return check.mismatches == 0 && overruns == 0 && boxes.count == 0 && check.bytes > 0 ? 0 : 1;
}
