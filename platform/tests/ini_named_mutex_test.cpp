// INI lookups with the rules of the profile functions; the named mutex between owners.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "zplatform/ini.h"
#include "zplatform/named_mutex.h"
#include "zplatform/shared_file.h"

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

// What lies in the shared temporary directory is never followed: a symbolic link put in the place of the
// lock file or of a log redirects nothing, and the files made there are not writable (lock) or not
// readable (log) by other users. A lock file left behind by a killed owner is taken at once.
TEST(SharedObjects, LinksInTheirPlaceAreRefusedAndTheFilesKeepToTheirOwner) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path();
    const std::string name = "zvl_link_test_" + std::to_string(getpid());
    const fs::path victim = dir / (name + ".victim"), lock = dir / (name + ".lock"),
                   log = dir / (name + ".log");
    std::ofstream(victim) << "precious";
    fs::create_symlink(victim, lock);
    fs::create_symlink(victim, log);
    EXPECT_EQ(NamedMutex::acquire(name, 0ms), nullptr);
    EXPECT_EQ(SharedFile::create(log.string()), nullptr);
    std::ifstream in(victim);
    std::string text;
    in >> text;
    EXPECT_EQ(text, "precious");
    fs::remove(lock);
    fs::remove(log);
    fs::remove(victim);

    {
        const auto owner = NamedMutex::acquire(name, 0ms);
        ASSERT_NE(owner, nullptr);
        EXPECT_EQ(fs::status(lock).permissions() & (fs::perms::group_write | fs::perms::others_write),
                  fs::perms::none);
    }
    EXPECT_NE(NamedMutex::acquire(name, 0ms), nullptr) << "the file left behind is taken again";
    ASSERT_NE(SharedFile::create(log.string()), nullptr);
    EXPECT_EQ(fs::status(log).permissions() & (fs::perms::group_all | fs::perms::others_all),
              fs::perms::none);
    fs::remove(lock);
    fs::remove(log);
}

}  // namespace
}  // namespace zplatform
