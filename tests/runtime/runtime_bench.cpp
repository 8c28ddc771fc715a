// Collector figures: allocation rate and the longest incremental step with a
// large live heap while garbage is allocated steadily, as a game loop would.
// Prints `name value unit` lines. Usage: runtime_bench [scale], where scale
// (default 1) multiplies the live heap and the amount of work.
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "runtime/array.h"
#include "runtime/gc.h"
#include "runtime/object.h"

namespace {

using Clock = std::chrono::steady_clock;

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

BenchRoot* g_bench_root = nullptr;
void MarkBenchRoots() { gc_mark_q(g_bench_root); }

// CPU time of this thread, so that other processes on a busy machine do not show up as long steps.
double ThreadCpuMicros() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e6 + ts.tv_nsec / 1e3;
}

double Micros(Clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); }

// Prefix of the figures being printed (the scenario's name).
std::string g_prefix;

void Figure(const char* name, double value, const char* unit) {
    std::printf("%s%s %.3f %s\n", g_prefix.c_str(), name, value, unit);
}

// Allocation rate of short-lived objects, one collection step per batch.
void MeasureAllocation(double scale) {
    const long total = std::max(10000L, static_cast<long>(5000000 * scale));
    constexpr int kBatch = 1000;
    Clock::time_point start = Clock::now();
    for (long i = 0; i < total; i += kBatch) {
        for (int j = 0; j < kBatch; ++j) (new BenchNode())->m_value = j;
        gc_collect();
    }
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    Figure("alloc_rate", total / seconds / 1e6, "Mobjects/s");
    Figure("alloc_time_per_object", seconds / total * 1e9, "ns");
}

// Builds `count` live nodes in `lists` lists whose links run in a shuffled
// order of allocation, so that marking walks memory out of order.
void BuildLiveHeap(int count, int lists, std::mt19937& rng) {
    gc_assign(g_bench_root, new BenchRoot());
    gc_assign(g_bench_root->m_heads, Array<BenchNode*>(lists));
    // Allocated within one event: no collection step may run while the
    // nodes are held only by this local vector.
    std::vector<BenchNode*> nodes(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        nodes[static_cast<size_t>(i)] = new BenchNode();
        nodes[static_cast<size_t>(i)]->m_value = i;
    }
    std::shuffle(nodes.begin(), nodes.end(), rng);
    for (int i = 0; i < count; ++i) {
        BenchNode* node = nodes[static_cast<size_t>(i)];
        Array<BenchNode*>& heads = g_bench_root->m_heads;
        const int list = i % lists;
        gc_assign(node->m_next, static_cast<BenchNode*>(heads[list]));
        heads[list] = node;
    }
}

// Builds the live heap of about a million small objects; returns the list count.
int SetUpLiveHeap(double scale, std::mt19937& rng) {
    const int live = std::max(2000, static_cast<int>(1000000 * scale));
    const int lists = std::max(10, live / 1000);
    Clock::time_point build_start = Clock::now();
    BuildLiveHeap(live, lists, rng);
    gc_collect();      // a full collection: the whole live heap was new
    gc_collect_all();  // settle: the live heap is all marked once and the roots queued
    gc_new_bytes = 0;
    Figure("build_live_heap", std::chrono::duration<double, std::milli>(Clock::now() - build_start).count(), "ms");
    Figure("live_objects", live, "objects");
    Figure("live_bytes", gc_alloced_bytes / 1048576.0, "MiB");
    return lists;
}

// One collection step per event; each event allocates `garbage_per_event`
// short-lived objects and replaces a few live nodes through the barrier.
void MeasureSteps(double scale, int lists, int garbage_per_event, std::mt19937& rng) {
    gc_max_alloced_bytes = gc_alloced_bytes;
    constexpr int kReplacementsPerEvent = 20;
    // Enough events for several full collections.
    const double event_bytes = (garbage_per_event + kReplacementsPerEvent) * sizeof(BenchNode);
    const int events = std::max(200, static_cast<int>(5 * gc_full_collect_bytes / event_bytes * std::min(scale, 1.0)));
    std::vector<double> steps;
    std::vector<double> full_steps;
    std::vector<double> cpu_steps;
    double most_marked = 0;
    double marked_total = 0;
    double longest_alloc = 0;
    int full_collections = 0;
    for (int e = 0; e < events; ++e) {
        Clock::time_point alloc_start = Clock::now();
        for (int j = 0; j < garbage_per_event; ++j) {
            BenchNode* junk = new BenchNode();
            junk->m_value = j;
        }
        Array<BenchNode*>& heads = g_bench_root->m_heads;
        for (int j = 0; j < kReplacementsPerEvent; ++j) {
            const int list = static_cast<int>(rng() % static_cast<unsigned>(lists));
            BenchNode* old = heads[list];
            BenchNode* fresh = new BenchNode();
            gc_assign(fresh->m_next, old ? old->m_next : nullptr);
            heads[list] = fresh;
        }
        longest_alloc = std::max(longest_alloc, Micros(Clock::now() - alloc_start));
        const bool full = gc_new_bytes > gc_full_collect_bytes;
        const int marked_before = gc_marked_bytes;
        const double cpu_start = ThreadCpuMicros();
        Clock::time_point start = Clock::now();
        gc_collect();
        double us = Micros(Clock::now() - start);
        cpu_steps.push_back(ThreadCpuMicros() - cpu_start);
        if (!full) {
            const double marked = gc_marked_bytes - marked_before;
            most_marked = std::max(most_marked, marked);
            marked_total += marked;
        }
        (full ? full_steps : steps).push_back(us);
        full_collections += full ? 1 : 0;
    }
    std::vector<double> all = steps;
    all.insert(all.end(), full_steps.begin(), full_steps.end());
    std::sort(all.begin(), all.end());
    std::sort(steps.begin(), steps.end());
    double sum = 0;
    for (double s : all) sum += s;
    Figure("events", events, "events");
    Figure("full_collections", full_collections, "collections");
    Figure("step_longest", all.back(), "us");
    Figure("step_p99", all[all.size() * 99 / 100], "us");
    Figure("step_mean", sum / all.size(), "us");
    if (!steps.empty()) Figure("incremental_step_longest", steps.back(), "us");
    if (!full_steps.empty()) {
        Figure("full_collection_step_longest", *std::max_element(full_steps.begin(), full_steps.end()), "us");
    }
    std::sort(cpu_steps.begin(), cpu_steps.end());
    Figure("step_cpu_longest", cpu_steps.back(), "us");
    Figure("step_cpu_p99", cpu_steps[cpu_steps.size() * 99 / 100], "us");
    Figure("step_marked_most", most_marked / 1024.0, "KiB");
    Figure("step_marked_mean", marked_total / std::max<size_t>(1, steps.size()) / 1024.0, "KiB");
    double cpu_sum = 0;
    for (double c : cpu_steps) cpu_sum += c;
    Figure("mark_cost_per_object", cpu_sum * 1000.0 / (marked_total / sizeof(BenchNode)), "ns");
    Figure("event_alloc_longest", longest_alloc, "us");
    Figure("alloced_bytes_peak", gc_max_alloced_bytes / 1048576.0, "MiB");
    Figure("alloced_bytes_end", gc_alloced_bytes / 1048576.0, "MiB");
}

}  // namespace

int main(int argc, char** argv) {
    const double scale = argc > 1 ? std::atof(argv[1]) : 1.0;
    gc_set_root_marker(MarkBenchRoots);
    MeasureAllocation(scale);
    std::mt19937 rng(99);
    const int lists = SetUpLiveHeap(scale, rng);
    for (int garbage : {1000, 100}) {
        g_prefix = "garbage" + std::to_string(garbage) + "_";
        MeasureSteps(scale, lists, garbage, rng);
    }
    return 0;
}
