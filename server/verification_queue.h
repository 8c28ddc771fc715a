// The bounded queue in front of the one verifying game: request threads put
// runs in, the queue's own thread (which made the game and alone touches it)
// judges them in order. A full queue takes no more and the request is
// answered "busy": waiting work never grows without bound.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <optional>
#include <thread>

#include "server/run_verifier.h"

class VerificationQueue {
public:
    using Job = std::function<RunVerdict(RunVerifier&)>;

    // Starts the thread and waits until its game is up.
    explicit VerificationQueue(size_t capacity);
    ~VerificationQueue();  // Stop()
    VerificationQueue(const VerificationQueue&) = delete;
    VerificationQueue& operator=(const VerificationQueue&) = delete;

    const std::vector<uint32_t>& LevelHashes() const { return levelHashes_; }
    // Queues a job; nothing when the queue is full or stopping.
    std::optional<std::future<RunVerdict>> Submit(Job job);
    // Queues a replay's check (see RunVerifier::Check).
    std::optional<std::future<RunVerdict>> SubmitRun(std::vector<unsigned char> bytes,
                                                    std::optional<uint32_t> storedBoard = std::nullopt);
    size_t Waiting();      // jobs queued and not yet started
    bool Busy();           // a job is being judged or waits
    // Takes no more jobs, finishes those queued and ends the thread.
    void Stop();

private:
    void Work(std::promise<void>* ready);

    const size_t capacity_;
    std::vector<uint32_t> levelHashes_;
    std::deque<std::packaged_task<RunVerdict(RunVerifier&)>> jobs_;
    bool stopping_ = false;
    bool working_ = false;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::thread thread_;
};
