// Named events behave like Windows events, within a process and between processes.
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "zplatform/named_event.h"

namespace zplatform {
namespace {

using namespace std::chrono_literals;

// A name of its own for every test, so that runs do not meet each other's events.
std::string uniqueName(const char* stem) {
    return std::string("Global\\zvtest") + stem + std::to_string(getpid());
}

TEST(NamedEvent, OpeningAnEventNobodyCreatedFails) {
    EXPECT_EQ(NamedEvent::openForWait(uniqueName("none")), nullptr);
}

TEST(NamedEvent, AnAutomaticResetEventReleasesOneWaitPerSet) {
    auto event = NamedEvent::create(uniqueName("auto"), false, false);
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(event->wait(0ms), WaitResult::Timeout);
    event->set();
    EXPECT_EQ(event->wait(0ms), WaitResult::Signaled);
    EXPECT_EQ(event->wait(10ms), WaitResult::Timeout);  // the first wait took it
}

TEST(NamedEvent, AManualResetEventStaysSetUntilReset) {
    auto event = NamedEvent::create(uniqueName("manual"), true, true);
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(event->wait(0ms), WaitResult::Signaled);
    EXPECT_EQ(event->wait(0ms), WaitResult::Signaled);
    event->reset();
    EXPECT_EQ(event->wait(5ms), WaitResult::Timeout);
}

TEST(NamedEvent, HandlesOfOneNameShareTheEventAndCreateKeepsItsState) {
    const auto name = uniqueName("shared");
    auto creator = NamedEvent::create(name, false, false);
    auto again = NamedEvent::create(name, true, true);  // exists: kind and state are kept
    auto waiter = NamedEvent::openForWait(name);
    ASSERT_TRUE(creator && again && waiter);
    EXPECT_EQ(waiter->wait(0ms), WaitResult::Timeout);
    creator->set();
    EXPECT_EQ(waiter->wait(0ms), WaitResult::Signaled);
    EXPECT_EQ(again->wait(0ms), WaitResult::Timeout);  // automatic reset
}

TEST(NamedEvent, TheLastHandleToCloseRemovesTheEvent) {
    const auto name = uniqueName("gone");
    {
        auto event = NamedEvent::create(name, false, true);
        ASSERT_NE(event, nullptr);
        EXPECT_NE(NamedEvent::openForWait(name), nullptr);
    }
    EXPECT_EQ(NamedEvent::openForWait(name), nullptr);
    auto fresh = NamedEvent::create(name, false, false);  // a new event, not the old signalled one
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->wait(0ms), WaitResult::Timeout);
}

TEST(NamedEvent, AWaitingThreadWakesWhenAnotherSets) {
    auto event = NamedEvent::create(uniqueName("thread"), false, false);
    ASSERT_NE(event, nullptr);
    std::atomic<int> woken{0};
    std::thread waiter([&] {
        for (int i = 0; i < 100; ++i)
            if (event->wait(10s) == WaitResult::Signaled) ++woken;
    });
    for (int i = 0; i < 100; ++i) {
        while (woken.load() < i)
            std::this_thread::yield();
        event->set();
    }
    waiter.join();
    EXPECT_EQ(woken.load(), 100);
}

TEST(NamedEvent, AnotherProcessCanOpenAndSignalIt) {
    const auto name = uniqueName("process");
    auto event = NamedEvent::create(name, false, false);
    ASSERT_NE(event, nullptr);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The child opens its own handle by name and sets the event for its parent.
        auto handle = NamedEvent::create(name, false, false);
        if (!handle) _exit(2);
        handle->set();
        handle.reset();
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(event->wait(5s), WaitResult::Signaled);
}

// The events live in shared memory under this user's id, readable and writable by the owner only: no
// other user of the machine can signal, reset or replace them.
TEST(NamedEventSecurity, AnEventIsThisUsersOwnAndNobodyElsesToTouch) {
    const std::string name = "zvl_owner_test_" + std::to_string(getpid());
    const auto event = NamedEvent::create(name, false, false);
    ASSERT_NE(event, nullptr);
    const std::filesystem::path object = "/dev/shm/zorvanl." + std::to_string(geteuid()) + "." + name;
    ASSERT_TRUE(std::filesystem::exists(object));
    EXPECT_EQ(std::filesystem::status(object).permissions() &
                  (std::filesystem::perms::group_all | std::filesystem::perms::others_all),
              std::filesystem::perms::none);
}

}  // namespace
}  // namespace zplatform
