#include "zplatform/named_mutex.h"

#include <windows.h>

namespace zplatform {

struct NamedMutex::Impl {
    HANDLE handle = nullptr;
};

NamedMutex::NamedMutex(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

NamedMutex::~NamedMutex() {
    if (impl_ && impl_->handle) {
        ReleaseMutex(impl_->handle);
        CloseHandle(impl_->handle);
    }
}

std::unique_ptr<NamedMutex> NamedMutex::acquire(const std::string& name, std::chrono::milliseconds timeout) {
    HANDLE handle = CreateMutexA(nullptr, FALSE, name.c_str());
    if (!handle) return nullptr;
    const DWORD ms =
        timeout.count() >= static_cast<long long>(INFINITE) ? INFINITE : static_cast<DWORD>(timeout.count());
    const DWORD result = WaitForSingleObject(handle, ms);
    if (result != WAIT_OBJECT_0) {  // time-out, abandoned or failure
        // An abandoned mutex is owned by this thread now: give it back before refusing it.
        if (result == WAIT_ABANDONED) ReleaseMutex(handle);
        CloseHandle(handle);
        return nullptr;
    }
    auto impl = std::make_unique<Impl>();
    impl->handle = handle;
    return std::unique_ptr<NamedMutex>(new NamedMutex(std::move(impl)));
}

}  // namespace zplatform
