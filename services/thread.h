// Worker threads: a subclass overrides Run__UNSAFE__, Start runs it on a new
// system thread, IsRunning polls it, Wait joins it, and one object reference
// carries a result back.
//
// The collector runs on the main thread only, so a worker must never allocate
// collected objects, store into collected fields other than through SetResult,
// or call anything that does. Start, Wait and the destructor belong to the
// owning (main) thread. While its body runs, a thread object is a collector
// root (kpMarkRunningThreads), so it and everything its mark() reports -
// its result and a subclass's fields - stay alive even when nothing else
// refers to them. Objects the body works on must be reachable from those
// fields when Start is called and not be replaced while it runs.
#pragma once

#include <atomic>
#include <thread>

#include "runtime/object.h"

// Base of the runtime's worker threads.
class KpThread : public Object {
public:
    // Lifecycle: idle -> Start -> running -> body returns -> finished -> Wait -> idle.
    static constexpr int kIdle = 0;
    static constexpr int kRunning = 1;
    static constexpr int kFinished = 2;

    KpThread() = default;
    ~KpThread() override;  // waits for a thread that has not been joined

    virtual void Start();                     // nothing when running or called by a body; reaps a finished thread first
    virtual bool IsRunning();                 // poll: the body has not returned yet
    virtual Object* Result();
    virtual void SetResult(Object* result);   // callable from the body or the owner
    virtual void Run__UNSAFE__() {}           // the body; subclasses override it
    virtual void Wait();                      // joins; returns at once when idle or called by a body

    int State() const { return state_.load(std::memory_order_acquire); }
    void mark() override;

    // Whether the calling code runs on the body of some KpThread.
    static bool OnWorker();

private:
    friend void kpMarkRunningThreads();
    static void Entry(KpThread* self);
    void Join();

    std::atomic<int> state_{kIdle};           // written by the worker (1 -> 2), read by the owner
    std::atomic<Object*> result_{nullptr};    // written by either side, read by mark()
    std::thread thread_;
};

// Root hook: queues every thread whose body runs (or ran since the last call),
// and releases finished threads so that unreferenced ones can be collected.
// The program's root marker calls it.
void kpMarkRunningThreads();
