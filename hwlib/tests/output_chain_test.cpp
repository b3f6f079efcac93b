// Carrier and output chain without a configured FPGA: the refusals, the L-band local oscillator and its
// correction, the attenuators, the noise and sine generator and the sweep, as the emulated board holds them.
#include <chrono>
#include <cmath>
#include <thread>

#include "board_fixture.h"

namespace zorvan::test {
namespace {

using namespace reg;

class OutputChainTest : public BoardTest {
 protected:
    // Correction records with distinct, signed bytes: record i is for 700 + 100 i MHz.
    std::string boardConfig() const override {
        return "[Board0]\n"
               "Correction0=-6 3 1 12\nCorrection1=-5 4 2 -11\n"
               "Correction3=10 -20 0 5\nCorrection4=20 -30 0 5\n"
               "Correction14=8 -4 7 -2\nCorrection15=9 -5 8 -3\n";
    }
    void SetUp() override {
        BoardTest::SetUp();
        connect();
    }
    static QmioTestCarrier carrier() {
        QmioTestCarrier c{};
        EXPECT_EQ(QmioTest_Carrier(0, &c), 0);
        return c;
    }
    static std::vector<int32_t> correctionAt(double carrierMHz) {
        EXPECT_EQ(Write_VN(0, carrierMHz), 0);
        const auto c = carrier();
        return {c.correction[0], c.correction[1], c.correction[2], c.correction[3]};
    }
};

TEST_F(OutputChainTest, ConverterAndIfCarrierAreRefusedBeforeTheFpgaIsConfigured) {
    startLog();
    EXPECT_EQ(Write_AD9786(0), -20);
    EXPECT_EQ(Write_VN(0, 70.0), -20);
    EXPECT_TRUE(writesTo(DAC_CS).empty());
    EXPECT_TRUE(writesTo(CARRIER_NCO).empty());
    QmioTestConverter converter{};
    ASSERT_EQ(QmioTest_Converter(0, &converter), 0);
    EXPECT_EQ(converter.resets, 0);
}

TEST_F(OutputChainTest, LBandCarriersProgramTheLocalOscillatorAndASignedCarrierWord) {
    startLog();
    ASSERT_EQ(Write_VN(0, 1013.0), 0);
    QmioTestLocalOscillator lo{};
    ASSERT_EQ(QmioTest_LocalOscillator(0, &lo), 0);
    EXPECT_EQ(lo.latches[pll::kLatchCounter], 0x0C8014u);
    EXPECT_EQ(lo.latches[pll::kLatchReference], 0x104029u);
    EXPECT_EQ(lo.latches[pll::kLatchFunction], 0x1882u);  // hardware version 2
    EXPECT_EQ(lo.latches[pll::kLatchInitialise], 0x000383u);
    EXPECT_EQ(lo.frequencyMHz, 1010.0);
    EXPECT_EQ(writesTo(PLL_DATA).size(), 4u * 24);
    EXPECT_EQ(writesTo(PLL_LOAD), std::vector<uint32_t>(4, 0));
    // (1010 - 1013) MHz at 122 MHz: a negative word; the output lands back on the carrier.
    EXPECT_EQ(writesTo(CARRIER_NCO), std::vector<uint32_t>{0xF9B47582});
    EXPECT_NEAR(carrier().lBandOutputMHz, 1013.0, 1e-6);
    EXPECT_EQ(writesTo(SWEEP_CTL), std::vector<uint32_t>{0});
    EXPECT_EQ(writesTo(SWEEP_STEP), std::vector<uint32_t>{0xF});

    ASSERT_EQ(Write_VN(0, 1000.0), 0);
    ASSERT_EQ(QmioTest_LocalOscillator(0, &lo), 0);
    EXPECT_EQ(lo.latches[pll::kLatchCounter], 0x0C8000u);
    EXPECT_EQ(carrier().ncoWord, 0u);
}

class VersionZeroBoard : public BoardTest {
    std::string boardConfig() const override { return "[Board0]\nHardwareVersion=0\n"; }
};

TEST_F(VersionZeroBoard, UsesItsOwnFunctionWordAndHasNoCorrection) {
    connect();
    ASSERT_EQ(Write_VN(0, 1500.0), 0);
    QmioTestLocalOscillator lo{};
    ASSERT_EQ(QmioTest_LocalOscillator(0, &lo), 0);
    EXPECT_EQ(lo.latches[pll::kLatchFunction], 0x1C02u);
    QmioTestCarrier c{};
    ASSERT_EQ(QmioTest_Carrier(0, &c), 0);
    EXPECT_EQ(c.correctionWord, 0u);  // no table was read from this board
}

TEST_F(OutputChainTest, CorrectionIsInterpolatedBetweenRecordsAndHeldAtTheTableEnds) {
    // 750 MHz: halfway between records 0 and 1, halves away from zero.
    EXPECT_EQ(correctionAt(750.0), (std::vector<int32_t>{-6, 4, 2, 1}));
    EXPECT_EQ(carrier().correctionWord, 0x010204FAu);
    // 1013 MHz -> LO 1010: a tenth of the way from record 3 to record 4.
    EXPECT_EQ(correctionAt(1013.0), (std::vector<int32_t>{11, -21, 0, 5}));
    // 2200 MHz is record 15 itself.
    EXPECT_EQ(correctionAt(2200.0), (std::vector<int32_t>{9, -5, 8, -3}));
    // Beyond the table the nearest end record is used, never memory past it.
    EXPECT_EQ(correctionAt(2250.0), (std::vector<int32_t>{9, -5, 8, -3}));
    EXPECT_EQ(correctionAt(6000.0), (std::vector<int32_t>{9, -5, 8, -3}));
    EXPECT_EQ(correctionAt(640.0), (std::vector<int32_t>{-6, 3, 1, 12}));
    EXPECT_EQ(correctionAt(600.0), (std::vector<int32_t>{-6, 3, 1, 12}));
}

TEST_F(OutputChainTest, NonFiniteCarriersAreRefusedBeforeAnyWrite) {
    startLog();
    EXPECT_EQ(Write_VN(0, std::nan("")), -1);
    EXPECT_EQ(Write_VN(0, INFINITY), -1);
    EXPECT_EQ(Write_VN(0, -INFINITY), -1);
    EXPECT_TRUE(log().empty());
}

TEST_F(OutputChainTest, AttenuatorsStepInHalfDecibelsWithinTheirRange) {
    startLog();
    double dB = 10.3;
    ASSERT_EQ(Write_Att_H(0, &dB), 0);
    EXPECT_EQ(dB, 10.5);
    EXPECT_EQ(writesTo(ATT_H_DATA), (std::vector<uint32_t>{0, 1, 2, 5, 10, 21}));  // code 21 >> 5 .. 0
    EXPECT_EQ(writesTo(ATT_H_LOAD), std::vector<uint32_t>{0});
    QmioTestAttenuators att{};
    ASSERT_EQ(QmioTest_Attenuators(0, &att), 0);
    EXPECT_EQ(att.dbH, 10.5);
    EXPECT_EQ(att.dbL, 31.5);  // untouched since power-on

    const std::vector<std::pair<double, double>> cases = {{0.25, 0.5}, {31.5, 31.5},     {40.0, 31.5},
                                                          {-3.0, 0.0}, {INFINITY, 31.5}, {-INFINITY, 0.0}};
    for (const auto& [asked, set] : cases) {
        dB = asked;
        ASSERT_EQ(Write_Att_L(0, &dB), 0) << asked;
        ASSERT_EQ(QmioTest_Attenuators(0, &att), 0);
        EXPECT_EQ(dB, set) << asked;
        EXPECT_EQ(att.dbL, set) << asked;  // what is reported is what the attenuator holds
    }

    dB = std::nan("");
    startLog();
    EXPECT_EQ(Write_Att_L(0, &dB), -1);
    EXPECT_TRUE(std::isnan(dB));
    EXPECT_EQ(Write_Att_H(0, nullptr), -1);
    EXPECT_TRUE(log().empty());
}

TEST_F(OutputChainTest, NoiseLevelsSineInterfererAndOff) {
    startLog();
    ASSERT_EQ(WriteNoise(0, 1, 4.0, 0.0), 0);
    EXPECT_EQ(writesTo(NOISE_AMP), (std::vector<uint32_t>{0x8000, 812}));
    EXPECT_EQ(writesTo(SINE_FREQ), std::vector<uint32_t>{0});
    QmioTestNoise noise{};
    ASSERT_EQ(QmioTest_Noise(0, &noise), 0);
    EXPECT_EQ(noise.mode, 1);
    EXPECT_EQ(noise.amplitude, 812);

    ASSERT_EQ(WriteNoise(0, 1, 0.0, 0.0), 0);
    ASSERT_EQ(QmioTest_Noise(0, &noise), 0);
    EXPECT_EQ(noise.amplitude, 1023);  // 1024 is capped
    ASSERT_EQ(WriteNoise(0, 1, -200.0, 0.0), 0);
    ASSERT_EQ(QmioTest_Noise(0, &noise), 0);
    EXPECT_EQ(noise.amplitude, 0);

    startLog();
    ASSERT_EQ(WriteNoise(0, 2, -6.0, 1000.0), 0);
    EXPECT_EQ(writesTo(SINE_FREQ), std::vector<uint32_t>{0xBF79B476});
    EXPECT_EQ(writesTo(NOISE_AMP), std::vector<uint32_t>{513});
    ASSERT_EQ(QmioTest_Noise(0, &noise), 0);
    EXPECT_EQ(noise.mode, 2);
    EXPECT_NEAR(noise.sineOffsetKHz, 1000.0, 0.001);

    ASSERT_EQ(WriteNoise(0, 0, 99.0, 99.0), 0);
    ASSERT_EQ(QmioTest_Noise(0, &noise), 0);
    EXPECT_EQ(noise.mode, 0);

    startLog();
    EXPECT_EQ(WriteNoise(0, 3, 4.0, 0.0), 0);  // no such kind: nothing written
    EXPECT_EQ(WriteNoise(0, 1, std::nan(""), 0.0), -1);
    EXPECT_EQ(WriteNoise(0, 2, -6.0, INFINITY), -1);
    EXPECT_TRUE(log().empty());
}

TEST_F(OutputChainTest, SweepRegistersAndTheCarrierStoppingIt) {
    startLog();
    ASSERT_EQ(WriteSwp(0, 0, 0, 0), 0);
    EXPECT_EQ(writesTo(SWEEP_STEP), std::vector<uint32_t>{0});
    EXPECT_EQ(writesTo(SWEEP_CTL), std::vector<uint32_t>{0});

    ASSERT_EQ(WriteSwp(0, 1, 116, static_cast<uint16_t>(-537)), 0);
    QmioTestSweep sweep{};
    ASSERT_EQ(QmioTest_Sweep(0, &sweep), 0);
    EXPECT_EQ(sweep.stepWord, 0xFF8CFDE7u);
    EXPECT_EQ(sweep.enabled, 1);
    EXPECT_EQ(sweep.increment, -537);
    EXPECT_EQ(sweep.dwellTicks, 116);

    ASSERT_EQ(Write_VN(0, 1200.0), 0);  // a carrier stops the sweep
    ASSERT_EQ(QmioTest_Sweep(0, &sweep), 0);
    EXPECT_EQ(sweep.enabled, 0);
}

// Polls bit 31 of DATA_PORT, as the sweep window does, until the pass has ended (a generous bound).
bool waitForPassEnd() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    uint32_t value = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        if (ReadPort(0, DATA_PORT.index, &value) == 0 && (value & data_port::kSweepPassEnded)) return true;
        std::this_thread::yield();
    }
    return false;
}

TEST_F(OutputChainTest, APassEndsAfter65536StepsAndTheNextStartsWhereItStopped) {
    ASSERT_EQ(Write_VN(0, 1000.0), 0);       // NCO word 0
    ASSERT_EQ(WriteSwp(0, 1, 65536, 1), 0);  // a pass of about 9 minutes
    uint32_t value = 0;
    ASSERT_EQ(ReadPort(0, DATA_PORT.index, &value), 0);
    EXPECT_EQ(value & data_port::kSweepPassEnded, 0u);
    ASSERT_EQ(WriteSwp(0, 0, 0, 0), 0);  // off: the word is back at CARRIER_NCO

    ASSERT_EQ(WriteSwp(0, 1, 1, 3), 0);  // 65536 ticks of 16 samples: about 9 ms
    ASSERT_TRUE(waitForPassEnd());
    EXPECT_EQ(carrier().effectiveWord, 65536u * 3);
    ASSERT_EQ(WriteSwp(0, 1, 1, static_cast<uint16_t>(-3)), 0);  // back again, as in cycle mode
    ASSERT_TRUE(waitForPassEnd());
    EXPECT_EQ(carrier().effectiveWord, 0u);
    ASSERT_EQ(WriteSwp(0, 0, 0, 0), 0);
    ASSERT_EQ(ReadPort(0, DATA_PORT.index, &value), 0);
    EXPECT_EQ(value & data_port::kSweepPassEnded, 0u);
}

}  // namespace
}  // namespace zorvan::test
