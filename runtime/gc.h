// Incremental, non-moving mark-and-sweep collector.
//
// Every collected object starts with the gc_object header and lives in exactly
// one of four intrusive rings: free (garbage awaiting destruction), marked
// (scanned this cycle), unmarked (not yet reached) and queued (reached, fields
// not yet scanned). Marking advances a little after every host event; a full
// collection with sweep runs after 8 MiB of new allocation; garbage is
// destroyed later, paid for by allocations. Main thread only.
#pragma once

#include <cstddef>
#include <cstdint>

// Tag for objects that never enter the collector's lists (list heads and the
// statically allocated empty arrays); they get colour 3, which is never
// "unmarked", so the collector never queues, moves or frees them.
struct gc_static_t {};
inline constexpr gc_static_t gc_static{};

// Extra bytes allocated behind a variable-size object (array elements).
struct gc_extra {
    size_t bytes;
};

// Header of every collected object.
struct gc_object {
    gc_object* succ;  // successor in the object's current ring
    gc_object* pred;  // predecessor in the object's current ring
    int flags;        // bits 0-1 colour, bits 3-31 allocated size in bytes

    // Links a freshly allocated object into the unmarked ring. Only objects
    // created with `new` may use it.
    gc_object();
    explicit gc_object(gc_static_t) : succ(this), pred(this), flags(3) {}
    gc_object(const gc_object&) = delete;
    gc_object& operator=(const gc_object&) = delete;
    virtual ~gc_object() {}

    // Reports the object's object-valued fields with gc_mark_q.
    virtual void mark() {}

    static void* operator new(size_t size);
    static void* operator new(size_t size, gc_extra extra);  // variable-size objects
    // Used only when a constructor throws; the collector destroys objects itself.
    static void operator delete(void* p, size_t size);
    static void operator delete(void* p, gc_extra extra);
};

// Counters, in bytes.
extern int gc_markbit;           // colour that means "not yet marked this cycle"
extern int gc_new_bytes;         // allocated since the last full collection
extern int gc_alloced_bytes;     // in live objects
extern int gc_max_alloced_bytes; // high-water mark of gc_alloced_bytes
extern int gc_marked_bytes;      // marked in the current cycle
extern int gc_free_bytes;        // in the free ring awaiting destruction

// The four ring heads.
extern gc_object gc_free_list;
extern gc_object gc_marked_list;
extern gc_object gc_unmarked_list;
extern gc_object gc_queued_list;

// Local roots: pointers from gc_locals up to gc_locals_sp are marked by a full collection.
constexpr int gc_locals_capacity = 8192;
extern gc_object* gc_locals[gc_locals_capacity];
extern gc_object** gc_locals_sp;

constexpr int gc_full_collect_bytes = 8 * 1024 * 1024;

void* gc_object_alloc(int size);           // memory for a new object of `size` bytes
void gc_object_free(void* p, int size);    // returns a destroyed object's block
void gc_flush_free(int size);              // destroys garbage to pay for an allocation
void gc_mark_q(gc_object* obj);            // queueing mark (the write barrier's action)
void gc_mark(gc_object* obj);              // immediate mark and scan
void gc_mark_locals();
void gc_mark_queued(int target);
void gc_sweep();
void gc_mark();                            // queues the program's root globals
void gc_collect_all();
void gc_collect();                         // one incremental step
void gc_init1();
void gc_init2();

// The program registers the function that queues its root globals, in order.
void gc_set_root_marker(void (*marker)());

// Collector stress, for tests: with GLIMMER_GC_STRESS=N in the environment
// (or after gc_set_stress(N)), every N-th step is a complete collection that
// destroys its garbage at once, fills the freed blocks with gc_poison_byte and
// keeps them out of use for a while, then marks everything reachable again.
// An object in use that a mark() or a write barrier missed is then freed by
// the next step: reading it gives poison (a crash or a wrong value, not stale
// data), and a write into it ends the program with a report. Under
// AddressSanitizer freed blocks go to its own quarantine, which reports reads
// too. (Inside an event nothing is collected: objects held only in locals are
// safe there by design.) 0 turns it off.
constexpr unsigned char gc_poison_byte = 0xdb;
void gc_set_stress(int interval);
int gc_stress_interval();

// Ring count and small-block cache depth (blocks of `size` bytes), for tests and diagnostics.
int gc_list_count(const gc_object& head);
int gc_cached_blocks(int size);

// Write barrier: every store of an object reference into a field, a global or
// an array element goes through it, so an object stored mid-cycle survives.
template <class T, class V>
inline void gc_assign(T*& field, V* value) {
    gc_mark_q(value);
    field = value;
}
template <class T>
inline void gc_assign(T*& field, std::nullptr_t) {
    field = nullptr;
}
