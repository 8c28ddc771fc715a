// Strings: conversions, slicing, searching, splitting, replacing and the
// UTF-8 / UTF-16 load and save paths, plus the array handle basics.
#include "runtime/string.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// Readable form of a string's units for failure messages: ASCII as is, others as \uXXXX.
std::string Show(const String& s) {
    std::string out;
    for (int i = 0; i < s.Length(); ++i) {
        unsigned u = s[i];
        if (u >= 0x20 && u < 0x7f) {
            out.push_back(static_cast<char>(u));
        } else {
            char buf[16];
            std::snprintf(buf, sizeof buf, "\\u%04x", u);
            out += buf;
        }
    }
    return "'" + out + "'";
}

String Units(std::initializer_list<unsigned> units) {
    std::vector<Char> v;
    for (unsigned u : units) v.push_back(static_cast<Char>(u));
    return String(v.data(), static_cast<int>(v.size()));
}

std::vector<std::string> Pieces(const Array<String>& parts) {
    std::vector<std::string> out;
    for (int i = 0; i < parts.Length(); ++i) out.push_back(parts.Get(i).ToCString());
    return out;
}

TEST(StringFormat, IntegersAndFloats) {
    struct IntCase {
        int value;
        const char* expected;
    };
    for (const IntCase& c : {IntCase{0, "0"}, IntCase{-5, "-5"}, IntCase{INT_MAX, "2147483647"},
                             IntCase{INT_MIN, "-2147483648"}}) {
        EXPECT_EQ(String(c.value).ToCString(), c.expected) << "int " << c.value;
    }
    struct FloatCase {
        float value;
        const char* expected;
    };
    const FloatCase floats[] = {
        {2.0f, "2.0"},
        {3.0f, "3.0"},
        {0.0f, "0.0"},
        {-0.0f, "-0.0"},
        {0.5f, "0.5"},
        {-0.25f, "-0.25"},
        {0.1f, "0.10000000149011612"},
        {123456.0f, "123456.0"},
        {1e20f, "1.0000000200408773e+20"},  // exponent form: no ".0" added
        {1e-5f, "9.9999997473787516e-06"},
        {16777216.0f, "16777216.0"},
        {INFINITY, "inf.0"},
        {-INFINITY, "-inf.0"},
    };
    for (const FloatCase& c : floats) {
        EXPECT_EQ(String(c.value).ToCString(), c.expected) << "float " << c.value;
    }
}

TEST(StringSlice, ClampsAndShares) {
    const String hello("Hello");
    struct Case {
        int from, term;
        const char* expected;
    };
    const Case cases[] = {
        {-3, 5, "llo"}, {1, -1, "ell"}, {3, 1, ""},   {2, 2, ""},   {-100, 2, "He"},
        {10, 20, ""},   {0, -10, ""},   {4, 100, "o"}, {-1, 5, "o"}, {0, 1, "H"},
    };
    for (const Case& c : cases) {
        String got = hello.Slice(c.from, c.term);
        EXPECT_EQ(got.ToCString(), c.expected) << "Slice(" << c.from << ", " << c.term << ")";
    }
    EXPECT_EQ(hello.Slice(-3).ToCString(), "llo");
    EXPECT_TRUE(hello.Slice(0, 100).SharesRep(hello)) << "whole slice must share";
    EXPECT_TRUE(hello.Slice(-5).SharesRep(hello)) << "whole slice from -L must share";
    EXPECT_FALSE(hello.Slice(1).SharesRep(hello));
}

TEST(StringFind, Table) {
    struct Case {
        const char* text;
        const char* sub;
        int start;
        int expected;
    };
    const Case cases[] = {
        {"Hello", "l", 0, 2},   {"Hello", "l", 3, 3},  {"Hello", "", 10, -1}, {"Hello", "", 2, 2},
        {"Hello", "", 5, 5},    {"Hello", "", -3, 0},  {"Hello", "lo", 4, -1}, {"Hello", "lo", 3, 3},
        {"Hello", "H", -5, 0},  {"aaa", "aa", 1, 1},   {"Hello", "xyz", 0, -1}, {"", "", 0, 0},
        {"", "a", 0, -1},       {"ab", "abc", 0, -1},  {"Hello", "o", INT_MAX, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(String(c.text).Find(String(c.sub), c.start), c.expected)
            << "Find('" << c.sub << "', " << c.start << ") in '" << c.text << "'";
    }
}

TEST(StringSplit, Table) {
    struct Case {
        const char* text;
        const char* sep;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"a,,b", ",", {"a", "", "b"}},
        {"a,", ",", {"a", ""}},
        {",a", ",", {"", "a"}},
        {"", ",", {""}},
        {"abc", "", {"a", "b", "c"}},
        {"", "", {}},
        {"aaa", "aa", {"", "a"}},
        {"a--b--c", "--", {"a", "b", "c"}},
        {"abc", "x", {"abc"}},
        {",", ",", {"", ""}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Pieces(String(c.text).Split(String(c.sep))), c.expected)
            << "Split('" << c.text << "', '" << c.sep << "')";
    }
    const String text("no separator here");
    EXPECT_TRUE(text.Split(String(",")).Get(0).SharesRep(text)) << "no match must share";
}

TEST(StringReplace, Table) {
    struct Case {
        const char* text;
        const char* find;
        const char* replacement;
        const char* expected;
    };
    const Case cases[] = {
        {"aaa", "aa", "b", "ba"},        {"a,b,c", ",", "", "abc"},   {"hello", "l", "LL", "heLLLLo"},
        {"xx", "x", "", ""},             {"abc", "abc", "z", "z"},    {"abcabc", "bc", "-", "a-a-"},
        {"abc", "x", "y", "abc"},        {"abc", "", "y", "abc"},     {"", "a", "b", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(String(c.text).Replace(String(c.find), String(c.replacement)).ToCString(), c.expected)
            << "Replace('" << c.find << "', '" << c.replacement << "') in '" << c.text << "'";
    }
    const String text("unchanged");
    EXPECT_TRUE(text.Replace(String("x"), String("y")).SharesRep(text));
    EXPECT_TRUE(text.Replace(String(""), String("y")).SharesRep(text));
}

TEST(StringToInt, AtoiOfFirst63Units) {
    struct Case {
        String text;
        int expected;
    };
    const Case cases[] = {
        {String("12abc"), 12},
        {String("abc"), 0},
        {String("-7"), -7},
        {String("  42"), 42},
        {String("+3"), 3},
        {String(""), 0},
        {String(std::string(62, ' ').c_str()) + String("5"), 5},
        {String(std::string(63, ' ').c_str()) + String("5"), 0},  // the digit is unit 64
        {Units({0x131, 0x132}), 12},                             // units cut to their low bytes
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.text.ToInt(), c.expected) << Show(c.text);
    }
}

TEST(StringOps, LowerConcatCompare) {
    EXPECT_EQ(String("HeLLo 1Z").ToLower().ToCString(), "hello 1z");
    const String lower("already lower");
    EXPECT_TRUE(lower.ToLower().SharesRep(lower));
    String mixed = Units({0xC0, 'B', 0x100, 0x41});
    EXPECT_TRUE(mixed.ToLower() == Units({0xC0, 'b', 0x100, 0x61})) << Show(mixed.ToLower());

    const String a("abc");
    EXPECT_TRUE((a + String()).SharesRep(a));
    EXPECT_TRUE((String() + a).SharesRep(a));
    EXPECT_EQ((a + String("de")).ToCString(), "abcde");

    EXPECT_TRUE(String("abc") == String("abc"));
    EXPECT_FALSE(String("abc") == String("abd"));
    EXPECT_FALSE(String("abc") == String("ab"));
    EXPECT_TRUE(String("abc").StartsWith(String("ab")));
    EXPECT_FALSE(String("ab").StartsWith(String("abc")));
    EXPECT_TRUE(String("abc").EndsWith(String("bc")));
    EXPECT_FALSE(String("abc").EndsWith(String("ab")));
    EXPECT_FALSE(String("c").EndsWith(String("abc")));

    String self("self");
    const String& alias = self;
    self = alias;
    EXPECT_EQ(self.ToCString(), "self") << "self-assignment must keep the text";
    EXPECT_TRUE(String().SharesRep(String(static_cast<const Char*>(nullptr), 0)));
}

TEST(StringBytes, ByteConstructorsZeroExtend) {
    const unsigned char bytes[] = {0x41, 0x80, 0xE9, 0xFF};
    String s(bytes, 4);
    EXPECT_TRUE(s == Units({0x41, 0x80, 0xE9, 0xFF})) << Show(s);
    EXPECT_EQ(Units({0x141, 0xE9}).ToCString(), std::string("A\xE9"));
}

std::vector<unsigned char> Utf8(const String& s) {
    std::vector<unsigned char> out;
    s.Save(out);
    return out;
}

TEST(StringUtf8, EncodeAndRoundTrip) {
    struct Case {
        std::initializer_list<unsigned> units;
        std::vector<unsigned char> bytes;
    };
    const Case cases[] = {
        {{0x41}, {0x41}},
        {{0x7F}, {0x7F}},
        {{0x80}, {0xC2, 0x80}},
        {{0xE9}, {0xC3, 0xA9}},
        {{0x7FF}, {0xDF, 0xBF}},
        {{0x800}, {0xE0, 0xA0, 0x80}},
        {{0x20AC}, {0xE2, 0x82, 0xAC}},
        {{0xFFFF}, {0xEF, 0xBF, 0xBF}},
        {{0xD83D, 0xDE00}, {0xED, 0xA0, 0xBD, 0xED, 0xB8, 0x80}},  // each surrogate on its own
        {{0x0}, {0x0}},
        {{}, {}},
    };
    for (const Case& c : cases) {
        String s = Units(c.units);
        EXPECT_EQ(Utf8(s), c.bytes) << Show(s);
        String back = String::Load(c.bytes.data(), static_cast<int>(c.bytes.size()));
        EXPECT_TRUE(back == s) << "round trip of " << Show(s) << " gave " << Show(back);
        EXPECT_EQ(_str_load_err.Length(), 0) << Show(s);
    }
    // Every unit value survives a round trip.
    std::vector<Char> all(0x10000);
    for (int i = 0; i < 0x10000; ++i) all[static_cast<size_t>(i)] = static_cast<Char>(i);
    String every(all.data(), 0x10000);
    std::vector<unsigned char> bytes = Utf8(every);
    EXPECT_TRUE(String::Load(bytes.data(), static_cast<int>(bytes.size())) == every);
    EXPECT_EQ(every.ToUtf8(), std::string(bytes.begin(), bytes.end()));
}

TEST(StringUtf8, DecodeTable) {
    struct Case {
        const char* name;
        std::vector<unsigned char> bytes;
        std::vector<unsigned> units;
        bool invalid;
    };
    const Case cases[] = {
        {"bad continuation", {0xC3, 0x28}, {0xC3, 0x28}, true},
        {"signature then A", {0xEF, 0xBB, 0xBF, 0x41}, {0x41}, false},
        {"signature kept on error", {0xEF, 0xBB, 0xBF, 0xC3}, {0xEF, 0xBB, 0xBF, 0xC3}, true},
        {"signature only", {0xEF, 0xBB, 0xBF}, {}, false},
        {"four-byte lead", {0xF0, 0x9F, 0x98, 0x80}, {0xF0, 0x9F, 0x98, 0x80}, true},
        {"lone continuation", {0x41, 0x80}, {0x41, 0x80}, true},
        {"cut three-byte", {0xE2, 0x82}, {0xE2, 0x82}, true},
        {"cut two-byte", {0x41, 0xC3}, {0x41, 0xC3}, true},
        {"three-byte", {0xE2, 0x82, 0xAC, 0x21}, {0x20AC, 0x21}, false},
        {"big-endian", {0xFE, 0xFF, 0x00, 0x41, 0x20, 0xAC}, {0x41, 0x20AC}, false},
        {"little-endian", {0xFF, 0xFE, 0x41, 0x00, 0xAC, 0x20}, {0x41, 0x20AC}, false},
        {"odd trailing byte", {0xFE, 0xFF, 0x00, 0x41, 0x00}, {0x41}, false},
        {"three-byte UTF-16", {0xFE, 0xFF, 0x00}, {}, false},
        {"bare mark", {0xFF, 0xFE}, {}, false},
        {"empty", {}, {}, false},
        {"latin-1 text", {0x63, 0x61, 0x66, 0xE9}, {0x63, 0x61, 0x66, 0xE9}, true},
    };
    for (const Case& c : cases) {
        _str_load_err = String("stale");
        String got = String::Load(c.bytes.data(), static_cast<int>(c.bytes.size()));
        std::vector<unsigned> units;
        for (int i = 0; i < got.Length(); ++i) units.push_back(got[i]);
        EXPECT_EQ(units, c.units) << c.name << ": got " << Show(got);
        EXPECT_EQ(_str_load_err.ToCString(), c.invalid ? "Invalid UTF-8" : "") << c.name;
    }
}

TEST(StringFile, LoadsAcrossBlocksAndSaves) {
    for (size_t size : {size_t{0}, size_t{4095}, size_t{4096}, size_t{4097}, size_t{10000}}) {
        FILE* f = std::tmpfile();
        ASSERT_NE(f, nullptr);
        std::string text(size, 'a');
        text += "\xC3\xA9";
        std::fwrite(text.data(), 1, text.size(), f);
        std::rewind(f);
        String got = String::Load(f);
        std::fclose(f);
        ASSERT_EQ(got.Length(), static_cast<int>(size) + 1) << "file of " << text.size() << " bytes";
        EXPECT_EQ(got[got.Length() - 1], 0xE9) << "file of " << text.size() << " bytes";
    }
    FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(Units({'x', 0xE9, 0x20AC}).Save(f));
    std::rewind(f);
    unsigned char buf[16] = {};
    size_t n = std::fread(buf, 1, sizeof buf, f);
    std::fclose(f);
    EXPECT_EQ(std::vector<unsigned char>(buf, buf + n),
              (std::vector<unsigned char>{'x', 0xC3, 0xA9, 0xE2, 0x82, 0xAC}));
}

TEST(ArrayHandle, ZeroFillResizeAndSharedEmpty) {
    Array<int> ints(3);
    ASSERT_EQ(ints.Length(), 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(ints[i], 0) << "element " << i;
    ints[1] = 7;
    Array<int> alias = ints;
    EXPECT_EQ(alias[1], 7) << "handles share the representation";

    Array<int> longer = ints.Resize(5);
    EXPECT_EQ(longer.Length(), 5);
    EXPECT_EQ(longer[1], 7);
    EXPECT_EQ(longer[4], 0);
    EXPECT_EQ(ints.Length(), 3) << "Resize leaves the old array alone";
    EXPECT_EQ(ints.Resize(1)[0], 0);
    EXPECT_EQ(ints.Resize(0).GetRep(), Array<int>().GetRep());
    EXPECT_EQ(ints.Resize(-4).GetRep(), Array<int>().GetRep());
    EXPECT_EQ(Array<int>(0).GetRep(), Array<int>().GetRep());
    EXPECT_EQ(Array<int>(-1).GetRep(), Array<int>().GetRep());

    Array<String> strings(2);
    EXPECT_EQ(strings[0].Length(), 0);
    strings[1] = String("x");
    Array<String> copy(strings.Data(), 2);
    EXPECT_EQ(copy[1].ToCString(), "x");
    EXPECT_EQ(Array<String>(strings.Data(), 0).GetRep(), Array<String>().GetRep());

    const float values[] = {1.5f, -2.0f};
    Array<float> floats(values, 2);
    EXPECT_EQ(floats[0], 1.5f);
    EXPECT_EQ(floats[1], -2.0f);
    Array<bool> flags(2);
    EXPECT_FALSE(flags[0]);
}

}  // namespace
