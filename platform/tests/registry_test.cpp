// The registry stand-in file and the driver's buffer parameters read from it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "zplatform/registry.h"

namespace zplatform::registry {
namespace {

class RegistryTest : public ::testing::Test {
 protected:
    void SetUp() override {
        path_ = std::filesystem::temp_directory_path() / ("zvreg" + std::to_string(getpid()) + ".reg");
        setenv("ZORVANL_REGISTRY", path_.c_str(), 1);
    }
    void TearDown() override {
        std::filesystem::remove(path_);
        unsetenv("ZORVANL_REGISTRY");
    }
    void write(const std::string& text) { std::ofstream(path_, std::ios::binary) << text; }

    std::filesystem::path path_;
};

TEST_F(RegistryTest, ValuesOfEveryKindAreReadInFileOrder) {
    write(
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\qmbus]\r\n"
        "\"DisplayName\"=\"qmbus \\\"board\\\" driver\"\r\n"
        "\"Start\"=dword:00000003\r\n"
        "\"ImagePath\"=hex(2):5c,00,3f,00,00,00\r\n"
        "\"Blob\"=hex:01,ab,\\\r\n  ff\r\n"
        "\"Odd\"=hex(7):00,00\r\n"
        "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\qmbus\\Parameters]\r\n"
        "\"BuffersPerCH\"=dword:00000008\r\n"
        "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\qmbus\\Enum]\r\n");
    const auto key = Key::openLocalMachine("system\\currentcontrolset\\services\\QMBUS");
    ASSERT_NE(key, nullptr);
    const auto values = key->values();
    ASSERT_EQ(values.size(), 5u);
    EXPECT_EQ(values[0].type, ValueType::String);
    EXPECT_EQ(values[0].text, "qmbus \"board\" driver");
    EXPECT_EQ(values[1].type, ValueType::Dword);
    EXPECT_EQ(values[1].dword, 3u);
    EXPECT_EQ(values[2].type, ValueType::ExpandString);
    EXPECT_EQ(values[2].text, "\\?");
    EXPECT_EQ(values[3].type, ValueType::Binary);
    EXPECT_EQ(values[3].data, (std::vector<std::uint8_t>{0x01, 0xAB, 0xFF}));
    EXPECT_EQ(values[4].type, ValueType::Other);
    EXPECT_EQ(key->subkeys(), (std::vector<std::string>{"Parameters", "Enum"}));
}

TEST_F(RegistryTest, AMissingKeyOrFileIsNotFound) {
    EXPECT_EQ(Key::openLocalMachine(kDriverParametersKey), nullptr);
    write("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\n\"A\"=dword:1\n");
    EXPECT_EQ(Key::openLocalMachine(kDriverParametersKey), nullptr);
}

TEST_F(RegistryTest, DriverParametersDefaultToFourBuffersOfOneMebibyte) {
    auto parameters = readDriverBufferParameters();
    EXPECT_EQ(parameters.buffersPerChannel, 4);
    EXPECT_EQ(parameters.bufferLength, 0x100000u);
    write(
        "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\qmbus\\Parameters]\n"
        "\"BuffersPerCH\"=dword:00000000\n\"CHBufferLENs\"=hex:00,00,00,00\n");
    parameters = readDriverBufferParameters();
    EXPECT_EQ(parameters.buffersPerChannel, 4);
    EXPECT_EQ(parameters.bufferLength, 0x100000u);
}

TEST_F(RegistryTest, DriverParametersTakeTheFirstFourBytesLittleEndian) {
    write(
        "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\qmbus\\Parameters]\n"
        "\"BuffersPerCH\"=dword:0000000c\n\"CHBufferLENs\"=hex:00,00,02,00,00,00,10,00\n");
    auto parameters = readDriverBufferParameters();
    EXPECT_EQ(parameters.buffersPerChannel, 12);
    EXPECT_EQ(parameters.bufferLength, 0x20000u);
    // Fewer than four bytes: the missing ones count as zero.
    write(
        "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\qmbus\\Parameters]\n"
        "\"CHBufferLENs\"=hex:00,80\n");
    parameters = readDriverBufferParameters();
    EXPECT_EQ(parameters.bufferLength, 0x8000u);
}

TEST_F(RegistryTest, DriverParametersOfTheWrongTypeAreRefusedAndDefaulted) {
    std::string tooLong = "hex:00,00,02,00";
    for (int i = 4; i < 1025; ++i)
        tooLong += ",00";
    struct Case {
        std::string values;
        std::vector<std::string> invalid;
        std::int32_t buffers;
        std::uint32_t length;
    };
    const Case cases[] = {
        {"\"BuffersPerCH\"=\"8\"\n\"CHBufferLENs\"=hex(0):00,00,02,00\n",
         {"BuffersPerCH"},
         4,
         0x20000},  // untyped is fine
        {"\"buffersperch\"=dword:00000008\n\"CHBufferLENs\"=dword:00020000\n", {"CHBufferLENs"}, 8, 0x100000},
        {"\"CHBufferLENs\"=" + tooLong + "\n", {"CHBufferLENs"}, 4, 0x100000},
    };
    for (const Case& c : cases) {
        write("[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\qmbus\\Parameters]\n" + c.values);
        const auto parameters = readDriverBufferParameters();
        EXPECT_EQ(parameters.invalid, c.invalid) << c.values;
        EXPECT_EQ(parameters.buffersPerChannel, c.buffers) << c.values;
        EXPECT_EQ(parameters.bufferLength, c.length) << c.values;
    }
}

}  // namespace
}  // namespace zplatform::registry
