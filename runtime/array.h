// Fixed-length arrays of ints, floats, bools, Strings or object references.
//
// An Array is one pointer to a garbage-collected representation. Each element
// type has one shared, statically allocated empty representation that the
// collector never touches. Elements of object type are written through a
// proxy that applies the write barrier, so `array[i] = object` is always safe.
#pragma once

#include <algorithm>
#include <new>
#include <type_traits>

#include "runtime/gc.h"

template <class T>
class Array {
    static constexpr bool kIsObject = std::is_pointer_v<T>;

public:
    class Rep : public gc_object {
    public:
        int length;

        explicit Rep(int n) : length(n) {
            for (int i = 0; i < n; ++i) new (&data()[i]) T();
        }
        explicit Rep(gc_static_t tag) : gc_object(tag), length(0) {}
        ~Rep() override {
            for (int i = 0; i < length; ++i) data()[i].~T();
        }
        // Elements follow the representation object itself.
        T* data() { return reinterpret_cast<T*>(reinterpret_cast<char*>(this) + sizeof(Rep)); }
        void mark() override {
            if constexpr (kIsObject) {
                for (int i = 0; i < length; ++i) {
                    if (data()[i]) gc_mark(data()[i]);
                }
            }
        }
    };

    Array() : rep_(EmptyRep()) {}
    explicit Array(int length) : rep_(Allocate(length)) {}
    Array(const T* elements, int length) : rep_(Allocate(length)) {
        if (length > 0) std::copy(elements, elements + length, rep_->data());
    }
    explicit Array(Rep* rep) : rep_(rep) {}

    int Length() const { return rep_->length; }
    T* Data() const { return rep_->data(); }
    Rep* GetRep() const { return rep_; }

    // A new array: the first min(old, new) elements copied, the rest zero.
    Array Resize(int newLength) const {
        Array out(newLength);
        std::copy(Data(), Data() + std::min(Length(), out.Length()), out.Data());
        return out;
    }

    // Element access; object elements go through the write barrier on store.
    class Ref {
    public:
        explicit Ref(T* slot) : slot_(slot) {}
        operator T() const { return *slot_; }
        T operator->() const { return *slot_; }
        Ref& operator=(T value) {
            if constexpr (kIsObject) gc_mark_q(value);
            *slot_ = value;
            return *this;
        }
        Ref& operator=(const Ref& other) { return *this = static_cast<T>(other); }

    private:
        T* slot_;
    };
    using Element = std::conditional_t<kIsObject, Ref, T&>;

    Element operator[](int index) const {
        if constexpr (kIsObject) {
            return Ref(&rep_->data()[index]);
        } else {
            return rep_->data()[index];
        }
    }
    T Get(int index) const { return rep_->data()[index]; }

    static Rep* EmptyRep() {
        static Rep empty(gc_static);
        return &empty;
    }

private:
    static Rep* Allocate(int length) {
        if (length < 1) return EmptyRep();
        return new (gc_extra{sizeof(T) * static_cast<size_t>(length)}) Rep(length);
    }

    Rep* rep_;
};

// The collector marks arrays held in fields through this helper.
template <class T>
inline void gc_mark_q(const Array<T>& array) {
    gc_mark_q(array.GetRep());
}

// Write barrier for array-valued fields.
template <class T>
inline void gc_assign(Array<T>& field, const Array<T>& value) {
    gc_mark_q(value.GetRep());
    field = value;
}
