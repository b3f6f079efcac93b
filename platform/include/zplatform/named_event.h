// Named events shared between modules and processes, with the semantics of Windows events: manual or
// automatic reset, set, reset, wait with a time-out; opening an event that nobody created fails.
//
// Windows: CreateEventA / OpenEventA(SYNCHRONIZE) / SetEvent / ResetEvent / WaitForSingleObject.
// POSIX (Linux): a small shared-memory object "/zorvanl.<uid>.<name>" of the user, mode 0600
// (characters '\' and '/' of the name become '_'; only an object of this user is opened) holding the
// signalled state, which is also a shared futex word, and a count of open handles; the last handle to close
// removes the object, as Windows removes an event. Everything in it is a lock-free atomic, so a process that
// dies never leaves the event locked. (An event held by a process that died stays until it is removed by
// hand: rm /dev/shm/zorvanl.<uid>.*.)
#pragma once

#include <chrono>
#include <memory>
#include <string>

namespace zplatform {

enum class WaitResult { Signaled, Timeout, Failed };

class NamedEvent {
 public:
    static constexpr std::chrono::milliseconds kInfinite = std::chrono::milliseconds::max();

    // Creates the event, or opens it when it exists already (its state is then kept).
    // Returns nullptr on failure.
    static std::unique_ptr<NamedEvent> create(const std::string& name, bool manualReset, bool initiallySet);
    // An event without a name, private to this process (events that only the program's own threads use).
    static std::unique_ptr<NamedEvent> createLocal(bool manualReset, bool initiallySet);
    // Opens an existing event with the right to wait only (set and reset are not used on it).
    // Returns nullptr when no event of that name exists.
    static std::unique_ptr<NamedEvent> openForWait(const std::string& name);

    ~NamedEvent();
    NamedEvent(const NamedEvent&) = delete;
    NamedEvent& operator=(const NamedEvent&) = delete;

    void set();
    void reset();
    // Waits until the event is set; an automatic-reset event is cleared by the wait that takes it.
    WaitResult wait(std::chrono::milliseconds timeout = kInfinite);

    struct Impl;

 private:
    explicit NamedEvent(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace zplatform
