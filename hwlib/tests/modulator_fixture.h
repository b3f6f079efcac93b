// A connected board with a firmware directory of the test's own (temporary): FPGA images in the
// emulated board's format, constellation and filter files written by the tests.
#pragma once

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "board_fixture.h"
#include "qmio/fpga_image.h"

namespace zorvan::test {

namespace fs = std::filesystem;

// A working image (or the RAM-load image) named like the firmware files: "momi_32c", "emdL_UF4", ...
inline std::vector<uint8_t> fpgaImage(const std::string& name, std::size_t payloadBytes = 2048) {
    using namespace qmio::fpga_image;
    Header header;
    header.name = name;
    if (name != "load_Ram") {
        static const char* const prefixes[] = {"emd", "mod", "mmd", "mom", "mow"};
        for (uint8_t mode = 0; mode < 5; ++mode)
            if (name.compare(0, 3, prefixes[mode]) == 0) header.mode = mode;
        const std::string variant = name.substr(3);
        header.band = variant[0] == 'L' ? 1 : 0;
        header.rate = variant == "i_shi"                   ? ImageRate::SuperHigh
                      : variant == "i_hi"                  ? ImageRate::High
                      : variant.compare(0, 4, "L_UF") == 0 ? ImageRate::LUltra
                      : variant.compare(0, 4, "L_NF") == 0 ? ImageRate::LNarrow
                                                           : ImageRate::Standard;
        header.suffix = variant.size() == 5 && variant[0] == 'L' && variant[2] != '3' ? variant[4] : 0;
    } else {
        header.rate = ImageRate::RamLoad;
    }
    std::vector<uint8_t> payload(payloadBytes);
    for (std::size_t i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<uint8_t>(i * 7 + name.size());
    header.payloadLength = static_cast<uint32_t>(payload.size());
    header.payloadCrc = crc32(payload.data(), payload.size());
    const auto head = encodeHeader(header);
    std::vector<uint8_t> bytes(head.size() + payload.size());
    std::memcpy(bytes.data(), head.data(), head.size());
    if (!payload.empty()) std::memcpy(bytes.data() + head.size(), payload.data(), payload.size());
    return bytes;
}

class ModulatorTest : public BoardTest {
 protected:
    std::string firmwareDir() const override { return dir_.string(); }

    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::temp_directory_path() /
               ("zorvanl_" + std::string(info->test_suite_name()) + "_" + info->name() + "_" +
                std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "Const");
        fs::create_directories(dir_ / "Filter");
        BoardTest::SetUp();
        connect();
    }
    void TearDown() override {
        BoardTest::TearDown();
        fs::remove_all(dir_);
    }

    std::string path(const std::string& relative) const { return (dir_ / relative).string(); }
    std::string writeFile(const std::string& relative, const std::string& text) const {
        std::ofstream(dir_ / relative, std::ios::binary) << text;
        return path(relative);
    }
    std::string writeFile(const std::string& relative, const std::vector<uint8_t>& bytes) const {
        std::ofstream(dir_ / relative, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path(relative);
    }
    // `count` filter coefficients: a ramp through -0.9 .. 0.9.
    std::string writeFilter(const std::string& name, int count) const {
        std::string text;
        for (int i = 0; i < count; ++i)
            text += std::to_string(-0.9 + 1.8 * i / count) + "\n";
        return writeFile("Filter/" + name, text);
    }

    // SetModeGetFWFName, then FPGALoad of a matching image: the flags and the board agree.
    std::string selectAndLoad(uint8_t mode, double carrierMHz, double clockKHz) {
        char name[16] = {};
        EXPECT_EQ(SetModeGetFWFName(0, mode, carrierMHz, clockKHz, name), 0);
        const std::string stem = std::string(name).substr(0, std::string(name).size() - 4);
        EXPECT_EQ(FPGALoad(0, writeFile(name, fpgaImage(stem)).c_str()), 0);
        return stem;
    }

    static QmioTestModulator modulator() {
        QmioTestModulator m{};
        EXPECT_EQ(QmioTest_Modulator(0, &m), 0);
        return m;
    }
    static QmioTestFpga fpga() {
        QmioTestFpga f{};
        EXPECT_EQ(QmioTest_FpgaState(0, &f), 0);
        return f;
    }
    static QmioTestSynthesizer synthesizer() {
        QmioTestSynthesizer s{};
        EXPECT_EQ(QmioTest_Synthesizer(0, &s), 0);
        return s;
    }
    static QmioTestTiming timing() {
        QmioTestTiming t{};
        EXPECT_EQ(QmioTest_ModulatorTiming(0, &t), 0);
        return t;
    }
    static std::string lastError() {
        std::vector<char> text(8192);
        GetLastErrorInfo(0, text.data());
        return text.data();
    }

    fs::path dir_;
};

}  // namespace zorvan::test
