// Run control: the source path chosen by the file's size, Start / Stop / the close against the
// emulated board, and the streaming position display.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

#include "config/options.h"
#include "hw/run_control.h"
#include "hw/streaming.h"
#include "program_fixture.h"

namespace program_test {
namespace {

constexpr std::uint64_t kMiB = 0x100000;

TEST(RunControlPaths, FileSizeChoosesThePath) {
    struct Case {
        std::uint64_t size;
        std::uint8_t version;
        bool singleLoaded;
        TSourcePath path;
    };
    const std::uint32_t ring = 4 * kMiB;
    for (const Case& c :
         {Case{kMiB, 1, false, TSourcePath::Ram}, Case{kMiB + 1, 1, false, TSourcePath::Streaming},
          Case{2 * kMiB, 2, false, TSourcePath::Ram}, Case{2 * kMiB + 1, 2, false, TSourcePath::Streaming},
          Case{2 * kMiB, 0, false, TSourcePath::Streaming},  // every version but 2 has 1 MiB
          Case{3 * kMiB, 1, true, TSourcePath::SingleLoadedCycle},
          Case{4 * kMiB, 1, true, TSourcePath::SingleLoadedCycle},
          Case{4 * kMiB + 1, 1, true, TSourcePath::Streaming},
          Case{3 * kMiB, 1, false, TSourcePath::Streaming}})
        EXPECT_EQ(ChooseSourcePath(c.size, c.version, c.singleLoaded, ring), c.path)
            << c.size << " bytes, version " << int{c.version} << ", single-loaded " << c.singleLoaded;
}

TEST(RunControlPaths, SourceKindChoosesTheMode) {
    // An I/Q file of 16-bit samples that fits the RAM is loaded as a bit stream would be (mode 0).
    EXPECT_EQ(SourceModeFor(0, true), 0);
    EXPECT_EQ(SourceModeFor(1, true), 1);
    EXPECT_EQ(SourceModeFor(2, true), 0);
    EXPECT_EQ(SourceModeFor(0, false), 2);
    EXPECT_EQ(SourceModeFor(1, false), 3);
    EXPECT_EQ(SourceModeFor(2, false), 4);
    EXPECT_EQ(SourceModeFor(5, true), std::nullopt);
}

TEST(RunControlPosition, PositionWithinTheRepeatedFile) {
    // 5 MiB streamed from a 2 MiB file: 1 MiB into the third pass, halfway through the file.
    const TStreamingPosition half = StreamingPosition(5 * kMiB, 2 * kMiB, '.', "MB");
    EXPECT_EQ(half.PanelText, "1.00 MB");
    EXPECT_EQ(half.Progress, 50);
    EXPECT_EQ(StreamingPosition(5 * kMiB, 2 * kMiB, ',', "МБ").PanelText, "1,00 МБ");
    // A file size not known yet counts as 1 byte: no division by zero.
    EXPECT_EQ(StreamingPosition(12345, 0, '.', "MB").PanelText, "0.00 MB");
    // 12.5 % and 37.5 % round to the even neighbours, 12 and 38.
    EXPECT_EQ(StreamingPosition(kMiB / 8, kMiB, '.', "MB").Progress, 12);
    EXPECT_EQ(StreamingPosition(3 * kMiB / 8, kMiB, '.', "MB").Progress, 38);
}

// Stands in for the main window: the file name field, the controls' state and the position display.
class FakeRunWindow final : public TRunWindow {
 public:
    std::string fileName;
    bool running = false;
    bool timerOn = false;
    bool ramView = false;
    int configurationsTaken = 0;
    std::string panel = "untouched";
    int progress = -1;
    bool progressVisible = false;

    std::string FileNameText() const override { return fileName; }
    void ShowRunning(bool on) override { running = on; }
    void TakeConfiguration() override { ++configurationsTaken; }
    void SetPositionTimer(bool on) override { timerOn = on; }
    void ShowPosition(const std::string& text, int value, bool visible) override {
        panel = text;
        progress = value;
        progressVisible = visible;
    }
    void RAMModeView(bool on) override { ramView = on; }
    std::string MegaByte() const override { return "MB"; }
};

class RunControlTest : public ProgramTest {
 protected:
    // A ring of 4 x 1 MiB (capacity 4 MiB) on a board of hardware version 1 (1 MiB of RAM).
    std::string boardConfig() const override {
        return "[Board0]\nHardwareVersion=1\nDmaBuffers=4\nDmaBufferLength=1048576\n";
    }

    void SetUp() override {
        ProgramTest::SetUp();
        ASSERT_EQ(QmioTest_SetMasterRate(0, 64.0e6), 0);
        hw->HWVersion = 1;
        hw->F_N = 1000;
        hw->F_TI = 1000;
        hw->ModKind = 3;
        hw->AttVH = 20;
        hw->AttNH = 2;
        hw->Samples = 4;
        hw->FreqStep = 1;
        DrvBuffEx = false;
        stream = std::make_unique<TDataStream>(*hw);
        run = std::make_unique<TRunControl>(*hw, *stream, window);
    }
    void TearDown() override {
        run.reset();
        stream.reset();
        ::StopMaster(0);
        DrvBuffEx = false;
        ProgramTest::TearDown();
    }

    std::string sourceOf(std::uint64_t size) {
        const std::string path = dir.file("source_" + std::to_string(size) + ".bin");
        WriteFile(path, PositionBytes(size));
        return path;
    }

    void start(std::uint64_t size) {
        window.fileName = sourceOf(size);
        run->Start();
    }

    static std::string FpgaImage() { return QmioTestQuery(QmioTest_FpgaState).name; }

    FakeRunWindow window;
    std::unique_ptr<TDataStream> stream;
    std::unique_ptr<TRunControl> run;
};

TEST_F(RunControlTest, ExactlyTheRamPlaysFromRamOneByteMoreStreams) {
    start(kMiB);
    EXPECT_EQ(run->Path(), TSourcePath::Ram);
    EXPECT_EQ(QmioTest_Output(0), QMIO_OUTPUT_SOURCE_RAM);
    EXPECT_FALSE(QmioTestQuery(QmioTest_Master).running);
    EXPECT_TRUE(window.ramView);
    EXPECT_FALSE(window.timerOn);
    EXPECT_EQ(hw->IstSig, 0);

    start(kMiB + 1);  // a restart: the RAM run ends, the stream begins
    EXPECT_EQ(run->Path(), TSourcePath::Streaming);
    EXPECT_EQ(QmioTest_Output(0), QMIO_OUTPUT_DMA_RING);
    EXPECT_FALSE(window.ramView);
    EXPECT_TRUE(window.timerOn);
    EXPECT_TRUE(window.progressVisible);
    EXPECT_EQ(window.panel, "");
    EXPECT_EQ(stream->FileSize, kMiB + 1);
    EXPECT_EQ(hw->IstSig, 2);
    EXPECT_TRUE(WaitUntil([&] { return QmioTestQuery(QmioTest_Master).buffersPlayed >= 2; }));
    EXPECT_TRUE(ui.boxes().empty()) << ui.boxes().front().text;
}

TEST_F(RunControlTest, SingleLoadedCycleUpToTheRingThenStreaming) {
    DrvBuffEx = true;
    start(3 * kMiB);
    EXPECT_EQ(run->Path(), TSourcePath::SingleLoadedCycle);
    EXPECT_EQ(QmioTest_Output(0), QMIO_OUTPUT_DMA_RING);
    EXPECT_EQ(stream->FileSize, 0u) << "the cycle needs no streaming threads";
    EXPECT_FALSE(window.timerOn);

    start(4 * kMiB + 1);
    EXPECT_EQ(run->Path(), TSourcePath::Streaming);
    EXPECT_EQ(stream->FileSize, 4 * kMiB + 1);
    EXPECT_TRUE(window.timerOn);
    EXPECT_TRUE(ui.boxes().empty()) << ui.boxes().front().text;
}

TEST_F(RunControlTest, StopReturnsTheFpgaToItsRamLoadImage) {
    start(kMiB + 1);
    ASSERT_TRUE(window.running);
    run->Stop();
    EXPECT_FALSE(window.running);
    EXPECT_FALSE(window.timerOn);
    EXPECT_EQ(QmioTest_Output(0), QMIO_OUTPUT_SILENT);
    EXPECT_FALSE(QmioTestQuery(QmioTest_Master).running);
    EXPECT_EQ(FpgaImage(), "load_Ram");
}

TEST_F(RunControlTest, MissingFileLeavesTheRunGoing) {
    start(kMiB);
    ASSERT_EQ(QmioTest_Output(0), QMIO_OUTPUT_SOURCE_RAM);
    const int taken = window.configurationsTaken;
    window.fileName = dir.file("gone.bin");
    run->Start();
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"File " + window.fileName + " not found."});
    EXPECT_EQ(window.configurationsTaken, taken) << "nothing is taken, loaded or stopped";
    EXPECT_EQ(QmioTest_Output(0), QMIO_OUTPUT_SOURCE_RAM);
    // A directory of that name is not a source file either.
    ui.clear();
    window.fileName = dir.path().string();
    run->Start();
    EXPECT_EQ(ui.boxes().size(), 1u);
}

TEST_F(RunControlTest, CloseStopsWhenAskedAndAlwaysClearsTheMaster) {
    for (const bool txDisableOnExit : {false, true}) {
        start(kMiB + 1);
        const std::string working = FpgaImage();
        ASSERT_EQ(QmioTest_LogRegisters(0, 1, 4096), 0);
        hw->TxDisableOnExit = txDisableOnExit;
        run->Close();
        EXPECT_FALSE(QmioTestQuery(QmioTest_Master).running);
        EXPECT_EQ(FpgaImage(), txDisableOnExit ? "load_Ram" : working) << txDisableOnExit;
        std::vector<QmioTestAccess> log(4096);
        log.resize(static_cast<std::size_t>(QmioTest_ReadRegisterLog(0, 0, log.data(), 4096)));
        bool cleared = false;
        for (const QmioTestAccess& access : log)
            cleared |= access.write && access.index == 3 && access.value == 0;
        EXPECT_TRUE(cleared) << "MASTER_CTL receives 0 whatever TxDisableOnExit says";
        QmioTest_LogRegisters(0, 0, 0);
    }
}

// Threads of this process now.
// The threads of the process. ThreadSanitizer adds a background thread of its own at the first thread
// the process creates; one thread made and joined first lets that happen before the count is taken.
std::size_t ThreadCount() {
    static const bool warmedUp = [] {
        std::thread([] {}).join();
        return true;
    }();
    (void)warmedUp;
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task"))
        ++count;
    return count;
}

// A storm of commands over the three source paths: Start, a restart by a new configuration while the
// run goes on (Start on a running board), and Stop, in an order that meets every pair of paths. After
// each command the board is in the state it asked for, and after each Stop the process has the threads
// it had before the storm: no streaming thread is lost or left behind. Every Start loads the FPGA
// (about 0.2 s on the emulated board), so the storm of the test run is short: 9 rounds of the three
// commands, one per pair of paths. ZORVANL_STORM_ROUNDS sets another number of rounds;
// scripts/storm.sh runs a thousand under AddressSanitizer and under ThreadSanitizer. The engine storm
// below repeats the paths' own starts and stops a thousand times in every run.
TEST_F(RunControlTest, StartStopAndRestartStormsLeaveTheBoardAsTheLastCommandAsked) {
    ASSERT_EQ(QmioTest_SetMasterRate(0, 4.0e6), 0);
    const std::string ram = sourceOf(4096), cycle = sourceOf(kMiB + 4096), streamed = sourceOf(kMiB + 8192);
    struct Path {
        const std::string* file;
        bool singleLoaded;
        TSourcePath path;
    };
    const Path paths[] = {{&ram, false, TSourcePath::Ram},
                          {&cycle, true, TSourcePath::SingleLoadedCycle},
                          {&streamed, false, TSourcePath::Streaming}};
    const std::size_t threads = ThreadCount();
    const auto startOn = [&](const Path& p) {
        DrvBuffEx = p.singleLoaded;
        window.fileName = *p.file;
        run->Start();
        ASSERT_TRUE(run->Running());
        ASSERT_EQ(run->Path(), p.path);
        ASSERT_EQ(QmioTest_Output(0),
                  p.path == TSourcePath::Ram ? QMIO_OUTPUT_SOURCE_RAM : QMIO_OUTPUT_DMA_RING);
        ASSERT_EQ(QmioTestQuery(QmioTest_Master).running != 0, p.path != TSourcePath::Ram);
    };
    const char* asked = std::getenv("ZORVANL_STORM_ROUNDS");
    const int rounds = asked && std::atoi(asked) > 0 ? std::atoi(asked) : 9;
    for (int round = 0; round < rounds; ++round) {
        const Path& first = paths[round % 3];
        const Path& second = paths[(round / 3 + round) % 3];
        ASSERT_NO_FATAL_FAILURE(startOn(first));
        ASSERT_NO_FATAL_FAILURE(startOn(second));  // the restart: the first run ends, the second begins
        run->Stop();
        ASSERT_FALSE(run->Running());
        ASSERT_FALSE(window.running);
        ASSERT_EQ(QmioTest_Output(0), QMIO_OUTPUT_SILENT) << round;
        ASSERT_FALSE(QmioTestQuery(QmioTest_Master).running) << round;
        ASSERT_EQ(ThreadCount(), threads) << "after cycle " << round;
    }
    EXPECT_EQ(FpgaImage(), "load_Ram");
    EXPECT_TRUE(ui.boxes().empty()) << ui.boxes().front().text;
    std::printf("storm rounds=%d commands=%d\n", rounds, 3 * rounds);
}

// The engine storm: 1002 starts and stops of the three source paths' own parts (the RAM load, the
// single-loaded ring, the streaming threads with the master), alternating and restarted without a stop
// in between, with the board playing throughout. After every stop the master is stopped and the
// process has its threads of before; a start after it plays again. A streaming start waits up to
// 0.1 s for the driver's interrupt block, so one start in six streams.
TEST_F(RunControlTest, AThousandStartsAndStopsOfTheSourcePathsLoseAndLeaveNoThread) {
    ASSERT_EQ(QmioTest_SetMasterRate(0, 1.0e9), 0);
    const std::string ram = sourceOf(4096), cycle = sourceOf(kMiB + 4096), streamed = sourceOf(kMiB + 8192);
    const std::size_t threads = ThreadCount();
    bool streaming = false;
    const auto stop = [&] {
        ::StopMaster(0);
        if (streaming) stream->StopDataThreads();
        streaming = false;
    };
    for (int round = 0; round < 1002; ++round) {
        switch (round % 6 == 5 ? 2 : round % 2) {
            case 0:
                stop();
                hw->SourceFile = ram;
                ASSERT_EQ(Load_RAM(0, ram.c_str(), 0), 0);
                break;
            case 1:
                stop();
                hw->SourceFile = cycle;
                DrvBufCount = static_cast<std::uint8_t>(BuffersPerCH);
                hw->LoadDrvBuffers();
                hw->StartMaster();
                ASSERT_TRUE(QmioTestQuery(QmioTest_Master).running) << round;
                break;
            default:
                if (round % 4 == 1) stop();  // else a restart of the running cycle
                ::StopMaster(0);
                hw->SourceFile = streamed;
                DrvBufCount = static_cast<std::uint8_t>(BuffersPerCH);
                SetDriverBufferSizes(hw->MemoryData, DrvBufferLen);
                stream->StartDataThreads();
                streaming = true;
                hw->StartMaster();
                ASSERT_TRUE(QmioTestQuery(QmioTest_Master).running) << round;
                break;
        }
        if (round % 5 == 4) {
            stop();
            ASSERT_FALSE(QmioTestQuery(QmioTest_Master).running) << round;
            ASSERT_EQ(ThreadCount(), threads) << "after round " << round;
        }
    }
    stop();
    EXPECT_EQ(ThreadCount(), threads);
    EXPECT_TRUE(ui.boxes().empty()) << ui.boxes().front().text;
}

}  // namespace
}  // namespace program_test
