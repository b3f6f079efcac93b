// A named lock shared between processes, held by at most one owner at a time.
//
// Windows: a named kernel mutex (CreateMutexA + WaitForSingleObject); an abandoned mutex counts as not
// acquired, as the board's busy mutex requires.
// POSIX: an exclusive flock() on the file <temp dir>/<name>.lock. The kernel drops the lock when the
// owning process dies, so a crashed owner never keeps a board busy. Each acquisition opens its own file
// description, so two owners in one process exclude each other as well.
#pragma once

#include <chrono>
#include <memory>
#include <string>

namespace zplatform {

class NamedMutex {
 public:
    // Waits at most `timeout` for the lock. Returns nullptr when it was not acquired (time-out,
    // abandoned or failure).
    static std::unique_ptr<NamedMutex> acquire(const std::string& name, std::chrono::milliseconds timeout);
    ~NamedMutex();  // releases the lock and closes it
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;

    struct Impl;

 private:
    explicit NamedMutex(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace zplatform
