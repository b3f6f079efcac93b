// The output model after the library's own device load on the emulated board, received by the
// independent receiver.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <random>
#include <thread>

#include "ZorvanL.h"
#include "board_setup.h"
#include "measure.h"
#include "receiver.h"

namespace twin_tools {
namespace {

const std::string kFirmware = TWIN_FIRMWARE_DIR;
constexpr std::size_t kBits = 20000;

class TwinLoopback : public ::testing::Test {
 protected:
    void SetUp() override { ASSERT_EQ(connectBoard(kFirmware), ""); }
    void TearDown() override { disconnectBoard(); }

    static std::vector<std::uint8_t> bytes(std::uint32_t seed) {
        std::mt19937 random(seed);
        std::vector<std::uint8_t> b(8192);
        for (auto& v : b)
            v = static_cast<std::uint8_t>(random());
        return b;
    }
    static std::vector<std::uint8_t> bits(const std::vector<std::uint8_t>& b, bool lsbFirst = false) {
        std::vector<std::uint8_t> out;
        for (auto v : b)
            for (int i = 0; i < 8; ++i)
                out.push_back((v >> (lsbFirst ? i : 7 - i)) & 1u);
        return out;
    }
    // Renders, receives as `kind` (inverted: undoing spectrum inversion) and aligns with `expected`.
    Alignment receive(const KindInfo& kind, const std::vector<std::uint8_t>& expected, bool inverted) {
        const QmioTestSignal info = signalInfo();
        const auto samples =
            render((kBits / kind.bits + 64) * static_cast<std::size_t>(info.samplesPerSymbol), 7);
        symbols_ = matchedSymbols(samples, static_cast<unsigned>(info.samplesPerSymbol), rollOff(2),
                                  kind.offset, inverted);
        return align(demodulate(kind, symbols_, kFirmware), expected, 16, kBits);
    }
    std::vector<Complex> symbols_;
};

TEST_F(TwinLoopback, SilentBeforeADeviceLoad) {
    std::vector<float> iq(64);
    EXPECT_EQ(QmioTest_RenderSignal(0, iq.data(), 32, 1), 0);
    EXPECT_EQ(signalInfo().bitsPerSymbol, 0);
    EXPECT_EQ(QmioTest_RenderSignal(5, iq.data(), 32, 1), -1);
}

TEST_F(TwinLoopback, BitsComeBackForEveryKind) {
    for (const KindInfo& kind : receiverKinds()) {
        twin_tools::Setup setup;
        setup.kind = kind.kind;
        const auto source = bytes(kind.kind);
        ASSERT_EQ(deviceLoad(kFirmware, setup, source), "") << kind.name;
        const Alignment a = receive(kind, bits(source), false);
        EXPECT_EQ(a.errors, 0u) << kind.name;
        EXPECT_EQ(a.shift, 0u) << kind.name;
        EXPECT_EQ(a.compared, kBits) << kind.name;
    }
}

TEST_F(TwinLoopback, SpectrumInversionIsPlayed) {
    twin_tools::Setup setup;
    setup.spectrumInversion = 1;
    const auto source = bytes(3);
    ASSERT_EQ(deviceLoad(kFirmware, setup, source), "");
    EXPECT_EQ(signalInfo().inverted, 1);
    EXPECT_EQ(receive(*findKind(3), bits(source), true).errors, 0u);
    EXPECT_GT(receive(*findKind(3), bits(source), false).errors, kBits / 10);
}

TEST_F(TwinLoopback, PackingOrderOfTheSourceRam) {
    const auto source = bytes(4);
    ASSERT_EQ(deviceLoad(kFirmware, twin_tools::Setup{}, source), "");
    ASSERT_EQ(SetPackingOrder(0, 1, 0), 0);
    EXPECT_EQ(receive(*findKind(3), bits(source, true), false).errors, 0u);
}

TEST_F(TwinLoopback, ModelledEsN0IsWhatTheReceiverSees) {
    for (double level : {-4.0, -8.0}) {
        twin_tools::Setup setup;
        setup.kind = 7;
        setup.noiseKind = 1;
        setup.noiseDb = level;
        ASSERT_EQ(deviceLoad(kFirmware, setup, bytes(5)), "");
        const QmioTestSignal info = signalInfo();
        receive(*findKind(7), bits(bytes(5)), false);
        EXPECT_NEAR(measuredEsN0Db(*findKind(7), symbols_, kFirmware), info.esN0Db, 0.4) << level;
    }
}

TEST_F(TwinLoopback, OccupiedBandwidthOfTheLoadedFilter) {
    twin_tools::Setup setup;
    setup.filterType = 5;  // wide: roll-off 1
    ASSERT_EQ(deviceLoad(kFirmware, setup, bytes(6)), "");
    const QmioTestSignal info = signalInfo();
    const auto samples = render(static_cast<std::size_t>(info.samplesPerSymbol) * 8000, 1);
    const Band band = occupiedBand(welch(samples, info.renderRateHz));
    EXPECT_NEAR(band.widthHz() / (2.0 * info.symbolRateHz), 1.0, 0.05);
}

// The DMA ring: the model plays the bytes the master played, as the capture keeps them.
TEST(TwinDmaRing, BitsOfTheRingComeBack) {
    constexpr std::uint32_t kLength = 4096;
    ASSERT_EQ(connectBoard(kFirmware, "[Board0]\nSlotNumber=57\nDmaBuffers=4\nDmaBufferLength=4096\n"), "");
    twin_tools::Setup setup;
    setup.sourceMode = 2;
    ASSERT_EQ(deviceLoad(kFirmware, setup, {}), "");
    TMapMemData mem{};
    uint8_t slot = 0;
    _ConnectDeviceGetHandels(0, &mem, &slot);
    ASSERT_EQ(mem.Count, 4u);
    std::mt19937 random(9);
    std::vector<std::uint8_t> ring(4 * kLength);
    for (auto& b : ring)
        b = static_cast<std::uint8_t>(random());
    for (unsigned i = 0; i < 4; ++i)
        std::memcpy(mem.Buffers[i].UserVA, ring.data() + i * kLength, kLength);
    ASSERT_EQ(QmioTest_SetMasterRate(0, -1), 0);
    ASSERT_EQ(QmioTest_MasterBudget(0, 4), 0);
    ASSERT_EQ(QmioTest_CaptureMemory(0, 4 * kLength), 0);
    ASSERT_EQ(StartMaster(0, 4), 0);
    // Waits for the four buffers however slow the machine (the master plays as fast as it can).
    QmioTestMaster master{};
    while (QmioTest_Master(0, &master) == 0 && master.buffersPlayed < 4)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    const QmioTestSignal info = signalInfo();
    EXPECT_EQ(info.source, QMIO_OUTPUT_DMA_RING);
    EXPECT_EQ(info.sourceBytes, 4 * kLength);
    const KindInfo& qpsk = *findKind(3);
    const auto samples = render((kBits / 2 + 64) * static_cast<std::size_t>(info.samplesPerSymbol), 1);
    const auto symbols =
        matchedSymbols(samples, static_cast<unsigned>(info.samplesPerSymbol), rollOff(2), false, false);
    std::vector<std::uint8_t> expected;
    for (auto v : ring)
        for (int i = 7; i >= 0; --i)
            expected.push_back((v >> i) & 1u);
    const Alignment a = align(demodulate(qpsk, symbols, kFirmware), expected, 16, kBits);
    EXPECT_EQ(a.errors, 0u);
    EXPECT_EQ(a.compared, kBits);
    StopMaster(0);
    disconnectBoard();
}

}  // namespace
}  // namespace twin_tools
