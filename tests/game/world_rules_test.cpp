// The hero's movement and the level objects, one table each: a small map
// drawn into an empty level, keys held in runs (the text form of the
// solver's scripts), and what must hold after the last update.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "game/world/tiles.h"
#include "host/key_codes.h"
#include "runtime/random.h"
#include "tests/testhost/test_game.h"
#include "tools/solver/input_script.h"

namespace {

constexpr int kOriginX = 10, kOriginY = 20;  // where a row's map is drawn
constexpr int kSfxChannels = 24;

using Setup = std::function<void(c_MyApp&)>;

struct Rule {
    const char* what;
    std::vector<std::string> map;  // 'S' the hero on an empty tile, other characters as in level texts
    const char* keys;              // runs of held keys: "8 right, 1 -"
    // After the last update, space-separated: dx= dy= (from the start) x= y= subx= suby= state=
    // facing= level= movers= (records in use) top= (highest record in use) mover= (its type)
    // flips= D=/d= (solid or open) heard=N or heard=NxK (sound slot N started, K times) silent=N.
    const char* expect;
    int scheme = 2;  // 1: one jump button, 2: two
    int facing = 1;
    Setup setup = nullptr;
};

// Setups: a tile under the hero; timers of map tiles (column, row, value) and the drop-in running.
Setup Under(int tile) { return [=](c_MyApp& a) { a.p_PutBlock(a.m_playerX, a.m_playerY, tile, 0, 0, 0); }; }
Setup Timers(std::vector<std::array<int, 3>> timers, bool dropIn = false) {
    return [=](c_MyApp& a) {
        for (const auto& [col, row, value] : timers) a.m_map[a.p_CellIndex(kOriginX + col, kOriginY + row) + 9] = value;
        if (dropIn) a.m_dropIn = -800;
    };
}

class WorldRules : public testing::Test {
protected:
    TestGame& game = TestGame::Shared();
    c_MyApp& app = game.app();

    void BuildMap(const Rule& rule) {
        app.m_settings[kSettingSound] = 1;  // effects reach the channels
        app.m_settings[kSettingHelpOff] = 1;   // no tutorial
        app.p_LoadGame();
        app.m_settings[kSettingScheme] = rule.scheme;
        for (int y = 0; y < kLevelSide; ++y) {
            for (int x = 0; x < kLevelSide; ++x) {
                const bool edge = x == 0 || y == 0 || x == kLevelSide - 1 || y == kLevelSide - 1;
                app.p_PutBlock(x, y, edge ? kTileWall : kTileEmpty, 0, 0, 0);
            }
        }
        for (size_t r = 0; r < rule.map.size(); ++r) {
            for (size_t c = 0; c < rule.map[r].size(); ++c) {
                const int x = kOriginX + static_cast<int>(c), y = kOriginY + static_cast<int>(r);
                const char ch = rule.map[r][c];
                if (ch == 'S') {
                    app.m_playerX = x;
                    app.m_playerY = y;
                } else {
                    app.p_PutBlock(x, y, kp_Tiles_Ascii2Val(ch), 0, 0, 0);
                }
            }
        }
        app.m_facing = rule.facing;
        app.m_dropIn = 0;
        app.m_jumpLatch = app.m_keyLatch = 0;
        if (rule.setup) rule.setup(app);
    }

    // Runs the rule's key runs; returns how often each sound slot was started.
    std::map<int, int> Play(const Rule& rule) {
        std::string text = rule.keys, error;
        for (char& c : text) c = c == ',' ? '\n' : c;
        InputScript script;
        EXPECT_TRUE(script.FromText(text, &error)) << error;
        std::map<int, int> heard;
        int channel = app.m_sfxChannel;
        game.Play(script, [&] {
            while (channel != app.m_sfxChannel) {
                channel = (channel + 1) % kSfxChannels;
                ++heard[game.SoundOn(app.m_channelMap.Get(channel))];
            }
        });
        return heard;
    }

    int TopMover() const {
        for (int r = kMoverRecords - 1; r >= 0; --r) {
            if (app.m_movers.Get(r * 10) != 0) return r;
        }
        return -1;
    }

    void Check(const Rule& rule) {
        BuildMap(rule);
        const int startX = app.m_playerX, startY = app.m_playerY;
        std::map<int, int> heard = Play(rule);
        int movers = 0;
        for (int r = 0; r < kMoverRecords; ++r) movers += app.m_movers.Get(r * 10) != 0;
        const int top = TopMover();
        const std::map<std::string, int> actual = {
            {"dx", app.m_playerX - startX}, {"dy", app.m_playerY - startY}, {"x", app.m_playerX},
            {"y", app.m_playerY}, {"subx", app.m_playerSubX}, {"suby", app.m_playerSubY},
            {"state", app.m_playerState}, {"facing", app.m_facing}, {"level", app.m_level},
            {"movers", movers}, {"top", top}, {"mover", top < 0 ? 0 : app.m_movers.Get(top * 10)},
            {"flips", app.m_flipCount}, {"D", app.p_isSolid(kTileFlipEven)}, {"d", app.p_isSolid(kTileFlipOdd)}};
        std::istringstream words(rule.expect);
        for (std::string word; words >> word;) {
            const size_t eq = word.find('=');
            const std::string name = word.substr(0, eq), value = word.substr(eq + 1);
            if (name == "heard" || name == "silent") {
                const int slot = std::stoi(value);
                const size_t times = value.find('x');
                const int count = heard[slot];
                if (name == "silent") {
                    EXPECT_EQ(count, 0) << rule.what << ": sound " << slot;
                } else if (times != std::string::npos) {
                    EXPECT_EQ(count, std::stoi(value.substr(times + 1))) << rule.what << ": sound " << slot;
                } else {
                    EXPECT_GT(count, 0) << rule.what << ": sound " << slot;
                }
            } else if (name == "D" || name == "d") {
                EXPECT_EQ(actual.at(name), value == "solid") << rule.what << ": " << word;
            } else {
                ASSERT_TRUE(actual.count(name)) << rule.what << ": unknown expectation " << word;
                EXPECT_EQ(actual.at(name), std::stoi(value)) << rule.what << ": " << name;
            }
        }
    }
};

const std::vector<std::string> kFlat = {"0000000", "0000000", "000S000", "2222222"};
const std::vector<std::string> kLedge = {"S0000", "20000", "00000", "22222"};
const std::vector<std::string> kWide = {"000000000", "000000000", "S00000000", "222222222"};
const std::vector<std::string> kBar = {"0000000", "11S1111", "0000000", "0000000", "2222222"};
const std::vector<std::string> kHandle = {"0000000", "0000000", "00S0000", "0000000", "2222222"};
const std::vector<std::string> kSpikes = {"00000", "S5000", "22222"};

TEST_F(WorldRules, Movement) {
    const Rule rules[] = {
        {"a tap of left while facing right only turns", kFlat, "1 left", "state=5 facing=-1"},
        {"releasing every key ends the turn", kFlat, "1 left, 1 -", "state=0 dx=0 subx=0 facing=-1"},
        {"holding left turns for 15 updates", {"00000000S", "222222222"}, "15 left", "dx=0 subx=0"},
        {"then the first step starts", {"00000000S", "222222222"}, "16 left", "dx=0 subx=-2"},
        {"and a tile takes 8 updates, no pause between tiles", {"00000000S", "222222222"}, "31 left",
         "dx=-2 subx=0 heard=2"},
        {"no floor after a step: a fall of 4 pixels an update", kLedge, "8 right, 1 -", "dx=1 state=2 suby=4"},
        {"a tile of fall takes 4 updates", kLedge, "8 right, 4 -", "dx=1 dy=1 suby=0"},
        {"the fall ends on the floor", kLedge, "8 right, 30 -", "dy=2 state=0"},
        {"a hero on a ladder never falls", {"000", "0S0", "000", "222"}, "30 -", "dy=0 state=0", 2, 1,
         Under(kTileLadder)},
        {"climbing a ladder: a tile in 8 updates", {"030", "030", "0S0", "222"}, "8 up", "dy=-1 state=0 heard=5", 2, 1,
         Under(kTileLadder)},
        {"grip held on a bar: no fall", kBar, "10 grip", "dy=0 state=0", 2, 1, Under(kTileGripBar)},
        {"hanging from a bar shuffles, no footsteps", kBar, "10 grip, 8 grip right", "dx=1 dy=0 heard=7 silent=2", 2,
         1, Under(kTileGripBar)},
        {"letting go of the bar drops the hero", kBar, "10 grip, 1 -", "state=2", 2, 1, Under(kTileGripBar)},
        {"a held handle turns the hero its way", kHandle, "3 grip", "facing=-1 dy=0", 2, 1, Under(kTileHandleLeft)},
        {"on a held handle: no walking, no turning", kHandle, "3 grip, 20 grip right", "dx=0 facing=-1", 2, 1,
         Under(kTileHandleLeft)},
        {"on a held handle a jump still starts", kHandle, "3 grip, 20 grip right, 1 grip right jumpr", "state=6", 2,
         1, Under(kTileHandleLeft)},
        {"a jump is in the air for 23 updates", kWide, "23 jumpr", "state=8 heard=3"},
        {"a jump: three tiles on, one up, in 24 updates", kWide, "24 jumpr", "state=0 dx=3 dy=-1"},
        {"landing above nothing turns into a fall", kWide, "25 jumpr", "state=2"},
        {"no jump under a wall", {"00000000", "20000000", "S0000000", "22222222"}, "3 jumpr", "state=0 dx=0"},
        {"a wall ahead ends the jump after two tiles", {"00000000", "00020000", "S0000000", "22222222"}, "16 jumpr",
         "state=0 dx=2 dy=-1"},
        {"floor under the first tile ends the jump there", {"00000000", "00000000", "S2000000", "22222222"},
         "8 jumpr", "state=0 dx=1 dy=-1"},
        {"a held jump button jumps once", kWide, "80 jumpr", "dx=3 dy=0 heard=3x1"},
        {"after a release the button jumps again", kWide, "80 jumpr, 1 -, 1 jumpr", "state=6"},
        {"two buttons: the first jumps left", kFlat, "1 jumpl", "state=6 facing=-1"},
        {"two buttons: the second jumps right", kFlat, "1 jumpr", "state=6 facing=1", 2, -1},
        {"two buttons, both pressed: left", kFlat, "1 jumpl jumpr", "state=6 facing=-1"},
        {"two buttons, both pressed, right held: right", kFlat, "1 jumpl jumpr right", "state=6 facing=1", 2, -1},
        {"one button: the way the hero faces", kFlat, "1 jumpl", "state=6 facing=1", 1},
        {"one button: the way the hero faces, left", kFlat, "1 jumpr", "state=6 facing=-1", 1, -1},
        {"one button with right held: right", kFlat, "1 jumpr right", "state=6 facing=1", 1, -1},
        {"one button with left held: left", kFlat, "1 jumpl left", "state=6 facing=-1", 1},
        {"one button, both held, the way right blocked: left, never into the wall",
         {"0000000", "0000200", "000S000", "2222222"}, "24 jumpl left right", "state=0 dx=-3 dy=-1 facing=-1", 1},
        {"in a dip, right held against its side, then a jump", {"0000000", "0000000", "22S2222", "2222222"},
         "20 right, 1 right jumpr", "state=6 facing=1", 1},
        {"jumping over spikes is safe", {"00000000", "05500000", "S0000000", "22222222"}, "40 jumpr",
         "state=0 dx=3 dy=0"},
        {"stepping onto spikes kills", kSpikes, "8 right, 1 -", "state=9 heard=6"},
        {"dying takes 121 updates", kSpikes, "8 right, 120 -", "state=9"},
        {"then the level is built again", kSpikes, "8 right, 121 -", "state=0 x=34 y=41"},
        {"no control works during the drop-in", {"00000", "S0000", "22222"}, "50 right", "state=0 dx=0 subx=0 heard=23",
         2, 1, Timers({}, true)},
        {"the first update after the drop-in walks", {"00000", "S0000", "22222"}, "51 right", "state=1", 2, 1,
         Timers({}, true)},
        {"the exit stays shut while a tree is unlit", {"x000S", "22222"}, "5 -", "state=0", 2, 1, Under(kTileExit)},
        {"all trees lit: the exit opens on the third update", {"0000S", "22222"}, "2 -", "state=0", 2, 1,
         Under(kTileExit)},
        {"the third update takes the exit", {"0000S", "22222"}, "3 -", "state=10 heard=17x1 heard=20", 2, 1,
         Under(kTileExit)},
        {"the exit sequence lasts 121 updates", {"0000S", "22222"}, "122 -", "level=1 heard=24", 2, 1,
         Under(kTileExit)},
        {"then the next level starts", {"0000S", "22222"}, "123 -", "level=2 state=0", 2, 1, Under(kTileExit)},
    };
    for (const Rule& rule : rules) Check(rule);
}

const std::vector<std::string> kLauncher = {"S000000000", "2222222222", "0000000000", "0}00000000", "2222222222"};
const std::vector<std::string> kRange = {"S00000000000", "222222222222", "000000000000", "0}00}000D002",
                                         "222222222222"};
const std::vector<std::string> kPlungerRange = {"S0000P000000", "222222222222", "000000000000", "0}00}000D002",
                                                "222222222222"};

TEST_F(WorldRules, Objects) {
    const Rule rules[] = {
        {"a launcher fires when its phase comes round", kLauncher, "120 -", "movers=1 top=250 mover=27 heard=14"},
        {"not before", kLauncher, "119 -", "movers=0"},
        {"once every 120 updates", kLauncher, "240 -", "movers=2"},
        {"launchers wait for the drop-in", kLauncher, "49 -", "movers=0", 2, 1, Timers({{1, 3, 119}}, true)},
        {"a mover passes a launcher", kRange, "28 -", "movers=1", 2, 1, Timers({{1, 3, 119}})},
        {"and breaks on a closed flip block", kRange, "40 -", "movers=0 heard=15", 2, 1, Timers({{1, 3, 119}})},
        {"an open flip block lets it through", kPlungerRange, "40 -", "movers=1 D=open", 2, 1,
         Timers({{1, 3, 119}, {5, 0, 480}})},
        {"a wall breaks it", kPlungerRange, "60 -", "movers=0", 2, 1, Timers({{1, 3, 119}, {5, 0, 480}})},
        {"a mover kills the hero and stops there", {"0}000S0002", "2222222222"}, "60 -",
         "state=9 movers=1 mover=25 heard=6", 2, 1, Timers({{1, 0, 119}})},
        {"standing on a plunger flips the blocks", {"000000", "SP00Dd", "222222"}, "8 right, 30 -",
         "dx=1 D=open d=solid"},
        {"they stay flipped for four seconds after the hero steps off", {"000000", "SP00Dd", "222222"},
         "8 right, 30 -, 23 left, 239 -", "dx=0 D=open"},
        {"then flip back, after four ticks", {"000000", "SP00Dd", "222222"}, "8 right, 30 -, 23 left, 240 -",
         "D=solid d=open heard=9x4 heard=10"},
        {"two running plungers cancel out", {"0P0P00", "S000Dd", "222222"}, "2 -", "flips=2 D=solid d=open", 2, 1,
         Timers({{1, 0, 400}, {3, 0, 400}})},
    };
    for (const Rule& rule : rules) Check(rule);
}

}  // namespace

// The pause panel holds the round still, opened by the pause key or by a
// focus loss: only the snow, the panel and the picture go on. Keys pressed in
// the panel reach the hero only once it closes (a key still held then acts as
// held, APauseGivesTheKeysBack).
TEST_F(WorldRules, WhilePausedTheRoundStandsStill) {
    using Probe = std::function<std::vector<float>(c_MyApp&)>;
    const auto cell = [](c_MyApp& a, int col, int row) { return a.m_map.Get(a.p_CellIndex(kOriginX + col, kOriginY + row) + 9); };
    // A shot in flight, its launcher counting, a plunger running, the hero walking; or leaving while dropping in.
    const Rule running = {"", kPlungerRange, "", "", 2, 1, Timers({{1, 3, 100}, {5, 0, 400}})};
    const Rule leaving = {"", kFlat, "", "", 2, 1, [](c_MyApp& a) {
                              a.m_playerState = 10;
                              a.m_stateTimer = 100;
                              a.m_dropIn = -400;
                          }};
    const struct {
        const char* what;
        const Rule& scene;
        bool moves;
        Probe probe;
    } rows[] = {
        {"the hero", running, false, [](c_MyApp& a) -> std::vector<float> { return {float(a.m_playerX), float(a.m_playerSubX), float(a.m_playerState), float(a.m_facing)}; }},
        {"a launcher's phase", running, false, [&](c_MyApp& a) -> std::vector<float> { return {float(cell(a, 1, 3))}; }},
        {"the shot", running, false, [](c_MyApp& a) -> std::vector<float> { return {float(a.m_movers.Get(2500)), float(a.m_movers.Get(2501)), float(a.m_movers.Get(2503))}; }},
        {"the plunger's window", running, false, [&](c_MyApp& a) -> std::vector<float> { return {float(cell(a, 5, 0))}; }},
        {"the level's time", running, false, [](c_MyApp& a) -> std::vector<float> { return {float(a.m_levelUpdates)}; }},
        {"the round's random draws", running, false, [](c_MyApp&) -> std::vector<float> { return {float(kp_random_Seed)}; }},
        {"the camera", running, false, [](c_MyApp& a) -> std::vector<float> { return {a.m_camX, a.m_camY}; }},
        {"the exit sequence and the drop-in", leaving, false, [](c_MyApp& a) -> std::vector<float> { return {float(a.m_stateTimer), a.m_dropIn}; }},
        {"the snow", running, true, [](c_MyApp& a) -> std::vector<float> { return {a.m_snow.Get(1), a.m_snow.Get(2)}; }},
        {"the panel's selection", running, true, [](c_MyApp& a) -> std::vector<float> { return {float(a.m_pauseSel)}; }},
    };
    for (bool focusLoss : {false, true}) {
        for (const auto& row : rows) {
            const std::string what = std::string(row.what) + (focusLoss ? " (a focus loss)" : " (the pause key)");
            BuildMap(row.scene);
            game.host().KeyDown(kKeyArrowRight);
            game.Step(28);
            if (focusLoss) {
                game.host().Suspend();
                game.host().Resume();
            } else {
                game.host().KeyDown(kKeyEscape);
                game.Step();
                game.host().KeyUp(kKeyEscape);
            }
            game.host().KeyUp(kKeyArrowRight);
            game.Step();
            const std::vector<float> before = row.probe(app);
            for (int key : {kKeyArrowLeft, kKeyArrowUp}) game.host().KeyDown(key);  // the panel's selection keys, held
            game.Step(60);
            EXPECT_EQ(app.m_pauseShown, 1) << what;
            EXPECT_EQ(row.probe(app) != before, row.moves) << what << (row.moves ? " moves on" : " stands still");
            EXPECT_FALSE(game.Records(3.0f).empty()) << what << ": the level is still drawn";
            game.host().KeyUp(kKeyArrowUp);
            game.Click(320.0f, static_cast<float>(app.m_pauseY));  // resume, left still held
            for (int i = 0; i < 20 && app.m_pauseShown == 1; ++i) game.Step();
            ASSERT_EQ(app.m_pauseShown, 0) << what << ": resumed";
            EXPECT_EQ(app.m_facing, -1) << what << ": left, held as the panel closes, turns the hero";
            game.host().KeyUp(kKeyArrowLeft);
            game.Step();
        }
    }
}

// A pause gives the keys back: keys held as the panel closes act as held from
// the round's first update after it, the round runs through the panel's
// slide-out, and the pause key closes the panel whatever else is held.
TEST_F(WorldRules, APauseGivesTheKeysBack) {
    constexpr int kGrip = kKeyZ;
    const Rule overSpikes = {"", {"01S10", "55555", "22222"}, "", "", 2, 1, Under(kTileGripBar)};
    const Rule onFloor = {"", kWide, "", "", 2, 1};
    const auto escape = [&] {
        game.host().KeyDown(kKeyEscape);
        game.Step();
        game.host().KeyUp(kKeyEscape);
    };
    const auto clickResume = [&] { game.Click(320.0f, static_cast<float>(app.m_pauseY)); };
    const struct {
        const char* what;
        const Rule& scene;
        std::vector<int> held;            // down before the pause and through it, or pressed in the panel
        bool inPanel;
        std::function<void()> close;      // with the panel open and in place
        int updatesAfter;                 // round updates once the panel is closing
        std::function<bool(c_MyApp&)> holds;
    } rows[] = {
        {"hanging from a bar over spikes, grip held: still hanging after the pause key resumes", overSpikes,
         {kGrip}, false, escape, 40,
         [](c_MyApp& a) { return a.m_playerY == kOriginY && a.m_playerState == 0 && a.m_animCounter == 80; }},
        {"the same, resumed with a click", overSpikes, {kGrip}, false, clickResume, 40,
         [](c_MyApp& a) { return a.m_playerY == kOriginY && a.m_playerState == 0; }},
        {"the pause key closes the panel while grip is held", overSpikes, {kGrip}, false, escape, 0,
         [](c_MyApp& a) { return a.m_pauseDir == -1; }},
        {"a held direction walks from the first update after the panel (the click's second)", onFloor, {kKeyArrowRight},
         true, clickResume, 0,
         [](c_MyApp& a) { return a.m_playerState == 1 && a.m_playerSubX == 2; }},
        {"the round runs in the panel's slide-out", onFloor, {kKeyArrowRight}, true, clickResume, 7,
         [](c_MyApp& a) { return a.m_pauseShown == 1 && a.m_playerX == kOriginX + 1; }},
        {"the action key that resumes grips at once: he hangs on", overSpikes, {kGrip}, false,
         [&] {
             game.host().KeyUp(kGrip);   // let go in the panel, then the action key resumes and stays down
             game.Step(2);
             game.host().KeyDown(kGrip);
             game.Step();
         },
         30, [](c_MyApp& a) { return a.m_playerY == kOriginY && a.m_playerState == 0 && a.m_pauseShown == 0; }},
        {"the panel's keys do nothing in its slide-out (up, then the action key on quit)", onFloor, {}, false,
         [&] {
             clickResume();
             game.host().KeyDown(kKeyArrowUp);
             game.Step();
             game.host().KeyUp(kKeyArrowUp);
             game.PressKey(kGrip);
         },
         20, [](c_MyApp& a) { return a.m_quitGame == 0 && a.m_pauseShown == 0; }},
    };
    for (const auto& row : rows) {
        BuildMap(row.scene);
        if (!row.inPanel) for (int key : row.held) game.host().KeyDown(key);
        game.Step(3);
        escape();
        if (row.inPanel) for (int key : row.held) game.host().KeyDown(key);
        game.Step(20);
        ASSERT_EQ(app.m_pauseShown, 1) << row.what << ": paused";
        const int levelTime = app.m_levelUpdates;
        row.close();
        for (int i = 0; i < row.updatesAfter; ++i) game.Step();
        EXPECT_TRUE(row.holds(app)) << row.what;
        if (row.updatesAfter > 0) { EXPECT_GT(app.m_levelUpdates, levelTime) << row.what << ": the round runs"; }
        EXPECT_NE(app.m_playerState, 9) << row.what << ": alive";
        for (int key : row.held) game.host().KeyUp(key);
        for (int i = 0; i < 30 && app.m_pauseShown == 1; ++i) game.Step();
    }
}
