// Worker threads: the idle/running/finished states, restarts, the result
// hand-over, the asynchronous buffer load, and reachability for the collector.
#include "services/thread.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <cstdio>
#include <fstream>
#include <thread>

#include "host/game_host.h"
#include "services/data_buffer.h"

namespace {

using Gate = std::atomic<bool>;  // a body waits until its gate is opened (set true)

// Counts its runs and destructions; each run waits at the gate (when given),
// then reports as its result the object it was handed before Start.
class ProbedThread : public KpThread {
public:
    Gate* gate = nullptr;
    Object* payload = nullptr;
    std::atomic<int> runs{0};
    int* destroyed = nullptr;

    ~ProbedThread() override {
        if (destroyed) ++*destroyed;
        if (gate) *gate = true;  // should it be collected while gated, the base's join still returns
    }
    void Run__UNSAFE__() override {
        while (gate && !*gate) std::this_thread::yield();
        ++runs;
        SetResult(payload);
    }
    void mark() override {
        KpThread::mark();
        gc_mark_q(payload);
    }
};

// Polls IsRunning until it turns false; a bounded number of polls, not a time limit.
bool PollUntilFinished(KpThread* thread) {
    for (int i = 0; i < 10000000 && thread->IsRunning(); ++i) std::this_thread::yield();
    return !thread->IsRunning();
}

TEST(KpThread, StatesAcrossStartWaitAndRestart) {
    ProbedThread* thread = new ProbedThread();
    thread->Wait();
    EXPECT_EQ(KpThread::kIdle, thread->State()) << "Wait on a never-started thread returns at once";
    thread->Start();
    ASSERT_TRUE(PollUntilFinished(thread)) << "IsRunning never became false";
    EXPECT_EQ(KpThread::kFinished, thread->State()) << "finished but not joined";
    thread->Start();  // from finished: reaps the old thread and runs again
    thread->Wait();
    EXPECT_EQ(KpThread::kIdle, thread->State());
    Gate gate{false};
    thread->gate = &gate;
    thread->Start();
    EXPECT_TRUE(thread->IsRunning());
    thread->Start();
    gate = true;
    thread->Wait();
    EXPECT_EQ(3, thread->runs.load()) << "a second Start while running must not run the body again";
    thread->gate = nullptr;  // the gate ends with this test; the thread may be collected later
}

// The worker side of an asynchronous file load.
class LoaderThread : public KpThread {
public:
    KpDataBuffer* buffer = new KpDataBuffer();
    String path;

    void Run__UNSAFE__() override { buffer->_LoadAsync(path, this); }
    void mark() override {
        KpThread::mark();
        gc_mark_q(buffer);
    }
};

TEST(KpThread, LoadAsyncDeliversItsBufferAsTheResult) {
    static KpGame host;  // loads go through the host
    const std::string path = "/tmp/services_async_" + std::to_string(getpid());
    std::ofstream(path) << "\x34\x12\xff";
    for (const std::string& file : {path, std::string("/nonexistent/services_async.bin")}) {
        LoaderThread* loader = new LoaderThread();
        loader->path = String(file.c_str());
        loader->Start();
        loader->Wait();
        const bool found = file == path;
        EXPECT_EQ(found ? loader->buffer : nullptr, loader->Result()) << file;
        EXPECT_EQ(found ? 3 : 0, loader->buffer->Length()) << file;
    }
    std::remove(path.c_str());
}

Object* g_root = nullptr;

// Full collections over the running threads and g_root; all garbage is destroyed at once.
void CollectAndDestroy() {
    gc_set_root_marker([] {
        kpMarkRunningThreads();
        gc_mark_q(g_root);
    });
    for (int i = 0; i < 2; ++i) {
        gc_mark();  // queue the roots first, or the first full collection misses them
        gc_collect_all();
        gc_flush_free(INT_MAX);
    }
}

TEST(KpThread, RunningThreadAndResultSurviveCollections) {
    struct Probe : Object {
        int* destroyed;
        explicit Probe(int* d) : destroyed(d) {}
        ~Probe() override { ++*destroyed; }
    };
    int threadsDestroyed = 0;
    int payloadsDestroyed = 0;
    Gate gate{false};
    ProbedThread* thread = new ProbedThread();
    thread->destroyed = &threadsDestroyed;
    thread->gate = &gate;
    gc_assign(thread->payload, static_cast<Object*>(new Probe(&payloadsDestroyed)));
    Object* payload = thread->payload;
    thread->Start();
    CollectAndDestroy();  // nothing but the running thread holds either object now
    EXPECT_EQ(0, threadsDestroyed + payloadsDestroyed) << "a running thread or what its body uses was collected";
    gate = true;
    thread->Wait();
    ASSERT_EQ(payload, thread->Result());
    thread->payload = nullptr;  // owner side, after the join: only the result holds it
    g_root = thread;
    CollectAndDestroy();
    EXPECT_EQ(0, payloadsDestroyed) << "the result of a reachable thread was collected";
    g_root = nullptr;
    CollectAndDestroy();
    EXPECT_EQ(1, threadsDestroyed) << "an unreferenced idle thread stays alive";
    EXPECT_EQ(1, payloadsDestroyed);
    ProbedThread* unwaited = new ProbedThread();
    unwaited->destroyed = &threadsDestroyed;
    unwaited->Start();
    ASSERT_TRUE(PollUntilFinished(unwaited));
    CollectAndDestroy();  // never waited for and held by nothing: the destructor reaps the system thread
    EXPECT_EQ(2, threadsDestroyed) << "a finished thread nobody refers to must not stay a root";
}

}  // namespace
