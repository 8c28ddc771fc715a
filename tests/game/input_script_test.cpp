// The solver's input scripts: runs of key sets and their text form.
#include <gtest/gtest.h>

#include <string>

#include "tools/solver/input_script.h"

TEST(InputScript, MergesRunsAndReadsKeysByUpdate) {
    InputScript script;
    script.Append(0, 50);
    script.Append(kScriptRight, 1);
    script.Append(kScriptRight, 2);
    script.Append(kScriptGrip | kScriptJumpLeft | kScriptLeft, 1);
    script.Append(kScriptGrip, 0);   // an empty run adds nothing
    ASSERT_EQ(3u, script.Runs().size());
    EXPECT_EQ(54, script.Updates());
    const struct {
        int update;
        unsigned keys;
    } cases[] = {{0, 0}, {49, 0}, {50, kScriptRight}, {52, kScriptRight},
                 {53, kScriptGrip | kScriptJumpLeft | kScriptLeft}, {54, 0}};
    for (const auto& c : cases) EXPECT_EQ(c.keys, script.KeysAt(c.update)) << "update " << c.update;
}

TEST(InputScript, TextRoundTrip) {
    InputScript script;
    script.Append(0, 50);
    script.Append(kScriptUp | kScriptGrip, 7);
    script.Append(kScriptJumpRight | kScriptRight, 1);
    const std::string text = script.ToText();
    EXPECT_EQ("50 -\n7 up grip\n1 right jumpr\n", text);
    InputScript back;
    std::string error;
    ASSERT_TRUE(back.FromText("# comment\n" + text, &error)) << error;
    EXPECT_EQ(text, back.ToText());
}

TEST(InputScript, RejectsMalformedLines) {
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"0 left\n", "line 1: expected a positive update count"},
        {"-3 left\n", "line 1: expected a positive update count"},
        {"x\n", "line 1: expected a positive update count"},
        {"5 -\n4 sideways\n", "line 2: unknown key \"sideways\""},
    };
    for (const auto& c : cases) {
        InputScript script;
        std::string error;
        EXPECT_FALSE(script.FromText(c.text, &error)) << c.text;
        EXPECT_EQ(c.error, error) << c.text;
    }
}

TEST(InputScript, HostCodesAreTheKeyboardControls) {
    const int expected[kScriptKeyCount] = {37, 39, 38, 40, 90, 88, 67};
    for (int bit = 0; bit < kScriptKeyCount; ++bit) EXPECT_EQ(expected[bit], ScriptKeyHostCode(bit)) << ScriptKeyName(bit);
    EXPECT_EQ(-1, ScriptKeyHostCode(kScriptKeyCount));
}
