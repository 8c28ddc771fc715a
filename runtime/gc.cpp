#include "runtime/gc.h"

#include <cstdlib>
#include <initializer_list>
#include <new>

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

gc_object* gc_locals[gc_locals_capacity];
gc_object** gc_locals_sp = gc_locals;

namespace {

constexpr int kCacheClasses = 8;     // blocks of 0, 8, ... 56 bytes
constexpr int kCachedBelow = 64;

gc_object* gc_cache[kCacheClasses];
// Size of the block handed out by the last gc_object_alloc; the gc_object
// constructor stamps it into the header. Stamping in the constructor (not in
// operator new) keeps the header safe from value-initialisation zeroing.
int gc_pending_size = 0;
void (*gc_root_marker)() = nullptr;

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
    flags = gc_markbit | gc_pending_size;
    append(this, gc_unmarked_list);
}

void* gc_object::operator new(size_t size) { return gc_object_alloc(static_cast<int>(size)); }

void* gc_object::operator new(size_t size, gc_extra extra) {
    return gc_object_alloc(static_cast<int>(size + extra.bytes));
}

// A constructor that throws leaves its object linked and counted as live; it
// is unlinked here and its block released.
static void release_unconstructed(void* p) {
    gc_object* obj = static_cast<gc_object*>(p);
    int size = obj->flags & ~7;
    unlink(obj);
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
        gc_object* block = gc_cache[size >> 3];
        gc_cache[size >> 3] = block->succ;
        p = block;
    } else {
        p = std::malloc(size ? size : 8);
        if (!p) throw std::bad_alloc();
    }
    gc_pending_size = size;
    gc_alloced_bytes += size;
    if (gc_alloced_bytes > gc_max_alloced_bytes) gc_max_alloced_bytes = gc_alloced_bytes;
    return p;
}

void gc_object_free(void* p, int size) {
    gc_free_bytes -= size;
    if (size >= kCachedBelow) {
        std::free(p);
        return;
    }
    gc_object* block = static_cast<gc_object*>(p);
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
        head->succ = head->pred = head;
    }
}

void gc_init2() { gc_mark(); }

int gc_list_count(const gc_object& head) {
    int n = 0;
    for (const gc_object* p = head.succ; p != &head; p = p->succ) ++n;
    return n;
}
