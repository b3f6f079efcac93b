#include "zplatform/named_mutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <thread>

namespace zplatform {

struct NamedMutex::Impl {
    int fd = -1;
};

NamedMutex::NamedMutex(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

NamedMutex::~NamedMutex() {
    if (impl_ && impl_->fd >= 0) {
        flock(impl_->fd, LOCK_UN);
        close(impl_->fd);
    }
}

std::unique_ptr<NamedMutex> NamedMutex::acquire(const std::string& name, std::chrono::milliseconds timeout) {
    std::error_code ec;
    const auto dir = std::filesystem::temp_directory_path(ec);
    const auto path = (ec ? std::filesystem::path("/tmp") : dir) / (name + ".lock");
    // The lock is machine-wide (one board, whoever runs the program), so the file lives in the shared
    // temporary directory. There it is never followed through a symbolic link (another user could
    // point one at a file of ours), it must be a regular file, and it is created readable only:
    // flock() needs no write access, so any user can take the lock of an existing file, and nobody
    // but its creator can write to it. The kernel drops the lock when its owner dies: a file left
    // behind by a killed program holds nothing and is simply taken again.
    int fd = open(path.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) return nullptr;
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return nullptr;
    }
    // Poll the non-blocking lock until the deadline, as a wait on a kernel mutex would.
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
            auto impl = std::make_unique<Impl>();
            impl->fd = fd;
            return std::unique_ptr<NamedMutex>(new NamedMutex(std::move(impl)));
        }
        if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() >= deadline) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    close(fd);
    return nullptr;
}

}  // namespace zplatform
