// The generated set in the program's run-time directory, as the library will find and read it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "dsp_checks.h"
#include "image_names.h"
#include "qmio/fpga_image.h"

namespace firmware {
namespace {

namespace fs = std::filesystem;
namespace img = qmio::fpga_image;
const fs::path kFirmware = fs::path(FIRMWARE_BIN_DIR) / "Firmware";

std::string textOf(const fs::path& path) {
    std::ifstream in(path);  // text mode, as the library opens number files
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(GeneratedSet, EveryFileTheLibraryAndTheProgramAskForIsThere) {
    for (const std::string& name : test::reachableImageNames())
        EXPECT_TRUE(fs::is_regular_file(kFirmware / (name + ".bit"))) << name;
    EXPECT_TRUE(fs::is_regular_file(kFirmware / "load_Ram.bit"));
    for (const char* prefix : {"ibs_", "n04_", "n05_", "n06_", "wde_"})
        for (int sps : {2, 4, 8, 16, 32})
            EXPECT_TRUE(fs::is_regular_file(kFirmware / "Filter" / (prefix + std::to_string(sps) + ".dat")));
    EXPECT_TRUE(fs::is_regular_file(kFirmware / "Filter" / "pf512_70.dat"));
    for (const char* stem :
         {"c_Off", "c_NoMod", "cBPSK", "cQPSK", "c8PSK", "c8QAM", "c16QAM", "c32QAM", "c64QAM", "cpi4QPSK",
          "c16APSK2", "c32APSK3", "c128QAM", "c256QAM", "c8QAM_DS", "c8QAM_PD"})
        EXPECT_TRUE(fs::is_regular_file(kFirmware / "Const" / (std::string(stem) + ".dat"))) << stem;
    for (const char* signal : {"IBS256.BIN", "prbs15.bin", "prbs15.txt", "qpsk_iq8.bin", "qpsk_iq16.bin",
                               "prbs23_6M.bin", "README.txt"})
        EXPECT_TRUE(fs::is_regular_file(fs::path(FIRMWARE_BIN_DIR) / "Signals" / signal)) << signal;
}

TEST(GeneratedSet, FilesReadAsTheLibraryReadsThem) {
    for (const auto& entry : fs::directory_iterator(kFirmware / "Const")) {
        const std::vector<double> values = test::readNumbers(textOf(entry.path()));
        EXPECT_TRUE(values.size() >= 4 && values.size() <= 512 && values.size() % 2 == 0) << entry.path();
    }
    for (const auto& entry : fs::directory_iterator(kFirmware / "Filter")) {
        const std::string stem = entry.path().stem().string();
        const std::vector<double> values = test::readNumbers(textOf(entry.path()));
        EXPECT_EQ(values.size(), stem == "pf512_70" ? 8192 : 8 * std::stoul(stem.substr(4))) << stem;
        for (double v : values)
            ASSERT_TRUE(v >= -1.0 && std::lround(v * 2048.0) <= 2047) << stem << ": " << v;
    }
    int images = 0;
    for (const auto& entry : fs::directory_iterator(kFirmware)) {
        if (entry.path().extension() != ".bit") continue;
        SCOPED_TRACE(entry.path().string());
        ++images;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                              std::istreambuf_iterator<char>());
        ASSERT_GE(bytes.size(), img::kHeaderLength);
        const auto header = img::decodeHeader(bytes.data());
        ASSERT_TRUE(header.has_value());
        EXPECT_EQ(header->name + ".bit", entry.path().filename().string());
        ASSERT_EQ(header->payloadLength + img::kHeaderLength, bytes.size());
        EXPECT_TRUE(header->payloadLength >= 300 * 1024 && header->payloadLength <= 800 * 1024);
        EXPECT_EQ(header->payloadCrc, img::crc32(bytes.data() + img::kHeaderLength, header->payloadLength));
    }
    EXPECT_EQ(images, 43);
}

}  // namespace
}  // namespace firmware
