// The verification queue: bounded, and a stop finishes what it took.
#include <gtest/gtest.h>

#include <future>

#include "tests/server/server_fixture.h"

namespace {

TEST(VerificationQueue, StopFinishesEveryQueuedRun) {
    // The process's own queue is the one game: this test stops a queue of its
    // own only after the shared one exists, and both use the one game in turn.
    SharedQueue();
    VerificationQueue queue(4);
    std::promise<void> started, release;
    std::shared_future<void> released = release.get_future().share();
    auto first = queue.Submit([&started, released](RunVerifier&) {
        started.set_value();
        released.wait();
        return RunVerdict();
    });
    ASSERT_TRUE(first);
    started.get_future().wait();
    const std::string bytes = TestRun("level01");
    std::vector<std::future<RunVerdict>> runs;
    for (int i = 0; i < 4; ++i) {
        auto run = queue.SubmitRun(std::vector<unsigned char>(bytes.begin(), bytes.end()));
        ASSERT_TRUE(run) << "run " << i << ": the queue takes its capacity";
        runs.push_back(std::move(*run));
    }
    EXPECT_EQ(queue.Waiting(), 4u);
    EXPECT_FALSE(queue.SubmitRun({})) << "a full queue takes no more";
    auto stopping = std::async(std::launch::async, [&queue] { queue.Stop(); });
    release.set_value();
    stopping.wait();
    for (auto& run : runs) {
        ASSERT_EQ(run.wait_for(std::chrono::seconds(30)), std::future_status::ready) << "a queued run was left unjudged";
        EXPECT_TRUE(run.get().valid) << "a queued run was judged before the stop";
    }
    EXPECT_FALSE(queue.SubmitRun({})) << "a stopped queue takes nothing";
}

}  // namespace
