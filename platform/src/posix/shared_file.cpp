#include "zplatform/shared_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace zplatform {

struct SharedFile::Impl {
    int fd = -1;
    ~Impl() {
        if (fd >= 0) close(fd);
    }
};

SharedFile::SharedFile(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
SharedFile::~SharedFile() = default;

std::unique_ptr<SharedFile> SharedFile::create(const std::string& path) {
    // O_APPEND: the kernel moves to the end and writes in one step, so writers in other processes
    // never overwrite each other's lines.
    // O_NOFOLLOW: a symbolic link put in the log's place never redirects the write; the log is the
    // owner's to read alone.
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return nullptr;
    auto impl = std::make_unique<Impl>();
    impl->fd = fd;
    return std::unique_ptr<SharedFile>(new SharedFile(std::move(impl)));
}

bool SharedFile::append(const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = write(impl_->fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (written == 0) return false;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

}  // namespace zplatform
