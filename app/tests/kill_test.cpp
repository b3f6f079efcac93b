// A program killed at any moment: while it writes Config.ini or a set file, while it loads the FPGA,
// while the board streams. Each round kills a child process after a random delay, then checks what it
// leaves: every file it wrote is whole (the old or the new content, never a mix or a cut), and the next
// start finds nothing in its way (the busy lock is free at once, the driver's event opens and works).
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>

#include "config/profile.h"
#include "program_fixture.h"
#include "zplatform/named_event.h"

namespace program_test {
namespace {

// The child's work, until it is killed.
[[noreturn]] void WriteConfigForever(const std::string& config, const std::string& set) {
    for (unsigned k = 0;; ++k) {
        // Config.ini: values that tell by themselves whether they are whole.
        profile::WriteString(config, "Main", "K" + std::to_string(k % 5),
                             std::string(100 + k % 1000, static_cast<char>('a' + k % 26)));
        // A set file: two keys written together must always agree.
        const std::string n = std::to_string(k);
        profile::WriteStrings(set, "Set" + std::to_string(k % 3),
                              {{"A", n}, {"B", n}, {"Pad", std::string(k % 4096, 'p')}});
    }
}

[[noreturn]] void LoadAndStreamForever(const std::string& source) {
    if (QmioTest_Configure("[Board0]\nDmaBuffers=4\nDmaBufferLength=65536\nMasterByteRate=-1\n") < 1)
        _exit(3);
    if (ConnectDevice(0, AppPath("Firmware").c_str()) != 0) _exit(4);
    const std::string images[] = {AppPath("Firmware/emdi_32c.bit"), AppPath("Firmware/load_Ram.bit")};
    for (unsigned k = 0;; ++k) {
        FPGALoad(0, images[k % 2].c_str());
        Load_RAM(0, source.c_str(), 0);
        StartMaster(0, 4);
        StopMaster(0);
    }
}

class KillTest : public ::testing::Test {
 protected:
    void SetUp() override { AppDir = ProgramDir(); }
    TempDir dir;
};

TEST_F(KillTest, AProgramKilledAtAnyMomentLeavesWholeFilesAndAFreeBoard) {
    const std::string config = dir.file("Config.ini"), set = dir.file("set.cfg"),
                      source = dir.file("src.bin");
    WriteFile(source, PositionBytes(200000));
    std::mt19937 random(12345);
    for (int round = 0; round < 40; ++round) {
        const bool files = round % 2 == 0;
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (files) WriteConfigForever(config, set);
            LoadAndStreamForever(source);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(2000 + random() % 60000));
        ASSERT_EQ(kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the child ended by itself: " << status;

        if (files) {
            for (int k = 0; k < 5; ++k) {
                const std::string value = profile::ReadString(config, "Main", "K" + std::to_string(k), "");
                if (value.empty()) continue;
                EXPECT_GE(value.size(), 100u);
                EXPECT_EQ(value.find_first_not_of(value[0]), std::string::npos) << "a cut or mixed value";
            }
            for (const auto& section : profile::ReadSectionNames(set))
                EXPECT_EQ(profile::ReadString(set, section, "A", "a"),
                          profile::ReadString(set, section, "B", "b"))
                    << "the set file holds half of a write";
        } else {
            // The next start: the board is not busy and the driver's event, left in shared memory by
            // the killed program, opens and signals.
            ASSERT_GE(QmioTest_Configure("[Board0]\nDmaBuffers=4\nDmaBufferLength=65536\n"), 1);
            ASSERT_EQ(ConnectDevice(0, AppPath("Firmware").c_str()), 0) << "round " << round;
            const auto event = zplatform::NamedEvent::openForWait("Global\\qmbus3evnt0");
            EXPECT_NE(event, nullptr);
            EXPECT_EQ(DisconnectDevice(0), 0);
        }
    }
    // No temporary file of an interrupted write is taken for the file itself.
    EXPECT_FALSE(profile::ReadSectionNames(config).empty());
}

}  // namespace
}  // namespace program_test
