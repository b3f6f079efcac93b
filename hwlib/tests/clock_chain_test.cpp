// Clock chain: synthesizer programming and read-back, and the four branches of the symbol clock.
#include <cmath>
#include <limits>

#include "modulator_fixture.h"

namespace zorvan::test {
namespace {

using namespace reg;

class ClockChainTest : public ModulatorTest {
 protected:
    static double sampleFreq() {
        double fs = 0;
        EXPECT_EQ(_GetFSample(0, &fs), 0);
        return fs;
    }
    // The converter's clock register 0x01, as the converter set-up writes it.
    static void setConverterClock(uint32_t value) {
        WritePort(0, DAC_CS.index, 1);
        for (int bit = 15; bit >= 0; --bit)
            WritePort(0, DAC_SDIO.index, (0x0100 | value) >> bit);
        WritePort(0, DAC_CS.index, 0);
    }
    static std::vector<uint16_t> interpolator(int falling, int count) {
        std::vector<uint16_t> values(static_cast<size_t>(count));
        QmioTest_Interpolator(0, falling, 0, count, values.data());
        return values;
    }
};

TEST_F(ClockChainTest, LoadSynthProgramsAndChecksTheThreeRegisters) {
    startLog();
    ASSERT_EQ(LoadSynth(0), 0);
    const auto s = synthesizer();
    EXPECT_EQ(s.control0, 0x00004010u);
    EXPECT_EQ(s.control1, 0x00FE080020u);
    EXPECT_EQ(s.tuning, uint64_t{0x053EF368} << 16 | 0xEB04);  // 122000 kHz, k = 4
    EXPECT_EQ(s.readBacks, 3u);
    EXPECT_NEAR(s.outputKHz, 488000.0, 1e-3);
    EXPECT_NEAR(s.sampleClockKHz, 122000.0, 1e-3);
    // Per register: select, 8 + b bits, release, strobe, release; then select, 8 + b clocks, release.
    EXPECT_EQ(writesTo(SYNTH_DATA).size(), 2u * (8 + 32 + 8 + 40 + 8 + 64));
    EXPECT_EQ(writesTo(SER_CTL),
              (std::vector<uint32_t>{1, 0, 4, 0, 1, 0, 1, 0, 4, 0, 1, 0, 1, 0, 4, 0, 1, 0}));
}

TEST_F(ClockChainTest, AControlRegisterGetsASecondAttemptThenMinus22) {
    QmioTest_SynthCorruptReadBacks(0, 1);
    EXPECT_EQ(LoadSynth(0), 0);
    EXPECT_EQ(synthesizer().readBacks, 4u);

    QmioTest_SetFault(0, QMIO_FAULT_SYNTH_READBACK, 1);
    startLog();
    EXPECT_EQ(LoadSynth(0), -22);
    EXPECT_EQ(synthesizer().readBacks, 6u);
    EXPECT_EQ(writesTo(SER_CTL).size(), 2u * 6);  // two attempts at register 0, register 1 never reached
}

TEST_F(ClockChainTest, IfImagesUseTheRateWordAtTheBaseSampleClock) {
    selectAndLoad(3, 70, 1000);
    _SetFilterType(0, 3);
    writeFilter("n05_32.dat", 256);
    startLog();
    ASSERT_EQ(Write_TI(0, 1000), 0);
    auto m = modulator();
    EXPECT_EQ(m.rateNco, 0x2192E29Fu);
    EXPECT_EQ(m.rateDiv, 0xFFFEu);
    EXPECT_EQ(m.samplesPerSymbol, 32);
    EXPECT_TRUE(m.filterOn);
    EXPECT_EQ(sampleFreq(), 122000.0);
    EXPECT_TRUE(writesTo(SER_CTL).empty());  // the synthesizer is not reprogrammed
    // Interpolator of divider 2: 0 and 1024 rising, 2047 and 1024 falling.
    EXPECT_EQ(writesTo(INTERP_COEF), (std::vector<uint32_t>{0x00000000, 0x00010400, 0x200007FF, 0x20010400}));
    EXPECT_EQ(interpolator(1, 2), (std::vector<uint16_t>{2047, 1024}));

    ASSERT_EQ(LoadSynth(0), 0);
    EXPECT_NEAR(timing().symbolClockKHz, 1000.0, 1e-6);

    _SetFilterType(0, 0);
    _SetSpectrInv(0, 1);
    ASSERT_EQ(Write_TI(0, 1000), 0);
    m = modulator();
    EXPECT_EQ(m.filterControl, 0x200004u);
    EXPECT_NEAR(timing().symbolClockKHz, 1000.0, 1e-6);
}

TEST_F(ClockChainTest, LBandHighRateImagesRunOneSamplePerSymbol) {
    selectAndLoad(2, 1000, 70000);
    _SetFilterType(0, 3);
    ASSERT_EQ(Write_TI(0, 70000), 0);
    EXPECT_EQ(sampleFreq(), 70000.0);
    auto s = synthesizer();
    EXPECT_NEAR(s.outputKHz, 280000.0, 1e-3);  // k = 4
    auto m = modulator();
    EXPECT_EQ(m.rateDiv, 0xFFFFu);
    EXPECT_EQ(m.filterControl, 0x3F0000u);  // the shaping filter is switched off
    EXPECT_EQ(m.interpWrites[0], 0u);
    EXPECT_NEAR(timing().symbolClockKHz, 70000.0, 1e-3);

    ASSERT_EQ(Write_TI(0, 130000), 0);  // 122000 / 130013 truncates to 0: divider 1
    EXPECT_EQ(sampleFreq(), 130000.0);
    s = synthesizer();
    EXPECT_NEAR(s.outputKHz, 260000.0, 1e-3);  // k = 2
    setConverterClock(0x40);
    EXPECT_NEAR(timing().symbolClockKHz, 130000.0, 1e-3);
}

TEST_F(ClockChainTest, TheHighestRateIfImageGetsADividerOfOne) {
    selectAndLoad(0, 70, 100000);
    startLog();
    ASSERT_EQ(Write_TI(0, 100000), 0);
    EXPECT_EQ(writesTo(RATE_DIV), (std::vector<uint32_t>{0xFFFF, 0xFFFF}));
    EXPECT_EQ(writesTo(INTERP_COEF), (std::vector<uint32_t>{0x00000000, 0x200007FF}));
    EXPECT_EQ(sampleFreq(), 200000.0);
    EXPECT_NEAR(synthesizer().outputKHz, 400000.0, 1e-3);
    setConverterClock(0x40);
    const auto t = timing();
    EXPECT_NEAR(t.sampleClockKHz, 200000.0, 1e-3);
    EXPECT_NEAR(t.symbolClockKHz, 100000.0, 1e-3);
}

TEST_F(ClockChainTest, LBandImagesKeepADividerOfAtLeastOne) {
    selectAndLoad(1, 1000, 1000);
    ASSERT_EQ(Write_TI(0, 1000), 0);
    EXPECT_EQ(sampleFreq(), 64000.0);  // 32 samples per symbol, divider 2
    EXPECT_EQ(modulator().rateDiv, 0xFFFEu);
    EXPECT_NEAR(timing().symbolClockKHz, 1000.0, 1e-6);
    // A clock far above what the image was chosen for: 2^m rounds to 0, the divider stays 1.
    ASSERT_EQ(Write_TI(0, 300000), 0);
    EXPECT_EQ(modulator().rateDiv, 0xFFFFu);
    EXPECT_EQ(sampleFreq(), 32 * 300000.0);
    EXPECT_NE(synthesizer().tuning, 0u);
}

TEST_F(ClockChainTest, AClockThatIsNotAPositiveNumberIsRefused) {
    selectAndLoad(3, 70, 1000);
    startLog();
    for (double clock :
         {0.0, -1000.0, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()})
        EXPECT_EQ(Write_TI(0, clock), -1);
    EXPECT_TRUE(log().empty());
    EXPECT_EQ(sampleFreq(), 122000.0);
}

}  // namespace
}  // namespace zorvan::test
