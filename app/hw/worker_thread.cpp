#include "worker_thread.h"

void TWorkerThread::Resume() {
    if (thread_.joinable() || finished_.load()) return;
    thread_ = std::thread([this] {
        Execute();
        finished_.store(true, std::memory_order_release);
    });
}

void TWorkerThread::Terminate() {
    terminated_.store(true, std::memory_order_release);
    if (!handlerRan_.exchange(true)) OnTerminate();
}

void TWorkerThread::WaitFor() {
    if (thread_.joinable()) thread_.join();
}
