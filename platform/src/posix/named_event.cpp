#include "zplatform/named_event.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <ctime>
#include <map>
#include <mutex>
#include <thread>

namespace zplatform {
namespace {

constexpr std::uint32_t kMagic = 0x5A564556;  // "ZVEV": the creator has finished initialising

// The object in shared memory. `magic` is written last by the creator; openers wait for it.
struct SharedEvent {
    std::atomic<std::uint32_t> magic;
    std::uint32_t manualReset;
    std::uint32_t signaled;
    std::uint32_t handles;  // open handles in all processes (mappings, counted once per process)
    std::uint32_t removed;  // the last handle closed and the name was removed
    pthread_mutex_t mutex;
    pthread_cond_t cond;
};

std::string objectName(const std::string& name) {
    std::string object = "/zorvanl.";
    for (char c : name)
        object += (c == '/' || c == '\\') ? '_' : c;
    return object;
}

class Lock {
 public:
    explicit Lock(SharedEvent* event) : mutex_(&event->mutex) {
        // A process that died holding the lock leaves it inconsistent; the state it guards is one word
        // that is always valid, so the lock is simply made consistent again.
        if (pthread_mutex_lock(mutex_) == EOWNERDEAD) pthread_mutex_consistent(mutex_);
    }
    ~Lock() { pthread_mutex_unlock(mutex_); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

 private:
    pthread_mutex_t* mutex_;
};

// One mapping per name and process, shared by every handle of this process.
struct Mapping {
    std::string object;
    SharedEvent* event = nullptr;
    int users = 0;
};

std::mutex& registryMutex() {
    static std::mutex mutex;
    return mutex;
}
std::map<std::string, Mapping*>& mappings() {
    static auto* map = new std::map<std::string, Mapping*>;  // lives to the end of the process
    return *map;
}

SharedEvent* mapObject(int fd) {
    void* memory = mmap(nullptr, sizeof(SharedEvent), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    return memory == MAP_FAILED ? nullptr : static_cast<SharedEvent*>(memory);
}

void initialise(SharedEvent* event, bool manualReset, bool initiallySet) {
    pthread_mutexattr_t mutexAttr;
    pthread_mutexattr_init(&mutexAttr);
    pthread_mutexattr_setpshared(&mutexAttr, PTHREAD_PROCESS_SHARED);
    pthread_mutexattr_setrobust(&mutexAttr, PTHREAD_MUTEX_ROBUST);
    pthread_mutex_init(&event->mutex, &mutexAttr);
    pthread_mutexattr_destroy(&mutexAttr);
    pthread_condattr_t condAttr;
    pthread_condattr_init(&condAttr);
    pthread_condattr_setpshared(&condAttr, PTHREAD_PROCESS_SHARED);
    pthread_condattr_setclock(&condAttr, CLOCK_MONOTONIC);
    pthread_cond_init(&event->cond, &condAttr);
    pthread_condattr_destroy(&condAttr);
    event->manualReset = manualReset ? 1 : 0;
    event->signaled = initiallySet ? 1 : 0;
    event->handles = 0;
    event->removed = 0;
    event->magic.store(kMagic, std::memory_order_release);
}

// Opens (and with `create`, creates) the shared object and counts this process as a user.
Mapping* attach(const std::string& name, bool create, bool manualReset, bool initiallySet) {
    std::lock_guard guard(registryMutex());
    auto& map = mappings();
    if (auto it = map.find(name); it != map.end()) {
        ++it->second->users;
        return it->second;
    }
    const std::string object = objectName(name);
    for (int attempt = 0; attempt < 100; ++attempt) {
        SharedEvent* event = nullptr;
        int fd = create ? shm_open(object.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666) : -1;
        if (fd >= 0) {
            fchmod(fd, 0666);  // other users of the machine may open it too, as with a Global\ event
            if (ftruncate(fd, sizeof(SharedEvent)) == 0 && (event = mapObject(fd)) != nullptr)
                initialise(event, manualReset, initiallySet);
        } else {
            if (create && errno != EEXIST) return nullptr;
            fd = shm_open(object.c_str(), O_RDWR | O_CLOEXEC, 0);
            if (fd < 0) {
                if (!create) return nullptr;
                continue;  // removed between the two opens: create it afresh
            }
            struct stat info {};
            // The creator may still be sizing and initialising the object.
            for (int wait = 0; wait < 1000 && fstat(fd, &info) == 0 &&
                               info.st_size < static_cast<off_t>(sizeof(SharedEvent));
                 ++wait)
                std::this_thread::sleep_for(std::chrono::microseconds(100));
            if (info.st_size >= static_cast<off_t>(sizeof(SharedEvent))) event = mapObject(fd);
            for (int wait = 0; event && wait < 1000 && event->magic.load(std::memory_order_acquire) != kMagic;
                 ++wait)
                std::this_thread::sleep_for(std::chrono::microseconds(100));
            if (event && event->magic.load(std::memory_order_acquire) != kMagic) {
                munmap(event, sizeof(SharedEvent));
                event = nullptr;
            }
        }
        close(fd);
        if (!event) return nullptr;
        bool removed = false;
        {
            Lock lock(event);
            removed = event->removed != 0;
            if (!removed) ++event->handles;
        }
        if (removed) {  // the last user elsewhere is removing it right now
            munmap(event, sizeof(SharedEvent));
            if (!create) return nullptr;
            continue;
        }
        auto* mapping = new Mapping{object, event, 1};
        map.emplace(name, mapping);
        return mapping;
    }
    return nullptr;
}

void detach(const std::string& name, Mapping* mapping) {
    std::lock_guard guard(registryMutex());
    if (--mapping->users > 0) return;
    mappings().erase(name);
    bool last = false;
    {
        Lock lock(mapping->event);
        last = --mapping->event->handles == 0;
        if (last) mapping->event->removed = 1;
    }
    if (last) shm_unlink(mapping->object.c_str());
    munmap(mapping->event, sizeof(SharedEvent));
    delete mapping;
}

}  // namespace

struct NamedEvent::Impl {
    std::string name;
    Mapping* mapping = nullptr;
};

NamedEvent::NamedEvent(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

NamedEvent::~NamedEvent() {
    if (impl_ && impl_->mapping) detach(impl_->name, impl_->mapping);
}

std::unique_ptr<NamedEvent> NamedEvent::create(const std::string& name, bool manualReset, bool initiallySet) {
    Mapping* mapping = attach(name, true, manualReset, initiallySet);
    if (!mapping) return nullptr;
    return std::unique_ptr<NamedEvent>(new NamedEvent(std::make_unique<Impl>(Impl{name, mapping})));
}

std::unique_ptr<NamedEvent> NamedEvent::openForWait(const std::string& name) {
    Mapping* mapping = attach(name, false, false, false);
    if (!mapping) return nullptr;
    return std::unique_ptr<NamedEvent>(new NamedEvent(std::make_unique<Impl>(Impl{name, mapping})));
}

void NamedEvent::set() {
    SharedEvent* event = impl_->mapping->event;
    Lock lock(event);
    event->signaled = 1;
    if (event->manualReset)
        pthread_cond_broadcast(&event->cond);
    else
        pthread_cond_signal(&event->cond);
}

void NamedEvent::reset() {
    SharedEvent* event = impl_->mapping->event;
    Lock lock(event);
    event->signaled = 0;
}

WaitResult NamedEvent::wait(std::chrono::milliseconds timeout) {
    SharedEvent* event = impl_->mapping->event;
    timespec deadline{};
    const bool infinite = timeout == kInfinite;
    if (!infinite) {
        clock_gettime(CLOCK_MONOTONIC, &deadline);
        const long long ns = deadline.tv_nsec + (timeout.count() % 1000) * 1000000LL;
        deadline.tv_sec += static_cast<time_t>(timeout.count() / 1000 + ns / 1000000000LL);
        deadline.tv_nsec = static_cast<long>(ns % 1000000000LL);
    }
    Lock lock(event);
    while (!event->signaled) {
        const int rc = infinite ? pthread_cond_wait(&event->cond, &event->mutex)
                                : pthread_cond_timedwait(&event->cond, &event->mutex, &deadline);
        if (rc == EOWNERDEAD) pthread_mutex_consistent(&event->mutex);
        if (rc == ETIMEDOUT) return WaitResult::Timeout;
        if (rc != 0 && rc != EOWNERDEAD && rc != EINTR) return WaitResult::Failed;
    }
    if (!event->manualReset) event->signaled = 0;
    return WaitResult::Signaled;
}

}  // namespace zplatform
