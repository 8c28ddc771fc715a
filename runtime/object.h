// Base of every framework, game and native device class.
#pragma once

#include "runtime/gc.h"

class String;

// The root class of the object model; collected by the garbage collector.
class Object : public gc_object {
public:
    Object() = default;
    explicit Object(gc_static_t tag) : gc_object(tag) {}
    // Text shown by the debugger's object inspection.
    virtual String debug();
};

// Base of language exceptions; thrown by pointer and caught by the host's guards.
class ThrowableObject : public Object {};
