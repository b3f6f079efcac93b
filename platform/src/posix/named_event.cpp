#include "zplatform/named_event.h"

#include <fcntl.h>
#include <linux/futex.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <ctime>
#include <thread>

namespace zplatform {
namespace {

constexpr std::uint32_t kMagic = 0x5A564556;  // "ZVEV": the creator has finished initialising

// The object in shared memory. Every field is a lock-free atomic, so no process can die holding a
// lock. `signaled` is also the futex word: a shared (not process-private) futex is keyed by the object
// itself, so waiters and setters meet whichever mapping of the object they use, in one process or
// several.
struct SharedEvent {
    std::atomic<std::uint32_t> magic;
    std::atomic<std::uint32_t> manualReset;
    std::atomic<std::uint32_t> signaled;
    // Open handles in all processes. 0 means the object is being removed: nobody may join it then.
    std::atomic<std::uint32_t> handles;
};
static_assert(std::atomic<std::uint32_t>::is_always_lock_free);

// Each user of the machine has events of their own ("/zorvanl.<uid>.<name>"): another user can neither
// open, signal, reset or replace the program's and the driver's events nor block their creation.
std::string objectName(const std::string& name) {
    std::string object = "/zorvanl." + std::to_string(geteuid()) + ".";
    for (char c : name)
        object += (c == '/' || c == '\\') ? '_' : c;
    return object;
}

SharedEvent* mapObject(int fd) {
    void* memory = mmap(nullptr, sizeof(SharedEvent), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    return memory == MAP_FAILED ? nullptr : static_cast<SharedEvent*>(memory);
}

void futexWake(std::atomic<std::uint32_t>* word, int waiters) {
    syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(word), FUTEX_WAKE, waiters, nullptr, nullptr, 0);
}

// Sleeps while *word == expected, at most `timeout` (nullptr: no limit).
void futexWait(std::atomic<std::uint32_t>* word, std::uint32_t expected, const timespec* timeout) {
    syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(word), FUTEX_WAIT, expected, timeout, nullptr, 0);
}

// Takes a handle on an object that is not being removed.
bool join(SharedEvent* event) {
    std::uint32_t handles = event->handles.load(std::memory_order_acquire);
    while (handles != 0)
        if (event->handles.compare_exchange_weak(handles, handles + 1, std::memory_order_acq_rel))
            return true;
    return false;
}

// Opens (and with `create`, creates) the named object and takes a handle on it.
SharedEvent* attach(const std::string& object, bool create, bool manualReset, bool initiallySet) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        int fd = create ? shm_open(object.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600) : -1;
        if (fd >= 0) {
            fchmod(fd, 0600);  // the owner only, whatever the umask
            SharedEvent* event = ftruncate(fd, sizeof(SharedEvent)) == 0 ? mapObject(fd) : nullptr;
            close(fd);
            if (!event) {
                shm_unlink(object.c_str());
                return nullptr;
            }
            event->manualReset.store(manualReset ? 1 : 0, std::memory_order_relaxed);
            event->signaled.store(initiallySet ? 1 : 0, std::memory_order_relaxed);
            event->handles.store(1, std::memory_order_relaxed);
            event->magic.store(kMagic, std::memory_order_release);
            return event;
        }
        if (create && errno != EEXIST) return nullptr;
        fd = shm_open(object.c_str(), O_RDWR | O_CLOEXEC, 0);
        if (fd < 0) {
            if (!create) return nullptr;
            continue;  // removed between the two opens: create it afresh
        }
        // Only an object of this user is joined (one of root's, or one made before the objects were
        // per user, is not).
        struct stat info {};
        if (fstat(fd, &info) != 0 || info.st_uid != geteuid()) {
            close(fd);
            return nullptr;
        }
        // The creator may still be sizing and initialising the object.
        SharedEvent* event = nullptr;
        for (int wait = 0; wait < 1000; ++wait) {
            if (fstat(fd, &info) == 0 && info.st_size >= static_cast<off_t>(sizeof(SharedEvent))) break;
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
        if (info.st_size >= static_cast<off_t>(sizeof(SharedEvent))) event = mapObject(fd);
        close(fd);
        if (!event) return nullptr;
        for (int wait = 0; wait < 1000 && event->magic.load(std::memory_order_acquire) != kMagic; ++wait)
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        if (event->magic.load(std::memory_order_acquire) == kMagic && join(event)) return event;
        munmap(event, sizeof(SharedEvent));  // being removed by its last user, or never initialised
        if (!create) return nullptr;
    }
    return nullptr;
}

}  // namespace

struct NamedEvent::Impl {
    std::string object;
    SharedEvent* event = nullptr;
};

NamedEvent::NamedEvent(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

NamedEvent::~NamedEvent() {
    if (!impl_ || !impl_->event) return;
    if (impl_->object.empty()) {  // a local event lives on the heap
        delete impl_->event;
        return;
    }
    // The last handle removes the name, as Windows removes an event nobody holds any more.
    if (impl_->event->handles.fetch_sub(1, std::memory_order_acq_rel) == 1) shm_unlink(impl_->object.c_str());
    munmap(impl_->event, sizeof(SharedEvent));
}

std::unique_ptr<NamedEvent> NamedEvent::create(const std::string& name, bool manualReset, bool initiallySet) {
    const std::string object = objectName(name);
    SharedEvent* event = attach(object, true, manualReset, initiallySet);
    if (!event) return nullptr;
    return std::unique_ptr<NamedEvent>(new NamedEvent(std::make_unique<Impl>(Impl{object, event})));
}

std::unique_ptr<NamedEvent> NamedEvent::createLocal(bool manualReset, bool initiallySet) {
    auto* event = new SharedEvent{};
    event->manualReset.store(manualReset ? 1 : 0);
    event->signaled.store(initiallySet ? 1 : 0);
    event->handles.store(1);
    event->magic.store(kMagic);
    return std::unique_ptr<NamedEvent>(new NamedEvent(std::make_unique<Impl>(Impl{std::string(), event})));
}

std::unique_ptr<NamedEvent> NamedEvent::openForWait(const std::string& name) {
    const std::string object = objectName(name);
    SharedEvent* event = attach(object, false, false, false);
    if (!event) return nullptr;
    return std::unique_ptr<NamedEvent>(new NamedEvent(std::make_unique<Impl>(Impl{object, event})));
}

void NamedEvent::set() {
    SharedEvent* event = impl_->event;
    event->signaled.store(1, std::memory_order_release);
    futexWake(&event->signaled, event->manualReset.load(std::memory_order_relaxed) ? INT_MAX : 1);
}

void NamedEvent::reset() {
    impl_->event->signaled.store(0, std::memory_order_release);
}

WaitResult NamedEvent::wait(std::chrono::milliseconds timeout) {
    SharedEvent* event = impl_->event;
    const bool manual = event->manualReset.load(std::memory_order_relaxed) != 0;
    const bool infinite = timeout == kInfinite;
    const auto deadline =
        infinite ? std::chrono::steady_clock::time_point::max() : std::chrono::steady_clock::now() + timeout;
    for (;;) {
        // An automatic-reset event is taken by exactly one waiter: the one whose exchange clears it.
        if (manual ? event->signaled.load(std::memory_order_acquire) == 1
                   : event->signaled.exchange(0, std::memory_order_acq_rel) == 1)
            return WaitResult::Signaled;
        if (infinite) {
            futexWait(&event->signaled, 0, nullptr);
            continue;
        }
        const auto left = deadline - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero()) return WaitResult::Timeout;
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        const timespec relative{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
        futexWait(&event->signaled, 0, &relative);  // wakes on set, time-out or a changed word
    }
}

}  // namespace zplatform
