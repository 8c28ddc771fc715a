#include "runtime/gc.h"

#include <climits>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <initializer_list>
#include <new>
#include <vector>

int gc_markbit = 1;
int gc_new_bytes = 0;
int gc_alloced_bytes = 0;
int gc_max_alloced_bytes = 0;
int gc_marked_bytes = 0;
int gc_free_bytes = 0;

gc_object gc_free_list(gc_static);
gc_object gc_marked_list(gc_static);
gc_object gc_unmarked_list(gc_static);
gc_object gc_queued_list(gc_static);
// Objects of an earlier start of the program in the same process (tests that
// start it again): kept linked here, never scanned or freed, as they were
// before, but still reachable for leak checkers.
static gc_object gc_retired_list(gc_static);

gc_object* gc_locals[gc_locals_capacity];
gc_object** gc_locals_sp = gc_locals;

namespace {

constexpr int kCacheClasses = 8;     // blocks of 0, 8, ... 56 bytes
constexpr int kCachedBelow = 64;

// A destroyed block in the small-block cache, linked through the word that
// held the object's successor link. (A plain struct: the memory no longer
// holds a gc_object.)
struct CachedBlock {
    void* vtable_word;
    CachedBlock* succ;
};
static_assert(offsetof(CachedBlock, succ) == sizeof(void*), "the link sits where gc_object::succ was");

CachedBlock* gc_cache[kCacheClasses];
void (*gc_root_marker)() = nullptr;

// Collector stress (see gc_set_stress): poisoned blocks wait in a queue of at
// most this many bytes. Each is checked after each of the next few steps,
// again before it goes back to the heap, and the rest at exit, so that a
// write through a stale pointer is reported too.
constexpr long long kQuarantineBytes = 32LL * 1024 * 1024;
constexpr long long kStepsChecked = 16;

int StressFromEnvironment() {
    const char* text = std::getenv("GLIMMER_GC_STRESS");
    const int interval = text ? std::atoi(text) : 0;
    return interval > 0 ? interval : 0;
}
int gc_stress = StressFromEnvironment();
int gc_stress_countdown = 0;
long long gc_stress_steps = 0;

struct PoisonedBlock {
    unsigned char* bytes;
    int size;
    long long step;  // the stress step that freed it
};
// Never destroyed: the blocks stay reachable for leak checkers until exit.
std::deque<PoisonedBlock>& Quarantine() {
    static auto* blocks = new std::deque<PoisonedBlock>();
    return *blocks;
}
long long gc_quarantined_bytes = 0;

void CheckPoison(const PoisonedBlock& block) {
    for (int i = 0; i < block.size; ++i) {
        if (block.bytes[i] == gc_poison_byte) continue;
        std::fprintf(stderr, "collector stress: a block of %d bytes was written at byte %d after it was freed\n",
                     block.size, i);
        std::abort();
    }
}

void CheckQuarantineAtExit() {
    for (const PoisonedBlock& block : Quarantine()) CheckPoison(block);
}

void CheckRecentlyFreed() {
    for (auto it = Quarantine().rbegin(); it != Quarantine().rend() && it->step > gc_stress_steps - kStepsChecked; ++it) {
        CheckPoison(*it);
    }
}

void PoisonAndQuarantine(void* p, int size) {
#if defined(__SANITIZE_ADDRESS__)
    // AddressSanitizer keeps freed blocks out of use itself and reports any
    // read of them too, with the stacks that allocated and freed them.
    std::free(p);
    return;
#endif
    static const int atExit = std::atexit(CheckQuarantineAtExit);
    (void)atExit;
    auto* bytes = static_cast<unsigned char*>(p);
    std::memset(bytes, gc_poison_byte, static_cast<size_t>(size));
    Quarantine().push_back({bytes, size, gc_stress_steps});
    gc_quarantined_bytes += size;
    while (gc_quarantined_bytes > kQuarantineBytes) {
        const PoisonedBlock oldest = Quarantine().front();
        Quarantine().pop_front();
        gc_quarantined_bytes -= oldest.size;
        CheckPoison(oldest);
        std::free(oldest.bytes);
    }
}

// Blocks handed out by operator new whose gc_object constructor has not run
// yet. The constructor looks its own address up here to stamp the size: the
// header cannot be written in operator new, since value-initialisation may
// zero it, and a single "last size" would be wrong for `new A(new B)`, where
// B is allocated after A but constructed before it.
struct PendingBlock {
    void* block;
    int size;
};
std::vector<PendingBlock>& pending_blocks() {
    static std::vector<PendingBlock> blocks;
    return blocks;
}

void* allocate_pending(size_t bytes) {
    if (bytes > static_cast<size_t>(INT_MAX - 7)) throw std::bad_alloc();
    void* p = gc_object_alloc(static_cast<int>(bytes));
    pending_blocks().push_back({p, static_cast<int>((bytes + 7) & ~size_t{7})});
    return p;
}

// Removes `p` from the pending blocks; returns its size, or -1 when absent.
int take_pending(const void* p) {
    std::vector<PendingBlock>& blocks = pending_blocks();
    for (size_t i = blocks.size(); i-- > 0;) {
        if (blocks[i].block == p) {
            int size = blocks[i].size;
            blocks.erase(blocks.begin() + static_cast<std::ptrdiff_t>(i));
            return size;
        }
    }
    return -1;
}

inline int object_size(const gc_object* obj) { return obj->flags & ~7; }

inline void unlink(gc_object* obj) {
    obj->pred->succ = obj->succ;
    obj->succ->pred = obj->pred;
}

inline void append(gc_object* obj, gc_object& head) {
    gc_object* last = head.pred;
    obj->succ = &head;
    obj->pred = last;
    last->succ = obj;
    head.pred = obj;
}

inline void move_to(gc_object* obj, gc_object& head) {
    unlink(obj);
    append(obj, head);
}

inline bool is_unmarked(const gc_object* obj) { return (obj->flags & 3) == gc_markbit; }

// Moves every object of `from` to the tail of `to` in constant time.
void splice(gc_object& from, gc_object& to) {
    if (from.succ == &from) return;
    gc_object* first = from.succ;
    gc_object* last = from.pred;
    gc_object* tail = to.pred;
    tail->succ = first;
    first->pred = tail;
    last->succ = &to;
    to.pred = last;
    from.succ = from.pred = &from;
}

}  // namespace

gc_object::gc_object() {
    int size = take_pending(this);
    if (size < 0) {
        // Not made by operator new (a misuse such as a stack object): keep it
        // out of the rings with the colour the collector never touches.
        succ = pred = this;
        flags = 3;
        return;
    }
    flags = gc_markbit | size;
    append(this, gc_unmarked_list);
}

void* gc_object::operator new(size_t size) { return allocate_pending(size); }

void* gc_object::operator new(size_t size, gc_extra extra) {
    if (extra.bytes > static_cast<size_t>(INT_MAX) - size) throw std::bad_alloc();
    return allocate_pending(size + extra.bytes);
}

// Called when construction throws. If the gc_object constructor had not run
// (an argument expression threw), the block is still pending; otherwise the
// object is linked and counted as live and is unlinked here.
static void release_unconstructed(void* p) {
    int size = take_pending(p);
    if (size < 0) {
        // The destructors have run: read the header words as plain memory.
        struct RawHeader {
            void* vtable_word;
            gc_object* succ;
            gc_object* pred;
            int flags;
        };
        RawHeader* raw = static_cast<RawHeader*>(p);
        size = raw->flags & ~7;
        raw->pred->succ = raw->succ;
        raw->succ->pred = raw->pred;
    }
    gc_alloced_bytes -= size;
    gc_free_bytes += size;
    gc_object_free(p, size);
}

void gc_object::operator delete(void* p, size_t) { release_unconstructed(p); }

void gc_object::operator delete(void* p, gc_extra) { release_unconstructed(p); }

void* gc_object_alloc(int size) {
    size = (size + 7) & ~7;
    gc_new_bytes += size;
    gc_flush_free(size);
    void* p = nullptr;
    if (size < kCachedBelow && gc_cache[size >> 3]) {
        CachedBlock* block = gc_cache[size >> 3];
        gc_cache[size >> 3] = block->succ;
        p = block;
    } else {
        p = std::malloc(size ? size : 8);
        if (!p) throw std::bad_alloc();
    }
    gc_alloced_bytes += size;
    if (gc_alloced_bytes > gc_max_alloced_bytes) gc_max_alloced_bytes = gc_alloced_bytes;
    return p;
}

void gc_object_free(void* p, int size) {
    gc_free_bytes -= size;
    if (gc_stress > 0) {
        PoisonAndQuarantine(p, size);
        return;
    }
    if (size >= kCachedBelow) {
        std::free(p);
        return;
    }
    CachedBlock* block = static_cast<CachedBlock*>(p);
    block->succ = gc_cache[size >> 3];
    gc_cache[size >> 3] = block;
}

void gc_flush_free(int size) {
    int target = gc_free_bytes - size;
    if (target < 0) target = 0;
    while (gc_free_bytes > target) {
        gc_object* obj = gc_free_list.succ;
        if (obj == &gc_free_list) {
            gc_free_bytes = 0;
            break;
        }
        unlink(obj);
        int obj_size = object_size(obj);
        obj->~gc_object();
        gc_object_free(obj, obj_size);
    }
}

void gc_mark_q(gc_object* obj) {
    if (obj && is_unmarked(obj)) {
        obj->flags ^= 1;
        move_to(obj, gc_queued_list);
    }
}

void gc_mark(gc_object* obj) {
    if (obj && is_unmarked(obj)) {
        obj->flags ^= 1;
        move_to(obj, gc_marked_list);
        gc_marked_bytes += object_size(obj);
        obj->mark();
    }
}

void gc_mark_locals() {
    for (gc_object** p = gc_locals; p < gc_locals_sp; ++p) {
        if (*p) gc_mark(*p);
    }
}

void gc_mark_queued(int target) {
    while (gc_marked_bytes < target && gc_queued_list.succ != &gc_queued_list) {
        gc_object* obj = gc_queued_list.succ;
        move_to(obj, gc_marked_list);
        gc_marked_bytes += object_size(obj);
        obj->mark();
    }
}

void gc_sweep() {
    if (gc_alloced_bytes != gc_marked_bytes) {
        splice(gc_unmarked_list, gc_free_list);
        gc_free_bytes += gc_alloced_bytes - gc_marked_bytes;
    }
    // Whatever is left unmarked here is garbage already moved above; survivors
    // become the next cycle's unmarked ring without being touched.
    splice(gc_marked_list, gc_unmarked_list);
    gc_alloced_bytes = gc_marked_bytes;
    gc_marked_bytes = 0;
    gc_markbit ^= 1;
}

void gc_set_root_marker(void (*marker)()) { gc_root_marker = marker; }

void gc_mark() {
    if (gc_root_marker) gc_root_marker();
}

void gc_collect_all() {
    gc_mark_locals();
    gc_mark_queued(0x7fffffff);
    gc_sweep();
    gc_mark();
}

void gc_collect() {
    gc_locals_sp = gc_locals;
    if (gc_stress > 0 && --gc_stress_countdown <= 0) {
        gc_stress_countdown = gc_stress;
        CheckRecentlyFreed();
        ++gc_stress_steps;
        gc_collect_all();
        gc_flush_free(gc_free_bytes);
        // Everything reachable is marked before the next event, so an object
        // stored there without the write barrier is lost at the next step.
        gc_mark_queued(INT_MAX);
        gc_new_bytes = 0;
        return;
    }
    if (gc_new_bytes > gc_full_collect_bytes) {
        gc_collect_all();
        gc_new_bytes = 0;
        return;
    }
    long long alloced = gc_alloced_bytes;
    long long fresh = gc_new_bytes;
    long long target = fresh + (alloced - fresh) * fresh / gc_full_collect_bytes;
    gc_mark_queued(static_cast<int>(target));
}

void gc_init1() {
    for (gc_object* head : {&gc_free_list, &gc_marked_list, &gc_unmarked_list, &gc_queued_list}) {
        splice(*head, gc_retired_list);
        head->succ = head->pred = head;
    }
}

void gc_init2() { gc_mark(); }

void gc_set_stress(int interval) {
    gc_stress = interval > 0 ? interval : 0;
    gc_stress_countdown = 0;
}

int gc_stress_interval() { return gc_stress; }

int gc_list_count(const gc_object& head) {
    int n = 0;
    for (const gc_object* p = head.succ; p != &head; p = p->succ) ++n;
    return n;
}

int gc_cached_blocks(int size) {
    if (size < 0 || size >= kCachedBelow || size % 8 != 0) return 0;
    int n = 0;
    for (const CachedBlock* p = gc_cache[size >> 3]; p; p = p->succ) ++n;
    return n;
}
