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
    constexpr int kMaxPolls = 10000000;
    for (int i = 0; i < kMaxPolls; ++i) {
        if (!thread->IsRunning()) return true;
        std::this_thread::yield();
    }
    return false;
}

// Counts its runs; each run waits at the gate (when given) first.
class CountingThread : public KpThread {
public:
    Gate* gate = nullptr;
    std::atomic<int> runs{0};

    void Run__UNSAFE__() override {
        if (gate) gate->Pass();
        ++runs;
    }
};

// Reports as its result the object it was handed before Start.
class ReportingThread : public KpThread {
public:
    Gate* gate = nullptr;
    Object* payload = nullptr;

    void Run__UNSAFE__() override {
        if (gate) gate->Pass();
        SetResult(payload);
    }
    void mark() override {
        KpThread::mark();
        gc_mark_q(payload);
    }
};

// The worker side of an asynchronous file load.
class LoaderThread : public KpThread {
public:
    KpDataBuffer* buffer = nullptr;
    String path;

    void Run__UNSAFE__() override { buffer->_LoadAsync(path, this); }
    void mark() override {
        KpThread::mark();
        gc_mark_q(buffer);
    }
};

TEST(KpThread, WaitOnANeverStartedThreadReturnsAtOnce) {
    CountingThread* thread = new CountingThread();
    thread->Wait();
    EXPECT_EQ(KpThread::kIdle, thread->State());
    EXPECT_FALSE(thread->IsRunning());
    EXPECT_EQ(0, thread->runs.load());
}

TEST(KpThread, StartWhileRunningDoesNothing) {
    Gate gate;
    CountingThread* thread = new CountingThread();
    thread->gate = &gate;
    thread->Start();
    EXPECT_TRUE(thread->IsRunning());
    thread->Start();
    gate.Open();
    thread->Wait();
    EXPECT_EQ(1, thread->runs.load()) << "a second Start while running must not run the body again";
    EXPECT_EQ(KpThread::kIdle, thread->State());
}

TEST(KpThread, FinishesBeforeWaitAndRestarts) {
    CountingThread* thread = new CountingThread();
    thread->Start();
    ASSERT_TRUE(PollUntilFinished(thread)) << "IsRunning never became false";
    EXPECT_EQ(1, thread->runs.load()) << "the body returned";
    EXPECT_EQ(KpThread::kFinished, thread->State()) << "finished but not joined";

    thread->Start();  // from finished: reaps the old thread and runs again
    thread->Wait();
    EXPECT_EQ(2, thread->runs.load());
    EXPECT_EQ(KpThread::kIdle, thread->State());
    thread->Wait();  // idle again: returns at once
}

TEST(KpThread, LoadAsyncDeliversItsBufferAsTheResult) {
    EnsureTestGame();
    std::string path = WriteScratchFile("async.bin", {0x34, 0x12, 0xff});

    LoaderThread* loader = new LoaderThread();
    loader->buffer = new KpDataBuffer();
    loader->path = String(path.c_str());
    loader->Start();
    loader->Wait();
    EXPECT_EQ(loader->buffer, loader->Result());
    EXPECT_EQ(3, loader->buffer->Length());
    EXPECT_EQ(4660, loader->buffer->PeekShort(0));
    EXPECT_EQ(-1, loader->buffer->PeekByte(2));

    LoaderThread* missing = new LoaderThread();
    missing->buffer = new KpDataBuffer();
    missing->path = String("/nonexistent/services_async.bin");
    missing->Start();
    missing->Wait();
    EXPECT_EQ(nullptr, missing->Result()) << "a failed load reports no result";
    EXPECT_EQ(0, missing->buffer->Length());
    std::remove(path.c_str());
}

TEST(KpThread, RunningThreadAndResultSurviveCollections) {
    InstallTestRootMarker();
    int threadsDestroyed = 0;
    int payloadsDestroyed = 0;
    struct ProbedThread : ReportingThread {
        int* destroyed = nullptr;
        // Should it be collected while gated, let the body go so the base's join returns.
        ~ProbedThread() override {
            ++*destroyed;
            gate->Open();
        }
    };

    Gate gate;
    ProbedThread* thread = new ProbedThread();
    thread->destroyed = &threadsDestroyed;
    thread->gate = &gate;
    gc_assign(thread->payload, static_cast<Object*>(new DestructionProbe(&payloadsDestroyed)));
    Object* payload = thread->payload;
    thread->Start();
    // Nothing but the running thread holds either object now.
    CollectAndDestroy();
    CollectAndDestroy();
    EXPECT_EQ(0, threadsDestroyed) << "a running thread was collected";
    EXPECT_EQ(0, payloadsDestroyed) << "an object the running body uses was collected";

    gate.Open();
    thread->Wait();
    ASSERT_EQ(payload, thread->Result());
    thread->payload = nullptr;  // owner side, after the join: only the result holds it
    testRoot = thread;
    CollectAndDestroy();
    CollectAndDestroy();
    EXPECT_EQ(0, payloadsDestroyed) << "the result of a reachable thread was collected";

    testRoot = nullptr;
    CollectAndDestroy();
    CollectAndDestroy();
    EXPECT_EQ(1, threadsDestroyed) << "an unreferenced idle thread stays alive";
    EXPECT_EQ(1, payloadsDestroyed);
}

TEST(KpThread, FinishedUnwaitedThreadIsReleasedByTheCollector) {
    InstallTestRootMarker();
    int destroyed = 0;
    struct ProbedThread : CountingThread {
        int* destroyed = nullptr;
        ~ProbedThread() override { ++*destroyed; }
    };
    ProbedThread* thread = new ProbedThread();
    thread->destroyed = &destroyed;
    thread->Start();
    ASSERT_TRUE(PollUntilFinished(thread));
    // Never waited for and held by nothing: the destructor reaps the system thread.
    CollectAndDestroy();
    CollectAndDestroy();
    CollectAndDestroy();
    EXPECT_EQ(1, destroyed) << "a finished thread nobody refers to must not stay a root";
}

}  // namespace
