#include "services/thread.h"

#include <algorithm>
#include <system_error>
#include <vector>

namespace {

// Started threads not yet seen finished by the collector or joined. Touched
// only by the owning thread, like the collector itself.
std::vector<KpThread*> runningThreads;

// The thread object whose body the calling thread runs, if any.
thread_local KpThread* currentThread = nullptr;

void Register(KpThread* thread) {
    if (std::find(runningThreads.begin(), runningThreads.end(), thread) == runningThreads.end()) {
        runningThreads.push_back(thread);
    }
}

void Unregister(KpThread* thread) {
    runningThreads.erase(std::remove(runningThreads.begin(), runningThreads.end(), thread), runningThreads.end());
}

}  // namespace

KpThread::~KpThread() {
    // The collector destroys a thread only once it is no longer registered,
    // so its body has returned; the join just reaps the system thread.
    // Destructors must not touch other collected objects, hence no Wait().
    Join();
    Unregister(this);
}

void KpThread::Start() {
    if (OnWorker()) return;  // the collector's bookkeeping below is main-thread only
    int state = State();
    if (state == kRunning) return;
    if (state == kFinished) Join();
    state_.store(kRunning, std::memory_order_release);
    gc_mark_q(this);  // live for the rest of this collection cycle...
    Register(this);   // ...and a root in the following ones while the body runs
    try {
        thread_ = std::thread(Entry, this);
    } catch (const std::system_error&) {
        // No thread could be made: back to idle rather than "running" forever.
        state_.store(kIdle, std::memory_order_release);
        Unregister(this);
    }
}

void KpThread::Entry(KpThread* self) {
    currentThread = self;
    self->Run__UNSAFE__();
    currentThread = nullptr;
    // The release store publishes the body's writes (the result, buffer bytes)
    // to whoever sees the finished state. Nothing touches self after it.
    self->state_.store(kFinished, std::memory_order_release);
}

bool KpThread::IsRunning() { return State() == kRunning; }

Object* KpThread::Result() { return result_.load(std::memory_order_acquire); }

void KpThread::SetResult(Object* result) {
    // The write barrier touches the collector's lists, so only the owner may
    // run it. A worker's result stays reachable through mark() instead: the
    // thread object is a root while its body runs and one cycle beyond.
    if (!OnWorker()) gc_mark_q(result);
    result_.store(result, std::memory_order_release);
}

void KpThread::Wait() {
    if (State() == kIdle) return;
    // Owner only: a body waiting for its own thread would never return, and
    // the bookkeeping below is the collector's.
    if (OnWorker()) return;
    Join();
    state_.store(kIdle, std::memory_order_release);
    // The worker stored the result without a barrier; the owner applies it
    // now, before the thread stops being a root.
    gc_mark_q(result_.load(std::memory_order_acquire));
    Unregister(this);
}

void KpThread::Join() {
    if (thread_.joinable()) thread_.join();
}

void KpThread::mark() { gc_mark_q(result_.load(std::memory_order_acquire)); }

bool KpThread::OnWorker() { return currentThread != nullptr; }

void kpMarkRunningThreads() {
    // A thread seen finished is queued one last time, which carries its
    // result into this cycle, and then left to its references like any object.
    std::vector<KpThread*> stillRunning;
    for (KpThread* thread : runningThreads) {
        gc_mark_q(thread);
        if (thread->State() == KpThread::kRunning) stillRunning.push_back(thread);
    }
    runningThreads.swap(stillRunning);
}
