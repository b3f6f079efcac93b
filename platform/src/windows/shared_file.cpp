#include "zplatform/shared_file.h"

#include <windows.h>

#include <algorithm>

namespace zplatform {
namespace {

std::wstring widePath(const std::string& utf8) {
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(std::max(length, 0)), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
    return wide;
}

}  // namespace

struct SharedFile::Impl {
    HANDLE handle = INVALID_HANDLE_VALUE;
    ~Impl() {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
};

SharedFile::SharedFile(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
SharedFile::~SharedFile() = default;

std::unique_ptr<SharedFile> SharedFile::create(const std::string& path) {
    const HANDLE handle =
        CreateFileW(widePath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    auto impl = std::make_unique<Impl>();
    impl->handle = handle;
    return std::unique_ptr<SharedFile>(new SharedFile(std::move(impl)));
}

bool SharedFile::append(const char* data, std::size_t size) {
    while (size > 0) {
        // An offset of all ones writes at the current end of the file, as a handle opened with
        // FILE_APPEND_DATA does, so writers in other processes never overwrite each other.
        OVERLAPPED atEnd{};
        atEnd.Offset = 0xFFFFFFFF;
        atEnd.OffsetHigh = 0xFFFFFFFF;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 0x40000000));
        DWORD written = 0;
        if (!WriteFile(impl_->handle, data, chunk, &written, &atEnd) || written == 0) return false;
        data += written;
        size -= written;
    }
    return true;
}

}  // namespace zplatform
