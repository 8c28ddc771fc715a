// Player's levels on the shared game: the fifteen levels as files and links
// with their committed solver runs as proofs; the editor's test-play, which
// proves a level only when cleared from its start on the map as it stands and
// always comes back to the editor; a proved level's best run kept by its own
// hash, apart from the fifteen levels' records.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>
#include <string>
#include <vector>

#include "game/world/level_map.h"
#include "game/world/level_store.h"
#include "host/platform.h"
#include "tests/testhost/test_game.h"

namespace {

using Bytes = std::vector<unsigned char>;
constexpr int kKeyT = 'T', kKeyG = 'G', kKeyZ = 'Z', kKeyEscape = 27, kKeyUp = 38;
constexpr int kPanelRise = 15;
constexpr int kBackWithin = 200;   // updates: the exit sequence or a death, then the editor
constexpr int kKeyR = 'R', kKeySpace = 32;
constexpr int kSolverWaitSeconds = 120;   // the solver's start and its route through level 1, on a busy machine
constexpr int kLongWait = 30000;
constexpr float kBackToolX = 20, kBackToolY = 438;   // the first of the tools along the bottom, at 640 x 480

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
        AppendScript(&run, LevelScript(n));
        EXPECT_TRUE(app.p_RecordReplay(&run)) << "level " << n << "'s script on its map as a player's level";
        level.proof = kp_replay_Encode(run);
        return level;
    }

    // A level file kept under levels/, read back (a draft: without a proof that plays).
    LevelFile Kept(const std::string& file, bool draft = false) {
        std::vector<unsigned char> kept;
        EXPECT_TRUE(kp_app_LoadBeside("levels/" + file, &kept)) << file;
        LevelFile read;
        std::string why;
        EXPECT_TRUE(kp_levelfile_Decode(kept.data(), kept.size(), &read, &why, draft)) << file << ": " << why;
        return read;
    }

    // Level 1's route after `wait` updates standing still, sealed on its map as
    // a player's level; `shortened`, it stops an update short of the exit.
    Bytes Standing(const LevelFile& one, const Replay& route, int wait, bool shortened) {
        Replay run;
        run.level = 0;
        run.levelHash = kp_level_Hash(one.map);
        run.Append(0, wait);
        for (const ReplayRun& step : route.runs) run.Append(step.keys, step.updates);
        if (shortened) {
            run.runs.back().updates -= 1;
            run.updates -= 1;
        }
        app.m_playerMap = one.map;
        app.m_playerPlay = PlayerLevelPlay();
        app.m_playerPlay.hash = kp_level_Hash(one.map);
        if (!shortened) {
            EXPECT_TRUE(app.p_RecordReplay(&run));
        }
        return kp_replay_Encode(run);
    }

    // Steps the game while `busy` holds (no longer than the longest proof takes),
    // each update playing at most a slice of a level's proof; `each` after every
    // update. Returns the updates stepped.
    int StepInSlices(const std::function<bool()>& busy, const std::string& what,
                     const std::function<void(int)>& each = nullptr) {
        int updates = 0;
        while (busy() && updates < 8 * kLongWait / kHiddenRunSlice) {
            const int played = app.m_hidden.played;
            const bool was = app.m_hidden.purpose == kHiddenLevelRun;
            game.Step();
            ++updates;
            if (was && app.m_hidden.purpose == kHiddenLevelRun && app.m_hidden.played - played > kHiddenRunSlice) {
                ADD_FAILURE() << what << ", update " << updates << ": " << app.m_hidden.played - played << " updates played";
                break;
            }
            if (each) each(updates);
        }
        return updates;
    }

    // Imports a level file and plays the game until its proof is known and the level kept.
    bool Import(const Bytes& file, String* line) {
        if (!app.p_ImportLevel(file, line)) return false;
        StepInSlices([&] { return app.p_LevelImportPending(); }, "import");
        EXPECT_FALSE(app.p_LevelImportPending()) << "the import's proof is still being played";
        *line = app.m_levelImportLine;
        return true;
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
    const InputScript script = LevelScript(1);
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
        bool proved = false;
        EXPECT_TRUE(app.p_CheckLevelProof(Kept("test-play.glimmer-level"), &proved).Length() > 0 && proved) << row.what;
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
    const LevelFile read = Kept("kept.glimmer-level", true);   // written when the focus was lost
    ASSERT_EQ(read.map.size(), static_cast<size_t>(kLevelSide * kLevelSide));
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
        ASSERT_TRUE(Import(kp_levelfile_Encode(level), &line)) << line.ToUtf8();
        const size_t index = static_cast<size_t>(app.m_levelsSel - 2);
        ASSERT_EQ(app.m_playerLevels[index].level.name, level.name);
        EXPECT_EQ(app.m_playerLevels[index].proved, proved) << line.ToUtf8();
        app.p_PlayPlayerLevel(index);
        game.Play(LevelScript(2));
        BackTo(kScreenLevels);
        char name[64];
        std::snprintf(name, sizeof name, "levels/runs/%08x.glimmer-replay", kp_level_Hash(level.map));
        std::vector<unsigned char> best;
        EXPECT_EQ(kp_app_LoadBeside(name, &best), proved) << level.name;
        EXPECT_EQ(app.m_playerLevels[index].bestUpdates, proved ? LevelScript(2).Updates() : 0) << level.name;
        std::remove(game.host().BesideStatePath(name).c_str());
        std::remove(game.host().BesideStatePath("levels/" + app.m_playerLevels[index].file).c_str());
    }
    EXPECT_EQ(kp_records_Encode(app.m_records), recordsBefore) << "the fifteen levels' records are untouched";
}

// Where no solver is beside the game (the browser's case) the editor offers no route search.
TEST_F(PlayerLevels, TheEditorOffersNoRouteSearchWithoutTheSolver) {
    const char* folder = std::getenv("GLIMMER_TOOL_FOLDER");
    ASSERT_TRUE(folder && *folder) << "GLIMMER_TOOL_FOLDER names the solver's folder";
    const std::string kept = folder;
    setenv("GLIMMER_TOOL_FOLDER", "", 1);
    app.p_OpenEditor(StoredLevel(1), "route.glimmer-level");
    EXPECT_FALSE(app.m_editor.routeOffered);
    setenv("GLIMMER_TOOL_FOLDER", kept.c_str(), 1);
    app.p_OpenEditor(StoredLevel(1), "route.glimmer-level");
    EXPECT_TRUE(app.m_editor.routeOffered) << "glimmer-solve in " << kept;
}

// The solver's route: searched in the background while the game goes on, it
// proves the level only once the game has played it again on the map.
TEST_F(PlayerLevels, TheSolversRouteProvesTheLevelOnceTheGamePlaysItAgain) {
    const LevelFile level = StoredLevel(1);
    app.p_OpenEditor(level, "route.glimmer-level");
    ASSERT_TRUE(app.m_editor.routeOffered) << "glimmer-solve beside the game (GLIMMER_TOOL_FOLDER)";
    game.Step();
    game.PressKey(kKeyR);
    ASSERT_TRUE(app.m_route.searching) << app.m_editor.note;
    int updates = 0;
    const auto start = std::chrono::steady_clock::now();
    while ((app.m_route.searching || app.m_route.checking) &&
           std::chrono::steady_clock::now() - start < std::chrono::seconds(kSolverWaitSeconds)) {
        game.Step();
        ++updates;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_GT(updates, 1) << "the game went on while the solver searched";
    ASSERT_TRUE(app.m_editor.edit.Proved()) << app.m_editor.note;
    EXPECT_NE(app.m_editor.note.find("Proved by the solver's route"), std::string::npos) << app.m_editor.note;
    const LevelFile read = Kept("route.glimmer-level");
    bool proved = false;
    const String line = app.p_CheckLevelProof(read, &proved);
    EXPECT_TRUE(proved) << "the route kept as the file's proof: " << line.ToUtf8();

    // Routes as the solver could answer: only one that plays to the exit on this map proves it.
    const Replay route = [&] {
        Replay run;
        kp_replay_Decode(read.proof.data(), read.proof.size(), &run, nullptr);
        return run;
    }();
    Replay shortened = route;
    shortened.runs.back().updates -= 1;
    shortened.updates -= 1;
    const LevelFile other = Proved(2);
    const struct {
        const char* what;
        std::string line;
        bool proves;
    } rows[] = {
        {"the route found", "route: 1 updates, 1 states, " + kp_replay_LinkText(read.proof), true},
        {"a route an update short of the exit",
         "route: 1 updates, 1 states, " + kp_replay_LinkText(kp_replay_Encode(shortened)), false},
        {"level 2's route", "route: 1 updates, 1 states, " + kp_replay_LinkText(other.proof), false},
        {"no route", "no route: none found within 60 s, 40000 states", false},
        {"an answer that is no link", "route: 1 updates, 1 states, ***", false},
    };
    for (const auto& row : rows) {
        app.p_OpenEditor(level, "route.glimmer-level");
        app.m_route.searching = true;
        app.m_route.revision = app.m_editor.edit.Revision();
        app.p_RouteLine(row.line);
        EXPECT_FALSE(app.m_route.searching) << row.what;
        EXPECT_FALSE(app.m_editor.edit.Proved()) << row.what << ": proved before it was played again";
        for (int i = 0; i < 100 && app.m_route.checking; ++i) game.Step();
        EXPECT_EQ(app.m_editor.edit.Proved(), row.proves) << row.what << ": " << app.m_editor.note;
    }
    std::remove(game.host().BesideStatePath("levels/route.glimmer-level").c_str());
}

// A search that finds nothing stops at its time limit, on the game's clock;
// an edit, escape and leaving the editor stop it at once. The solver is gone after each.
TEST_F(PlayerLevels, TheRouteSearchStopsAtItsLimitOnAnEditAndWhenAsked) {
    const LevelFile level = StoredLevel(15);   // far more than a minute's search
    game.host().SetWindowSize(640, 480);
    const struct {
        const char* what;
        std::function<void()> stop;
        const char* note;
    } rows[] = {
        {"the time limit", [&] { game.host().AdvanceClock(kRouteSearchSeconds * 1000.0); game.Step(); }, "within 60 s"},
        {"an edit",
         [&] {
             app.m_editor.cursorX = app.m_editor.cursorY = 0;
             app.m_editor.brush = 'x';
             game.PressKey(kKeySpace);
             game.Step();
         },
         "the map changed"},
        {"escape", [&] { game.PressKey(kKeyEscape); }, "The search stopped"},
        {"R again", [&] { game.PressKey(kKeyR); }, "The search stopped"},
        {"the editor left by its Back button",
         [&] {
             game.Click(kBackToolX, kBackToolY);
             game.Step();
             EXPECT_EQ(app.m_screen, kScreenLevels) << "Back clicked";
         },
         ""},
    };
    for (const auto& row : rows) {
        app.p_OpenEditor(level, "search.glimmer-level");
        game.Step();
        game.PressKey(kKeyR);
        ASSERT_TRUE(app.m_route.searching) << row.what << ": " << app.m_editor.note;
        const long pid = app.m_route.tool.Id();
        // Its progress comes in while it searches.
        const auto start = std::chrono::steady_clock::now();
        while (app.m_route.searching && app.m_route.states == 0 && std::chrono::steady_clock::now() - start < std::chrono::seconds(kSolverWaitSeconds)) {
            game.Step();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        EXPECT_GT(app.m_route.states, 0) << row.what << ": states searched, as the solver said";
        ASSERT_TRUE(app.m_route.searching) << row.what << ": " << app.m_editor.note;
        row.stop();
        EXPECT_FALSE(app.m_route.searching) << row.what;
        EXPECT_NE(app.m_editor.note.find(row.note), std::string::npos) << row.what << ": " << app.m_editor.note;
        EXPECT_FALSE(kp_process_Runs(static_cast<unsigned long>(pid))) << row.what << ": the solver still runs";
        EXPECT_FALSE(app.m_editor.edit.Proved()) << row.what;
        if (app.m_screen == kScreenLevels) app.p_OpenEditor(level, "search.glimmer-level");
    }
    std::remove(game.host().BesideStatePath("levels/search.glimmer-level").c_str());
}

// The list of levels shows at once; their proofs and best runs are played a
// slice per update, however long they are, and fill the list in as they end.
TEST_F(PlayerLevels, TheListShowsAtOnceAndPlaysProofsASliceAtATime) {
    const LevelFile one = Proved(1);
    Replay route;
    ASSERT_TRUE(kp_replay_Decode(one.proof.data(), one.proof.size(), &route, nullptr));
    const struct {
        const char* file;
        int wait;          // updates standing still before level 1's route
        bool clears;       // false: the proof stops short of the exit
    } rows[] = {
        {"slow-a", kLongWait, true}, {"slow-b", kLongWait + 1, true}, {"slow-c", kLongWait + 2, true},
        {"stops-short", kLongWait + 3, false},
    };
    for (const auto& row : rows) {
        LevelFile level = one;
        level.name = row.file;
        level.proof = Standing(one, route, row.wait, !row.clears);
        ASSERT_EQ(kp_app_SaveBeside(std::string("levels/") + row.file + ".glimmer-level", kp_levelfile_Encode(level)), 0);
    }
    app.m_screen = kScreenLevels;
    app.p_LoadPlayerLevels();
    const auto entry = [&](const char* file) -> const PlayerLevel* {
        for (const PlayerLevel& level : app.m_playerLevels) {
            if (level.file == std::string(file) + ".glimmer-level") return &level;
        }
        return nullptr;
    };
    for (const auto& row : rows) {
        ASSERT_NE(entry(row.file), nullptr) << row.file;
        EXPECT_TRUE(entry(row.file)->checking && !entry(row.file)->proved) << row.file << ": shown at once as checking";
    }
    const int updates = StepInSlices([&] {
        for (const auto& row : rows) {
            if (entry(row.file)->checking) return true;
        }
        return false;
    }, "the list");
    EXPECT_GE(updates, 4 * kLongWait / kHiddenRunSlice) << "four long proofs checked in fewer updates than their slices";
    for (const auto& row : rows) {
        EXPECT_FALSE(entry(row.file)->checking) << row.file;
        EXPECT_EQ(entry(row.file)->proved, row.clears) << row.file;
        std::remove(game.host().BesideStatePath(std::string("levels/") + row.file + ".glimmer-level").c_str());
    }
    app.m_screen = kScreenMenu;
}

// An imported level's proof is played a slice per update (the list says it is
// checking meanwhile), and the level is kept once it is known: proved or not,
// with the line, exactly as its proof played whole says.
TEST_F(PlayerLevels, AnImportPlaysItsProofASliceAtATimeAndKeepsTheSameVerdict) {
    const LevelFile one = Proved(1);
    Replay route;
    ASSERT_TRUE(kp_replay_Decode(one.proof.data(), one.proof.size(), &route, nullptr));
    const struct {
        const char* name;
        Bytes proof;
        bool proved;
        int leastUpdates;   // updates of the game the import takes at least
    } rows[] = {
        {"Import short", one.proof, true, 1},
        {"Import long", Standing(one, route, kLongWait, false), true, kLongWait / kHiddenRunSlice},
        {"Import stops short", Standing(one, route, kLongWait + 1, true), false, kLongWait / kHiddenRunSlice},
        {"Import sealed otherwise", [&] {
             Replay sealed = route;
             sealed.finalState ^= 1;
             return kp_replay_Encode(sealed);
         }(), false, 1},
        {"Import none", {}, false, 0},
    };
    // A level already kept is not kept twice: each row's is removed after it, as are copies of level 1 before.
    const auto removeKept = [&] {
        app.p_LoadPlayerLevels();
        for (const PlayerLevel& kept : app.m_playerLevels) {
            if (kept.readable && kept.level.map == one.map) std::remove(game.host().BesideStatePath("levels/" + kept.file).c_str());
        }
        app.p_LoadPlayerLevels();
    };
    app.m_screen = kScreenLevels;
    for (const auto& row : rows) {
        removeKept();
        LevelFile level = one;
        level.name = row.name;
        level.maker = "Tester";
        level.proof = row.proof;
        bool proved = false;
        const std::string whole = row.name + std::string(" by Tester: ") + app.p_CheckLevelProof(level, &proved).ToUtf8();
        EXPECT_EQ(proved, row.proved) << row.name << ": " << whole;
        const size_t levelsBefore = app.m_playerLevels.size();
        String line;
        ASSERT_TRUE(app.p_ImportLevel(kp_levelfile_Encode(level), &line)) << line.ToUtf8();
        if (row.leastUpdates > 0) {
            EXPECT_TRUE(app.p_LevelImportPending()) << row.name;
            EXPECT_NE(line.ToUtf8().find("checking its proof"), std::string::npos) << line.ToUtf8();
            EXPECT_EQ(app.m_playerLevels.size(), levelsBefore) << row.name << ": kept before its proof is known";
        }
        const int updates = StepInSlices([&] { return app.p_LevelImportPending(); }, row.name, [&](int update) {
            if (app.p_LevelImportPending()) {
                EXPECT_EQ(app.m_levelsNote.ToUtf8(), "Checking its proof: a moment") << row.name << ", update " << update;
            }
        });
        EXPECT_GE(updates, row.leastUpdates) << row.name << ": played in fewer updates than its slices";
        EXPECT_FALSE(app.p_LevelImportPending()) << row.name;
        EXPECT_EQ(app.m_levelImportLine.ToUtf8(), whole) << row.name;
        ASSERT_GE(app.m_levelsSel, 2) << row.name;
        const PlayerLevel& kept = app.m_playerLevels[static_cast<size_t>(app.m_levelsSel - 2)];
        EXPECT_EQ(kept.level.name, row.name);
        EXPECT_EQ(kept.proved, row.proved) << row.name;
        EXPECT_FALSE(kept.checking) << row.name << ": its proof played once, not again in the list";
    }
    removeKept();
    app.m_screen = kScreenMenu;
}

// A level file a player copied into the folder under a name of their own
// language is listed and readable like any other.
TEST_F(PlayerLevels, AFileNamedOutsideAsciiIsRead) {
    const std::string file = "Noël \xe2\x98\x83.glimmer-level";   // U+2603, a snowman
    // Written and removed by the host's own calls: the C library's narrow
    // names are not UTF-8 on Windows.
    ASSERT_EQ(kp_app_SaveBeside("levels/" + file, kp_levelfile_Encode(StoredLevel(2))), 0);
    app.p_LoadPlayerLevels();
    EXPECT_TRUE(kp_file_Remove(game.host().BesideStatePath("levels/" + file)));
    const PlayerLevel* listed = nullptr;
    for (const PlayerLevel& level : app.m_playerLevels) {
        if (level.file == file) listed = &level;
    }
    ASSERT_NE(listed, nullptr);
    EXPECT_TRUE(listed->readable) << listed->problem;
    EXPECT_EQ(listed->level.name, "Level 2");
}

}  // namespace
