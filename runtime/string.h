// Immutable text of UTF-16 code units.
//
// A String is one pointer to a reference-counted representation that lives
// outside the garbage collector. Operations that would return their operand
// unchanged share its representation instead of copying.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "runtime/array.h"

typedef char16_t Char;

class String {
public:
    struct Rep {
        int refs;
        int length;
        Char data[1];  // `length` units follow; not terminated

        // The shared empty representation is never counted, so empty strings
        // may be copied on worker threads without racing on its count.
        void retain() {
            if (this != &nullRep) ++refs;
        }
        void release();
        static Rep* alloc(int length);  // refs 1, units uninitialised
    };
    static Rep nullRep;  // the shared empty representation; never freed

    // Construction and conversion.
    String() : rep_(&nullRep) { rep_->retain(); }
    String(const String& other) : rep_(other.rep_) { rep_->retain(); }
    String(String&& other) noexcept : rep_(other.rep_) { other.rep_ = &nullRep; nullRep.retain(); }
    String(const Char* units, int length);
    String(const char* text);                               // one unit per byte
    String(const char* text, int length);
    String(const unsigned char* bytes, int length);         // zero-extended bytes
    explicit String(int value);                             // "%i"
    explicit String(float value);                           // "%.17lg", ".0" appended when needed
    explicit String(Rep* rep) : rep_(rep) {}                // adopts a fresh representation
    ~String() { rep_->release(); }
    String& operator=(const String& other);
    String& operator=(String&& other) noexcept;

    // Queries.
    int Length() const { return rep_->length; }
    const Char* Data() const { return rep_->data; }
    Char operator[](int index) const { return rep_->data[index]; }
    bool operator==(const String& other) const;
    bool operator!=(const String& other) const { return !(*this == other); }
    bool operator<(const String& other) const;
    bool StartsWith(const String& prefix) const;
    bool EndsWith(const String& suffix) const;
    int Find(const String& sub, int start = 0) const;   // -1 when absent
    bool Contains(const String& sub) const { return Find(sub, 0) != -1; }
    bool SharesRep(const String& other) const { return rep_ == other.rep_; }

    // New strings (the receiver never changes).
    String Slice(int from) const { return Slice(from, Length()); }
    String Slice(int from, int term) const;
    Array<String> Split(const String& separator) const;
    String Replace(const String& find, const String& replacement) const;
    String ToLower() const;
    int ToInt() const;                                   // atoi of the first 63 units
    String operator+(const String& other) const;
    String& operator+=(const String& other) { return *this = *this + other; }
    friend String operator+(const char* a, const String& b) { return String(a) + b; }

    // Byte conversions.
    std::string ToCString() const;                       // each unit cut to its low byte
    std::string ToUtf8() const;                          // UTF-8 encoding
    void Save(std::vector<unsigned char>& out) const;    // appends the UTF-8 encoding
    bool Save(FILE* file) const;                         // writes the UTF-8 encoding; false on a short write
    static String Load(const unsigned char* bytes, int length);  // decodes, see string.cpp
    static String Load(FILE* file);                      // reads the whole stream and decodes
    static String FromUtf8(const std::string& text);     // decodes like Load: names from files and the network
    static String FromChar(int unit);

private:
    Rep* rep_;
};

// Set by String::Load to "Invalid UTF-8" when it fell back to raw bytes; empty otherwise.
extern String _str_load_err;

// Slot helpers for arrays of strings.
void t_create(int n, String* strings);
void t_create(int n, String* strings, const String* source);
void t_destroy(int n, String* strings);
