// What a player sees: every screen drawn by the real renderer into a 640 x 480
// window of the test X server and compared with its reference picture in
// pictures/. The game runs on the test clock, so the snow, the sky and the
// ending's poses are the same on every run. Pictures are kept and compared at
// half size (each pixel the mean of a 2 x 2 block), which keeps the files small
// and still shows one glyph missing.
//
// A failed comparison writes the picture and a difference image into the build
// folder's pictures/ and names them. GLIMMER_UPDATE_PICTURES=1 (scripts/
// update-pictures.sh) rewrites the references instead and lists those that changed.
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "game/world/level_hash.h"
#include "game/world/level_map.h"
#include "game/world/level_store.h"
#include "game/world/tiles.h"
#include "tests/testhost/test_game.h"

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace {

// The tolerance, in one place: a pixel differs when one of its channels is off
// by more than kChannelTolerance; a picture matches while at most
// kDifferingPixels of its half-size pixels differ.
constexpr int kChannelTolerance = 16;
constexpr int kDifferingPixels = 6;

constexpr int kWidth = 640, kHeight = 480, kShrink = 2;
constexpr int kEscape = 27;
constexpr int kSchemeSetting = 1, kHelpSetting = 3;

struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
};

// The headless host's clock and input with a real GL context: the renderer
// draws into the back buffer of a hidden window, read back after each render.
class WindowHost : public KpHeadlessGame {
public:
    bool Open() {
        if (!glfwInit()) return false;
        glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
        glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
        window_ = glfwCreateWindow(kWidth, kHeight, "Glimmer pictures", nullptr, nullptr);
        if (!window_) return false;
        glfwMakeContextCurrent(window_);
        ++kpGraphicsSeq;
        return true;
    }
    bool HasGraphicsContext() override { return window_ && glfwGetCurrentContext() == window_; }

    // The frame last rendered, halved.
    Picture Read() const {
        std::vector<unsigned char> rgba(kWidth * kHeight * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        Picture p{kWidth / kShrink, kHeight / kShrink, {}};
        p.rgb.resize(p.width * p.height * 3);
        for (int y = 0; y < p.height; ++y) {
            for (int x = 0; x < p.width; ++x) {
                for (int c = 0; c < 3; ++c) {
                    int sum = 0;
                    for (int dy = 0; dy < kShrink; ++dy) {
                        for (int dx = 0; dx < kShrink; ++dx) {
                            const int row = kHeight - 1 - (y * kShrink + dy);  // GL rows run bottom up
                            sum += rgba[(row * kWidth + x * kShrink + dx) * 4 + c];
                        }
                    }
                    p.rgb[(y * p.width + x) * 3 + c] = static_cast<unsigned char>((sum + 2) / 4);
                }
            }
        }
        return p;
    }

private:
    GLFWwindow* window_ = nullptr;
};

bool Load(const std::string& path, Picture* p) {
    int channels = 0;
    unsigned char* data = stbi_load(path.c_str(), &p->width, &p->height, &channels, 3);
    if (!data) return false;
    p->rgb.assign(data, data + p->width * p->height * 3);
    stbi_image_free(data);
    return true;
}

bool Save(const std::string& path, const Picture& p) {
    stbi_write_png_compression_level = 9;
    return stbi_write_png(path.c_str(), p.width, p.height, 3, p.rgb.data(), p.width * 3) != 0;
}

// Pixels that differ beyond the tolerance, marked in `diff` (red on a dimmed copy).
int Differing(const Picture& a, const Picture& b, Picture* diff) {
    *diff = a;
    int count = 0;
    for (size_t i = 0; i + 2 < a.rgb.size(); i += 3) {
        bool differs = false;
        for (int c = 0; c < 3; ++c) differs = differs || std::abs(a.rgb[i + c] - b.rgb[i + c]) > kChannelTolerance;
        count += differs;
        for (int c = 0; c < 3; ++c) diff->rgb[i + c] = differs ? (c == 0 ? 255 : 0) : a.rgb[i + c] / 4;
    }
    return count;
}

class Pictures : public testing::Test {
protected:
    static TestGame* game;
    static WindowHost* host;

    static void SetUpTestSuite() {
        host = new WindowHost();  // kept for the process, as every test host is
        ASSERT_TRUE(host->Open()) << "no window: pictures need an X display with OpenGL";
        TestGameOptions options;
        options.host = host;
        game = new TestGame(options);
        game->FinishLoading();
    }

    c_MyApp& app() { return game->app(); }

    // Compares the frame of the last update with pictures/NAME.png, or
    // rewrites that file when updating.
    void Expect(const std::string& name) {
        ASSERT_TRUE(host) << "no window";
        game->host().Render();
        const Picture actual = host->Read();
        const std::string reference = std::string(GLIMMER_PICTURES_DIR) + "/" + name + ".png";
        Picture expected, diff;
        const bool loaded = Load(reference, &expected);
        const bool same = loaded && expected.width == actual.width && expected.height == actual.height &&
                          Differing(actual, expected, &diff) <= kDifferingPixels;
        if (std::getenv("GLIMMER_UPDATE_PICTURES")) {
            if (!same) {
                ASSERT_TRUE(Save(reference, actual)) << reference;
                std::printf("changed: %s\n", reference.c_str());
            }
            return;
        }
        const std::string out = std::string(GLIMMER_PICTURES_OUT) + "/" + name;
        std::filesystem::create_directories(GLIMMER_PICTURES_OUT);
        if (same) return;
        Save(out + ".png", actual);
        if (!loaded) {
            ADD_FAILURE() << "no reference " << reference << "; the picture is " << out
                          << ".png (bash scripts/update-pictures.sh makes the references)";
            return;
        }
        Save(out + "-diff.png", diff);
        ADD_FAILURE() << name << ": " << Differing(actual, expected, &diff) << " of " << actual.width * actual.height
                      << " half-size pixels differ from " << reference << " by more than " << kChannelTolerance
                      << "; the picture is " << out << ".png, the differences " << out << "-diff.png";
    }

    // Level n just entered by the game (its drop-in over), help and scheme as given.
    void EnterLevel(int n, int scheme, bool help) {
        app().m_settings[kSchemeSetting] = scheme;
        app().m_settings[kHelpSetting] = help ? 0 : 1;
        app().p_LoadGame();
        if (n != 1) app().p_BeginLevel(n);
        game->host().StepWithoutRender(60);
    }

    // Level n's committed script played until `done` holds after an update, or to its end.
    void Walk(int n, const std::function<bool()>& done) {
        const InputScript script = LevelScript(n);
        for (int i = 0; i < script.Updates() && !done(); ++i) {
            game->HoldKeys(script.KeysAt(i));
            game->host().StepWithoutRender();
        }
        game->HoldKeys(0);
    }
};
TestGame* Pictures::game = nullptr;
WindowHost* Pictures::host = nullptr;

TEST_F(Pictures, MainMenuAndCredits) {
    game->Step(40);
    Expect("menu");
    game->PressKey(kKeyN);
    game->Step(30);
    Expect("credits");
    game->PressKey(kEscape);
    game->Step(30);
}

// Level 1 with the timer on: at its start, after a walk to its tree, and paused there.
TEST_F(Pictures, LevelOneWalkedAndPaused) {
    app().m_records.timerShown = true;
    EnterLevel(1, 1, false);
    Expect("level01-start");
    Walk(1, [&] { return app().m_levelUpdates >= 130; });
    game->Step();
    Expect("level01-walk");
    game->PressKey(kEscape);
    game->Step(15);
    Expect("pause");
    app().m_records.timerShown = false;
}

// Level 2's tutorial where its hint depends on the jump scheme.
TEST_F(Pictures, LevelTwoTutorialUnderEachJumpScheme) {
    for (const int scheme : {1, 2}) {
        EnterLevel(2, scheme, true);
        // Steps 3 and 4 tell the jump buttons of the scheme; the picture once the bubble is open.
        Walk(2, [&] { return (app().m_tutStep == 3 || app().m_tutStep == 4) && app().m_tutScale >= 2.5f; });
        ASSERT_TRUE(app().m_tutStep == 3 || app().m_tutStep == 4) << "scheme " << scheme << ": step " << app().m_tutStep;
        game->Step();
        Expect("level02-tutorial-scheme" + std::to_string(scheme));
    }
}

// Every kind of tile around the hero in level 1.
TEST_F(Pictures, EveryTileKind) {
    EnterLevel(1, 1, false);
    const int tiles[] = {kTileGripBar,   kTileWall,          kTileLadder,    kTileBonus,      kTileSpikesFirst,
                         6,              7,                  kTileSpikesLast, kTileFlipEven,  kTileFlipOdd,
                         kTilePlunger,   kTileCountedPickup, kTileTreeUnlit, kTileTreeLit,    kTileHandleRight,
                         kTileHandleLeft, kTileLauncherRight, kTileLauncherLeft, kTileDecorA, kTileDecorB};
    const int x0 = app().m_playerX - 7, y0 = app().m_playerY - 3;
    for (size_t i = 0; i < std::size(tiles); ++i) {
        app().p_PutBlock(x0 + static_cast<int>(i % 7) * 2, y0 + static_cast<int>(i / 7) * 2 - 2, tiles[i], 0, 0, 0);
    }
    app().p_PutBlock(x0 + 12, y0 + 4, kTileExit, 0, 0, 0);
    game->Step(2);
    Expect("tiles");
}

// The Records screen with level 1's run and a few other records.
TEST_F(Pictures, RecordsScreen) {
    EnterLevel(1, 1, false);
    Walk(1, [] { return false; });
    ASSERT_TRUE(app().m_levelDone) << "level 1's script reaches the exit";
    app().m_records.levels[2].fewestDeaths = 3;
    app().m_records.levels[2].bestUpdates = 3725;
    app().m_records.bestGameUpdates = 98765;
    app().m_records.assisted[0] = {0, 777, 2, {1}, 70};   // an assisted run, apart, marked with its speed
    app().m_records.bestAssistedGameUpdates = 123456;
    app().m_records.assistedGameSpeed = 60;
    app().m_screen = kScreenMenu;
    game->Step(40);
    game->PressKey(kKeyR);
    app().m_recordsSel = 0;
    game->Step(2);
    // Level 1's world board as a server gives it, with the player's own place.
    WorldTop top;
    top.board = kp_boards_BoardText(kp_Glimmer_LevelHash(1));
    const char* const names[] = {"Holly", "Ivy", "Nutcracker 3000", "Jingle", "Tinsel & Co", "Noel", "Frost",
                                 "Pinecone", "Mistletoe", "Snowdrop"};
    for (int i = 0; i < 10; ++i) {
        const int updates = 118 + 7 * i * i;
        top.runs.push_back({i + 1, names[i], updates, kp_replay_TimeText(updates), i + 1});
    }
    top.playerPlaced = true;
    top.player = {27, "Pipkin", 480, kp_replay_TimeText(480), 40};
    app().m_boards.Shown(kp_Glimmer_LevelHash(1), top);
    game->Step(18);
    Expect("records");
    game->PressKey(kEscape);
}

TEST_F(Pictures, Ending) {
    EnterLevel(1, 1, false);
    app().m_level = 15;
    app().m_playerState = 10;  // leaving level 15
    app().m_stateTimer = 0;
    game->Step(60);
    ASSERT_EQ(app().m_screen, kScreenEnding);
    Expect("ending");
}

// The level editor on a copy of level 3, a rectangle chosen and the rules broken by a second start.
TEST_F(Pictures, LevelEditor) {
    LevelFile level;
    ASSERT_TRUE(kp_level_Decode(kp_Levels_FetchLevel(3).ToCString(), &level.map));
    level.name = "Level 3 copy";
    level.maker = "Tester";
    app().p_OpenEditor(level, std::string());
    app().m_editor.dirty = false;
    app().m_editor.edit.Place(app().m_editor.cursorX + 3, app().m_editor.cursorY, 'S');
    app().m_editor.hasSelection = true;
    app().m_editor.selection = {app().m_editor.cursorX - 4, app().m_editor.cursorY - 3, app().m_editor.cursorX - 1,
                                app().m_editor.cursorY - 1};
    app().m_editor.dirty = false;
    game->Step(2);
    Expect("editor");
    app().m_screen = kScreenMenu;
}

// The Options and Controls screens, opened from the menu.
TEST_F(Pictures, OptionsAndControls) {
    app().m_screen = kScreenMenu;
    game->Step();
    for (const int screen : {kScreenOptions, kScreenControls}) {
        app().p_OpenSettingsScreen(screen);
        game->Step(2);
        Expect(screen == kScreenOptions ? "options" : "controls");
        app().p_LeaveSettingsScreen();
    }
}

// Calm effects with every tree lit around the tiles of EveryTileKind: one sky
// colour, and the exit open, ringed.
TEST_F(Pictures, CalmEffectsAndTheOpenExit) {
    app().m_playerSettings.calm = true;
    EnterLevel(1, 1, false);
    const int x0 = app().m_playerX - 7, y0 = app().m_playerY - 3;
    app().p_PutBlock(x0 + 2, y0 - 2, kTileTreeLit, 0, 0, 0);
    app().p_PutBlock(x0 + 12, y0 + 4, kTileExit, 0, 0, 0);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            if (app().p_Tile(x, y) == kTileTreeUnlit) app().p_PutBlock(x, y, kTileTreeLit, 0, 0, 0);
        }
    }
    game->Step(40);
    Expect("calm-open-exit");
    app().m_playerSettings.calm = false;
}

}  // namespace

// The Records screen's second panel: the whole game's times and the highscores
// (last, so that the screens above draw the same snow as before it).
TEST_F(Pictures, RecordsHighscores) {
    app().m_screen = kScreenMenu;
    game->Step(40);
    game->PressKey(kKeyR);
    game->PressKey(kKeyW);
    game->Step(20);
    Expect("records-highscores");
    game->PressKey(kKeyW);
    game->PressKey(kEscape);
}
