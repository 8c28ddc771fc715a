#include "server/verification_queue.h"

VerificationQueue::VerificationQueue(size_t capacity) : capacity_(capacity) {
    std::promise<void> ready;
    std::future<void> up = ready.get_future();
    thread_ = std::thread(&VerificationQueue::Work, this, &ready);
    up.get();
}

VerificationQueue::~VerificationQueue() { Stop(); }

std::optional<std::future<RunVerdict>> VerificationQueue::Submit(Job job) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_ || jobs_.size() >= capacity_) return std::nullopt;
    jobs_.emplace_back(std::move(job));
    std::future<RunVerdict> verdict = jobs_.back().get_future();
    wake_.notify_one();
    return verdict;
}

std::optional<std::future<RunVerdict>> VerificationQueue::SubmitRun(std::vector<unsigned char> bytes,
                                                                   std::optional<uint32_t> storedBoard) {
    return Submit([bytes = std::move(bytes), storedBoard](RunVerifier& verifier) { return verifier.Check(bytes, storedBoard); });
}

size_t VerificationQueue::Waiting() {
    std::lock_guard<std::mutex> lock(mutex_);
    return jobs_.size();
}

bool VerificationQueue::Busy() {
    std::lock_guard<std::mutex> lock(mutex_);
    return working_ || !jobs_.empty();
}

void VerificationQueue::Stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        wake_.notify_one();
    }
    if (thread_.joinable()) thread_.join();
}

void VerificationQueue::Work(std::promise<void>* ready) {
    RunVerifier verifier;
    levelHashes_ = verifier.LevelHashes();
    ready->set_value();
    for (;;) {
        std::packaged_task<RunVerdict(RunVerifier&)> job;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            working_ = false;
            wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
            if (jobs_.empty()) return;  // stopping, and every queued job is done
            job = std::move(jobs_.front());
            jobs_.pop_front();
            working_ = true;
        }
        job(verifier);
    }
}
