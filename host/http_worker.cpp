// The desktop's background requests: one worker thread takes the requests
// in the order they were sent and runs each through the system's HTTP
// library (kp_http_Exchange), so the game's update only ever locks a queue.
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

#include "host/http_client.h"

namespace {

struct Worker {
    std::mutex lock;
    std::condition_variable wake;
    std::deque<std::pair<int, HttpRequest>> waiting;
    std::map<int, HttpAnswer> answered;
    int lastTicket = 0;

    void Run() {
        for (;;) {
            std::pair<int, HttpRequest> next;
            {
                std::unique_lock<std::mutex> held(lock);
                wake.wait(held, [this] { return !waiting.empty(); });
                next = std::move(waiting.front());
                waiting.pop_front();
            }
            HttpAnswer answer = kp_http_Exchange(next.second);
            std::lock_guard<std::mutex> held(lock);
            answered[next.first] = std::move(answer);
        }
    }
};

// Started at the first request and never ended: a request under way at the
// program's end is simply dropped with the process (an unanswered post stays
// in the game's outbox).
Worker& TheWorker() {
    static Worker* worker = [] {
        Worker* made = new Worker;
        std::thread([made] { made->Run(); }).detach();
        return made;
    }();
    return *worker;
}

}  // namespace

int kp_http_Send(const HttpRequest& request) {
    Worker& worker = TheWorker();
    std::lock_guard<std::mutex> held(worker.lock);
    const int ticket = ++worker.lastTicket;
    worker.waiting.emplace_back(ticket, request);
    worker.wake.notify_one();
    return ticket;
}

bool kp_http_Take(int ticket, HttpAnswer* answer) {
    Worker& worker = TheWorker();
    std::lock_guard<std::mutex> held(worker.lock);
    const auto found = worker.answered.find(ticket);
    if (found == worker.answered.end()) return false;
    *answer = std::move(found->second);
    worker.answered.erase(found);
    return true;
}
