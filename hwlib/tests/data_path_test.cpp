// Data path: the RAM source, its packing order, the master's descriptors and a real playback of the DMA
// ring with the interrupt count, the driver's named event and a capture of what the board played.
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>

#include "board_fixture.h"
#include "zplatform/named_event.h"

namespace zorvan::test {
namespace {

using namespace reg;
namespace fs = std::filesystem;

constexpr uint32_t kBufferLength = 4096;

class DataPathTest : public BoardTest {
 protected:
    std::string boardConfig() const override {
        return "[Board0]\nSlotNumber=57\nDmaBuffers=4\nDmaBufferLength=4096\n" + extraConfig();
    }
    virtual std::string extraConfig() const { return ""; }

    void SetUp() override {
        BoardTest::SetUp();
        dir_ = fs::temp_directory_path() / ("zorvanl_data_path_" + std::to_string(getpid()) + "_" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
        connect();
        _ConnectDeviceGetHandels(0, &mem_, &slot_);
        ASSERT_EQ(mem_.Count, 4u);
    }
    void TearDown() override {
        BoardTest::TearDown();
        std::error_code error;
        fs::remove_all(dir_, error);
    }

    std::string file(const std::string& name, const std::string& bytes) const {
        const fs::path path = dir_ / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }
    // Pairs (address, value) of the RAM writes in the log.
    static std::vector<std::pair<uint32_t, uint32_t>> ramWrites() {
        const auto address = writesTo(DATA_PORT);
        const auto data = writesTo(RAM_DATA);
        EXPECT_EQ(address.size(), data.size());
        std::vector<std::pair<uint32_t, uint32_t>> pairs;
        for (size_t i = 0; i < std::min(address.size(), data.size()); ++i)
            pairs.emplace_back(address[i], data[i]);
        return pairs;
    }
    uint8_t* buffer(int i) const { return static_cast<uint8_t*>(mem_.Buffers[i].UserVA); }
    static uint32_t interruptCount() {
        TIntInfo info{};
        EXPECT_EQ(GetInterruptInfo(0, &info), 0);
        return std::atomic_ref<uint32_t>(static_cast<uint32_t*>(info.Buffers)[1]).load();
    }
    static QmioTestMaster master() {
        QmioTestMaster m{};
        EXPECT_EQ(QmioTest_Master(0, &m), 0);
        return m;
    }

    fs::path dir_;
    TMapMemData mem_{};
    uint8_t slot_ = 0;
};

TEST_F(DataPathTest, WordFilesFillTheTopOfTheRamAndSetTheLengthForThePackingOrder) {
    startLog();
    ASSERT_EQ(Load_RAM(0, file("seven.bin", "\x01\x02\x03\x04\x05\x06\x07").c_str(), 0), 0);
    EXPECT_EQ(ramWrites(), (std::vector<std::pair<uint32_t, uint32_t>>{
                               {0xFFFFFFFD, 0x0201}, {0xFFFFFFFE, 0x0403}, {0xFFFFFFFF, 0x0605}}));
    uint16_t words[3] = {};
    ASSERT_EQ(QmioTest_ReadSourceRam(0, 0xFFFFFFFD, words, 3), 0);
    EXPECT_EQ(std::vector<uint16_t>(words, words + 3), (std::vector<uint16_t>{0x0201, 0x0403, 0x0605}));

    startLog();
    ASSERT_EQ(SetPackingOrder(0, 1, 0), 0);
    EXPECT_EQ(writesTo(PLAY_CTL), std::vector<uint32_t>{0x4FFFFFFD});
    QmioTestSourceRam ram{};
    ASSERT_EQ(QmioTest_SourceRam(0, &ram), 0);
    EXPECT_EQ(ram.playLength, 3);
    EXPECT_EQ(ram.bitOrder, 1);
    EXPECT_EQ(ram.byteOrder, 0);
    EXPECT_EQ(ram.sizeWords, 0x100000);  // hardware version 2: 2 MiB

    // An order other than 0 or 1 counts as 1 and stays in its own bit.
    startLog();
    ASSERT_EQ(SetPackingOrder(0, 2, 3), 0);
    EXPECT_EQ(writesTo(PLAY_CTL), std::vector<uint32_t>{0xCFFFFFFD});
}

TEST_F(DataPathTest, BitTextFilesWriteOnePairPerCharacterAfterThePadding) {
    startLog();
    ASSERT_EQ(Load_RAM(0, file("bits.txt", "1011").c_str(), 1), 0);
    EXPECT_EQ(ramWrites(), (std::vector<std::pair<uint32_t, uint32_t>>{
                               {0xFFFFFFFF, 1u << 12}, {0, 0}, {1, 1u << 14}, {2, 1u << 15}}));
    startLog();
    ASSERT_EQ(SetPackingOrder(0, 0, 1), 0);
    EXPECT_EQ(writesTo(PLAY_CTL), std::vector<uint32_t>{0x8FFFFFFC});

    // 17 characters: padding 15, the first at bit 15 of address -2; anything but "1" is a zero.
    startLog();
    ASSERT_EQ(Load_RAM(0, file("seventeen.txt", "1" + std::string(15, 'x') + "1").c_str(), 1), 0);
    const auto pairs = ramWrites();
    ASSERT_EQ(pairs.size(), 17u);
    EXPECT_EQ(pairs.front(), std::make_pair(0xFFFFFFFEu, 0x8000u));
    EXPECT_EQ(pairs[1], std::make_pair(0xFFFFFFFFu, 0u));
    EXPECT_EQ(pairs.back(), std::make_pair(14u, 0x8000u));
}

TEST_F(DataPathTest, EmptyMissingAndUnreadableFiles) {
    startLog();
    ASSERT_EQ(Load_RAM(0, file("empty.bin", "").c_str(), 0), 0);
    ASSERT_EQ(SetPackingOrder(0, 0, 0), 0);
    EXPECT_TRUE(writesTo(DATA_PORT).empty());
    EXPECT_EQ(writesTo(PLAY_CTL), std::vector<uint32_t>{0});  // length 0

    startLog();
    char text[8192] = "";
    const std::string missing = (dir_ / "missing.bin").string();
    EXPECT_EQ(Load_RAM(0, missing.c_str(), 0), -6);
    GetLastErrorInfo(0, text);
    EXPECT_EQ(std::string(text), missing);
    EXPECT_EQ(Load_RAM(0, dir_.string().c_str(), 1), -6);  // a directory has no bytes to load
    GetLastErrorInfo(0, text);
    EXPECT_EQ(std::string(text), dir_.string());
    EXPECT_EQ(Load_RAM(0, nullptr, 0), -1);
    EXPECT_TRUE(log().empty());
}

// A failure the library does not name (here: no memory for a source file of 8 TiB, a sparse file) is
// the internal error -8, and nothing reaches the board. The sanitizers' allocators end the process on
// such a request instead of failing it, so the sanitizer builds leave this case out.
TEST_F(DataPathTest, ASourceFileTooLargeForMemoryIsTheInternalError) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizer's allocator aborts instead of failing the allocation";
#else
    const std::string huge = (dir_ / "huge.bin").string();
    std::ofstream(huge).close();
    std::error_code error;
    fs::resize_file(huge, std::uintmax_t{1} << 43, error);
    if (error) GTEST_SKIP() << "the file system holds no sparse file of 8 TiB";
    startLog();
    EXPECT_EQ(Load_RAM(0, huge.c_str(), 0), -8);
    EXPECT_TRUE(writesTo(DATA_PORT).empty());
#endif
}

TEST_F(DataPathTest, StartMasterDescribesTheBuffersItIsGiven) {
    startLog();
    ASSERT_EQ(StartMaster(0, 4), 0);
    std::vector<Access> expected = {{MASTER_CTL.index, 0x04000004, true}};
    for (uint32_t i = 0; i < 4; ++i) {
        const auto address = static_cast<uint32_t>(mem_.Buffers[i].MemoryPA) | 1u;
        expected.push_back({DMA_INDEX.index, i, true});
        expected.push_back({DMA_SIZE.index, kBufferLength, true});
        expected.push_back({DMA_ADDR.index, address, true});
        uint32_t size = 0, word = 0;
        ASSERT_EQ(QmioTest_MasterDescriptor(0, static_cast<int32_t>(i), &size, &word), 0);
        EXPECT_EQ(size, kBufferLength);
        EXPECT_EQ(word, address);
    }
    expected.push_back({MASTER_CTL.index, 0x60000000, true});
    EXPECT_EQ(accesses(log()), expected);
    EXPECT_EQ(master().running, 1);

    startLog();
    ASSERT_EQ(StopMaster(0), 0);
    ASSERT_EQ(StartMaster(0, 0), 0);
    EXPECT_EQ(accesses(log()), (std::vector<Access>{{MASTER_CTL.index, 0, true},
                                                    {MASTER_CTL.index, 0x04000000, true},
                                                    {MASTER_CTL.index, 0x60000000, true}}));

    // More buffers than the driver mapped: refused, nothing written.
    startLog();
    EXPECT_EQ(StartMaster(0, 5), -1);
    EXPECT_TRUE(log().empty());
}

TEST_F(DataPathTest, ABufferLargerThanItsMappingHaltsTheMasterInsteadOfReadingBeyond) {
    mem_.Buffers[2].Size = 2 * kBufferLength;
    ASSERT_EQ(StartMaster(0, 4), 0);
    const auto m = master();
    EXPECT_EQ(m.running, 0);
    EXPECT_EQ(m.faultDescriptor, 2);
}

TEST_F(DataPathTest, WithoutAConfiguredModulatorTheMasterHolds) {
    ASSERT_EQ(StartMaster(0, 4), 0);
    const auto m = master();
    EXPECT_EQ(m.running, 1);
    EXPECT_EQ(m.byteRate, 0.0);
    EXPECT_EQ(m.buffersPlayed, 0);
}

class FailingOpen : public BoardTest {
    std::string boardConfig() const override { return "[Board0]\nFailOpen=1\n"; }
};

TEST_F(FailingOpen, InterruptInfoNeedsAnOpenDevice) {
    EXPECT_EQ(ConnectDevice(0, "."), -14);
    TIntInfo info{};
    EXPECT_EQ(GetInterruptInfo(0, &info), -2);
}

TEST_F(DataPathTest, RefusedInterruptInfoIsMinus19) {
    ASSERT_EQ(QmioTest_SetFault(0, QMIO_FAULT_INTERRUPT_INFO, 1), 0);
    TIntInfo info{};
    EXPECT_EQ(GetInterruptInfo(0, &info), -19);
}

// ---- Playback ----

class PlaybackTest : public DataPathTest {
 protected:
    std::string extraConfig() const override { return "MasterByteRate=1638400\n"; }  // 400 buffers a second

    // Chunk `n` of a source: distinct in every chunk and position.
    static std::vector<uint8_t> chunk(unsigned n) {
        std::vector<uint8_t> bytes(kBufferLength);
        for (uint32_t j = 0; j < kBufferLength; ++j)
            bytes[j] = static_cast<uint8_t>(n * 37 + j * 11 + (j >> 8));
        return bytes;
    }
    void fill(int ringIndex, unsigned n) const {
        const auto bytes = chunk(n);
        std::copy(bytes.begin(), bytes.end(), buffer(ringIndex));
    }
    // Waits on the driver's event until `played` buffers have been counted since `first`.
    static void waitForCount(zplatform::NamedEvent& event, uint32_t first, uint32_t played) {
        for (int waits = 0; interruptCount() - first < played; ++waits) {
            ASSERT_LT(waits, 10000);
            ASSERT_NE(event.wait(std::chrono::seconds(20)), zplatform::WaitResult::Failed);
        }
    }
    // The capture counted exactly the chunks expected[0], expected[1], ... and holds them in this order
    // (as far as its capacity of `kept` buffers goes).
    static void expectCaptured(const std::vector<unsigned>& expected, size_t kept) {
        const auto total = QmioTest_ReadCapture(0, 0, nullptr, 0);
        ASSERT_EQ(total, static_cast<int64_t>(expected.size() * kBufferLength));
        const size_t buffers = std::min(kept, expected.size());
        std::vector<uint8_t> bytes(buffers * kBufferLength);
        ASSERT_EQ(QmioTest_ReadCapture(0, 0, bytes.data(), static_cast<int32_t>(bytes.size())), total);
        for (size_t k = 0; k < buffers; ++k)
            ASSERT_TRUE(std::equal(bytes.begin() + static_cast<long>(k * kBufferLength),
                                   bytes.begin() + static_cast<long>((k + 1) * kBufferLength),
                                   chunk(expected[k]).begin()))
                << "buffer " << k << " of the capture is not chunk " << expected[k];
    }
};

TEST_F(PlaybackTest, TheRingIsPlayedInOrderAndEachBufferCountedAndSignalled) {
    auto event = zplatform::NamedEvent::openForWait("Global\\qmbus57evnt0");
    ASSERT_NE(event, nullptr);
    for (int i = 0; i < 4; ++i)
        fill(i, static_cast<unsigned>(i));
    constexpr size_t kKept = 256;
    ASSERT_EQ(QmioTest_CaptureMemory(0, kKept * kBufferLength), 0);
    const uint32_t first = interruptCount();
    ASSERT_EQ(StartMaster(0, 4), 0);
    waitForCount(*event, first, 10);
    ASSERT_EQ(StopMaster(0), 0);

    const auto m = master();
    EXPECT_EQ(m.running, 0);
    const auto played = static_cast<uint32_t>(m.buffersPlayed);
    EXPECT_GE(played, 10u);
    EXPECT_EQ(interruptCount() - first, played);  // nothing more after the stop
    EXPECT_EQ(m.bytesPlayed, static_cast<int64_t>(played) * kBufferLength);
    std::vector<unsigned> order;
    for (unsigned k = 0; k < played; ++k)
        order.push_back(k % 4);
    expectCaptured(order, kKept);
}

TEST_F(PlaybackTest, RefillingEachPlayedBufferPlaysTheSourceRepeatedWithoutGapOrRepeat) {
    // The streaming discipline: the ring holds chunks 0-3 of a 10-chunk source; after each played buffer
    // that buffer receives the next chunk of the endless source. The budget steps the board buffer by
    // buffer, as fast as it can go, so the test never races the board.
    auto event = zplatform::NamedEvent::openForWait("Global\\qmbus57evnt0");
    ASSERT_NE(event, nullptr);
    constexpr unsigned kSourceChunks = 10, kPlayed = 24;
    ASSERT_EQ(QmioTest_SetMasterRate(0, -1), 0);
    ASSERT_EQ(QmioTest_MasterBudget(0, 0), 0);
    ASSERT_EQ(QmioTest_CaptureMemory(0, kPlayed * kBufferLength), 0);
    for (int i = 0; i < 4; ++i)
        fill(i, static_cast<unsigned>(i));
    const uint32_t first = interruptCount();
    ASSERT_EQ(StartMaster(0, 4), 0);
    std::vector<unsigned> expected;
    for (unsigned k = 0; k < kPlayed; ++k) {
        ASSERT_EQ(QmioTest_MasterBudget(0, 1), 0);
        waitForCount(*event, first, k + 1);
        fill(static_cast<int>(k % 4), (k + 4) % kSourceChunks);
        expected.push_back(k % kSourceChunks);
    }
    ASSERT_EQ(StopMaster(0), 0);
    expectCaptured(expected, kPlayed);
}

TEST_F(PlaybackTest, DisconnectingStopsAPlayingMasterAndRemovesTheEvent) {
    ASSERT_EQ(QmioTest_SetMasterRate(0, -1), 0);
    {
        auto event = zplatform::NamedEvent::openForWait("Global\\qmbus57evnt0");
        ASSERT_NE(event, nullptr);
        const uint32_t first = interruptCount();
        ASSERT_EQ(StartMaster(0, 4), 0);
        waitForCount(*event, first, 1);
    }
    ASSERT_EQ(DisconnectDevice(0), 0);  // unmaps the buffers under the playing master
    EXPECT_EQ(master().running, 0);
    EXPECT_EQ(zplatform::NamedEvent::openForWait("Global\\qmbus57evnt0"), nullptr);
}

TEST_F(PlaybackTest, ReplacingTheBoardsStopsAPlayingMaster) {
    ASSERT_EQ(QmioTest_SetMasterRate(0, -1), 0);
    ASSERT_EQ(StartMaster(0, 4), 0);
    ASSERT_EQ(QmioTest_Configure(boardConfig().c_str()), 1);  // the old board and its memory go away
    EXPECT_EQ(master().running, 0);
}

}  // namespace
}  // namespace zorvan::test
