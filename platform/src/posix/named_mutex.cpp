#include "zplatform/named_mutex.h"

#include <fcntl.h>
#include <sys/file.h>
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
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
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
