// Strings: conversions, slicing, searching, splitting, replacing, sharing,
// the UTF-8 / UTF-16 load and save paths, and the array handle basics.
#include "runtime/string.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// Readable form of a string's units for failure messages: ASCII as is, others as \uXXXX.
std::string Show(const String& s) {
    std::string out = "'";
    for (int i = 0; i < s.Length(); ++i) {
        char buf[16];
        std::snprintf(buf, sizeof buf, s[i] >= 0x20 && s[i] < 0x7f ? "%c" : "\\u%04x", unsigned(s[i]));
        out += buf;
    }
    return out + "'";
}

String Units(std::vector<unsigned> units) {
    std::vector<Char> v(units.begin(), units.end());
    return String(v.data(), static_cast<int>(v.size()));
}

TEST(String, NumberFormats) {
    const std::pair<int, const char*> ints[] = {{0, "0"}, {-5, "-5"}, {INT_MAX, "2147483647"}, {INT_MIN, "-2147483648"}};
    for (const auto& c : ints) EXPECT_EQ(String(c.first).ToCString(), c.second) << c.first;
    const std::pair<float, const char*> floats[] = {
        {2.0f, "2.0"}, {3.0f, "3.0"}, {-0.0f, "-0.0"}, {-0.25f, "-0.25"}, {0.1f, "0.10000000149011612"},
        {1e20f, "1.0000000200408773e+20"}, {1e-5f, "9.9999997473787516e-06"}, {16777216.0f, "16777216.0"},
        {INFINITY, "inf.0"}, {-INFINITY, "-inf.0"}};
    for (const auto& c : floats) EXPECT_EQ(String(c.first).ToCString(), c.second) << c.first;
}

TEST(String, SliceFindSplitReplace) {
    const struct { int from, term; const char* expected; } slices[] = {
        {-3, 5, "llo"}, {1, -1, "ell"}, {3, 1, ""}, {2, 2, ""}, {-100, 2, "He"}, {10, 20, ""}, {0, -10, ""},
        {4, 100, "o"}};
    for (const auto& c : slices) {
        EXPECT_EQ(String("Hello").Slice(c.from, c.term).ToCString(), c.expected) << c.from << ", " << c.term;
    }
    const struct { const char* text; const char* sub; int start, expected; } finds[] = {
        {"Hello", "l", 3, 3}, {"Hello", "", 10, -1}, {"Hello", "", 2, 2}, {"Hello", "", 5, 5}, {"Hello", "", -3, 0},
        {"Hello", "lo", 4, -1}, {"aaa", "aa", 1, 1}, {"", "", 0, 0}, {"ab", "abc", 0, -1}, {"Hello", "o", INT_MAX, -1}};
    for (const auto& c : finds) {
        EXPECT_EQ(String(c.text).Find(String(c.sub), c.start), c.expected) << c.text << " " << c.sub << " " << c.start;
    }
    const struct { const char* text; const char* sep; std::vector<std::string> pieces; } splits[] = {
        {"a,,b", ",", {"a", "", "b"}}, {"a,", ",", {"a", ""}}, {"", ",", {""}}, {"abc", "", {"a", "b", "c"}},
        {"", "", {}}, {"aaa", "aa", {"", "a"}}, {"a--b--c", "--", {"a", "b", "c"}}};
    for (const auto& c : splits) {
        Array<String> parts = String(c.text).Split(String(c.sep));
        std::vector<std::string> got;
        for (int i = 0; i < parts.Length(); ++i) got.push_back(parts.Get(i).ToCString());
        EXPECT_EQ(got, c.pieces) << "'" << c.text << "' at '" << c.sep << "'";
    }
    const struct { const char* text; const char* find; const char* with; const char* expected; } replaces[] = {
        {"aaa", "aa", "b", "ba"}, {"hello", "l", "LL", "heLLLLo"}, {"xx", "x", "", ""}, {"abcabc", "bc", "-", "a-a-"},
        {"abc", "", "y", "abc"}};
    for (const auto& c : replaces) {
        EXPECT_EQ(String(c.text).Replace(String(c.find), String(c.with)).ToCString(), c.expected) << c.text;
    }
}

// Operations that return their operand unchanged share it instead of copying.
TEST(String, UnchangedResultsShareTheRepresentation) {
    const String s("abc");
    EXPECT_TRUE(s.Slice(0, 100).SharesRep(s));
    EXPECT_TRUE(s.Slice(-3).SharesRep(s));
    EXPECT_FALSE(s.Slice(1).SharesRep(s));
    EXPECT_TRUE(s.ToLower().SharesRep(s));
    EXPECT_TRUE((s + String()).SharesRep(s));
    EXPECT_TRUE((String() + s).SharesRep(s));
    EXPECT_TRUE(s.Replace(String("x"), String("y")).SharesRep(s));
    EXPECT_TRUE(s.Split(String(",")).Get(0).SharesRep(s));
    String self("self");
    const String& alias = self;
    self = alias;
    EXPECT_EQ(self.ToCString(), "self") << "self-assignment must keep the text";
}

TEST(String, CaseCompareAndIntegerConversion) {
    EXPECT_TRUE(Units({0xC0, 'B', 0x100, 'z'}).ToLower() == Units({0xC0, 'b', 0x100, 'z'})) << "only A-Z change";
    EXPECT_TRUE(String("abc").StartsWith(String("ab")) && !String("ab").StartsWith(String("abc")));
    EXPECT_TRUE(String("abc").EndsWith(String("bc")) && !String("c").EndsWith(String("abc")));
    EXPECT_FALSE(String("abc") == String("ab"));
    const std::pair<String, int> ints[] = {
        {String("12abc"), 12}, {String("abc"), 0}, {String("-7"), -7}, {String("  +42"), 42},
        {String(std::string(62, ' ').c_str()) + String("5"), 5},
        {String(std::string(63, ' ').c_str()) + String("5"), 0},  // the digit is unit 64
        {Units({0x131, 0x132}), 12}};                              // units cut to their low bytes
    for (const auto& c : ints) EXPECT_EQ(c.first.ToInt(), c.second) << Show(c.first);
    const unsigned char bytes[] = {0x41, 0x80, 0xFF};
    EXPECT_TRUE(String(bytes, 3) == Units({0x41, 0x80, 0xFF})) << "bytes are zero-extended";
}

std::vector<unsigned char> Utf8(const String& s) {
    std::vector<unsigned char> out;
    s.Save(out);
    return out;
}

TEST(String, Utf8EncodingAndEveryUnitRoundTrips) {
    const struct { std::vector<unsigned> units; std::vector<unsigned char> bytes; } cases[] = {
        {{0x7F}, {0x7F}}, {{0x80}, {0xC2, 0x80}}, {{0x7FF}, {0xDF, 0xBF}}, {{0x800}, {0xE0, 0xA0, 0x80}},
        {{0xFFFF}, {0xEF, 0xBF, 0xBF}}, {{0x0}, {0x0}}, {{}, {}},
        {{0xD83D, 0xDE00}, {0xED, 0xA0, 0xBD, 0xED, 0xB8, 0x80}}};  // each surrogate on its own
    for (const auto& c : cases) EXPECT_EQ(Utf8(Units(c.units)), c.bytes) << Show(Units(c.units));
    std::vector<Char> all(0x10000);
    for (int i = 0; i < 0x10000; ++i) all[static_cast<size_t>(i)] = static_cast<Char>(i);
    const String every(all.data(), 0x10000);
    const std::vector<unsigned char> bytes = Utf8(every);
    EXPECT_TRUE(String::Load(bytes.data(), static_cast<int>(bytes.size())) == every) << "all 65536 units";
    EXPECT_EQ(_str_load_err.Length(), 0);
    EXPECT_EQ(every.ToUtf8(), std::string(bytes.begin(), bytes.end()));
}

TEST(String, DecodeTable) {
    const struct { const char* name; std::vector<unsigned char> bytes; std::vector<unsigned> units; bool invalid; } cases[] = {
        {"bad continuation", {0xC3, 0x28}, {0xC3, 0x28}, true},
        {"signature then A", {0xEF, 0xBB, 0xBF, 0x41}, {0x41}, false},
        {"signature kept on error", {0xEF, 0xBB, 0xBF, 0xC3}, {0xEF, 0xBB, 0xBF, 0xC3}, true},
        {"four-byte lead", {0xF0, 0x9F, 0x98, 0x80}, {0xF0, 0x9F, 0x98, 0x80}, true},
        {"lone continuation", {0x41, 0x80}, {0x41, 0x80}, true},
        {"cut three-byte", {0xE2, 0x82}, {0xE2, 0x82}, true},
        {"three-byte", {0xE2, 0x82, 0xAC, 0x21}, {0x20AC, 0x21}, false},
        {"big-endian", {0xFE, 0xFF, 0x00, 0x41, 0x20, 0xAC}, {0x41, 0x20AC}, false},
        {"little-endian", {0xFF, 0xFE, 0x41, 0x00, 0xAC, 0x20}, {0x41, 0x20AC}, false},
        {"odd trailing byte", {0xFE, 0xFF, 0x00, 0x41, 0x00}, {0x41}, false},
        {"three-byte UTF-16", {0xFE, 0xFF, 0x00}, {}, false},
        {"latin-1 text", {0x63, 0x61, 0x66, 0xE9}, {0x63, 0x61, 0x66, 0xE9}, true}};
    for (const auto& c : cases) {
        _str_load_err = String("stale");
        const String got = String::Load(c.bytes.data(), static_cast<int>(c.bytes.size()));
        EXPECT_TRUE(got == Units(c.units)) << c.name << ": got " << Show(got);
        EXPECT_EQ(_str_load_err.ToCString(), c.invalid ? "Invalid UTF-8" : "") << c.name;
    }
}

TEST(String, FilesLoadAcrossBlocksAndSave) {
    for (size_t size : {size_t{0}, size_t{4095}, size_t{4096}, size_t{10000}}) {
        FILE* f = std::tmpfile();
        ASSERT_NE(f, nullptr);
        const std::string text = std::string(size, 'a') + "\xC3\xA9";
        std::fwrite(text.data(), 1, text.size(), f);
        std::rewind(f);
        const String got = String::Load(f);
        std::fclose(f);
        ASSERT_EQ(got.Length(), static_cast<int>(size) + 1) << text.size() << " bytes";
        EXPECT_EQ(got[got.Length() - 1], 0xE9) << text.size() << " bytes";
    }
    FILE* f = std::tmpfile();
    ASSERT_TRUE(f && Units({'x', 0xE9, 0x20AC}).Save(f));
    std::rewind(f);
    unsigned char buf[16] = {};
    const size_t n = std::fread(buf, 1, sizeof buf, f);
    std::fclose(f);
    EXPECT_EQ(std::vector<unsigned char>(buf, buf + n), (std::vector<unsigned char>{'x', 0xC3, 0xA9, 0xE2, 0x82, 0xAC}));
}

TEST(Array, ZeroFillResizeAndSharedEmpty) {
    Array<int> ints(3);
    ints[1] = 7;
    const Array<int> longer = ints.Resize(5);
    EXPECT_EQ((std::vector<int>{longer[0], longer[1], longer[4], longer.Length(), ints.Length()}),
              (std::vector<int>{0, 7, 0, 5, 3})) << "zero-filled copy; the old array is unchanged";
    for (const Array<int>& empty : {ints.Resize(0), ints.Resize(-4), Array<int>(0), Array<int>(-1)}) {
        EXPECT_EQ(empty.GetRep(), Array<int>().GetRep()) << "lengths below 1 share the empty array";
    }
    Array<String> strings(2);
    strings[1] = String("x");
    EXPECT_EQ(Array<String>(strings.Data(), 2)[1].ToCString(), "x");
    EXPECT_EQ(strings[0].Length(), 0);
}

}  // namespace
