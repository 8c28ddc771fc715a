// Worker threads: the idle/running/finished states, restarts, the result
// hand-over, the asynchronous buffer load, and reachability for the collector.
#include "services/thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <thread>

#include "services/data_buffer.h"
#include "tests/services/services_test_support.h"

namespace {

// Polls IsRunning until it turns false; a bounded number of polls, not a time limit.
bool PollUntilFinished(KpThread* thread) {
    for (int i = 0; i < 10000000; ++i) {
        if (!thread->IsRunning()) return true;
        std::this_thread::yield();
    }
    return false;
}

// Counts its runs and destructions; each run waits at the gate (when given),
// then reports as its result the object it was handed before Start.
class ProbedThread : public KpThread {
public:
    Gate* gate = nullptr;
    Object* payload = nullptr;
    std::atomic<int> runs{0};
    int* destroyed = nullptr;

    // Should it be collected while gated, let the body go so the base's join returns.
    ~ProbedThread() override {
        if (destroyed) ++*destroyed;
        if (gate) gate->Open();
    }
    void Run__UNSAFE__() override {
        if (gate) gate->Pass();
        ++runs;
        SetResult(payload);
    }
    void mark() override {
        KpThread::mark();
        gc_mark_q(payload);
    }
};

TEST(KpThread, StatesAcrossStartWaitAndRestart) {
    ProbedThread* thread = new ProbedThread();
    thread->Wait();
    EXPECT_EQ(KpThread::kIdle, thread->State()) << "Wait on a never-started thread returns at once";
    thread->Start();
    ASSERT_TRUE(PollUntilFinished(thread)) << "IsRunning never became false";
    EXPECT_EQ(1, thread->runs.load());
    EXPECT_EQ(KpThread::kFinished, thread->State()) << "finished but not joined";
    thread->Start();  // from finished: reaps the old thread and runs again
    thread->Wait();
    EXPECT_EQ(2, thread->runs.load());
    EXPECT_EQ(KpThread::kIdle, thread->State());

    Gate gate;
    thread->gate = &gate;
    thread->Start();
    EXPECT_TRUE(thread->IsRunning());
    thread->Start();
    gate.Open();
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
    const std::string path = WriteScratchFile("async.bin", "\x34\x12\xff");
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

TEST(KpThread, RunningThreadAndResultSurviveCollections) {
    int threadsDestroyed = 0;
    int payloadsDestroyed = 0;
    Gate gate;
    ProbedThread* thread = new ProbedThread();
    thread->destroyed = &threadsDestroyed;
    thread->gate = &gate;
    gc_assign(thread->payload, static_cast<Object*>(new DestructionProbe(&payloadsDestroyed)));
    Object* payload = thread->payload;
    thread->Start();
    CollectAndDestroy();  // nothing but the running thread holds either object now
    EXPECT_EQ(0, threadsDestroyed) << "a running thread was collected";
    EXPECT_EQ(0, payloadsDestroyed) << "an object the running body uses was collected";
    gate.Open();
    thread->Wait();
    ASSERT_EQ(payload, thread->Result());
    thread->payload = nullptr;  // owner side, after the join: only the result holds it
    testRoot = thread;
    CollectAndDestroy();
    EXPECT_EQ(0, payloadsDestroyed) << "the result of a reachable thread was collected";
    testRoot = nullptr;
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
