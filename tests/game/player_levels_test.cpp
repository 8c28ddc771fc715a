// Player's levels on the shared game: the fifteen levels as files and links
// with their committed solver runs as proofs; the editor's test-play, which
// proves a level only when cleared from its start on the map as it stands and
// always comes back to the editor; a proved level's best run kept by its own
// hash, apart from the fifteen levels' records.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "game/world/level_map.h"
#include "game/world/level_store.h"
#include "tests/testhost/test_game.h"

namespace {

using Bytes = std::vector<unsigned char>;
constexpr int kKeyT = 'T', kKeyG = 'G', kKeyZ = 'Z', kKeyEscape = 27, kKeyUp = 38;
constexpr int kPanelRise = 15;
constexpr int kBackWithin = 200;   // updates: the exit sequence or a death, then the editor

InputScript Script(int level) {
    const char* folder = std::getenv("GLIMMER_SOLUTIONS");
    char name[32];
    std::snprintf(name, sizeof name, "/level%02d.keys", level);
    InputScript script;
    std::string error;
    EXPECT_TRUE(folder && script.Load(folder + std::string(name), &error)) << "GLIMMER_SOLUTIONS: " << error;
    return script;
}

LevelFile StoredLevel(int n) {
    LevelFile level;
    EXPECT_TRUE(kp_level_Decode(kp_Levels_FetchLevel(n).ToCString(), &level.map));
    level.name = "Level " + std::to_string(n);
    level.maker = "Glimmer";
    return level;
}

class PlayerLevels : public testing::Test {
protected:
    TestGame& game = TestGame::Shared();
    c_MyApp& app = game.app();

    void SetUp() override {
        app.m_settings[3] = 1;  // no tutorial
        app.m_settings[1] = 1;  // the scheme of the solver's scripts
        app.m_screen = kScreenMenu;
    }

    // Level n with its committed script recorded on it as the proof.
    LevelFile Proved(int n) {
        LevelFile level = StoredLevel(n);
        app.m_playerMap = level.map;
        app.m_playerPlay = PlayerLevelPlay();
        app.m_playerPlay.hash = kp_level_Hash(level.map);
        Replay run;
        const InputScript script = Script(n);
        for (const ScriptRun& step : script.Runs()) run.Append(step.keys, step.updates);
        EXPECT_TRUE(app.p_RecordReplay(&run)) << "level " << n << "'s script on its map as a player's level";
        level.proof = kp_replay_Encode(run);
        return level;
    }

    void BackTo(int screen) {
        for (int i = 0; i < kBackWithin && app.m_screen != screen; ++i) game.Step();
        ASSERT_EQ(app.m_screen, screen);
    }
};

TEST_F(PlayerLevels, TheFifteenLevelsMakeProvedFilesAndLinksThatReadBackWhole) {
    for (int n = 1; n <= 15; ++n) {
        const LevelFile level = Proved(n);
        const Bytes file = kp_levelfile_Encode(level);
        Bytes linked;
        ASSERT_TRUE(kp_replay_FromLinkText(kp_replay_LinkText(file), &linked)) << n;
        EXPECT_EQ(linked, file) << "level " << n << "'s link";
        LevelFile read;
        std::string why;
        ASSERT_TRUE(kp_levelfile_Decode(file.data(), file.size(), &read, &why)) << n << ": " << why;
        EXPECT_EQ(read.map, level.map) << n;
        EXPECT_EQ(read.proof, level.proof) << n;
        bool proved = false;
        const String line = app.p_CheckLevelProof(read, &proved);
        EXPECT_TRUE(proved) << "level " << n << ": " << line.ToUtf8();
        // The same proof on a map with one tile changed proves nothing.
        LevelFile edited = read;
        edited.map[static_cast<size_t>(kLevelSide * 61 + 1)] = edited.map[static_cast<size_t>(kLevelSide * 61 + 1)] == '0' ? '4' : '0';
        app.p_CheckLevelProof(edited, &proved);
        EXPECT_FALSE(proved) << "level " << n << "'s proof on another map";
    }
}

TEST_F(PlayerLevels, TestPlayComesBackToTheEditorAndProvesOnlyAFullRunOnTheMapAsItStands) {
    const InputScript script = Script(1);
    const LevelFile level = StoredLevel(1);
    const size_t start = level.map.find('S');
    const struct {
        const char* what;
        int key;                       // T from the start, G from the cursor
        int cursorX, cursorY;
        std::function<void()> play;
        bool proves;
    } rows[] = {
        {"cleared from the start", kKeyT, 1, 1, [&] { game.Play(script); }, true},
        {"cleared from the cursor on the start", kKeyG, static_cast<int>(start % kLevelSide),
         static_cast<int>(start / kLevelSide), [&] { game.Play(script); }, false},
        {"a death on the spikes", kKeyG, 10, 61, [&] { game.Step(60); }, false},
        {"quit from the pause panel", kKeyT, 1, 1,
         [&] {
             game.Step(60);
             game.PressKey(kKeyEscape);
             game.Step(kPanelRise);
             game.PressKey(kKeyUp);
             game.PressKey(kKeyZ);
         },
         false},
    };
    for (const auto& row : rows) {
        app.p_OpenEditor(level, "test-play.glimmer-level");
        app.m_editor.cursorX = row.cursorX;
        app.m_editor.cursorY = row.cursorY;
        const float viewX = app.m_editor.viewX;
        game.Step();
        game.PressKey(row.key);
        ASSERT_EQ(app.m_screen, kScreenPlaying) << row.what;
        row.play();
        BackTo(kScreenEditor);
        EXPECT_EQ(app.m_editor.edit.Map(), level.map) << row.what << ": the map unchanged";
        EXPECT_EQ(app.m_editor.viewX, viewX) << row.what << ": the same view";
        EXPECT_EQ(app.m_editor.edit.Proved(), row.proves) << row.what;
        if (!row.proves) continue;
        // The proof is kept in the level's file and proves it; an edit takes it away.
        std::vector<unsigned char> kept;
        ASSERT_TRUE(kp_app_LoadBeside("levels/test-play.glimmer-level", &kept));
        LevelFile read;
        std::string why;
        ASSERT_TRUE(kp_levelfile_Decode(kept.data(), kept.size(), &read, &why)) << why;
        bool proved = false;
        EXPECT_TRUE(app.p_CheckLevelProof(read, &proved).Length() > 0 && proved) << row.what;
        app.m_editor.edit.Place(10, 10, '3');
        EXPECT_FALSE(app.m_editor.edit.Proved()) << "an edit after the proof";
    }
}

TEST_F(PlayerLevels, WorkInTheEditorIsKeptWhenTheWindowLosesTheFocus) {
    LevelFile level = StoredLevel(4);
    app.p_OpenEditor(level, "kept.glimmer-level");
    app.m_editor.edit.Place(5, 5, 'x');   // an edit not yet written (the editor writes a second after a change)
    app.m_editor.dirty = true;
    game.host().Suspend();
    game.host().Resume();
    std::vector<unsigned char> kept;
    ASSERT_TRUE(kp_app_LoadBeside("levels/kept.glimmer-level", &kept)) << "the level's file after the focus was lost";
    LevelFile read;
    ASSERT_TRUE(kp_levelfile_Decode(kept.data(), kept.size(), &read, nullptr, true));
    EXPECT_EQ(read.map[static_cast<size_t>(5 * kLevelSide + 5)], 'x');
    EXPECT_EQ(app.m_screen, kScreenEditor) << "the editor comes back as it was, no pause panel";
    EXPECT_EQ(app.m_pauseShown, 0);
    std::remove(game.host().BesideStatePath("levels/kept.glimmer-level").c_str());
}

TEST_F(PlayerLevels, AProvedLevelKeepsItsBestRunByItsOwnHashAndAnUnprovedOneKeepsNone) {
    const std::vector<unsigned char> recordsBefore = kp_records_Encode(app.m_records);
    for (bool proved : {true, false}) {
        LevelFile level = Proved(2);
        level.name = proved ? "Proved two" : "Unproved two";
        if (!proved) level.proof.clear();
        String line;
        ASSERT_TRUE(app.p_ImportLevel(kp_levelfile_Encode(level), &line)) << line.ToUtf8();
        const size_t index = static_cast<size_t>(app.m_levelsSel - 2);
        ASSERT_EQ(app.m_playerLevels[index].level.name, level.name);
        EXPECT_EQ(app.m_playerLevels[index].proved, proved) << line.ToUtf8();
        app.p_PlayPlayerLevel(index);
        game.Play(Script(2));
        BackTo(kScreenLevels);
        char name[64];
        std::snprintf(name, sizeof name, "levels/runs/%08x.glimmer-replay", kp_level_Hash(level.map));
        std::vector<unsigned char> best;
        EXPECT_EQ(kp_app_LoadBeside(name, &best), proved) << level.name;
        EXPECT_EQ(app.m_playerLevels[index].bestUpdates, proved ? Script(2).Updates() : 0) << level.name;
        std::remove(game.host().BesideStatePath(name).c_str());
        std::remove(game.host().BesideStatePath("levels/" + app.m_playerLevels[index].file).c_str());
    }
    EXPECT_EQ(kp_records_Encode(app.m_records), recordsBefore) << "the fifteen levels' records are untouched";
}

}  // namespace
