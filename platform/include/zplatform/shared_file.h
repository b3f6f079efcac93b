// A text file that this process appends to while other processes may read and write it (the debug
// log). Each write appends at the current end of the file, whatever another writer did before.
//
// Windows: CreateFileW with FILE_SHARE_READ | FILE_SHARE_WRITE; every write goes to the end of the file
// (an OVERLAPPED offset of all ones).
// POSIX: open() with O_APPEND.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace zplatform {

class SharedFile {
 public:
    // Creates the file `path` (UTF-8), truncating a file of the same name. nullptr when it cannot be
    // created (missing directory, no rights).
    static std::unique_ptr<SharedFile> create(const std::string& path);
    ~SharedFile();
    SharedFile(const SharedFile&) = delete;
    SharedFile& operator=(const SharedFile&) = delete;

    // Appends `size` bytes unbuffered: one write call, repeated only for what a short write left
    // over. false when the system refused the write.
    bool append(const char* data, std::size_t size);

    struct Impl;

 private:
    explicit SharedFile(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace zplatform
