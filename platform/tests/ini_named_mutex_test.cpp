// INI lookups with the rules of the profile functions; the named mutex between owners.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

#include "zplatform/ini.h"
#include "zplatform/named_mutex.h"

namespace zplatform {
namespace {

using namespace std::chrono_literals;

TEST(IniFile, NamesCompareWithoutCaseAndTheFirstKeyWins) {
    const auto ini = IniFile::parse(
        "; comment\n[Board0]\n Serial = 0x10 \nSERIAL=5\n[board0]\nName=x = y\n"
        "# another\n[Other]\nTemperature=41.75\nBad=12abc\n");
    EXPECT_EQ(ini.integer("BOARD0", "serial", 0), 16);
    EXPECT_EQ(ini.text("Board0", "name", ""), "x = y");
    EXPECT_DOUBLE_EQ(ini.number("other", "temperature", 0), 41.75);
    EXPECT_EQ(ini.integer("Other", "Bad", -7), -7);
    EXPECT_DOUBLE_EQ(ini.number("Other", "Bad", 2.5), 2.5);
    EXPECT_EQ(ini.integer("Other", "Missing", 3), 3);
    EXPECT_TRUE(ini.hasSection("OTHER"));
    EXPECT_FALSE(ini.hasSection("Board1"));
    EXPECT_EQ(ini.keys("board0"), (std::vector<std::string>{"Serial", "SERIAL", "Name"}));
}

TEST(NamedMutex, TwoOwnersExcludeEachOtherUntilTheFirstReleases) {
    const std::string name = "ZorvanLTestMutex" + std::to_string(getpid());
    auto first = NamedMutex::acquire(name, 50ms);
    ASSERT_NE(first, nullptr);
    const auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(NamedMutex::acquire(name, 50ms), nullptr);
    EXPECT_GE(std::chrono::steady_clock::now() - before, 50ms);
    first.reset();
    EXPECT_NE(NamedMutex::acquire(name, 50ms), nullptr);
    std::filesystem::remove(std::filesystem::temp_directory_path() / (name + ".lock"));
}

}  // namespace
}  // namespace zplatform
