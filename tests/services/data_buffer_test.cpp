// Byte buffers: little-endian layout, sign extension, filling rules and the
// refusal of every access outside the block.
#include "services/data_buffer.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <vector>

#include "tests/services/services_test_support.h"

namespace {

KpDataBuffer* FilledBuffer(int length, unsigned char fill) {
    KpDataBuffer* buffer = new KpDataBuffer();
    EXPECT_TRUE(buffer->_New(length));
    for (int i = 0; i < length; ++i) buffer->PokeByte(i, fill);
    return buffer;
}

TEST(KpDataBuffer, PeeksSignExtendLittleEndianValues) {
    KpDataBuffer* buffer = FilledBuffer(8, 0);
    buffer->PokeByte(0, 255);
    EXPECT_EQ(-1, buffer->PeekByte(0));
    buffer->PokeByte(0, 0x34);
    buffer->PokeByte(1, 0x12);
    EXPECT_EQ(4660, buffer->PeekShort(0)) << "bytes 0x34 0x12";
    buffer->PokeShort(2, 0x18000);  // only the low 16 bits are stored
    EXPECT_EQ(-32768, buffer->PeekShort(2));
    EXPECT_EQ(0x00, buffer->PeekByte(2));
    EXPECT_EQ(-128, buffer->PeekByte(3));
    buffer->PokeInt(4, -2);
    EXPECT_EQ(-2, buffer->PeekInt(4));
    EXPECT_EQ(-2, buffer->PeekByte(4)) << "least significant byte first";
    EXPECT_EQ(-1, buffer->PeekByte(7));
    buffer->PokeFloat(1, 1.5f);  // unaligned
    EXPECT_EQ(1.5f, buffer->PeekFloat(1));
    EXPECT_EQ(0x3fc00000, buffer->PeekInt(1)) << "IEEE single bits of 1.5";
}

TEST(KpDataBuffer, AccessOutsideTheBlockIsRefused) {
    struct Case {
        int offset;
        int size;  // bytes the access would touch
    };
    const Case cases[] = {{-1, 1}, {8, 1}, {7, 2}, {5, 4}, {INT_MAX, 1}, {INT_MAX - 1, 4}, {INT_MIN, 4}};
    for (const Case& c : cases) {
        KpDataBuffer* buffer = FilledBuffer(8, 0x5a);
        int peek = c.size == 1 ? buffer->PeekByte(c.offset) : c.size == 2 ? buffer->PeekShort(c.offset) : buffer->PeekInt(c.offset);
        EXPECT_EQ(0, peek) << "offset " << c.offset << " size " << c.size;
        if (c.size == 4) {
            EXPECT_EQ(0.0f, buffer->PeekFloat(c.offset)) << "offset " << c.offset;
        }
        if (c.size == 1) buffer->PokeByte(c.offset, 1);
        if (c.size == 2) buffer->PokeShort(c.offset, 1);
        if (c.size == 4) buffer->PokeInt(c.offset, 1);
        if (c.size == 4) buffer->PokeFloat(c.offset, 1.0f);
        for (int i = 0; i < 8; ++i) {
            ASSERT_EQ(0x5a, buffer->PeekByte(i)) << "byte " << i << " changed by a poke at " << c.offset;
        }
    }
    KpDataBuffer* empty = new KpDataBuffer();
    EXPECT_EQ(0, empty->PeekByte(0)) << "empty buffer";
    empty->PokeInt(0, 7);  // must not write through a null block
    EXPECT_EQ(nullptr, empty->WritePointer(0));
}

TEST(KpDataBuffer, PointersAndRangesStayInsideTheBlock) {
    KpDataBuffer* buffer = FilledBuffer(4, 0);
    EXPECT_NE(nullptr, buffer->ReadPointer(0));
    EXPECT_EQ(buffer->ReadPointer(0) + 4, buffer->WritePointer(4)) << "end pointer for zero-length use";
    EXPECT_EQ(nullptr, buffer->ReadPointer(5));
    EXPECT_EQ(nullptr, buffer->WritePointer(-1));
    EXPECT_TRUE(buffer->InRange(4, 0));
    EXPECT_TRUE(buffer->InRange(0, 4));
    EXPECT_FALSE(buffer->InRange(1, INT_MAX)) << "offset + count must not wrap";
    EXPECT_FALSE(buffer->InRange(0, -1));
}

TEST(KpDataBuffer, FillsOnlyWhenEmpty) {
    EnsureTestGame();
    std::string path = WriteScratchFile("fill.bin", {1, 2, 3});

    KpDataBuffer* buffer = FilledBuffer(2, 9);
    EXPECT_FALSE(buffer->_New(16)) << "_New on a full buffer";
    EXPECT_FALSE(buffer->_Load(String(path.c_str()))) << "_Load on a full buffer";
    EXPECT_EQ(2, buffer->Length());
    EXPECT_EQ(9, buffer->PeekByte(1));

    buffer->Discard();
    buffer->Discard();  // harmless
    EXPECT_EQ(0, buffer->Length());
    EXPECT_TRUE(buffer->_Load(String(path.c_str())));
    EXPECT_EQ(3, buffer->Length());
    EXPECT_EQ(0x030201, buffer->PeekShort(0) | buffer->PeekByte(2) << 16);

    KpDataBuffer* other = new KpDataBuffer();
    EXPECT_FALSE(other->_New(-1));
    EXPECT_FALSE(other->_Load(String("/nonexistent/services_test.bin")));
    EXPECT_EQ(0, other->Length());
    EXPECT_TRUE(other->_New(0)) << "a zero-length block is still a block";
    EXPECT_FALSE(other->_New(4));
    std::remove(path.c_str());
}

}  // namespace
