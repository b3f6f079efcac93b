// The data path's devices: the source RAM's addressing and the DMA master's descriptors, stopping,
// budget, rate and file capture.
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <thread>

#include "emulated_board.h"
#include "zplatform/named_event.h"

namespace qmio::test {
namespace {

using namespace zorvan::reg;

class VersionOneRam : public EmulatedBoardTest {
    std::string boardConfig() const override { return "[Board0]\nSlotNumber=58\nHardwareVersion=1\n"; }
};

TEST_F(VersionOneRam, AddressesWrapAtTheEndOfItsMegabyteAndIgnoreConfigurationBytes) {
    QmioTestSourceRam ram{};
    ASSERT_EQ(QmioTest_SourceRam(0, &ram), 0);
    EXPECT_EQ(ram.sizeWords, 0x80000);
    write(DATA_PORT, 0x80000 + 5);
    write(RAM_DATA, 0x1234);
    write(DATA_PORT, 0xFFFFFFFF);
    write(RAM_DATA, 0xABCD);
    uint16_t words[2] = {};
    ASSERT_EQ(QmioTest_ReadSourceRam(0, 5, words, 1), 0);
    ASSERT_EQ(QmioTest_ReadSourceRam(0, 0x7FFFF, words + 1, 1), 0);
    EXPECT_EQ(words[0], 0x1234);
    EXPECT_EQ(words[1], 0xABCD);

    // Configuration bytes on DATA_PORT are not RAM addresses.
    write(DATA_PORT, 7);
    write(FPGA_CTL, fpga::kConfigure);
    write(DATA_PORT, 0x55);
    write(FPGA_CTL, fpga::kRelease);
    write(RAM_DATA, 0x0777);
    ASSERT_EQ(QmioTest_ReadSourceRam(0, 7, words, 1), 0);
    EXPECT_EQ(words[0], 0x0777);
}

class MasterTest : public EmulatedBoardTest {
 protected:
    std::string boardConfig() const override {
        return "[Board0]\nSlotNumber=58\nDmaBuffers=3\nDmaBufferLength=1024\nMasterByteRate=-1\n";
    }
    void SetUp() override {
        EmulatedBoardTest::SetUp();
        ASSERT_EQ(QMBUS_MemoryMap(handle_, &mem_), 0);
        ASSERT_EQ(mem_.Count, 3u);
    }
    void describe(unsigned count) {
        write(MASTER_CTL, master::kDescribe + count);
        for (uint32_t i = 0; i < count; ++i) {
            write(DMA_INDEX, i);
            write(DMA_SIZE, mem_.Buffers[i].Size);
            write(DMA_ADDR, static_cast<uint32_t>(mem_.Buffers[i].MemoryPA) | master::kAddressValid);
        }
    }
    static QmioTestMaster state() {
        QmioTestMaster m{};
        EXPECT_EQ(QmioTest_Master(0, &m), 0);
        return m;
    }
    // Waits (with a generous bound) until the master has played `buffers` buffers since its start.
    static bool waitForPlayed(int64_t buffers) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (state().buffersPlayed < buffers)
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            else
                std::this_thread::yield();
        return true;
    }

    TMapMemData mem_{};
};

TEST_F(MasterTest, AStartOverAnInvalidOrUnmappedDescriptorHalts) {
    describe(2);
    write(DMA_INDEX, 1);
    write(DMA_ADDR, static_cast<uint32_t>(mem_.Buffers[1].MemoryPA));  // valid bit missing
    write(MASTER_CTL, master::kStart);
    EXPECT_EQ(state().running, 0);
    EXPECT_EQ(state().faultDescriptor, 1);

    describe(2);
    write(DMA_INDEX, 1);
    write(DMA_ADDR, 0x7FFFF001);  // nowhere near the mapped buffers
    write(MASTER_CTL, master::kStart);
    EXPECT_EQ(state().faultDescriptor, 1);

    describe(2);
    write(DMA_INDEX, 0);
    write(DMA_SIZE, 0);  // an empty buffer would never end a pass
    write(MASTER_CTL, master::kStart);
    EXPECT_EQ(state().faultDescriptor, 0);
}

TEST_F(MasterTest, StopsAreIdempotentAndANewDescriptionStopsThePlayback) {
    describe(3);
    write(MASTER_CTL, master::kStart);
    ASSERT_TRUE(waitForPlayed(1));
    write(MASTER_CTL, master::kStop);
    write(MASTER_CTL, master::kStop);
    EXPECT_EQ(state().running, 0);

    write(MASTER_CTL, master::kStart);
    ASSERT_TRUE(waitForPlayed(1));
    describe(2);
    EXPECT_EQ(state().running, 0);
    EXPECT_EQ(state().described, 2);
}

TEST_F(MasterTest, UnmappingOrClosingStopsThePlaybackAndClosingRemovesTheEvent) {
    describe(3);
    write(MASTER_CTL, master::kStart);
    ASSERT_TRUE(waitForPlayed(1));
    ASSERT_EQ(QMBUS_MemoryUnmap(handle_, &mem_), 0);
    EXPECT_EQ(state().running, 0);

    ASSERT_EQ(QMBUS_MemoryMap(handle_, &mem_), 0);
    describe(3);
    write(MASTER_CTL, master::kStart);
    ASSERT_TRUE(waitForPlayed(1));
    ASSERT_NE(zplatform::NamedEvent::openForWait("Global\\qmbus58evnt0"), nullptr);
    ASSERT_EQ(QMBUS_Close(handle_), 0);
    handle_ = -1;
    EXPECT_EQ(state().running, 0);
    EXPECT_EQ(zplatform::NamedEvent::openForWait("Global\\qmbus58evnt0"), nullptr);
}

TEST_F(MasterTest, TheRateFollowsTheSettingAndTheModulator) {
    describe(3);
    ASSERT_EQ(QmioTest_MasterBudget(0, 0), 0);
    write(MASTER_CTL, master::kStart);
    EXPECT_TRUE(std::isinf(state().byteRate));
    ASSERT_EQ(QmioTest_SetMasterRate(0, 1000.0), 0);
    EXPECT_EQ(state().byteRate, 1000.0);
    ASSERT_EQ(QmioTest_SetMasterRate(0, 0.0), 0);
    EXPECT_EQ(state().byteRate, 0.0);  // the modulator's rate: nothing while the board is not configured
    EXPECT_EQ(QmioTest_SetMasterRate(0, std::nan("")), -1);
}

TEST_F(MasterTest, ABudgetedPlaybackCapturedToAFileHoldsExactlyTheRingInOrder) {
    for (uint32_t i = 0; i < 3; ++i)
        std::fill_n(static_cast<uint8_t*>(mem_.Buffers[i].UserVA), 1024, static_cast<uint8_t>('a' + i));
    const auto path =
        std::filesystem::temp_directory_path() / ("zorvanl_capture_" + std::to_string(getpid()));
    ASSERT_EQ(QmioTest_CaptureFile(0, path.string().c_str()), 0);
    ASSERT_EQ(QmioTest_MasterBudget(0, 7), 0);
    describe(3);
    write(MASTER_CTL, master::kStart);
    ASSERT_TRUE(waitForPlayed(7));
    const auto m = state();
    EXPECT_EQ(m.budget, 0);
    EXPECT_EQ(m.position, 1);          // 7 buffers of a ring of 3: next is buffer 1
    write(MASTER_CTL, master::kStop);  // flushes the file
    EXPECT_EQ(state().buffersPlayed, 7);

    std::string bytes(static_cast<size_t>(std::filesystem::file_size(path)), '\0');
    std::ifstream(path, std::ios::binary).read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    std::string expected;
    for (const char c : std::string("abcabca"))
        expected += std::string(1024, c);
    EXPECT_EQ(bytes, expected);
    EXPECT_EQ(QmioTest_ReadCapture(0, 0, nullptr, 0), 7 * 1024);
    ASSERT_EQ(QmioTest_CaptureFile(0, nullptr), 0);
    std::filesystem::remove(path);
}

}  // namespace
}  // namespace qmio::test
