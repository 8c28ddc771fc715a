// Byte buffers: little-endian layout, sign extension, filling rules and the
// refusal of every access outside the block.
#include "services/data_buffer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <fstream>
#include <vector>

#include "host/game_host.h"

namespace {

KpDataBuffer* FilledBuffer(int length, unsigned char fill) {
    KpDataBuffer* buffer = new KpDataBuffer();
    EXPECT_TRUE(buffer->_New(length));
    for (int i = 0; i < length; ++i) buffer->PokeByte(i, fill);
    return buffer;
}

TEST(KpDataBuffer, PeeksSignExtendLittleEndianValues) {
    KpDataBuffer* b = FilledBuffer(8, 0);
    b->PokeByte(0, 0x34);
    b->PokeByte(1, 0x12);
    b->PokeShort(2, 0x18000);  // only the low 16 bits are stored
    b->PokeInt(4, -2);
    EXPECT_EQ((std::vector<int>{4660, -32768, 0, -128, -2, -2, -1}),
              (std::vector<int>{b->PeekShort(0), b->PeekShort(2), b->PeekByte(2), b->PeekByte(3), b->PeekInt(4), b->PeekByte(4), b->PeekByte(7)}));
    b->PokeFloat(1, 1.5f);  // unaligned
    EXPECT_EQ(1.5f, b->PeekFloat(1));
    EXPECT_EQ(0x3fc00000, b->PeekInt(1)) << "IEEE single bits of 1.5";
}

TEST(KpDataBuffer, AccessOutsideTheBlockIsRefused) {
    const struct { int offset, size; } cases[] = {{-1, 1}, {8, 1}, {7, 2}, {5, 4}, {INT_MAX, 1}, {INT_MAX - 1, 4}, {INT_MIN, 4}};
    for (const auto& c : cases) {
        KpDataBuffer* b = FilledBuffer(8, 0x5a);
        const int peek = c.size == 1 ? b->PeekByte(c.offset) : c.size == 2 ? b->PeekShort(c.offset) : b->PeekInt(c.offset);
        EXPECT_EQ(0, peek + (c.size == 4 ? b->PeekFloat(c.offset) : 0)) << "offset " << c.offset << " size " << c.size;
        if (c.size == 1) b->PokeByte(c.offset, 1);
        if (c.size == 2) b->PokeShort(c.offset, 1);
        if (c.size == 4) b->PokeInt(c.offset, 1), b->PokeFloat(c.offset, 1.0f);
        for (int i = 0; i < 8; ++i) ASSERT_EQ(0x5a, b->PeekByte(i)) << "byte " << i << " changed by a poke at " << c.offset;
    }
    KpDataBuffer* b = FilledBuffer(4, 0);
    EXPECT_EQ(b->ReadPointer(0) + 4, b->WritePointer(4)) << "end pointer for zero-length use";
    EXPECT_EQ(nullptr, b->ReadPointer(5));
    EXPECT_FALSE(b->InRange(1, INT_MAX)) << "offset + count must not wrap";
    KpDataBuffer* none = new KpDataBuffer();
    none->PokeInt(0, 7);  // must not write through a null block
    EXPECT_EQ((std::vector<int>{none->Length(), none->PeekInt(0)}), (std::vector<int>{0, 0})) << "a buffer without a block";
}

TEST(KpDataBuffer, FillsOnlyWhenEmpty) {
    static KpGame host;  // loads go through the host
    const std::string path = "/tmp/services_test_" + std::to_string(getpid());
    std::ofstream(path) << "\x01\x02\x03";
    KpDataBuffer* b = FilledBuffer(2, 9);
    EXPECT_FALSE(b->_New(16)) << "_New on a full buffer";
    EXPECT_FALSE(b->_Load(String(path.c_str()))) << "_Load on a full buffer";
    EXPECT_EQ((std::vector<int>{2, 9}), (std::vector<int>{b->Length(), b->PeekByte(1)}));
    b->Discard();
    b->Discard();  // harmless
    EXPECT_EQ(b->Length(), 0) << "discarded twice";
    EXPECT_TRUE(b->_Load(String(path.c_str())));
    EXPECT_EQ(0x030201, b->PeekShort(0) | b->PeekByte(2) << 16);
    KpDataBuffer* other = new KpDataBuffer();
    EXPECT_FALSE(other->_New(-1) || other->_Load(String("/nonexistent/services_test.bin")));
    EXPECT_TRUE(other->_New(0)) << "a zero-length block is still a block";
    EXPECT_FALSE(other->_New(4));
    std::remove(path.c_str());
}

}  // namespace
