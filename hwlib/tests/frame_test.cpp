// Library frame: connect and its error paths, disconnect, register access, error texts.
#include <cstring>

#include "board_fixture.h"

namespace zorvan::test {
namespace {

using namespace reg;

class FrameTest : public BoardTest {};

TEST_F(FrameTest, ConnectSetsUpTheI2cEngineThenReadsVersionAndCorrectionTable) {
    startLog();
    connect();
    const auto all = accesses(log());
    // The set-up writes come first, in this order, before any I2C command.
    const std::vector<Access> setup = {{I2C_CFG_HI.index, 0, true},    {I2C_CFG_LO.index, 0x52, true},
                                       {I2C_CFG_HI.index, 0x80, true}, {CTL_0C.index, 0, true},
                                       {SER_CTL.index, 2, true},       {SER_CTL.index, 0, true}};
    ASSERT_GE(all.size(), setup.size());
    EXPECT_EQ(std::vector<Access>(all.begin(), all.begin() + 6), setup);
    // Version 2: the hardware version, then the 16 correction records, each an EEPROM read.
    const auto commands = writesTo(I2C_CMD);
    EXPECT_EQ(std::count(commands.begin(), commands.end(), i2c::kEepromRead), 17);
    // The version read: address 0x0000, then one last byte.
    const std::vector<uint32_t> versionRead = {0xA2, 0x100, 0x100, 0x300, 0xA3, 0x2FF, 0x300};
    EXPECT_EQ(std::vector<uint32_t>(commands.begin(), commands.begin() + 7), versionRead);
}

class VersionOneBoard : public BoardTest {
    std::string boardConfig() const override { return "[Board0]\nHardwareVersion=1\n"; }
};

TEST_F(VersionOneBoard, ConnectsWithoutReadingTheCorrectionTable) {
    startLog();
    connect();
    const auto commands = writesTo(I2C_CMD);
    EXPECT_EQ(std::count(commands.begin(), commands.end(), i2c::kEepromRead), 1);
    uint8_t version = 0;
    EXPECT_EQ(GetHWVer(0, &version), 0);
    EXPECT_EQ(version, 1);
}

class NoBoards : public BoardTest {
    std::string boardConfig() const override { return "[Emulator]\nBoards=0\n"; }
};

TEST_F(NoBoards, ConnectFailsWithMinus11WithoutAskingForANyName) {
    EXPECT_EQ(ConnectDevice(0, "."), -11);
    EXPECT_EQ(QmioTest_NameQueries(), 0);
}

class ForeignAndOwnBoards : public BoardTest {
    // Slot 0 holds a board of another type ("bbbb" without "0010"); slot 2 holds ours.
    std::string boardConfig() const override {
        return "[Emulator]\nBoards=2\n"
               "[Board0]\nName=qmbus ven_bbbb dev_0020 other board\n"
               "[Board1]\nDriverSlot=2\nSlotNumber=9\n";
    }
};

TEST_F(ForeignAndOwnBoards, OnlyBoardsNamingBothIdsCount) {
    EXPECT_EQ(ConnectDevice(1, "."), -12);
    EXPECT_EQ(QmioTest_NameQueries(), 64);  // every slot was asked
    connect(0);
    TMapMemData mem{};
    uint8_t slot = 0;
    _ConnectDeviceGetHandels(0, &mem, &slot);
    EXPECT_EQ(slot, 9);  // device 0 is the board in driver slot 2
}

TEST_F(FrameTest, OpenAndMappingFailuresHaveTheirOwnCodes) {
    ASSERT_EQ(QmioTest_SetFault(0, QMIO_FAULT_OPEN, 1), 0);
    EXPECT_EQ(ConnectDevice(0, "."), -14);
    DisconnectDevice(0);
    QmioTest_SetFault(0, QMIO_FAULT_OPEN, 0);

    QmioTest_SetFault(0, QMIO_FAULT_BAR_MAP, 1);
    EXPECT_EQ(ConnectDevice(0, "."), -15);
    uint32_t value = 0;
    EXPECT_EQ(ReadPort(0, I2C_STAT.index, &value), -2);
    EXPECT_EQ(WritePort(0, CTL_0C.index, 1), -2);
    EXPECT_EQ(DisconnectDevice(0), 0);
    QmioTest_SetFault(0, QMIO_FAULT_BAR_MAP, 0);

    QmioTest_SetFault(0, QMIO_FAULT_MEMORY_MAP, 1);
    EXPECT_EQ(ConnectDevice(0, "."), -16);
    EXPECT_EQ(DisconnectDevice(0), 0);
    QmioTest_SetFault(0, QMIO_FAULT_MEMORY_MAP, 0);

    // Every failure released what it held: the board connects again.
    connect();
}

TEST_F(FrameTest, PortsGoThroughTheTrapOneCallPerAccess) {
    connect();
    startLog();
    EXPECT_EQ(WritePort(0, 0x2A0, 0xDEADBEEF), 0);
    uint32_t value = 1;
    EXPECT_EQ(ReadPort(0, 0x2A1, &value), 0);
    EXPECT_EQ(value, 0u);  // a register nobody drives reads 0
    EXPECT_EQ(accesses(log()), (std::vector<Access>{{0x2A0, 0xDEADBEEF, true}, {0x2A1, 0, false}}));
}

class UntrappedBoard : public BoardTest {
    std::string boardConfig() const override { return "[Board0]\nNoTrap=1\n"; }
};

TEST_F(UntrappedBoard, PortsAreDirectMemoryAccessesWhenTheLayerHasNoTrap) {
    startLog();
    connect();  // the I2C engine is plain memory now: it reads idle and acknowledging
    EXPECT_EQ(WritePort(0, 0x200, 0x12345678), 0);
    uint32_t value = 0;
    EXPECT_EQ(ReadPort(0, 0x200, &value), 0);
    EXPECT_EQ(value, 0x12345678u);
    EXPECT_TRUE(log().empty());  // the emulator saw nothing
}

TEST_F(FrameTest, DeviceNumbersOutsideTheTableOrNeverConnectedAreRefused) {
    uint32_t value = 0;
    EXPECT_EQ(ConnectDevice(20, "."), -1);
    EXPECT_EQ(ReadPort(20, 0, &value), -1);
    EXPECT_EQ(WritePort(255, 0, 0), -1);
    EXPECT_EQ(DisconnectDevice(20), -1);
    EXPECT_EQ(ReadPort(7, 0, &value), -2);  // never connected
    EXPECT_EQ(GetHWVer(7, nullptr), -2);
    EXPECT_EQ(_GetDACTuneValue(7), 0);
    char text[16] = "untouched";
    GetLastErrorInfo(7, text);
    EXPECT_STREQ(text, "");
}

TEST_F(FrameTest, OverlongFirmwareDirectoryIsRefused) {
    const std::string longest(259, 'd');
    EXPECT_EQ(ConnectDevice(0, longest.c_str()), 0);
    DisconnectDevice(0);
    const std::string tooLong(260, 'd');
    EXPECT_EQ(ConnectDevice(0, tooLong.c_str()), -1);
    EXPECT_EQ(ConnectDevice(0, nullptr), -1);
}

TEST_F(FrameTest, DisconnectReleasesOnceAndAllowsReconnecting) {
    connect();
    EXPECT_EQ(DisconnectDevice(0), 0);
    EXPECT_EQ(DisconnectDevice(0), 0);  // nothing left to release
    uint32_t value = 0;
    EXPECT_EQ(ReadPort(0, I2C_STAT.index, &value), -2);
    connect();
    EXPECT_EQ(ReadPort(0, I2C_STAT.index, &value), 0);
}

TEST_F(FrameTest, ConnectingAConnectedNumberAgainReleasesTheOldBoardFirst) {
    connect();
    connect();  // would fail with -13 if the first connection still held the busy mutex
}

TEST(ErrorTexts, CodesAreLookedUpByMagnitude) {
    char a[64], b[64];
    ASSERT_EQ(GetErrorcodeDescript(12, 0, a), 0);
    ASSERT_EQ(GetErrorcodeDescript(-12, 0, b), 0);
    EXPECT_STREQ(a, b);
    EXPECT_STREQ(a, "Zorvan-L devices not found. ");
    ASSERT_EQ(GetErrorcodeDescript(0, 0, a), 0);
    EXPECT_STREQ(a, "No error. ");
    ASSERT_EQ(GetErrorcodeDescript(-20, 0, a), 0);
    EXPECT_STREQ(a, "FPGA not load. First you need to load FPGA.");
}

TEST(ErrorTexts, UnknownCodesAndLanguagesLeaveTheBufferUntouched) {
    char text[64] = "untouched";
    EXPECT_EQ(GetErrorcodeDescript(26, 0, text), -1);
    EXPECT_EQ(GetErrorcodeDescript(-26, 1, text), -1);
    EXPECT_EQ(GetErrorcodeDescript(1, 2, text), -1);
    EXPECT_EQ(GetErrorcodeDescript(1, -1, text), -1);
    EXPECT_EQ(GetErrorcodeDescript(INT32_MIN, 0, text), -1);
    EXPECT_STREQ(text, "untouched");
}

TEST(ErrorTexts, RussianTextsAreWindows1251Bytes) {
    char text[64];
    ASSERT_EQ(GetErrorcodeDescript(-6, 1, text), 0);
    // "Невозможно открыть файл. "
    EXPECT_STREQ(text,
                 "\xCD\xE5\xE2\xEE\xE7\xEC\xEE\xE6\xED\xEE \xEE\xF2\xEA\xF0\xFB\xF2\xFC \xF4\xE0\xE9\xEB. ");
    ASSERT_EQ(GetErrorcodeDescript(-5, 1, text), 0);
    EXPECT_STREQ(text, "\xCE\xF8\xE8\xE1\xEA\xE0 PLL. ");  // "Ошибка PLL. "
}

TEST(ErrorTexts, EveryTextFitsSixtyBytes) {
    size_t longest = 0;
    for (int code = 0; code <= 25; ++code)
        for (int language = 0; language <= 1; ++language) {
            char text[256];
            ASSERT_EQ(GetErrorcodeDescript(-code, language, text), 0) << code;
            longest = std::max(longest, std::strlen(text) + 1);
        }
    EXPECT_EQ(longest, 60u);
}

}  // namespace
}  // namespace zorvan::test
