#include "services/data_buffer.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "host/game_host.h"
#include "services/thread.h"

namespace {

// Reads `size` bytes at p as a little-endian unsigned number.
uint32_t LoadLittle(const unsigned char* p, int size) {
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = (value << 8) | p[i];
    return value;
}

// Stores the low `size` bytes of value at p, least significant first.
void StoreLittle(unsigned char* p, int size, uint32_t value) {
    for (int i = 0; i < size; ++i) {
        p[i] = static_cast<unsigned char>(value & 0xff);
        value >>= 8;
    }
}

}  // namespace

KpDataBuffer::~KpDataBuffer() { std::free(data_); }

bool KpDataBuffer::_New(int length) {
    if (data_ || length < 0) return false;
    // A zero-length block still gets an allocation, so the buffer counts as filled.
    unsigned char* block = static_cast<unsigned char*>(std::malloc(length > 0 ? length : 1));
    if (!block) return false;
    data_ = block;
    length_ = length;
    return true;
}

bool KpDataBuffer::_Load(const String& path) {
    if (data_ || !KpGame::_game) return false;
    int length = 0;
    unsigned char* block = KpGame::_game->LoadData(path, &length);
    if (!block) return false;
    data_ = block;
    length_ = length;
    return true;
}

void KpDataBuffer::_LoadAsync(const String& path, KpThread* thread) {
    // Runs on a worker: the caller's String may share its reference-counted
    // representation with strings the main thread is using, so the load works
    // on a private copy. An empty path names no file and is refused up front.
    if (path.Length() == 0) return;
    String privatePath(path.Data(), path.Length());
    if (_Load(privatePath) && thread) thread->SetResult(this);
}

bool KpDataBuffer::InRange(int offset, int count) const {
    return offset >= 0 && count >= 0 && static_cast<int64_t>(offset) + count <= length_;
}

unsigned char* KpDataBuffer::ReadPointer(int offset) { return InRange(offset, 0) ? data_ + offset : nullptr; }

unsigned char* KpDataBuffer::WritePointer(int offset) { return InRange(offset, 0) ? data_ + offset : nullptr; }

void KpDataBuffer::PokeByte(int offset, int value) {
    if (InRange(offset, 1)) StoreLittle(data_ + offset, 1, static_cast<uint32_t>(value));
}

void KpDataBuffer::PokeShort(int offset, int value) {
    if (InRange(offset, 2)) StoreLittle(data_ + offset, 2, static_cast<uint32_t>(value));
}

void KpDataBuffer::PokeInt(int offset, int value) {
    if (InRange(offset, 4)) StoreLittle(data_ + offset, 4, static_cast<uint32_t>(value));
}

void KpDataBuffer::PokeFloat(int offset, float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    if (InRange(offset, 4)) StoreLittle(data_ + offset, 4, bits);
}

int KpDataBuffer::PeekByte(int offset) const {
    if (!InRange(offset, 1)) return 0;
    return static_cast<int8_t>(LoadLittle(data_ + offset, 1));
}

int KpDataBuffer::PeekShort(int offset) const {
    if (!InRange(offset, 2)) return 0;
    return static_cast<int16_t>(LoadLittle(data_ + offset, 2));
}

int KpDataBuffer::PeekInt(int offset) const {
    if (!InRange(offset, 4)) return 0;
    return static_cast<int32_t>(LoadLittle(data_ + offset, 4));
}

float KpDataBuffer::PeekFloat(int offset) const {
    if (!InRange(offset, 4)) return 0.0f;
    uint32_t bits = LoadLittle(data_ + offset, 4);
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void KpDataBuffer::Discard() {
    std::free(data_);
    data_ = nullptr;
    length_ = 0;
}
