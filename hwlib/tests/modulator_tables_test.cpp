// Modulator tables: constellation RAM, shaping filter, post filter, and the number files they read.
#include <algorithm>
#include <cmath>

#include "modulator_fixture.h"

namespace zorvan::test {
namespace {

using namespace reg;

class ModulatorTablesTest : public ModulatorTest {
 protected:
    void SetUp() override {
        ModulatorTest::SetUp();
        selectAndLoad(3, 70, 1000);
    }
    static std::string integers(int count, int (*value)(int)) {
        std::string text;
        for (int i = 0; i < count; ++i)
            text += std::to_string(value(i)) + (i % 2 ? "\n" : " ");
        return text;
    }
    static std::vector<int16_t> taps(int samplesPerSymbol, int* count = nullptr) {
        std::vector<int16_t> t(256);
        const int n = QmioTest_ShapingFilter(0, samplesPerSymbol, t.data());
        if (count) *count = n;
        return t;
    }
};

TEST_F(ModulatorTablesTest, AQpskTableIsRepeatedOverAllAddresses) {
    writeFile("Const/cQPSK.dat", "127 127 -127 127 -127 -127 127 -127\n");
    _SetModKind(0, 15);  // CE OQPSK shares the QPSK table
    startLog();
    ASSERT_EQ(LoadModulationRAM(0), 0);
    const auto words = writesTo(CONST_RAM);
    ASSERT_EQ(words.size(), 256u);
    EXPECT_EQ(words[5], 0x0E05817Fu);
    int8_t i[256], q[256];
    EXPECT_EQ(QmioTest_ConstellationRam(0, i, q), 256);
    EXPECT_EQ(i[5], -127);
    EXPECT_EQ(q[5], 127);
    EXPECT_EQ(i[255], 127);
    EXPECT_EQ(q[255], -127);
    EXPECT_EQ(modulator().constShift, 14);
}

TEST_F(ModulatorTablesTest, TheShiftFollowsThePointCountAndTheKind) {
    const auto shiftFor = [this](uint8_t kind, const std::string& stem, const std::string& text) {
        writeFile("Const/" + stem + ".dat", text);
        _SetModKind(0, kind);
        EXPECT_EQ(LoadModulationRAM(0), 0);
        return modulator().constShift;
    };
    EXPECT_EQ(shiftFor(5, "c8PSK", "1 2 3 4 5 6 7 8 9 10 11 12"), 13);  // 6 points, the last one at the end
    EXPECT_EQ(shiftFor(7, "c16QAM", integers(32, [](int v) { return v; })), 12);
    EXPECT_EQ(shiftFor(10, "cpi4QPSK", integers(16, [](int v) { return v; })), 14);
    EXPECT_EQ(shiftFor(0, "c_Off", "0 0"), 15);
    EXPECT_EQ(shiftFor(1, "c_NoMod", "100 0 100 0"), 15);
    EXPECT_EQ(shiftFor(6, "c8QAM", "127 127 x -127 127"), 16);  // reading stops at the "x"
    // 515 points: the table holds 256, the rest is ignored.
    EXPECT_EQ(shiftFor(17, "c256QAM", integers(1030, [](int v) { return v % 200 - 100; })), 8);
}

TEST_F(ModulatorTablesTest, AConstellationWithoutAPointOrFileWritesNothing) {
    startLog();
    _SetModKind(0, 7);
    EXPECT_EQ(LoadModulationRAM(0), -6);
    EXPECT_EQ(lastError(), path("Const/c16QAM.dat"));
    writeFile("Const/c16QAM.dat", "5");
    EXPECT_EQ(LoadModulationRAM(0), -25);
    EXPECT_EQ(lastError(), path("Const/c16QAM.dat"));
    _SetModKind(0, 25);
    EXPECT_EQ(LoadModulationRAM(0), -6);
    EXPECT_EQ(lastError(), path("Const/.dat"));
    EXPECT_TRUE(log().empty());
}

TEST_F(ModulatorTablesTest, ShapingCoefficientsAreScaledRoundedAndWrapped) {
    std::string text =
        "0.5\r\n-1.0\r\n1.0\r\n0.99951171875\r\n0.000244140625\r\n-0.000244140625\r\nnan\r\n+1e-3\r\n1e999";
    for (int i = 9; i < 33; ++i)
        text += "\r\n0";
    writeFile("Filter/n04_4.dat", text);
    _SetFilterType(0, 2);
    _SetKVPS(0, 2);
    _SetModKind(0, 4);
    _SetSpectrInv(0, 1);
    startLog();
    ASSERT_EQ(Load_FIR(0), 0);
    int count = 0;
    const auto t = taps(4, &count);
    EXPECT_EQ(count, 32);  // the 33rd value is ignored
    EXPECT_EQ(std::vector<int16_t>(t.begin(), t.begin() + 9),
              (std::vector<int16_t>{1024, -2048, -2048, 2047, 1, -1, 0, 2, 0}));
    const auto words = writesTo(FIR_COEF);
    ASSERT_EQ(words.size(), 33u);
    EXPECT_EQ(words[0], 0x01008400u);
    EXPECT_EQ(words[31], 0x011F8000u);
    EXPECT_EQ(words[32], 0x01000000u);  // the close word
    EXPECT_EQ(writesTo(FILTER_CTL), std::vector<uint32_t>{0x3C0007});
}

TEST_F(ModulatorTablesTest, AShortFilterFailsWithMinus25AndWritesNothing) {
    _SetFilterType(0, 2);
    _SetKVPS(0, 2);
    startLog();
    EXPECT_EQ(Load_FIR(0), -6);
    EXPECT_EQ(lastError(), path("Filter/n04_4.dat"));
    writeFilter("n04_4.dat", 31);
    EXPECT_EQ(Load_FIR(0), -25);
    EXPECT_EQ(lastError(), path("Filter/n04_4.dat"));
    EXPECT_TRUE(log().empty());
    EXPECT_EQ(taps(4)[0], 0);
}

TEST_F(ModulatorTablesTest, WithoutAFilterToLoadOnlyTheControlWordIsWritten) {
    _SetSpectrInv(0, 1);
    startLog();
    _SetFilterType(0, 0);
    _SetKVPS(0, 3);
    EXPECT_EQ(Load_FIR(0), 0);
    _SetFilterType(0, 1);
    _SetKVPS(0, 0);
    EXPECT_EQ(Load_FIR(0), 0);
    EXPECT_EQ(writesTo(FILTER_CTL), (std::vector<uint32_t>{0x380004, 0x3F0004}));
    EXPECT_TRUE(writesTo(FIR_COEF).empty());
    // No file names a filter type above 5 or more than 32 samples per symbol.
    _SetKVPS(0, 6);
    EXPECT_EQ(Load_FIR(0), -1);
    _SetKVPS(0, 1);
    _SetFilterType(0, 6);
    EXPECT_EQ(Load_FIR(0), -1);
    EXPECT_EQ(writesTo(FILTER_CTL).size(), 2u);
}

TEST_F(ModulatorTablesTest, ThePostFilterIsLoadedOnlyOnTheHighRateIfImage) {
    EXPECT_EQ(LoadFIRPF(0, path("missing.dat").c_str()), 0);  // "i_32c": not even opened
    EXPECT_EQ(modulator().postFilterWrites, 0u);

    selectAndLoad(2, 70, 40000);
    EXPECT_EQ(LoadFIRPF(0, nullptr), -1);
    EXPECT_EQ(LoadFIRPF(0, path("missing.dat").c_str()), -6);
    EXPECT_EQ(lastError(), path("missing.dat"));
    const std::string file = writeFilter("pf.dat", 8191);
    EXPECT_EQ(LoadFIRPF(0, file.c_str()), -25);
    EXPECT_EQ(lastError(), file);
    EXPECT_EQ(modulator().postFilterWrites, 0u);

    writeFilter("pf.dat", 8300);
    ASSERT_EQ(LoadFIRPF(0, file.c_str()), 0);
    const auto m = modulator();
    EXPECT_EQ(m.postFilterWrites, 8192u);
    EXPECT_TRUE(m.postFilterOn);
    int16_t t[2];
    QmioTest_PostFilter(0, 8190, 2, t);
    EXPECT_EQ(t[0],
              static_cast<int16_t>(std::lround(std::stod(std::to_string(-0.9 + 1.8 * 8190 / 8300)) * 2048)));
}

}  // namespace
}  // namespace zorvan::test
