#include "zplatform/named_event.h"

#include <windows.h>

namespace zplatform {

struct NamedEvent::Impl {
    HANDLE handle = nullptr;
};

NamedEvent::NamedEvent(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

NamedEvent::~NamedEvent() {
    if (impl_ && impl_->handle) CloseHandle(impl_->handle);
}

std::unique_ptr<NamedEvent> NamedEvent::create(const std::string& name, bool manualReset, bool initiallySet) {
    HANDLE handle =
        CreateEventA(nullptr, manualReset ? TRUE : FALSE, initiallySet ? TRUE : FALSE, name.c_str());
    if (!handle) return nullptr;
    return std::unique_ptr<NamedEvent>(new NamedEvent(std::make_unique<Impl>(Impl{handle})));
}

std::unique_ptr<NamedEvent> NamedEvent::createLocal(bool manualReset, bool initiallySet) {
    HANDLE handle = CreateEventA(nullptr, manualReset ? TRUE : FALSE, initiallySet ? TRUE : FALSE, nullptr);
    if (!handle) return nullptr;
    return std::unique_ptr<NamedEvent>(new NamedEvent(std::make_unique<Impl>(Impl{handle})));
}

std::unique_ptr<NamedEvent> NamedEvent::openForWait(const std::string& name) {
    HANDLE handle = OpenEventA(SYNCHRONIZE, FALSE, name.c_str());
    if (!handle) return nullptr;
    return std::unique_ptr<NamedEvent>(new NamedEvent(std::make_unique<Impl>(Impl{handle})));
}

void NamedEvent::set() {
    SetEvent(impl_->handle);
}

void NamedEvent::reset() {
    ResetEvent(impl_->handle);
}

WaitResult NamedEvent::wait(std::chrono::milliseconds timeout) {
    const DWORD ms = timeout == kInfinite ? INFINITE : static_cast<DWORD>(timeout.count());
    switch (WaitForSingleObject(impl_->handle, ms)) {
        case WAIT_OBJECT_0:
            return WaitResult::Signaled;
        case WAIT_TIMEOUT:
            return WaitResult::Timeout;
        default:
            return WaitResult::Failed;
    }
}

}  // namespace zplatform
