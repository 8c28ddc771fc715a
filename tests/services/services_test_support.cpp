#include "tests/services/services_test_support.h"

#include <unistd.h>

#include <climits>
#include <cstdio>

#include "host/game_host.h"
#include "services/thread.h"

void EnsureTestGame() {
    static KpGame* game = nullptr;
    if (!KpGame::_game && !game) game = new KpGame();
}

std::string WriteScratchFile(const std::string& name, const std::vector<unsigned char>& bytes) {
    std::string path = "/tmp/services_test_" + std::to_string(getpid()) + "_" + name;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file) {
        if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
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

void InstallTestRootMarker() {
    gc_set_root_marker([] {
        kpMarkRunningThreads();
        gc_mark_q(testRoot);
    });
}

void CollectAndDestroy() {
    gc_mark();  // queue the roots first, or the first full collection misses them
    gc_collect_all();
    gc_flush_free(INT_MAX);
}
