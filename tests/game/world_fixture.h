// Runs the whole game headlessly for world tests: one program per test
// process (the runtime starts once), a fresh level per test, maps drawn from
// text, controls pressed through the host's real input path, and the sound
// effects each update started read back from the audio device's channels.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "audio/audio_device.h"
#include "audio/sound.h"
#include "game/shell/my_app.h"
#include "game/world/tiles.h"
#include "tests/game/shell_harness.h"
#include "tools/testhost/headless_game.h"

// Keyboard codes of the game's controls.
constexpr int kKeyLeftArrow = 37;
constexpr int kKeyUpArrow = 38;
constexpr int kKeyRightArrow = 39;
constexpr int kKeyDownArrow = 40;
constexpr int kKeyHold = 90;     // Z: grip
constexpr int kKeyJumpL = 88;    // X: first jump button
constexpr int kKeyJumpR = 67;    // C: second jump button
constexpr int kKeyEscape = 27;

class WorldTest : public ::testing::Test {
public:
    static KpHeadlessGame* host;
    static c_MyApp* app;

    static void SetUpTestSuite() {
        if (host) return;
        // One booted game serves every world test; the asset loader runs first.
        static ShellHarness* harness = new ShellHarness(640, 480);
        harness->FinishLoading();
        host = &harness->host();
        app = &harness->app();
    }

    void SetUp() override {
        ReleaseAll();
        app->m_settings[5] = 1;   // sound on, so effects reach the channels
        app->m_settings[1] = 2;   // two-button jump scheme
        app->m_settings[3] = 1;   // tutorial off unless a test wants it
        app->p_LoadGame();
        app->m_pauseShown = 0;
    }

    void TearDown() override { ReleaseAll(); }

    // Empties the level and draws `rows` into it with its top-left corner at
    // (ox, oy). "S" places the hero; other characters are level-text tiles.
    void BuildMap(const std::vector<std::string>& rows, int ox = 10, int oy = 20) {
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 64; ++x) {
                bool edge = x == 0 || y == 0 || x == 63 || y == 63;
                app->p_PutBlock(x, y, edge ? 2 : 0, 0, 0, 0);
            }
        }
        for (int i = 0; i < kMoverRecords; ++i) app->m_movers[i * 10] = 0;
        for (size_t r = 0; r < rows.size(); ++r) {
            for (size_t c = 0; c < rows[r].size(); ++c) {
                int x = ox + static_cast<int>(c), y = oy + static_cast<int>(r);
                char ch = rows[r][c];
                if (ch == 'S') {
                    app->m_playerX = x;
                    app->m_playerY = y;
                    continue;
                }
                int tile = kp_Tiles_Ascii2Val(ch);
                if (ch == 'X') tile = 999;
                int timer = (tile == 25 || tile == 26) ? (23 * x + 35 * y) % 120 : 0;
                app->p_PutBlock(x, y, tile, 0, 0, timer);
            }
        }
        app->m_playerSubX = app->m_playerSubY = 0;
        app->m_playerState = 0;
        app->m_facing = 1;
        app->m_dropIn = 0;
        app->m_jumpLatch = 0;
        app->m_keyLatch = 0;
        app->m_lightsLeft = app->m_lightsCounting = 1;
        app->m_flipCount = app->m_flipCountPrev = 0;
    }

    // Puts the hero on a tile without changing it (to stand on a bar, a handle, a plunger...).
    void PlaceHero(int x, int y) {
        app->m_playerX = x;
        app->m_playerY = y;
    }

    void Press(int key) { host->KeyDown(key); held_.insert(key); }
    void Release(int key) { host->KeyUp(key); held_.erase(key); }
    void ReleaseAll() {
        for (int key : std::set<int>(held_)) Release(key);
    }

    // Runs n updates; returns the sound slots the updates started, in order.
    std::vector<int> Run(int n = 1) {
        std::vector<int> played;
        for (int i = 0; i < n; ++i) {
            int before = app->m_sfxChannel;
            host->StepWithoutRender(1);
            for (int ch = before; ch != app->m_sfxChannel;) {
                ch = (ch + 1) % 24;
                played.push_back(SoundOnChannel(app->m_channelMap.Get(ch)));
            }
        }
        return played;
    }

    // Updates until the hero stands still again (at most `limit`); returns how many ran.
    int RunUntilStanding(int limit = 200) {
        for (int i = 1; i <= limit; ++i) {
            Run();
            if (app->m_playerState == 0) return i;
        }
        return -1;
    }

    static int SoundOnChannel(int channel) {
        gxtkAudio* device = kp_audio_device;
        if (!device) return -1;
        gxtkSample* sample = device->channels[channel].sample;
        for (int id = 0; id < 100; ++id) {
            c_Sound* sound = app->m_sounds.Get(id);
            if (sound && sound->m_sample == sample) return id;
        }
        return -1;
    }

    static bool Contains(const std::vector<int>& v, int id) {
        for (int x : v) if (x == id) return true;
        return false;
    }

    int Tile(int x, int y) { return app->p_Tile(x, y); }

private:
    std::set<int> held_;
};

inline KpHeadlessGame* WorldTest::host = nullptr;
inline c_MyApp* WorldTest::app = nullptr;
