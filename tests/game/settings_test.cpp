// The player's settings file: read back as written, each kind of damage
// refused (and the game then starts from the defaults and says so), which
// bindings may share a key, and the Options screen changing a setting by
// keys into that file alone, the state file's text as it was.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "tests/testhost/test_game.h"

namespace {

constexpr int kRight = 39, kDown = 40, kEnter = 13;

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    return text.replace(text.find(from), from.size(), to);
}

// The check line made right for a body, as an editor that knows the format would.
std::string Checked(const std::string& body) {
    const uint32_t crc = kp_replay_Crc32(reinterpret_cast<const unsigned char*>(body.data()), body.size());
    char line[32];
    std::snprintf(line, sizeof line, "check %08x\n", crc);
    return body + line;
}
std::string Body(const std::string& text) { return text.substr(0, text.rfind("check ")); }

TEST(SettingsFile, ReadsBackWhatItWritesAndRefusesEachDamage) {
    PlayerSettings s = kp_settings_Defaults(false);
    s.speed = 70;
    s.gripToggled = s.calm = s.leftHanded = s.music = true;
    s.touchSize = 150;
    s.touchOpacity = 55;
    s.effectsVolume = 40;
    s.musicVolume = 0;
    s.bindings[kBindWalkLeft].keys[1] = 'Q';
    const std::string text = kp_settings_Encode(s);
    PlayerSettings read;
    ASSERT_TRUE(kp_settings_Decode(text, false, &read)) << text;
    EXPECT_EQ(kp_settings_Encode(read), text);

    const struct {
        const char* what;
        std::string text;
        bool valid;
    } rows[] = {
        {"a value edited, its check not", Replaced(text, "speed 70", "speed 60"), false},
        {"a value edited and checked", Checked(Replaced(Body(text), "speed 70", "speed 60")), true},
        {"a speed between the steps", Checked(Replaced(Body(text), "speed 70", "speed 75")), false},
        {"a speed below the slowest", Checked(Replaced(Body(text), "speed 70", "speed 40")), false},
        {"a switch's word unknown", Checked(Replaced(Body(text), "calm on", "calm maybe")), false},
        {"another version", Checked(Replaced(Body(text), "settings 1", "settings 2")), false},
        {"a line of a later version", Checked(Body(text) + "sparkles 3\n"), true},
        {"a line missing keeps its default", Checked(Replaced(Body(text), "music on\n", "")), true},
        {"a binding's keys in conflict", Checked(Replaced(Body(text), "jump-1 88", "jump-1 81")), false},
        {"a mouse button bound", Checked(Replaced(Body(text), "jump-1 88", "jump-1 1")), false},
        {"no check line", Body(text), false},
        {"empty", "", false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(kp_settings_Decode(row.text, false, &read), row.valid) << row.what;
        if (!row.valid) {
            EXPECT_EQ(kp_settings_Encode(read), kp_settings_Encode(kp_settings_Defaults(false))) << row.what;
        }
    }
    ASSERT_TRUE(kp_settings_Decode(Checked(Replaced(Body(text), "music on\n", "")), true, &read));
    EXPECT_FALSE(read.music) << "a missing line takes its default";
}

// Keys the menus take as confirm may also grip or jump; pause may share with back.
TEST(SettingsFile, OnlyActionsThatNeverActAtOnceShareAKey) {
    const struct {
        int action, other;
        bool share;
    } rows[] = {
        {kBindConfirm, kBindGrip, true},   {kBindConfirm, kBindJump1, true}, {kBindJump2, kBindConfirm, true},
        {kBindPause, kBindBack, true},     {kBindJump1, kBindWalkLeft, false}, {kBindGrip, kBindJump1, false},
        {kBindBack, kBindConfirm, false},  {kBindPause, kBindClimbUp, false},
    };
    for (const auto& row : rows) {
        PlayerSettings s = kp_settings_Defaults(false);
        const int code = s.bindings[row.other].keys[0];
        EXPECT_EQ(kp_settings_ConflictOf(s, row.action, code), row.share ? -1 : row.other)
            << kp_settings_ActionName(row.action) << " with " << kp_settings_ActionName(row.other);
    }
}

class PlayerSettingsAtStart : public testing::Test {
protected:
    TestGame& game = TestGame::Shared();
    c_MyApp& app = game.app();
    const std::string path = game.host().BesideStatePath(".zephyrsettings");

    std::string Loaded(const std::string& text) {
        EXPECT_TRUE(WriteFile(path, text));
        testing::internal::CaptureStdout();
        app.p_LoadPlayerSettings();
        return testing::internal::GetCapturedStdout();
    }
    void TearDown() override {
        app.m_playerSettings = kp_settings_Defaults(false);
        std::remove(path.c_str());
    }
};

TEST_F(PlayerSettingsAtStart, AWholeFileLoadsAndADamagedOneIsResetAndSaid) {
    PlayerSettings s = kp_settings_Defaults(false);
    s.speed = 60;
    const std::string text = kp_settings_Encode(s);
    EXPECT_EQ(Loaded(text), "Player Settings Loaded\n");
    EXPECT_EQ(app.m_playerSettings.speed, 60);
    EXPECT_EQ(Loaded(Replaced(text, "speed 60", "speed 70")), "Player Settings Invalid: damaged or not a settings file, reset\n");
    EXPECT_EQ(app.m_playerSettings.speed, kSpeedNormal);
    EXPECT_EQ(ReadFile(path), kp_settings_Encode(kp_settings_Defaults(false))) << "written again whole";
}

// The game speed changed on the Options screen by keys: into the settings
// file, never into the state file.
TEST_F(PlayerSettingsAtStart, AnOptionChangedByKeysGoesIntoTheSettingsFileAlone) {
    app.m_screen = kScreenMenu;
    game.Step();
    app.p_Save();
    const std::string state = ReadFile(game.stateFile());
    app.p_OpenSettingsScreen(kScreenOptions);
    game.Step();
    for (int key : {kDown, kDown}) game.PressKey(key);   // Controls, Grip, Game speed
    game.PressKey(kEnter);                                // steps up and wraps: 100 % to 50 %
    game.PressKey(kRight);                                // 60 %
    EXPECT_EQ(app.m_playerSettings.speed, 60);
    PlayerSettings read;
    ASSERT_TRUE(kp_settings_Decode(ReadFile(path), false, &read));
    EXPECT_EQ(read.speed, 60) << "saved at once";
    app.p_Save();
    EXPECT_EQ(ReadFile(game.stateFile()), state) << "the state file's text is as it was";
    app.p_LeaveSettingsScreen();
}

}  // namespace
