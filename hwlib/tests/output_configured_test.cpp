// Carrier and converter once the FPGA is configured: converter modes and carrier words of the IF band,
// the converter's programming, and -21 on a read-back mismatch or a converter that stays busy.
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "board_fixture.h"
#include "qmio/fpga_image.h"

namespace zorvan::test {
namespace {

using namespace reg;
namespace fs = std::filesystem;

class ConfiguredOutputTest : public BoardTest {
 protected:
    void SetUp() override {
        BoardTest::SetUp();
        dir_ = fs::temp_directory_path() / ("zorvanl_configured_" + std::to_string(getpid()));
        fs::create_directories(dir_);
        connect();
        ASSERT_EQ(FPGALoad(0, writeImage("emdi_32c").c_str()), 0);
    }
    void TearDown() override {
        BoardTest::TearDown();
        std::error_code error;
        fs::remove_all(dir_, error);
    }

    // A whole, intact IF image of the emulated board: header, payload and their CRCs.
    std::string writeImage(const std::string& name) const {
        std::vector<uint8_t> payload(4096);
        for (size_t i = 0; i < payload.size(); ++i)
            payload[i] = static_cast<uint8_t>(i * 7 + 3);
        qmio::fpga_image::Header header;
        header.name = name;
        header.mode = 0;
        header.band = 0;
        header.rate = qmio::fpga_image::ImageRate::Standard;
        header.payloadLength = static_cast<uint32_t>(payload.size());
        header.payloadCrc = qmio::fpga_image::crc32(payload.data(), payload.size());
        const auto head = qmio::fpga_image::encodeHeader(header);
        const fs::path path = dir_ / (name + ".bit");
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(head.data()), static_cast<std::streamsize>(head.size()));
        out.write(reinterpret_cast<const char*>(payload.data()),
                  static_cast<std::streamsize>(payload.size()));
        return path.string();
    }
    static QmioTestConverter converter() {
        QmioTestConverter c{};
        EXPECT_EQ(QmioTest_Converter(0, &c), 0);
        return c;
    }

    fs::path dir_;
};

TEST_F(ConfiguredOutputTest, IfCarriersChooseTheConverterModeAndWord) {
    struct Case {
        double carrierMHz;
        int mode;
        uint32_t word;
    };
    // Sample clock 122 MHz: below fs/3 direct, below 2 fs/3 the image at fs/2 - f, above it fs - f.
    for (const Case& c :
         {Case{30.0, 0, 0x3EF368EB}, Case{50.0, 12, 0x1714FBCE}, Case{100.0, 8, 0x2E29F79B}}) {
        startLog();
        ASSERT_EQ(Write_VN(0, c.carrierMHz), 0) << c.carrierMHz;
        EXPECT_EQ(writesTo(CARRIER_NCO), std::vector<uint32_t>{c.word}) << c.carrierMHz;
        const auto dac = converter();
        EXPECT_EQ(dac.mode, c.mode) << c.carrierMHz;
        EXPECT_EQ(dac.registers[dac::kModulation], 0x20 + c.mode) << c.carrierMHz;
        QmioTestCarrier carrier{};
        ASSERT_EQ(QmioTest_Carrier(0, &carrier), 0);
        EXPECT_NEAR(carrier.ifOutputMHz, c.carrierMHz, 1e-6) << c.carrierMHz;
    }
}

TEST_F(ConfiguredOutputTest, TheConverterIsResetWaitedForAndProgrammed) {
    startLog();
    ASSERT_EQ(Write_AD9786(0), 0);
    const auto selects = writesTo(DAC_CS);
    ASSERT_GE(selects.size(), 2u);
    EXPECT_EQ(selects[0], dac::kResetPulse);
    EXPECT_EQ(selects[1], dac::kRelease);
    const auto dac = converter();
    EXPECT_EQ(dac.resets, 1);
    EXPECT_EQ(dac.busy, 0);
    EXPECT_EQ(dac.registers[dac::kControl], 0x00);
    EXPECT_EQ(dac.registers[dac::kInterpolation], 0x80);  // sample clock 122 MHz
    EXPECT_EQ(dac.registers[dac::kDataControl], 0x08);
    EXPECT_EQ(dac.registers[dac::kMixer], 0x70);
}

TEST_F(ConfiguredOutputTest, AConverterThatStaysBusyFailsWithMinus21AfterProgrammingEverything) {
    ASSERT_EQ(QmioTest_SetFault(0, QMIO_FAULT_DAC_STUCK_BUSY, 1), 0);
    startLog();
    EXPECT_EQ(Write_AD9786(0), -21);
    const auto selects = writesTo(DAC_CS);
    // The reset pulse, 1000 status reads, then five writes with their read-backs: each a select.
    EXPECT_EQ(std::count(selects.begin(), selects.end(), dac::kSelect), 1000 + 5 * 2);
    EXPECT_EQ(converter().registers[dac::kMixer], 0x70);
}

TEST_F(ConfiguredOutputTest, AReadBackMismatchFailsWithMinus21AndEndsTheCarrierSet) {
    ASSERT_EQ(QmioTest_SetFault(0, QMIO_FAULT_DAC_READ_BACK, 1), 0);
    EXPECT_EQ(Write_AD9786(0), -21);
    startLog();
    EXPECT_EQ(Write_VN(0, 70.0), -21);
    EXPECT_TRUE(writesTo(CARRIER_NCO).empty());
}

}  // namespace
}  // namespace zorvan::test
