// FPGA configuration: the firmware choice and the RESET/DONE handshake against the emulated FPGA.
#include <algorithm>

#include "modulator_fixture.h"

namespace zorvan::test {
namespace {

using namespace reg;

std::string firmwareName(uint8_t mode, double carrier, double clock, uint8_t kind = 0) {
    _SetModKind(0, kind);
    char name[16] = "untouched";
    EXPECT_EQ(SetModeGetFWFName(0, mode, carrier, clock, name), 0);
    return name;
}

using FpgaConfigTest = ModulatorTest;

TEST_F(FpgaConfigTest, TheImageFollowsBandAndClockAtEveryThreshold) {
    EXPECT_EQ(firmwareName(3, 70, 10000), "momi_32c.bit");
    EXPECT_EQ(firmwareName(0, 600.0, 29999.9), "emdi_32c.bit");  // 600 MHz is still IF
    EXPECT_EQ(firmwareName(0, 600.0, 30000.0), "emdi_hi.bit");
    EXPECT_EQ(firmwareName(0, 70, 55000.0), "emdi_hi.bit");
    EXPECT_EQ(firmwareName(0, 70, 55000.1), "emdi_shi.bit");
    EXPECT_EQ(firmwareName(4, 600.1, 60999.9), "mowL_32c.bit");
    EXPECT_EQ(firmwareName(4, 1000, 61000.0), "mowL_NF.bit");
    EXPECT_EQ(firmwareName(4, 1000, 160000.0), "mowL_NF.bit");
    EXPECT_EQ(firmwareName(4, 1000, 160000.1), "mowL_UF.bit");
}

TEST_F(FpgaConfigTest, SuffixesDependOnModeAndModulation) {
    EXPECT_EQ(firmwareName(0, 1000, 200000, 3), "emdL_UF4.bit");
    EXPECT_EQ(firmwareName(2, 1000, 200000, 4), "mmdL_UFS.bit");
    EXPECT_EQ(firmwareName(1, 1000, 200000, 3), "modL_UF.bit");  // L_UF suffixes only for modes 0, 2
    EXPECT_EQ(firmwareName(3, 1000, 200000, 4), "momL_UF.bit");
    EXPECT_EQ(firmwareName(1, 1000, 100000, 3), "modL_NF.bit");  // no L_NF suffix for mode 1
    EXPECT_EQ(firmwareName(3, 1000, 100000, 4), "momL_NFo.bit");
    EXPECT_EQ(firmwareName(4, 1000, 100000, 3), "mowL_NF4.bit");
    EXPECT_EQ(firmwareName(0, 1000, 100000, 5), "emdL_NF.bit");
    EXPECT_EQ(firmwareName(0, 70, 100000, 3), "emdi_shi.bit");  // IF images have none
}

TEST_F(FpgaConfigTest, AnUnknownModeOrANullBufferIsRefused) {
    char name[16] = "untouched";
    EXPECT_EQ(SetModeGetFWFName(0, 5, 70, 1000, name), -1);
    EXPECT_STREQ(name, "");
    EXPECT_EQ(SetModeGetFWFName(0, 0, 70, 1000, nullptr), -1);
    EXPECT_EQ(FPGALoad(0, nullptr), -1);
    EXPECT_EQ(_GetFSample(0, nullptr), -1);
}

TEST_F(FpgaConfigTest, AnIntactImageConfiguresTheFpgaWithTheHandshake) {
    const auto image = fpgaImage("emdL_UF4", 5000);
    const std::string file = writeFile("emdL_UF4.bit", image);
    startLog();
    ASSERT_EQ(FPGALoad(0, file.c_str()), 0);
    const auto f = fpga();
    EXPECT_TRUE(f.done);
    EXPECT_STREQ(f.name, "emdL_UF4");
    EXPECT_EQ(f.mode, 0);
    EXPECT_EQ(f.band, 1);
    EXPECT_EQ(f.rate, static_cast<uint8_t>(qmio::fpga_image::ImageRate::LUltra));
    EXPECT_EQ(f.suffix, '4');
    EXPECT_EQ(f.bytesReceived, image.size());  // the six trailing zeros are not taken

    const auto control = writesTo(FPGA_CTL);
    EXPECT_EQ(control, (std::vector<uint32_t>{0xFE, 0xFF, 0x1FF, 0xFF}));
    const auto data = writesTo(DATA_PORT);
    ASSERT_EQ(data.size(), image.size() + 6);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), data.begin()));
    EXPECT_TRUE(std::all_of(data.end() - 6, data.end(), [](uint32_t v) { return v == 0; }));
    double fs = 0;
    EXPECT_EQ(_GetFSample(0, &fs), 0);
    EXPECT_EQ(fs, 122000.0);
}

TEST_F(FpgaConfigTest, AMissingFileFailsWithMinus6AndItsPath) {
    const std::string file = path("none.bit");
    EXPECT_EQ(FPGALoad(0, file.c_str()), -6);
    EXPECT_EQ(lastError(), file);
    EXPECT_EQ(FPGALoad(0, dir_.string().c_str()), -6);  // a directory does not open as a file
}

TEST_F(FpgaConfigTest, EmptyTruncatedAndCorruptImagesEndWithMinus7AndProgHeld) {
    auto corrupt = fpgaImage("momi_32c");
    corrupt[100] ^= 1;
    auto truncated = fpgaImage("momi_32c");
    truncated.resize(truncated.size() - 1);
    for (const auto& image : {std::vector<uint8_t>{}, truncated, corrupt}) {
        const std::string file = writeFile("bad.bit", image);
        startLog();
        EXPECT_EQ(FPGALoad(0, file.c_str()), -7);
        const auto ctl = writesTo(FPGA_CTL);
        ASSERT_FALSE(ctl.empty());
        EXPECT_EQ(ctl.back(), 0xFEu);
        EXPECT_FALSE(fpga().done);
    }
}

TEST_F(FpgaConfigTest, HandshakeFaultsGiveTheirCodes) {
    const std::string file = writeFile("ok.bit", fpgaImage("momi_32c"));
    QmioTest_SetFault(0, QMIO_FAULT_FPGA_DONE_HIGH, 1);
    startLog();
    EXPECT_EQ(FPGALoad(0, file.c_str()), -23);  // although RESET is also seen
    auto all = log();
    EXPECT_TRUE(writesTo(all, DATA_PORT).empty());
    const auto lastStatus =
        std::find_if(all.rbegin(), all.rend(), [](auto& a) { return a.index == FPGA_STAT.index; });
    EXPECT_EQ(lastStatus->value, fpga::kStatusDone | fpga::kStatusReset);

    QmioTest_SetFault(0, QMIO_FAULT_FPGA_DONE_HIGH, 0);
    QmioTest_SetFault(0, QMIO_FAULT_FPGA_NO_RESET, 1);
    startLog();
    EXPECT_EQ(FPGALoad(0, file.c_str()), -24);
    all = log();
    EXPECT_EQ(std::count_if(all.begin(), all.end(), [](auto& a) { return a.index == FPGA_STAT.index; }),
              1000);

    QmioTest_SetFault(0, QMIO_FAULT_FPGA_NO_RESET, 0);
    QmioTest_SetFault(0, QMIO_FAULT_FPGA_NO_DONE, 1);
    EXPECT_EQ(FPGALoad(0, file.c_str()), -7);
    QmioTest_SetFault(0, QMIO_FAULT_FPGA_NO_DONE, 0);
    EXPECT_EQ(FPGALoad(0, file.c_str()), 0);
    EXPECT_EQ(fpga().configurations, 1u);
}

}  // namespace
}  // namespace zorvan::test
