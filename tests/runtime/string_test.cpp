// Strings: conversions, slicing, searching, splitting, replacing and the
// UTF-8 / UTF-16 load and save paths.
#include "runtime/string.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>
#include <vector>

namespace {

using Units = std::vector<unsigned>;
using Bytes = std::vector<unsigned char>;

String Of(const Units& units) {
    const std::vector<Char> v(units.begin(), units.end());
    return String(v.data(), static_cast<int>(v.size()));
}

Units UnitsOf(const String& s) { return Units(s.Data(), s.Data() + s.Length()); }

TEST(String, NumberFormats) {
    const std::pair<int, const char*> ints[] = {{-5, "-5"}, {INT_MAX, "2147483647"}, {INT_MIN, "-2147483648"}};
    for (const auto& c : ints) EXPECT_EQ(String(c.first).ToCString(), c.second) << c.first;
    const std::pair<float, const char*> floats[] = {
        {3.0f, "3.0"}, {-0.0f, "-0.0"}, {-0.25f, "-0.25"}, {0.1f, "0.10000000149011612"}, {1e20f, "1.0000000200408773e+20"},
        {1e-5f, "9.9999997473787516e-06"}, {16777216.0f, "16777216.0"}, {INFINITY, "inf.0"}, {-INFINITY, "-inf.0"}};
    for (const auto& c : floats) EXPECT_EQ(String(c.first).ToCString(), c.second) << c.first;
}

TEST(String, SliceFindSplitReplace) {
    const struct { int from, term; const char* expected; } slices[] = {
        {-3, 5, "llo"}, {1, -1, "ell"}, {3, 1, ""}, {-100, 2, "He"}, {10, 20, ""}, {0, -10, ""}, {4, 100, "o"}};
    for (const auto& c : slices) EXPECT_EQ(String("Hello").Slice(c.from, c.term).ToCString(), c.expected) << c.from << ", " << c.term;
    const struct { const char* text; const char* sub; int start, expected; } finds[] = {
        {"Hello", "l", 3, 3}, {"Hello", "", 10, -1}, {"Hello", "", 5, 5}, {"Hello", "", -3, 0}, {"Hello", "lo", 4, -1},
        {"aaa", "aa", 1, 1}, {"ab", "abc", 0, -1}, {"Hello", "o", INT_MAX, -1}};
    for (const auto& c : finds) EXPECT_EQ(String(c.text).Find(String(c.sub), c.start), c.expected) << c.text << " " << c.sub << " " << c.start;
    const struct { const char* text; const char* sep; std::vector<std::string> pieces; } splits[] = {
        {"a,,b", ",", {"a", "", "b"}}, {"a,", ",", {"a", ""}}, {"", ",", {""}}, {"abc", "", {"a", "b", "c"}}, {"", "", {}},
        {"aaa", "aa", {"", "a"}}, {"a--b--c", "--", {"a", "b", "c"}}};
    for (const auto& c : splits) {
        const Array<String> parts = String(c.text).Split(String(c.sep));
        std::vector<std::string> got;
        for (int i = 0; i < parts.Length(); ++i) got.push_back(parts.Get(i).ToCString());
        EXPECT_EQ(got, c.pieces) << "'" << c.text << "' at '" << c.sep << "'";
    }
    const struct { const char* text; const char* find; const char* with; const char* expected; } replaces[] = {
        {"aaa", "aa", "b", "ba"}, {"hello", "l", "LL", "heLLLLo"}, {"xx", "x", "", ""}, {"abc", "", "y", "abc"}};
    for (const auto& c : replaces) EXPECT_EQ(String(c.text).Replace(String(c.find), String(c.with)).ToCString(), c.expected) << c.text;
}

TEST(String, CaseCompareAndIntegerConversion) {
    EXPECT_EQ(UnitsOf(Of({0xC0, 'B', 0x100, 'z'}).ToLower()), (Units{0xC0, 'b', 0x100, 'z'})) << "only A-Z change";
    EXPECT_TRUE(String("abc").StartsWith(String("ab")) && !String("ab").StartsWith(String("abc")));
    EXPECT_TRUE(String("abc").EndsWith(String("bc")) && !String("c").EndsWith(String("abc")));
    const std::pair<String, int> ints[] = {
        {String("12abc"), 12}, {String("abc"), 0}, {String("-7"), -7}, {String("  +42"), 42},
        {String(std::string(62, ' ').c_str()) + String("5"), 5},
        {String(std::string(63, ' ').c_str()) + String("5"), 0},  // the digit is unit 64
        {Of({0x131, 0x132}), 12}};                                 // units cut to their low bytes
    for (const auto& c : ints) EXPECT_EQ(c.first.ToInt(), c.second) << c.first.ToUtf8();
    const unsigned char bytes[] = {0x41, 0x80, 0xFF};
    EXPECT_EQ(UnitsOf(String(bytes, 3)), (Units{0x41, 0x80, 0xFF})) << "bytes are zero-extended";
}

TEST(String, Utf8EncodingAndEveryUnitRoundTrips) {
    const std::pair<Units, Bytes> cases[] = {
        {{0x7F}, {0x7F}}, {{0x80}, {0xC2, 0x80}}, {{0x7FF}, {0xDF, 0xBF}}, {{0x800}, {0xE0, 0xA0, 0x80}},
        {{0xFFFF}, {0xEF, 0xBF, 0xBF}}, {{0xD83D, 0xDE00}, {0xED, 0xA0, 0xBD, 0xED, 0xB8, 0x80}}};  // surrogates one by one
    for (const auto& [units, bytes] : cases) {
        Bytes out;
        Of(units).Save(out);
        EXPECT_EQ(out, bytes) << std::hex << units[0];
    }
    Units all(0x10000);
    for (unsigned i = 0; i < 0x10000; ++i) all[i] = i;
    Bytes bytes;
    Of(all).Save(bytes);
    EXPECT_EQ(UnitsOf(String::Load(bytes.data(), static_cast<int>(bytes.size()))), all) << "all 65536 units";
    EXPECT_EQ(_str_load_err.Length(), 0);
    EXPECT_EQ(Of(all).ToUtf8(), std::string(bytes.begin(), bytes.end()));
}

TEST(String, DecodeTable) {
    const struct { const char* name; Bytes bytes; Units units; bool invalid; } cases[] = {
        {"bad continuation", {0xC3, 0x28}, {0xC3, 0x28}, true},
        {"signature then A", {0xEF, 0xBB, 0xBF, 0x41}, {0x41}, false},
        {"signature kept on error", {0xEF, 0xBB, 0xBF, 0xC3}, {0xEF, 0xBB, 0xBF, 0xC3}, true},
        {"four-byte lead", {0xF0, 0x9F, 0x98, 0x80}, {0xF0, 0x9F, 0x98, 0x80}, true},
        {"lone continuation", {0x41, 0x80}, {0x41, 0x80}, true},
        {"cut three-byte", {0xE2, 0x82}, {0xE2, 0x82}, true},
        {"three-byte", {0xE2, 0x82, 0xAC, 0x21}, {0x20AC, 0x21}, false},
        {"big-endian", {0xFE, 0xFF, 0x00, 0x41, 0x20, 0xAC}, {0x41, 0x20AC}, false},
        {"little-endian, odd trailing byte", {0xFF, 0xFE, 0x41, 0x00, 0xAC, 0x20, 0x00}, {0x41, 0x20AC}, false},
        {"three-byte UTF-16", {0xFE, 0xFF, 0x00}, {}, false}};
    for (const auto& c : cases) {
        _str_load_err = String("stale");
        EXPECT_EQ(UnitsOf(String::Load(c.bytes.data(), static_cast<int>(c.bytes.size()))), c.units) << c.name;
        EXPECT_EQ(_str_load_err.ToCString(), c.invalid ? "Invalid UTF-8" : "") << c.name;
    }
}

}  // namespace
