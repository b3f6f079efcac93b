// The output chain's devices: converter serial port, local-oscillator PLL, step attenuators, noise and
// sine generator, and the board's status text.
#include <cmath>
#include <cstring>

#include "emulated_board.h"

namespace qmio::test {
namespace {

using namespace zorvan::reg;

class ConverterTest : public EmulatedBoardTest {
 protected:
    std::string boardConfig() const override { return "[Board0]\nSlotNumber=58\nDacBusyReads=2\n"; }

    void converterWrite(uint8_t address, uint8_t value, unsigned dataBits = 8) {
        write(DAC_CS, dac::kSelect);
        shift(DAC_SDIO, address, 8);
        shift(DAC_SDIO, value >> (8 - dataBits), dataBits);
        write(DAC_CS, dac::kRelease);
    }
    uint8_t converterRead(uint8_t address) {
        write(DAC_CS, dac::kSelect);
        shift(DAC_SDIO, address | dac::kReadFlag, 8);
        unsigned value = 0;
        for (int bit = 0; bit < 8; ++bit) {
            write(DAC_SDIO, 0);
            value = value << 1 | (read(DATA_PORT) & 1);
        }
        write(DAC_CS, dac::kRelease);
        return static_cast<uint8_t>(value);
    }
    QmioTestConverter state() {
        QmioTestConverter c{};
        EXPECT_EQ(QmioTest_Converter(0, &c), 0);
        return c;
    }
};

TEST_F(ConverterTest, RegistersAreWrittenAndShiftedBackOutAndDecoded) {
    converterWrite(dac::kModulation, 0x2C);
    converterWrite(dac::kInterpolation, 0x40);
    converterWrite(0x1F, 0xA5);
    EXPECT_EQ(converterRead(dac::kModulation), 0x2C);
    EXPECT_EQ(converterRead(0x1F), 0xA5);
    EXPECT_EQ(converterRead(0x7F), 0x00);  // beyond its registers: nothing stored, zero read
    const auto c = state();
    EXPECT_EQ(c.mode, 12);
    EXPECT_EQ(c.interpolation, 2);
    // A transfer cut short by the select line stores nothing.
    converterWrite(dac::kModulation, 0x28, 4);
    EXPECT_EQ(converterRead(dac::kModulation), 0x2C);
}

TEST_F(ConverterTest, AResetPulseClearsTheRegistersAndLeavesItBusyForSomeStatusReads) {
    converterWrite(dac::kMixer, 0x70);
    write(DAC_CS, dac::kResetPulse);
    write(DAC_CS, dac::kRelease);
    EXPECT_EQ(converterRead(dac::kMixer), 0x00);
    EXPECT_EQ(converterRead(dac::kStatus) & dac::kBusy, dac::kBusy);
    EXPECT_EQ(converterRead(dac::kStatus) & dac::kBusy, dac::kBusy);
    EXPECT_EQ(converterRead(dac::kStatus) & dac::kBusy, 0);
    EXPECT_EQ(state().resets, 1);
}

TEST_F(ConverterTest, InjectedFaultsShowOnTheSerialPortOnly) {
    ASSERT_EQ(QmioTest_SetFault(0, QMIO_FAULT_DAC_STUCK_BUSY, 1), 0);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(converterRead(dac::kStatus) & dac::kBusy, dac::kBusy);
    ASSERT_EQ(QmioTest_SetFault(0, QMIO_FAULT_DAC_STUCK_BUSY, 0), 0);
    EXPECT_EQ(converterRead(dac::kStatus) & dac::kBusy, 0);

    ASSERT_EQ(QmioTest_SetFault(0, QMIO_FAULT_DAC_READ_BACK, 1), 0);
    converterWrite(dac::kDataControl, 0x08);
    EXPECT_EQ(converterRead(dac::kDataControl), 0x09);
    EXPECT_EQ(state().registers[dac::kDataControl], 0x08);  // the register itself holds what was written
}

class DevicesTest : public EmulatedBoardTest {
 protected:
    void loadPll(uint32_t word) {
        shift(PLL_DATA, word, 24);
        write(PLL_LOAD, 0);
    }
};

TEST_F(DevicesTest, TheLocalOscillatorLocksOnceAllFourLatchesAreLoaded) {
    QmioTestLocalOscillator lo{};
    loadPll((50u * 4096 + 5) * 4);  // B 50, A 5
    ASSERT_EQ(QmioTest_LocalOscillator(0, &lo), 0);
    EXPECT_EQ(lo.locked, 0);
    EXPECT_EQ(lo.frequencyMHz, 0.0);
    loadPll(pll::kReferenceWord);
    loadPll(pll::kFunctionBase + pll::kFunctionLater);
    shift(PLL_DATA, 0x3F, 6);  // bits shifted out by the following word do not count
    loadPll(pll::kInitialiseWord);
    ASSERT_EQ(QmioTest_LocalOscillator(0, &lo), 0);
    EXPECT_EQ(lo.locked, 1);
    EXPECT_EQ(lo.latches[pll::kLatchInitialise], pll::kInitialiseWord);
    EXPECT_EQ(lo.b, 50);
    EXPECT_EQ(lo.a, 5);
    EXPECT_EQ(lo.frequencyMHz, 1010.0);
}

TEST_F(DevicesTest, AttenuatorsLatchTheLastSixBitsOnTheirOwnLoadOnly) {
    QmioTestAttenuators att{};
    ASSERT_EQ(QmioTest_Attenuators(0, &att), 0);
    EXPECT_EQ(att.dbH, 31.5);  // power-on: full attenuation
    EXPECT_EQ(att.dbL, 31.5);
    shift(ATT_H_DATA, 0b11000101, 8);  // the two leading bits fall out of the 6-bit register
    ASSERT_EQ(QmioTest_Attenuators(0, &att), 0);
    EXPECT_EQ(att.codeH, 63);  // not latched yet
    write(ATT_H_LOAD, 0);
    shift(ATT_L_DATA, 3, 6);
    ASSERT_EQ(QmioTest_Attenuators(0, &att), 0);
    EXPECT_EQ(att.codeH, 5);
    EXPECT_EQ(att.dbH, 2.5);
    EXPECT_EQ(att.codeL, 63);
}

TEST_F(DevicesTest, TheGeneratorDecodesNoiseSineAndOff) {
    QmioTestNoise noise{};
    ASSERT_EQ(QmioTest_Noise(0, &noise), 0);
    EXPECT_EQ(noise.mode, 0);
    write(NOISE_AMP, 512);
    ASSERT_EQ(QmioTest_Noise(0, &noise), 0);
    EXPECT_EQ(noise.mode, 1);
    EXPECT_NEAR(noise.levelDb, -6.0206, 1e-3);
    // Word +8801162 (as a signed 30-bit value) at 122 MHz: 1000 kHz below the carrier.
    write(SINE_FREQ, noise::kSineEnable | 8801162);
    ASSERT_EQ(QmioTest_Noise(0, &noise), 0);
    EXPECT_EQ(noise.mode, 2);
    EXPECT_NEAR(noise.sineOffsetKHz, -1000.0, 0.001);
    write(SINE_FREQ, 0);
    write(NOISE_AMP, noise::kOff);
    ASSERT_EQ(QmioTest_Noise(0, &noise), 0);
    EXPECT_EQ(noise.mode, 0);
}

TEST_F(DevicesTest, TheStatusNamesEveryPartAndReportsItsWholeLength) {
    write(ATT_H_DATA, 1);
    write(ATT_H_LOAD, 0);
    const int32_t length = QmioTest_Status(0, nullptr, 0);
    ASSERT_GT(length, 0);
    std::string text(static_cast<size_t>(length) + 1, '#');
    ASSERT_EQ(QmioTest_Status(0, text.data(), length + 1), length);
    EXPECT_EQ(std::strlen(text.c_str()), static_cast<size_t>(length));
    for (const char* part :
         {"open", "carrier:", "converter:", "local oscillator:", "L-band correction:", "attenuator H: 0.5 dB",
          "attenuator L: 31.5 dB", "noise: off", "sweep: off", "source RAM:", "DMA master: stopped"})
        EXPECT_NE(text.find(part), std::string::npos) << part << " missing in\n" << text;

    char small[10];
    std::memset(small, '#', sizeof small);
    EXPECT_EQ(QmioTest_Status(0, small, sizeof small), length);
    EXPECT_EQ(std::string(small), text.substr(0, 9));  // cut and terminated
    EXPECT_EQ(QmioTest_Status(7, small, sizeof small), -1);
}

}  // namespace
}  // namespace qmio::test
