// A worker thread as the stream threads need it: built suspended, started once by Resume, a
// termination request that the work routine polls, and a termination handler that runs exactly once
// (Terminate runs it at once, on the caller's thread). The owner keeps the object until it has joined
// the thread, so a readiness poll never touches a freed object.
#pragma once

#include <atomic>
#include <thread>

class TWorkerThread {
 public:
    TWorkerThread() = default;
    virtual ~TWorkerThread() = default;  // final classes call Finish() in their destructors
    TWorkerThread(const TWorkerThread&) = delete;
    TWorkerThread& operator=(const TWorkerThread&) = delete;

    void Resume();     // starts the work routine; later calls do nothing
    void Terminate();  // requests the end and runs the termination handler (once)
    bool Terminated() const { return terminated_.load(std::memory_order_acquire); }
    bool Finished() const { return finished_.load(std::memory_order_acquire); }
    void WaitFor();  // joins the thread if it was started; idempotent

 protected:
    virtual void Execute() = 0;
    virtual void OnTerminate() {}
    // For destructors: the thread has ended when it returns, whatever state it was in.
    void Finish() {
        Terminate();
        WaitFor();
    }

 private:
    std::thread thread_;
    std::atomic<bool> terminated_{false};
    std::atomic<bool> finished_{false};
    std::atomic<bool> handlerRan_{false};
};
