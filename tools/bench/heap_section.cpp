#include "tools/bench/heap_section.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "runtime/array.h"
#include "runtime/gc.h"
#include "runtime/object.h"
#include "tools/bench/figures.h"

namespace {

constexpr int kReplacementsPerEvent = 20;  // live nodes replaced through the barrier per event
constexpr int kBatch = 1000;               // short-lived objects per collection step

// A small object: header, two links and a value (56 bytes, a cached size).
class BenchNode : public Object {
public:
    BenchNode* m_next = nullptr;
    BenchNode* m_other = nullptr;
    int m_value = 0;
    void mark() override {
        gc_mark_q(m_next);
        gc_mark_q(m_other);
    }
};

// Holds the live heap: one array of list heads.
class BenchRoot : public Object {
public:
    Array<BenchNode*> m_heads;
    void mark() override { gc_mark_q(m_heads); }
};

BenchRoot* g_root = nullptr;

void AllocationRate(double scale) {
    const long total = std::max(10000L, static_cast<long>(5000000 * scale));
    const double start = WallSeconds();
    for (long i = 0; i < total; i += kBatch) {
        for (int j = 0; j < kBatch; ++j) (new BenchNode())->m_value = j;
        gc_collect();
    }
    const double seconds = WallSeconds() - start;
    BenchFigure("heap_alloc_rate", total / seconds / 1e6, "Mobjects/s");
}

// Live nodes in lists whose links run in a shuffled order of allocation, so
// that marking walks memory out of order; returns the list count.
int BuildLiveHeap(double scale, std::mt19937& rng) {
    const int count = std::max(2000, static_cast<int>(1000000 * scale));
    const int lists = std::max(10, count / 1000);
    const double start = WallSeconds();
    gc_assign(g_root, new BenchRoot());
    gc_assign(g_root->m_heads, Array<BenchNode*>(lists));
    // Allocated within one event: no step runs while only this vector holds them.
    std::vector<BenchNode*> nodes(static_cast<size_t>(count));
    for (BenchNode*& node : nodes) node = new BenchNode();
    std::shuffle(nodes.begin(), nodes.end(), rng);
    for (int i = 0; i < count; ++i) {
        BenchNode* node = nodes[static_cast<size_t>(i)];
        gc_assign(node->m_next, static_cast<BenchNode*>(g_root->m_heads[i % lists]));
        g_root->m_heads[i % lists] = node;
    }
    gc_collect();      // a full collection: the whole live heap was new
    gc_collect_all();  // settle: the live heap marked once, the roots queued
    gc_new_bytes = 0;
    BenchFigure("heap_build", (WallSeconds() - start) * 1000, "ms");
    BenchFigure("heap_live_objects", count, "objects");
    BenchFigure("heap_live_bytes", gc_alloced_bytes / 1048576.0, "MiB");
    return lists;
}

// One step per event; each event makes `garbage` short-lived objects and
// replaces a few live nodes. Enough events for several full collections.
void Steps(double scale, int lists, int garbage, std::mt19937& rng) {
    const std::string prefix = "heap_garbage" + std::to_string(garbage) + "_";
    const double eventBytes = (garbage + kReplacementsPerEvent) * sizeof(BenchNode);
    const int events = std::max(200, static_cast<int>(5 * gc_full_collect_bytes / eventBytes * std::min(scale, 1.0)));
    gc_max_alloced_bytes = gc_alloced_bytes;
    std::vector<double> wall, cpu;
    double marked = 0;
    int fulls = 0;
    for (int e = 0; e < events; ++e) {
        for (int j = 0; j < garbage; ++j) (new BenchNode())->m_value = j;
        for (int j = 0; j < kReplacementsPerEvent; ++j) {
            const int list = static_cast<int>(rng() % static_cast<unsigned>(lists));
            BenchNode* old = g_root->m_heads[list];
            BenchNode* fresh = new BenchNode();
            gc_assign(fresh->m_next, old ? old->m_next : nullptr);
            g_root->m_heads[list] = fresh;
        }
        const bool full = gc_new_bytes > gc_full_collect_bytes;
        const int markedBefore = gc_marked_bytes;
        const double wallStart = WallSeconds();
        const double cpuStart = ThreadCpuSeconds();
        gc_collect();
        cpu.push_back((ThreadCpuSeconds() - cpuStart) * 1e6);
        wall.push_back((WallSeconds() - wallStart) * 1e6);
        fulls += full;
        if (!full) marked += gc_marked_bytes - markedBefore;
    }
    BenchFigure(prefix + "events", events, "events");
    BenchFigure(prefix + "full_collections", fulls, "collections");
    BenchFigure(prefix + "step_longest", Percentile(wall, 100), "us");
    BenchFigure(prefix + "step_p99", Percentile(wall, 99), "us");
    BenchFigure(prefix + "step_cpu_longest", Percentile(cpu, 100), "us");
    BenchFigure(prefix + "step_cpu_p99", Percentile(cpu, 99), "us");
    BenchFigure(prefix + "step_marked_mean", marked / std::max(1, events - fulls) / 1024.0, "KiB");
    BenchFigure(prefix + "alloced_peak", gc_max_alloced_bytes / 1048576.0, "MiB");
}

}  // namespace

void HeapSection(double scale) {
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        gc_set_root_marker([] { gc_mark_q(g_root); });
        AllocationRate(scale);
        std::mt19937 rng(99);
        const int lists = BuildLiveHeap(scale, rng);
        for (int garbage : {1000, 100}) Steps(scale, lists, garbage, rng);
        std::fflush(stdout);
        _exit(0);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || status != 0) BenchNote("the heap section failed");
}
