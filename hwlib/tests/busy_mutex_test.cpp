// The busy mutex keeps a board to one process: two real processes contend for the same board.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "board_fixture.h"

extern char** environ;

namespace zorvan::test {
namespace {

// The busy_holder program, talked to through its stdin and stdout.
class Holder {
 public:
    Holder() {
        int toChild[2], fromChild[2];
        EXPECT_EQ(pipe(toChild), 0);
        EXPECT_EQ(pipe(fromChild), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, toChild[0], 0);
        posix_spawn_file_actions_adddup2(&actions, fromChild[1], 1);
        posix_spawn_file_actions_addclose(&actions, toChild[1]);
        posix_spawn_file_actions_addclose(&actions, fromChild[0]);
        char* argv[] = {const_cast<char*>(BUSY_HOLDER_PATH), nullptr};
        EXPECT_EQ(posix_spawn(&pid_, BUSY_HOLDER_PATH, &actions, nullptr, argv, environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        close(toChild[0]);
        close(fromChild[1]);
        in_ = fdopen(toChild[1], "w");
        out_ = fdopen(fromChild[0], "r");
    }
    ~Holder() {
        if (pid_ > 0) {
            send("exit");
            waitpid(pid_, nullptr, 0);
        }
        if (in_) fclose(in_);
        if (out_) fclose(out_);
    }
    std::string line() {
        char buffer[128] = {};
        if (!fgets(buffer, sizeof buffer, out_)) return "<eof>";
        std::string text(buffer);
        if (!text.empty() && text.back() == '\n') text.pop_back();
        return text;
    }
    void send(const char* command) {
        fprintf(in_, "%s\n", command);
        fflush(in_);
    }
    void kill() {
        ::kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

 private:
    pid_t pid_ = -1;
    FILE* in_ = nullptr;
    FILE* out_ = nullptr;
};

class BusyMutexTest : public BoardTest {};

TEST_F(BusyMutexTest, ASecondProcessWaitsFiftyMillisecondsThenGetsMinus13UntilTheFirstDisconnects) {
    Holder holder;
    ASSERT_EQ(holder.line(), "connected 0");
    const auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(ConnectDevice(0, "."), -13);
    EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(50));
    holder.send("disconnect");
    ASSERT_EQ(holder.line(), "disconnected 0");
    connect();
}

TEST_F(BusyMutexTest, TheBoardIsReleasedWhenItsOwnerDies) {
    Holder holder;
    ASSERT_EQ(holder.line(), "connected 0");
    holder.kill();
    connect();
}

TEST_F(BusyMutexTest, TheOtherProcessIsRefusedWhileThisOneHoldsTheBoard) {
    connect();
    Holder holder;
    EXPECT_EQ(holder.line(), "connected -13");
}

}  // namespace
}  // namespace zorvan::test
