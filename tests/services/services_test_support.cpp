#include "tests/services/services_test_support.h"

#include <unistd.h>

#include <climits>
#include <fstream>

#include "host/game_host.h"
#include "services/thread.h"

std::string WriteScratchFile(const std::string& name, const std::string& bytes) {
    static KpGame* game = nullptr;
    if (!KpGame::_game && !game) game = new KpGame();
    const std::string path = "/tmp/services_test_" + std::to_string(getpid()) + "_" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

void Gate::Open() {
    std::lock_guard<std::mutex> lock(mutex_);
    open_ = true;
    opened_.notify_all();
}

void Gate::Pass() {
    std::unique_lock<std::mutex> lock(mutex_);
    opened_.wait(lock, [this] { return open_; });
}

Object* testRoot = nullptr;

void CollectAndDestroy() {
    gc_set_root_marker([] {
        kpMarkRunningThreads();
        gc_mark_q(testRoot);
    });
    for (int i = 0; i < 2; ++i) {
        gc_mark();  // queue the roots first, or the first full collection misses them
        gc_collect_all();
        gc_flush_free(INT_MAX);
    }
}
