// Byte buffers: a malloc'd block with little-endian peeks and pokes at byte
// offsets, whole-file loading through the host, and an asynchronous load that
// a worker thread can run. Sockets send from and receive into these buffers.
//
// Every offset is checked: a peek outside the block returns 0, a poke outside
// it does nothing, and a pointer request outside it returns null.
#pragma once

#include "runtime/object.h"
#include "runtime/string.h"

class KpThread;

// A block of bytes; filled once, and filled again only after Discard.
class KpDataBuffer : public Object {
public:
    KpDataBuffer() = default;
    ~KpDataBuffer() override;

    // Filling (each returns false and changes nothing when the buffer already has data).
    bool _New(int length);                                   // allocates length bytes, contents undefined
    bool _Load(const String& path);                          // the whole file through KpGame::LoadData
    void _LoadAsync(const String& path, KpThread* thread);   // worker side: _Load, then the thread's result

    // Size and raw access; pointers are null for offsets outside 0..Length().
    int Length() const { return length_; }
    unsigned char* ReadPointer(int offset);
    unsigned char* WritePointer(int offset);
    // Whether offset .. offset + count - 1 lies inside the block (count 0 at Length() does).
    bool InRange(int offset, int count) const;

    // Little-endian stores of the low 8, 16 or 32 bits, or of a 32-bit float.
    void PokeByte(int offset, int value);
    void PokeShort(int offset, int value);
    void PokeInt(int offset, int value);
    void PokeFloat(int offset, float value);

    // Little-endian loads; bytes and shorts are sign-extended.
    int PeekByte(int offset) const;
    int PeekShort(int offset) const;
    int PeekInt(int offset) const;
    float PeekFloat(int offset) const;

    // Frees the block; the buffer is empty again and may be refilled.
    void Discard();

private:
    unsigned char* data_ = nullptr;  // malloc'd, owned; null when empty
    int length_ = 0;
};
