// Board management bus: EEPROM identity, temperatures, acknowledge retries, busy time-out, tuning DAC.
#include <algorithm>

#include "board_fixture.h"

namespace zorvan::test {
namespace {

using namespace reg;

class ManagementBusTest : public BoardTest {
 protected:
    void SetUp() override {
        BoardTest::SetUp();
        connect();
    }
};

TEST_F(ManagementBusTest, SerialNumberIsBigEndian) {
    const uint8_t bytes[] = {0x12, 0x34, 0x56, 0x78};
    ASSERT_EQ(QmioTest_EepromWrite(0, eeprom::kSerialNumber, bytes, 4), 0);
    uint32_t serial = 0;
    EXPECT_EQ(GetSN(0, &serial), 0);
    EXPECT_EQ(serial, 0x12345678u);
}

TEST_F(ManagementBusTest, HardwareVersionComesFromTheEeprom) {
    const uint8_t version = 7;
    QmioTest_EepromWrite(0, eeprom::kHardwareVersion, &version, 1);
    uint8_t read = 0;
    EXPECT_EQ(GetHWVer(0, &read), 0);
    EXPECT_EQ(read, 7);
}

TEST_F(ManagementBusTest, FpgaTemperatureRoundsQuarterDegreesHalfUp) {
    QmioTest_PinSensorRegister(0, sensor::kLocal, 41);
    QmioTest_PinSensorRegister(0, sensor::kRemoteHigh, 0x32);
    QmioTest_PinSensorRegister(0, sensor::kRemoteLow, 0xC0);
    int32_t pcb = 0, fpga = 0;
    EXPECT_EQ(ReadTemperature(0, &pcb, &fpga), 0);
    EXPECT_EQ(pcb, 41);
    EXPECT_EQ(fpga, 51);  // 50.75
    QmioTest_PinSensorRegister(0, sensor::kRemoteLow, 0x40);
    EXPECT_EQ(ReadTemperature(0, &pcb, &fpga), 0);
    EXPECT_EQ(fpga, 50);  // 50.25
    QmioTest_PinSensorRegister(0, sensor::kRemoteLow, 0x80);
    EXPECT_EQ(ReadTemperature(0, &pcb, &fpga), 0);
    EXPECT_EQ(fpga, 51);  // 50.5, half up
    QmioTest_PinSensorRegister(0, sensor::kLocal, 250);
    EXPECT_EQ(ReadTemperature(0, &pcb, &fpga), 0);
    EXPECT_EQ(pcb, 250);  // an unsigned byte
}

TEST_F(ManagementBusTest, ModelledTemperaturesArePlausible) {
    int32_t pcb = 0, fpga = 0;
    ASSERT_EQ(ReadTemperature(0, &pcb, &fpga), 0);
    EXPECT_NEAR(pcb, 36.5, 1.5);
    EXPECT_NEAR(fpga, 48.25, 2.0);
}

TEST_F(ManagementBusTest, AnAddressAcknowledgedOnTheHundredthAttemptIsReadNormally) {
    QmioTest_I2cRefuse(0, i2c::kEepromWrite, 99);
    startLog();
    uint32_t serial = 0;
    EXPECT_EQ(GetSN(0, &serial), 0);
    EXPECT_EQ(serial, 0x001EEA51u);
    const auto commands = writesTo(I2C_CMD);
    EXPECT_EQ(std::count(commands.begin(), commands.end(), i2c::kEepromWrite), 100);
}

TEST_F(ManagementBusTest, TwoHundredFiftyRefusalsEndWithStopAndMinus18) {
    QmioTest_I2cRefuse(0, i2c::kEepromWrite, 250);
    startLog();
    uint32_t serial = 0xAAAA;
    EXPECT_EQ(GetSN(0, &serial), -18);
    EXPECT_EQ(serial, 0xAAAAu);  // not written
    const auto commands = writesTo(I2C_CMD);
    ASSERT_EQ(commands.size(), 251u);
    EXPECT_EQ(std::count(commands.begin(), commands.end(), i2c::kEepromWrite), 250);
    EXPECT_EQ(commands.back(), i2c::kStop);
}

TEST_F(ManagementBusTest, AnEngineStuckBusyTimesOutWithMinus17AfterAHundredReadings) {
    QmioTest_SetFault(0, QMIO_FAULT_I2C_STUCK_BUSY, 1);
    startLog();
    uint8_t version = 0;
    EXPECT_EQ(GetHWVer(0, &version), -17);
    const auto all = log();
    const auto statusReads = std::count_if(
        all.begin(), all.end(), [](const auto& a) { return !a.write && a.index == I2C_STAT.index; });
    EXPECT_EQ(statusReads, 100);
    EXPECT_TRUE(writesTo(all, I2C_CMD).empty());  // the transfer never began, no STOP either
}

TEST_F(ManagementBusTest, AShortlyBusyEngineIsWaitedFor) {
    QmioTest_I2cBusyReadings(0, 2);
    uint32_t serial = 0;
    EXPECT_EQ(GetSN(0, &serial), 0);
    EXPECT_EQ(serial, 0x001EEA51u);
}

TEST_F(ManagementBusTest, ATuneValueIsCopiedIntoTheTuningDacOnVersionTwo) {
    const uint8_t tune[] = {0x81, 0x23};
    QmioTest_EepromWrite(0, eeprom::kTuneValue, tune, 2);
    EXPECT_EQ(_GetDACTuneValue(0), 0);
    EXPECT_EQ(MakeDACTune(0), 0);
    EXPECT_EQ(_GetDACTuneValue(0), 0x8123);
    EXPECT_EQ(QmioTest_TuningDacValue(0), 0x8123);
}

TEST_F(ManagementBusTest, ARefusingTuningDacFailsWithMinus18) {
    QmioTest_I2cRefuse(0, i2c::kTuningDacWrite, 250);
    EXPECT_EQ(MakeDACTune(0), -18);
    EXPECT_EQ(QmioTest_TuningDacValue(0), -1);
}

class VersionOneBus : public ManagementBusTest {
    std::string boardConfig() const override { return "[Board0]\nHardwareVersion=1\n"; }
};

TEST_F(VersionOneBus, MakeDacTuneDoesNothingOnVersionOne) {
    startLog();
    EXPECT_EQ(MakeDACTune(0), 0);
    EXPECT_TRUE(log().empty());
    EXPECT_EQ(_GetDACTuneValue(0), 0);
    EXPECT_EQ(QmioTest_TuningDacValue(0), -1);
}

TEST_F(ManagementBusTest, NullOutParametersAreRefused) {
    EXPECT_EQ(GetSN(0, nullptr), -1);
    EXPECT_EQ(GetHWVer(0, nullptr), -1);
    int32_t t = 0;
    EXPECT_EQ(ReadTemperature(0, &t, nullptr), -1);
}

}  // namespace
}  // namespace zorvan::test
