// A device load of every generated firmware image, constellation and filter through the library.
#include <filesystem>
#include <set>

#include "board_fixture.h"
#include "qmio/fpga_image.h"

namespace zorvan::test {
namespace {

class FirmwareSetTest : public BoardTest {
 protected:
    std::string firmwareDir() const override { return ZORVANL_FIRMWARE_DIR; }
    void SetUp() override {
        if (!std::filesystem::is_directory(ZORVANL_FIRMWARE_DIR))
            GTEST_SKIP() << "no generated firmware set in " ZORVANL_FIRMWARE_DIR
                            " (build the generator first)";
        BoardTest::SetUp();
        connect();
    }
    static std::string file(const std::string& name) {
        return std::string(ZORVANL_FIRMWARE_DIR) + "/" + name;
    }
    static QmioTestFpga fpga() { return QmioTestQuery(QmioTest_FpgaState); }
    static QmioTestModulator modulator() { return QmioTestQuery(QmioTest_Modulator); }
    // Chooses the image and loads it; the board must then run exactly that image.
    static void load(uint8_t mode, double carrier, double clock) {
        char name[16] = {};
        ASSERT_EQ(SetModeGetFWFName(0, mode, carrier, clock, name), 0);
        ASSERT_EQ(FPGALoad(0, file(name).c_str()), 0) << name;
        EXPECT_EQ(fpga().name + std::string(".bit"), name);
        EXPECT_EQ(fpga().mode, mode) << name;
    }
};

TEST_F(FirmwareSetTest, EveryImageTheLibraryCanChooseConfiguresTheFpga) {
    std::set<std::string> names;
    for (uint8_t mode = 0; mode < 5; ++mode)
        for (uint8_t kind : {0, 3, 4}) {
            _SetModKind(0, kind);
            for (double carrier : {70.0, 1000.0})
                for (double clock : {10000.0, 40000.0, 100000.0, 200000.0}) {
                    char name[16] = {};
                    SetModeGetFWFName(0, mode, carrier, clock, name);
                    if (names.insert(name).second) load(mode, carrier, clock);
                }
        }
    EXPECT_EQ(names.size(), 42u);
    ASSERT_EQ(FPGALoad(0, file("load_Ram.bit").c_str()), 0);
    EXPECT_EQ(fpga().rate, static_cast<uint8_t>(qmio::fpga_image::ImageRate::RamLoad));
}

TEST_F(FirmwareSetTest, EveryConstellationAndFilterLoads) {
    load(0, 70, 40000);  // an "i_hi" image: it also has the post filter
    for (uint8_t kind = 0; kind < 20; ++kind) {
        _SetModKind(0, kind);
        ASSERT_EQ(LoadModulationRAM(0), 0) << "kind " << int(kind);
        int8_t i[256], q[256];
        QmioTest_ConstellationRam(0, i, q);
        for (int a = 0; a < 256; ++a)
            ASSERT_TRUE(i[a] != -128 && q[a] != -128) << "kind " << int(kind) << " address " << a;
    }
    for (uint8_t type = 1; type <= 5; ++type)
        for (uint8_t shift = 1; shift <= 5; ++shift) {
            _SetFilterType(0, type);
            _SetKVPS(0, shift);
            ASSERT_EQ(Load_FIR(0), 0) << "type " << int(type) << " shift " << int(shift);
            int16_t taps[256];
            EXPECT_EQ(QmioTest_ShapingFilter(0, 1 << shift, taps), 8 << shift);
        }
    ASSERT_EQ(LoadFIRPF(0, file("Filter/pf512_70.dat").c_str()), 0);
    EXPECT_EQ(modulator().postFilterWrites, 8192u);
    EXPECT_TRUE(modulator().postFilterOn);
}

}  // namespace
}  // namespace zorvan::test
