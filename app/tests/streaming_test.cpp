// The streaming engine end to end: the program streams a file through the driver's ring and the
// emulated board plays it; its capture must be the file repeated, byte for byte.
//
// The board is stepped: it plays as fast as it can, but only as many buffers as the test allows at a
// time (at most the ring less one, each round waiting until the program has refilled what was played),
// so that the comparisons do not depend on the speed of the machine.
#include <algorithm>
#include <cstring>

#include "hw/streaming.h"
#include "program_fixture.h"
#include "tools/logger.h"

namespace program_test {
namespace {

QmioTestMaster Master() {
    return QmioTestQuery(QmioTest_Master);
}

class StreamingTest : public ProgramTest {
 protected:
    void SetUp() override {
        ProgramTest::SetUp();
        ASSERT_EQ(QmioTest_SetMasterRate(0, -1.0), 0);  // as fast as the budget allows
        ASSERT_EQ(QmioTest_MasterBudget(0, 0), 0);
        stream = std::make_unique<TDataStream>(*hw);
    }
    void TearDown() override {
        ::StopMaster(0);
        stream.reset();
        ProgramTest::TearDown();
    }

    std::uint32_t bufferLength() const { return hw->MemoryData.Buffers[0].Size; }

    // Streams `path` and starts the master; the board captures the first `captureBytes` it plays.
    void start(const std::string& path, std::int64_t captureBytes) {
        ASSERT_EQ(QmioTest_CaptureMemory(0, captureBytes), 0);
        hw->SourceFile = path;
        SetDriverBufferSizes(hw->MemoryData, DrvBufferLen);
        stream->Counters.CtrlByteTX = 0;
        stream->StartDataThreads();
        hw->StartMaster();
    }

    // Lets the board play `buffers` more buffers and waits until the program has refilled them.
    void play(std::uint64_t buffers) {
        const std::uint64_t round = std::max(1, DrvBufCount - 1);
        while (buffers > 0) {
            const std::uint64_t step = std::min(round, buffers);
            const std::uint64_t before = stream->Counters.CtrlByteTX;
            ASSERT_EQ(QmioTest_MasterBudget(0, static_cast<std::int64_t>(step)), 0);
            ASSERT_TRUE(WaitUntil([&] {
                return stream->Counters.CtrlByteTX >= before + step * bufferLength();
            })) << "the program did not refill the played buffers";
            buffers -= step;
        }
    }

    // What the board played, from `offset` on.
    static std::vector<std::uint8_t> captured(std::int64_t offset, std::size_t size) {
        std::vector<std::uint8_t> bytes(size);
        for (std::size_t done = 0; done < size;) {
            const auto chunk = static_cast<std::int32_t>(std::min<std::size_t>(size - done, 1 << 26));
            QmioTest_ReadCapture(0, offset + static_cast<std::int64_t>(done), bytes.data() + done, chunk);
            done += static_cast<std::size_t>(chunk);
        }
        return bytes;
    }

    // The capture's first `size` bytes are `file` repeated.
    static void expectRepeated(const std::vector<std::uint8_t>& file, std::uint64_t size) {
        ASSERT_GE(QmioTest_ReadCapture(0, 0, nullptr, 0), static_cast<std::int64_t>(size));
        const std::size_t chunk = 1 << 24;
        for (std::uint64_t at = 0; at < size; at += chunk) {
            const auto bytes =
                captured(static_cast<std::int64_t>(at), std::min<std::uint64_t>(chunk, size - at));
            for (std::size_t i = 0; i < bytes.size(); ++i)
                if (bytes[i] != file[(at + i) % file.size()]) {
                    FAIL() << "played byte " << at + i << " is not the file's byte "
                           << (at + i) % file.size();
                }
        }
    }

    std::unique_ptr<TDataStream> stream;
};

TEST_F(StreamingTest, AFileSmallerThanTheRingIsPlayedRepeatedWithoutGap) {
    const auto file = PositionBytes(100000);
    WriteFile(dir.file("small.bin"), file);
    start(dir.file("small.bin"), 40 * 65536);
    ASSERT_FALSE(hw->WithRDThread);
    play(40);
    expectRepeated(file, 40 * 65536);
    EXPECT_EQ(stream->Counters.Overruns, 0u);
    // Every whole file handed to the driver is one pass.
    EXPECT_EQ(stream->Counters.Passes, stream->Counters.CtrlByteTX / file.size());
    EXPECT_TRUE(ui.boxes().empty());
}

TEST_F(StreamingTest, ADriverBufferSpanningTheFilesEndTakesItsTailThenItsHead) {
    const auto file = PositionBytes(3 * 65536 + 123, 2);
    WriteFile(dir.file("odd.bin"), file);
    start(dir.file("odd.bin"), 30 * 65536);
    play(30);
    expectRepeated(file, 30 * 65536);
}

TEST_F(StreamingTest, CountersFollowTheBoard) {
    WriteFile(dir.file("c.bin"), PositionBytes(70000));
    start(dir.file("c.bin"), 0);
    const std::int64_t first = stream->Counters.CtrlOldIRQCount;
    EXPECT_EQ(stream->Counters.CtrlByteTX, 4u * 65536);  // the whole ring before the master started
    play(9);
    EXPECT_EQ(stream->Counters.CtrlByteTX, 13u * 65536);
    EXPECT_EQ(stream->Counters.CtrlIRQCount, first + 9);
    EXPECT_EQ(Master().buffersPlayed, 9);
}

class LargeRingTest : public StreamingTest {
    std::string boardConfig() const override { return "[Board0]\nDmaBuffers=4\nDmaBufferLength=1048576\n"; }
};

TEST_F(LargeRingTest, AFileAboveOneHundredMebibytesIsStreamedByTheReadingThreadAcrossItsEnd) {
    const auto file = PositionBytes(150u << 20, 3);
    WriteFile(dir.file("large.bin"), file);
    const std::uint64_t bytes = 160u << 20;  // past the end of the file and on into its start
    start(dir.file("large.bin"), static_cast<std::int64_t>(bytes));
    ASSERT_TRUE(hw->WithRDThread);
    play(bytes / bufferLength());
    expectRepeated(file, bytes);
    EXPECT_EQ(stream->Counters.Overruns, 0u);
    EXPECT_EQ(stream->Counters.Passes, 1u);  // the reading thread went back to the start once
    EXPECT_TRUE(ui.boxes().empty());
}

TEST_F(LargeRingTest, OneHundredMebibytesUseOneDataBufferAndOneByteMoreTheReadingThread) {
    // Sparse files: read as zeros without using the disk.
    for (const std::uint64_t size : {std::uint64_t{100} << 20, (std::uint64_t{100} << 20) + 1}) {
        const std::string path = dir.file("sparse" + std::to_string(size));
        std::ofstream(path, std::ios::binary).close();
        std::filesystem::resize_file(path, size);
        hw->SourceFile = path;
        stream->StartDataThreads();
        EXPECT_EQ(hw->WithRDThread, size > (std::uint64_t{100} << 20)) << size;
        EXPECT_EQ(stream->FileSize, size);
        stream->StopDataThreads();
    }
    EXPECT_TRUE(ui.boxes().empty());
}

TEST_F(LargeRingTest, SizesOfFilesAboveFourGibibytesStayExact) {
    const std::string path = dir.file("huge.bin");
    const std::uint64_t size = (std::uint64_t{4} << 30) + 3 * 1048576 + 5;
    std::ofstream(path, std::ios::binary).close();
    std::filesystem::resize_file(path, size);
    const auto head = PositionBytes(2u << 20, 4);
    {
        std::fstream out(path, std::ios::binary | std::ios::in | std::ios::out);
        out.write(reinterpret_cast<const char*>(head.data()), static_cast<std::streamsize>(head.size()));
    }
    start(path, 8 << 20);
    EXPECT_EQ(stream->FileSize, size);  // not its low 32 bits
    ASSERT_TRUE(hw->WithRDThread);
    play(8);
    std::vector<std::uint8_t> expected(head);
    expected.resize(8 << 20, 0);  // the sparse rest reads as zeros
    EXPECT_EQ(captured(0, 8 << 20), expected);
}

TEST_F(StreamingTest, AfterTheBoardOvertakesTheRingWritingResumesAtItsPositionWithTheNextData) {
    const auto file = PositionBytes(5 * 65536 + 777, 5);
    WriteFile(dir.file("o.bin"), file);
    start(dir.file("o.bin"), 64 * 65536);
    play(6);
    const std::uint64_t sent = stream->Counters.CtrlByteTX;

    // Interrupts get lost while the board plays the whole ring and one buffer more: the program is not
    // woken and the board replays buffers it has already played.
    QmioTest_SetFault(0, QMIO_FAULT_INTERRUPTS_LOST, 1);
    QmioTest_MasterBudget(0, 5);
    ASSERT_TRUE(WaitUntil([] { return Master().buffersPlayed == 11; }));
    QmioTest_SetFault(0, QMIO_FAULT_INTERRUPTS_LOST, 0);
    QmioTest_MasterBudget(0, 1);  // its next interrupt wakes the program
    ASSERT_TRUE(WaitUntil([&] { return stream->Counters.Overruns == 1; }));
    EXPECT_EQ(stream->Counters.CtrlByteTX, sent);  // nothing written in that pass

    // From now on the program writes the buffer the board has just left, with the data that follow
    // the last data it sent: nothing of the file is skipped.
    const std::uint32_t position = static_cast<std::uint32_t>(Master().buffersPlayed % 4);  // 12 % 4 = 0
    const std::uint32_t just_played = (position + 3) % 4;
    QmioTest_MasterBudget(0, 1);
    ASSERT_TRUE(WaitUntil([&] { return stream->Counters.CtrlByteTX == sent + 65536; }));
    const auto* written = static_cast<const std::uint8_t*>(hw->MemoryData.Buffers[position].UserVA);
    for (std::uint32_t i = 0; i < 65536; ++i)
        ASSERT_EQ(written[i], file[(sent + i) % file.size()]) << "byte " << i;
    EXPECT_NE(just_played, position);
    EXPECT_EQ(stream->Counters.Overruns, 1u);
}

TEST_F(StreamingTest, TheInterruptCountIsFollowedAcrossItsWrap) {
    const auto file = PositionBytes(200000, 6);
    WriteFile(dir.file("w.bin"), file);
    ASSERT_EQ(QmioTest_SetInterruptCount(0, 0xFFFFFFFEu), 0);
    start(dir.file("w.bin"), 12 * 65536);
    play(12);
    expectRepeated(file, 12 * 65536);
    EXPECT_EQ(stream->Counters.CtrlIRQCount, std::int64_t{0xFFFFFFFE} + 12);
    EXPECT_EQ(stream->Counters.Overruns, 0u);
}

TEST_F(StreamingTest, WhileTheInterruptBlockIsUnavailableNothingIsWrittenAndStreamingStartsLater) {
    const auto file = PositionBytes(90000, 7);
    WriteFile(dir.file("i.bin"), file);
    QmioTest_SetFault(0, QMIO_FAULT_INTERRUPT_INFO, 1);
    std::thread repair([&] {
        ui.waitForBox("[GetInterruptInfo]");
        QmioTest_SetFault(0, QMIO_FAULT_INTERRUPT_INFO, 0);
    });
    start(dir.file("i.bin"), 10 * 65536);
    repair.join();
    EXPECT_EQ(ui.boxes().front().text, "[GetInterruptInfo] InterruptData mapping error. ()");
    ASSERT_TRUE(WaitUntil([&] { return stream->Counters.CtrlByteTX == 4u * 65536; }));
    play(10);
    expectRepeated(file, 10 * 65536);
}

class MoreBuffersThanMapped : public StreamingTest {
 protected:
    void SetUp() override {
        StreamingTest::SetUp();
        BuffersPerCH = 9;  // the registry describes more buffers than the driver mapped
        DrvBufCount = 9;
    }
};

TEST_F(MoreBuffersThanMapped, TheRingUsesOnlyTheMappedBuffers) {
    const auto file = PositionBytes(150000, 8);
    WriteFile(dir.file("m.bin"), file);
    start(dir.file("m.bin"), 20 * 65536);
    EXPECT_EQ(DrvBufCount, 4);
    QmioTestMaster master = Master();
    EXPECT_EQ(master.described, 4);
    play(20);
    expectRepeated(file, 20 * 65536);
}

TEST_F(StreamingTest, AFileThatCannotBeOpenedStartsNothing) {
    hw->SourceFile = dir.file("absent.bin");
    stream->StartDataThreads();
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"File " + dir.file("absent.bin") + " not found."});
    stream->StopDataThreads();
    EXPECT_EQ(stream->Counters.CtrlByteTX, 0u);
}

TEST_F(StreamingTest, ASecondStartWithoutStopIsRefusedWithAWarningAndDisturbsNothing) {
    const auto file = PositionBytes(80000, 9);
    WriteFile(dir.file("s.bin"), file);
    start(dir.file("s.bin"), 8 * 65536);
    stream->StartDataThreads();
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"Trying to run write thread, but it was not stopped."});
    play(8);
    expectRepeated(file, 8 * 65536);
}

TEST_F(StreamingTest, StopEndsTheThreadsWhileTheyWaitAndResetsTheDisplay) {
    WriteFile(dir.file("x.bin"), PositionBytes(100));
    for (int run = 0; run < 3; ++run) {
        start(dir.file("x.bin"), 0);
        ::StopMaster(0);
        stream->StopDataThreads();
    }
    const auto effects = ui.effects();
    EXPECT_EQ(std::count(effects.begin(), effects.end(), "reset display"), 3);
}

TEST_F(StreamingTest, BufferLoggingWritesOneLinePerCopyAndPerWakeUp) {
    DebugLogger.Enable(dir.file("logs"));
    BuffersLogging = true;
    WriteFile(dir.file("l.bin"), PositionBytes(100000));
    start(dir.file("l.bin"), 0);
    play(1);
    stream->StopDataThreads();
    BuffersLogging = false;
    DebugLogger.Disable();
    const std::string text = ReadText(DebugLogger.FileName());
    EXPECT_NE(text.find("CopyMemory BuffIndex=0 lpData=0x"), std::string::npos);
    EXPECT_NE(text.find(" dwLength=65536 DataBufPtr=0x"), std::string::npos);
    EXPECT_NE(text.find(" dwLength=34464 DataBufPtr=0x"), std::string::npos);  // the file's end in buffer 1
    EXPECT_NE(text.find("WaitForSingleObject-OK  IRQ: cnt="), std::string::npos);
    EXPECT_NE(text.find(" BlockForWrite=1  THWOutput.Execute"), std::string::npos);
}

// ---- Single-loaded cycle mode ----

class CycleModeTest : public StreamingTest {
    std::string boardConfig() const override { return "[Board0]\nDmaBuffers=8\nDmaBufferLength=1048576\n"; }

 protected:
    std::vector<std::uint8_t> load(std::uint32_t size, std::uint8_t ring) {
        auto file = PositionBytes(size, 10);
        WriteFile(dir.file("cycle.bin"), file);
        hw->SourceFile = dir.file("cycle.bin");
        DrvBufCount = ring;
        hw->LoadDrvBuffers();
        return file;
    }
    const std::uint8_t* buffer(unsigned j) const {
        return static_cast<const std::uint8_t*>(hw->MemoryData.Buffers[j].UserVA);
    }
};

TEST_F(CycleModeTest, AFileOneByteOverThreeMebibytesFillsFourBuffersAndFifteenZeros) {
    const auto file = load(3145729, 4);
    EXPECT_EQ(DrvBufCount, 4);
    for (unsigned j = 0; j < 4; ++j)
        EXPECT_EQ(std::uint32_t{hw->MemoryData.Buffers[j].Size}, 786436u);
    EXPECT_EQ(std::memcmp(buffer(3), file.data() + 3 * 786436, 786421), 0);
    EXPECT_TRUE(std::all_of(buffer(3) + 786421, buffer(3) + 786436, [](std::uint8_t b) { return b == 0; }));
    EXPECT_EQ(std::memcmp(buffer(0), file.data(), 786436), 0);
}

TEST_F(CycleModeTest, WithEightBuffersFiveOfThemGiveTheLeastPadding) {
    load(3145729, 8);
    EXPECT_EQ(DrvBufCount, 5);
    EXPECT_EQ(std::uint32_t{hw->MemoryData.Buffers[4].Size}, 629148u);
    EXPECT_EQ(PadBytes(3145729, 5), 11u);
    EXPECT_EQ(PadBytes(3145729, 6), 23u);
    EXPECT_EQ(PadBytes(3145729, 7), 15u);
    EXPECT_EQ(PadBytes(3145729, 8), 31u);
}

TEST_F(CycleModeTest, AFileThatSplitsEvenlyStopsTheSearchAndIsPlayedAsItIs) {
    DebugLogger.Enable(dir.file("logs"));
    const auto file = load(3000000, 8);
    DebugLogger.Disable();
    EXPECT_EQ(DrvBufCount, 3);
    EXPECT_EQ(std::uint32_t{hw->MemoryData.Buffers[2].Size}, 1000000u);
    const std::string text = ReadText(DebugLogger.FileName());
    EXPECT_NE(text.find("MemoryData.Buffers[2].Size=1000000  LoadDrvBuffers"), std::string::npos);

    // The board cycles through the three buffers by itself.
    QmioTest_CaptureMemory(0, 9000000);
    hw->StartMaster();
    QmioTest_MasterBudget(0, 9);
    ASSERT_TRUE(WaitUntil([] { return Master().buffersPlayed == 9; }));
    expectRepeated(file, 9000000);
}

TEST_F(CycleModeTest, AFileThatDoesNotFitIsRefused) {
    load(8u * 1048576 + 1, 8);
    EXPECT_EQ(boxTexts().size(), 1u);
}

// ---- Driver parameters ----

TEST(DriverParameters, TheProgramAndTheEmulatedDriverReadTheSameRing) {
    TempDir dir;
    const std::string registry = dir.file("registry.reg");
    std::ofstream(registry)
        << "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\qmbus\\Parameters]\n"
           "\"BuffersPerCH\"=dword:00000006\n\"CHBufferLENs\"=hex:00,00,04,00\n";
    setenv("ZORVANL_REGISTRY", registry.c_str(), 1);
    ReadDriverBufferParameters();
    ASSERT_GE(QmioTest_Configure(""), 1);
    ASSERT_EQ(ConnectDevice(0, "."), 0);
    TMapMemData mem{};
    uint8_t slot = 0;
    _ConnectDeviceGetHandels(0, &mem, &slot);
    EXPECT_EQ(BuffersPerCH, 6);
    EXPECT_EQ(DrvBufferLen, 0x40000u);
    EXPECT_EQ(std::uint32_t{mem.Count}, 6u);
    EXPECT_EQ(std::uint32_t{mem.Buffers[5].Size}, 0x40000u);
    DisconnectDevice(0);

    unsetenv("ZORVANL_REGISTRY");
    setenv("ZORVANL_REGISTRY", dir.file("none.reg").c_str(), 1);
    ReadDriverBufferParameters();
    EXPECT_EQ(BuffersPerCH, 4);
    EXPECT_EQ(DrvBufferLen, 0x100000u);
    unsetenv("ZORVANL_REGISTRY");
}

}  // namespace
}  // namespace program_test
