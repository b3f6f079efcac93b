// The FPGA configuration port, the sample-clock synthesizer and the modulator's register file of the
// emulated board, at register level.
#include <vector>

#include "QmbusApi.h"
#include "qmio/fpga_image.h"
#include "register_board.h"

extern "C" QMIO_API int32_t QMBUS_GetRegisterTrap(int64_t handle, TRegisterTrap* trap);

namespace qmio::test {
namespace {

using namespace zorvan::reg;
using fpga_image::ImageRate;

std::vector<uint8_t> image(const std::string& name, uint8_t mode, uint8_t band, ImageRate rate) {
    std::vector<uint8_t> payload(300, 0x5A);
    fpga_image::Header header{name,
                              mode,
                              band,
                              rate,
                              0,
                              static_cast<uint32_t>(payload.size()),
                              fpga_image::crc32(payload.data(), payload.size())};
    const auto head = fpga_image::encodeHeader(header);
    std::vector<uint8_t> bytes(head.size() + payload.size());
    std::copy(payload.begin(), payload.end(), std::copy(head.begin(), head.end(), bytes.begin()));
    return bytes;
}

class DevicesTest : public RegisterBoard {
 protected:
    std::string boardConfig() const override { return "[Board0]\nFpgaResetReadings=3\n"; }

    // PROG, release, wait for RESET, then the bytes in configuration mode.
    void configure(const std::vector<uint8_t>& bytes) const {
        write(FPGA_CTL, fpga::kProgram);
        write(FPGA_CTL, fpga::kRelease);
        for (int i = 0; i < 10 && !(read(FPGA_STAT) & fpga::kStatusReset); ++i) {
        }
        write(FPGA_CTL, fpga::kConfigure);
        for (uint8_t b : bytes)
            write(DATA_PORT, b);
        write(FPGA_CTL, fpga::kRelease);
    }
    static QmioTestFpga fpgaState() { return QmioTestQuery(QmioTest_FpgaState); }
    static QmioTestModulator modulator() { return QmioTestQuery(QmioTest_Modulator); }
    static QmioTestTiming timing() { return QmioTestQuery(QmioTest_ModulatorTiming); }
    void synthWrite(uint8_t reg, uint64_t value, unsigned bits) const {
        write(SER_CTL, 1);
        serial(SYNTH_DATA, reg, 8);
        serial(SYNTH_DATA, value, bits);
        write(SER_CTL, 0);
    }
    uint64_t synthRead(uint8_t reg, unsigned bits) const {
        write(SER_CTL, 1);
        serial(SYNTH_DATA, reg | 0x80u, 8);
        uint64_t value = 0;
        for (unsigned i = 0; i < bits; ++i) {
            write(SYNTH_DATA, 0);
            value = value << 1 | ((read(FPGA_CTL) >> 17) & 1u);
        }
        write(SER_CTL, 0);
        return value;
    }
};

// The trap's byte stream is the same accesses as single writes: the same image configures the FPGA
// alike, and the access log holds every byte, in order, either way.
TEST_F(DevicesTest, TheTrapsByteStreamConfiguresAsSingleWritesDo) {
    TRegisterTrap trap{};
    ASSERT_EQ(QMBUS_GetRegisterTrap(handle_, &trap), 0);
    ASSERT_NE(trap.writeBytes, nullptr);
    const auto bytes = image("momi_32c", 3, 0, ImageRate::Standard);
    const auto configureBy = [&](bool stream) {
        QmioTest_LogRegisters(0, 1, 1 << 16);
        trap.write(trap.context, FPGA_CTL.index, fpga::kProgram);
        trap.write(trap.context, FPGA_CTL.index, fpga::kRelease);
        for (int i = 0; i < 10 && !(trap.read(trap.context, FPGA_STAT.index) & fpga::kStatusReset); ++i) {
        }
        trap.write(trap.context, FPGA_CTL.index, fpga::kConfigure);
        if (stream) {
            trap.writeBytes(trap.context, DATA_PORT.index, bytes.data(), static_cast<uint32_t>(bytes.size()));
            trap.writeBytes(trap.context, 0xFFFFu, bytes.data(), 2);  // outside the window: logged, ignored
        } else {
            for (uint8_t b : bytes)
                trap.write(trap.context, DATA_PORT.index, b);
            for (int i = 0; i < 2; ++i)
                trap.write(trap.context, 0xFFFFu, bytes[static_cast<std::size_t>(i)]);
        }
        trap.write(trap.context, FPGA_CTL.index, fpga::kRelease);
        std::vector<QmioTestAccess> log(1 << 16);
        log.resize(static_cast<std::size_t>(QmioTest_ReadRegisterLog(0, 0, log.data(), 1 << 16)));
        QmioTest_LogRegisters(0, 0, 0);
        std::vector<std::pair<uint32_t, uint32_t>> writes;
        for (const QmioTestAccess& a : log)
            if (a.write) writes.emplace_back(a.index, a.value);
        return std::make_pair(fpgaState(), writes);
    };
    const auto [single, singleWrites] = configureBy(false);
    const auto [streamed, streamedWrites] = configureBy(true);
    EXPECT_TRUE(single.done);
    EXPECT_TRUE(streamed.done);
    EXPECT_STREQ(streamed.name, single.name);
    EXPECT_EQ(streamed.bytesReceived, single.bytesReceived);
    EXPECT_EQ(streamed.configurations, single.configurations + 1);
    EXPECT_EQ(streamedWrites, singleWrites);
    EXPECT_EQ(streamedWrites.size(), bytes.size() + 6);
}

TEST_F(DevicesTest, ResetRisesAfterTheFpgaHasClearedItsMemory) {
    write(FPGA_CTL, fpga::kProgram);
    EXPECT_EQ(read(FPGA_STAT), 0u);
    write(FPGA_CTL, fpga::kRelease);
    EXPECT_EQ(read(FPGA_STAT), 0u);
    EXPECT_EQ(read(FPGA_STAT), 0u);
    EXPECT_EQ(read(FPGA_STAT), 0u);
    EXPECT_EQ(read(FPGA_STAT), fpga::kStatusReset);
    QmioTestFpga state{};
    QmioTest_FpgaState(0, &state);  // looking does not count as a reading
    EXPECT_EQ(read(FPGA_STAT), fpga::kStatusReset);
}

TEST_F(DevicesTest, OnlyConfigurationModeBytesOfAnIntactImageRaiseDone) {
    const auto bytes = image("momi_hi", 3, 0, ImageRate::High);
    write(FPGA_CTL, fpga::kProgram);
    write(FPGA_CTL, fpga::kRelease);
    while (!(read(FPGA_STAT) & fpga::kStatusReset)) {
    }
    for (uint8_t b : bytes)
        write(DATA_PORT, b);  // a RAM address, not configuration
    EXPECT_EQ(fpgaState().bytesReceived, 0u);
    write(FPGA_CTL, fpga::kConfigure);
    EXPECT_TRUE(fpgaState().configuring);
    for (uint8_t b : bytes)
        write(DATA_PORT, b);
    write(DATA_PORT, 0);
    write(FPGA_CTL, fpga::kRelease);
    EXPECT_FALSE(fpgaState().configuring);
    EXPECT_EQ(read(FPGA_STAT), fpga::kStatusDone | fpga::kStatusReset);
    EXPECT_EQ(fpgaState().bytesReceived, bytes.size());

    auto broken = bytes;
    broken[10] ^= 0x20;  // the header's name: its CRC no longer matches
    configure(broken);
    EXPECT_TRUE(fpgaState().broken);
    EXPECT_EQ(read(FPGA_STAT), 0u);  // RESET pulled low, DONE low
}

TEST_F(DevicesTest, TheModulatorExistsOnlyUnderAWorkingImageAndProgClearsIt) {
    write(CONST_RAM, 0x0E05817F);
    EXPECT_EQ(modulator().constWrites, 0u);
    configure(image("load_Ram", fpga_image::kNoMode, fpga_image::kNoBand, ImageRate::RamLoad));
    write(CONST_RAM, 0x0E05817F);
    EXPECT_EQ(modulator().constWrites, 0u);
    EXPECT_FALSE(timing().configured);

    configure(image("emdi_32c", 0, 0, ImageRate::Standard));
    write(CONST_RAM, 0x0E05817F);
    write(RATE_DIV, 0);
    auto m = modulator();
    EXPECT_EQ(m.constWrites, 1u);
    EXPECT_EQ(m.constShift, 14);
    EXPECT_EQ(m.divider, 65536u);
    write(FPGA_CTL, fpga::kProgram);
    m = modulator();
    EXPECT_EQ(m.constWrites, 0u);
    EXPECT_EQ(m.constShift, 0xFF);
}

TEST_F(DevicesTest, ShapingTapsTakeEffectAtTheCloseWordOfTheirBank) {
    configure(image("mmdi_32c", 2, 0, ImageRate::Standard));
    int16_t taps[256];
    write(FIR_COEF, 0x02008000 | 0x7FF);
    write(FIR_COEF, 0x02018000 | 0x800);
    EXPECT_EQ(QmioTest_ShapingFilter(0, 8, taps), -1);  // staged, not yet closed
    write(FIR_COEF, 0x02000000);
    EXPECT_EQ(QmioTest_ShapingFilter(0, 8, taps), 2);
    EXPECT_EQ(taps[0], 2047);
    EXPECT_EQ(taps[1], -2048);
    EXPECT_EQ(QmioTest_ShapingFilter(0, 4, taps), -1);
    write(FIR_COEF, 0xFF008000 | 0x123);  // no bank 255: ignored
    EXPECT_EQ(modulator().firWrites, 2u);
}

TEST_F(DevicesTest, TheSynthesizerLatchesWholeTransfersOnTheUpdateStrobe) {
    synthWrite(6, 0x0000053EF368EB04, 64);
    EXPECT_EQ(synthRead(6, 64), 0u);  // written, not yet latched
    write(SER_CTL, 4);
    EXPECT_EQ(synthRead(6, 64), 0x0000053EF368EB04u);
    synthWrite(6, 0x1234, 63);  // one bit short: discarded
    write(SER_CTL, 1);
    serial(SYNTH_DATA, 0, 20);
    write(SER_CTL, 2);  // serial-interface reset aborts the transfer
    write(SER_CTL, 4);
    QmioTestSynthesizer s{};
    QmioTest_Synthesizer(0, &s);
    EXPECT_EQ(s.tuning, 0x0000053EF368EB04u);
    EXPECT_EQ(s.latched, 1u << 6);
    EXPECT_EQ(s.divider, 4);
    EXPECT_NEAR(s.sampleClockKHz, 122000.0, 1e-3);

    QmioTest_SynthCorruptReadBacks(0, 1);
    EXPECT_EQ(synthRead(6, 64), 0x0000053EF368EB04u ^ (uint64_t{1} << 63));
    EXPECT_EQ(synthRead(6, 64), 0x0000053EF368EB04u);
}

TEST_F(DevicesTest, TheSymbolClockFollowsTheImagesRateChain) {
    synthWrite(6, (uint64_t{0x053EF368} << 16) | 0xEB04, 64);
    write(SER_CTL, 4);
    configure(image("momi_32c", 3, 0, ImageRate::Standard));
    EXPECT_EQ(timing().symbolClockKHz, 0.0);  // nothing programmed yet
    write(FILTER_CTL, 0x380001);              // 8 samples per symbol
    write(RATE_DIV, 0xFFFC);                  // divider 4
    EXPECT_EQ(timing().symbolClockKHz, 0.0);  // this image also needs its rate word
    write(RATE_NCO, 0x20000000);              // half the sample clock's ticks
    auto t = timing();
    EXPECT_NEAR(t.symbolClockKHz, 122000.0 / 2 / 32, 1e-9);
    EXPECT_EQ(t.sourceMode, 3);
    EXPECT_EQ(t.sourceBitsPerSymbol, 16.0);

    configure(image("emdL_32c", 0, 1, ImageRate::Standard));  // no rate word on L-band images
    write(FILTER_CTL, 0x380001);
    write(RATE_DIV, 0xFFFC);
    write(CONST_RAM, 0x0C000000);  // 16 points: 4 bits
    write(CODING, 0x100);
    write(PUNCT, 0x01220010);  // rate 3/4
    t = timing();
    EXPECT_NEAR(t.symbolClockKHz, 122000.0 / 32, 1e-9);
    EXPECT_EQ(t.sourceBitsPerSymbol, 3.0);
}

}  // namespace
}  // namespace qmio::test
