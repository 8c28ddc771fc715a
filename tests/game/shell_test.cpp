// The shell on the headless host: loading, the image slots at each
// resolution level, a window without area, suspending, the update meter, the
// sound-effect channels, the draw list and text layout, the button box.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "audio/audio_device.h"
#include "audio/sound.h"
#include "game/shell/globals.h"
#include "graphics/graphics_module.h"
#include "tests/testhost/test_game.h"

namespace {
constexpr int kSfxChannels = 24;

// (The virtual screen at other window sizes: Pointer.EveryTargetActsInsideItsEdgesAndNotOneVirtualPixelOutside.)
TEST(Shell, AWindowWithoutAreaKeepsTheLastVirtualScreenAndLoadsNothing) {
    TestGame& game = TestGame::Shared();
    c_MyApp& app = game.app();
    game.host().SetWindowSize(1280, 720);
    game.host().Render();
    game.FinishLoading();
    game.host().SetWindowSize(0, 0);
    game.host().Render();
    EXPECT_EQ(app.m_loadStep, 0);
    EXPECT_EQ(kp_Glimmer_jscrw, 640.0f);
    EXPECT_EQ(kp_Glimmer_jscrh, 360.0f);
    game.host().SetWindowSize(640, 480);
    game.host().Render();
    game.FinishLoading();
}

// Only a game in play has a pause panel: a focus lost on the menu, the
// Records screen or the ending leaves the pause flag down (it would keep the
// music stopped on the menu until a game began).
TEST(Shell, SuspendPausesAGameButNotTheOtherScreens) {
    TestGame& game = TestGame::Shared();
    c_MyApp& app = game.app();
    for (const auto& [screen, name] : {std::pair{kScreenMenu, "the menu"}, {kScreenRecords, "the Records screen"},
                                       {kScreenEnding, "the ending"}}) {
        app.m_screen = screen;
        game.host().Suspend();
        EXPECT_EQ(game.host().UpdateRate(), 5);
        EXPECT_EQ(app.m_pauseShown, 0) << "no pause panel over " << name;
        game.host().Resume();
        EXPECT_EQ(app.m_pauseShown, 0) << name;
        EXPECT_EQ(game.host().UpdateRate(), 60);
    }

    app.p_LoadGame();
    game.Step();
    app.m_keys[3] = 2;  // a held virtual key
    game.host().Suspend();
    EXPECT_EQ(app.m_pauseShown, 1);
    EXPECT_EQ(app.m_pauseY, 240) << "the panel is in place at once";
    EXPECT_EQ(app.m_keys[3], 0) << "held keys are dropped";
    game.host().Resume();
    EXPECT_EQ(app.m_pauseShown, 1) << "the game comes back paused";
    EXPECT_EQ(game.host().UpdateRate(), 60);
    app.m_screen = kScreenMenu;
    app.m_pauseShown = 0;
}

TEST(Shell, UpdateMeterKeepsItsValueWhenTheClockStands) {
    TestGame& game = TestGame::Shared();
    const double clock = game.host().ClockMillis();
    game.host().SetClockMillis(clock + 20);
    game.host().Update();
    game.host().SetClockMillis(clock + 40);
    game.host().Update();
    EXPECT_EQ(game.app().m_updateFps, 50) << "1000 / 20 ms";
    game.host().Update();  // the clock has not moved
    EXPECT_EQ(game.app().m_updateFps, 50);
}

TEST(Shell, SoundEffectsTakeChannels1To23Then0) {
    TestGame& game = TestGame::Shared();
    c_MyApp& app = game.app();
    app.m_settings[kSettingSound] = 1;
    app.m_sfxChannel = 0;
    for (int n = 1; n <= kSfxChannels + 1; ++n) {
        const float rate = 0.5f + 0.01f * n;
        app.p_PlaySFX(kSfxConfirm, rate, 0.25f, 0.0f);
        ASSERT_EQ(app.m_sfxChannel, n % kSfxChannels) << "effect " << n;
        EXPECT_EQ(game.SoundOn(n % kSfxChannels), kSfxConfirm) << "effect " << n;
        EXPECT_FLOAT_EQ(ChannelPitch(n % kSfxChannels), rate) << "effect " << n;
        EXPECT_FLOAT_EQ(ChannelGain(n % kSfxChannels), 0.25f) << "effect " << n;
    }
    EXPECT_EQ(kp_audio_device->ChannelState(kSfxChannels), kChannelStopped) << "channel 24 is never used";

    // A slot without a sound, or outside the table, still claims its channel and sets its rate.
    for (const auto& [slot, channel] : {std::pair{60, 2}, {500, 3}}) {
        app.p_PlaySFX(slot, 1.5f, 0.3f, 0.0f);
        EXPECT_EQ(app.m_sfxChannel, channel);
        EXPECT_EQ(kp_audio_device->ChannelState(channel), kChannelStopped);
        EXPECT_FLOAT_EQ(ChannelPitch(channel), 1.5f);
    }

    // The sound switch: 1 and 2 play, anything else touches no channel.
    for (const auto& [value, plays] : {std::pair{0, false}, {3, false}, {-1, false}, {2, true}}) {
        app.m_settings[kSettingSound] = value;
        app.p_PlaySFX(kSfxConfirm, 1.0f, 1.0f, 0.0f);
        EXPECT_EQ(app.m_sfxChannel, plays ? 4 : 3) << "sound setting " << value;
    }
    app.m_settings[kSettingSound] = 1;
}

TEST(Shell, TextLayout) {
    // Glyph `index` of the text drawn at (100, 50), size 1, advance 7, line 10.
    struct Case {
        std::u16string text;
        float alignX, alignY, rotation;
        size_t glyphs, index;
        float x, y;
        int frame;  // -1: any
    };
    const Case cases[] = {
        {u"abc", 0, 1, 0, 3, 0, 100, 50, 'a' - 32},  {u"abc", 0, 1, 0, 3, 2, 114, 50, -1},
        {u"abc", 1, 1, 0, 3, 0, 93, 50, -1},         {u"abc", 2, 1, 0, 3, 0, 86, 50, -1},
        {u"abc", 0, 0, 0, 3, 0, 100, 55, -1},        {u"abc", 0, 2, 0, 3, 0, 100, 45, -1},
        {u" Click to Start", 1, 1, 0, 12, 0, 100 - 7 * 14 / 2.0f + 7, 50, 'C' - 32},  // a leading space takes an advance
        {u"a\\", 0, 1, 0, 2, 1, 107, 50, 60},         // a trailing backslash is drawn
        {u"ab\\ncd", 0, 1, 0, 4, 2, 100, 60, 'c' - 32},  // the escape starts a new line
        {std::u16string(u"a\0b\u00c8c\\x", 7), 0, 1, 0, 5, 1, 107, 50, 'b' - 32},  // unit 0: no advance
        {std::u16string(u"a\0b\u00c8c\\x", 7), 0, 1, 0, 5, 2, 121, 50, 'c' - 32},  // unit 200: an advance
        {u"", 1, 1, 0, 0, 0, 0, 0, -1},
        {u"ab", 0, 1, -90, 2, 1, 100, 43, -1},       // the pen follows the rotation
    };
    TestGame& game = TestGame::Shared();
    c_MyApp& app = game.app();
    for (const Case& c : cases) {
        app.p_CLS2D(NO_VALUE, 0, 0, 0);
        app.p_SetRot(c.rotation);
        const String text(reinterpret_cast<const Char*>(c.text.data()), static_cast<int>(c.text.size()));
        app.p_Text(100.0f, 50.0f, text, c.alignX, c.alignY);
        const std::vector<DrawRecord> glyphs = game.Records(kImageFont);
        const std::string where = "\"" + text.ToUtf8() + "\" glyph " + std::to_string(c.index);
        ASSERT_EQ(glyphs.size(), c.glyphs) << where;
        if (c.glyphs == 0) continue;
        EXPECT_NEAR(glyphs[c.index].x, c.x, 1e-3) << where;
        EXPECT_NEAR(glyphs[c.index].y, c.y, 1e-3) << where;
        if (c.frame >= 0) {
            EXPECT_EQ(glyphs[c.index].frame, c.frame) << where;
        }
    }
    app.p_SetRot(0);
}

TEST(Shell, DrawListKeepsTheFirst2499Records) {
    TestGame& game = TestGame::Shared();
    c_MyApp& app = game.app();
    app.p_CLS2D(NO_VALUE, 0, 0, 0);
    for (int i = 0; i < 2600; ++i) app.p_Rect(static_cast<float>(i), 0.0f, 1.0f, 1.0f);
    const std::vector<DrawRecord> rects = game.Records(kDrawRect);
    ASSERT_EQ(rects.size(), 2499u);
    EXPECT_EQ(rects.back().x, 2498.0f);
}

// A 40 x 20 box about (100, 100): strictly inside counts, for a slot without an image too;
// any of the ten touches counts, but only touch 0 for p_Button0.
TEST(Shell, ButtonBoxIsStrictAndWorksWithoutItsImage) {
    c_MyApp& app = TestGame::Shared().app();
    app.p_LoadImg(50, String("no/such/button"), 20, 10, 1, 1);
    ASSERT_EQ(app.m_images.Get(50), nullptr);
    app.p_SetSize(2.0f);  // at the 640 x 480 window's level
    const int cases[][4] = {{100, 100, 0, 1}, {120, 100, 0, 0}, {119, 100, 0, 1}, {80, 100, 0, 0}, {81, 100, 0, 1},
                            {100, 110, 0, 0}, {100, 109, 0, 1}, {100, 90, 0, 0},  {100, 91, 0, 1},  {100, 100, 9, 1}};
    app.m_pointerDown = 1;
    for (const auto& c : cases) {
        for (int touch = 0; touch < 10; ++touch) app.m_touchX[touch] = app.m_touchY[touch] = -3717;
        app.m_touchX[c[2]] = c[0];
        app.m_touchY[c[2]] = c[1];
        EXPECT_EQ(app.p_Button(50, 100.0f, 100.0f, 0), c[3]) << "touch " << c[2] << " at " << c[0] << "," << c[1];
        EXPECT_EQ(app.p_Button0(50, 100.0f, 100.0f, 0), c[3] == 1 && c[2] == 0) << "touch " << c[2];
    }
    app.m_pointerDown = 0;
    EXPECT_EQ(app.p_Button(50, 100.0f, 100.0f, 0), 0) << "no pointer down";
    for (int i = 150; i < 153; ++i) app.m_imageInfo[i] = 0;
}

// Fresh games come last: after one, the shared game has to boot again.
TEST(Shell, LoadingTakes34UpdatesThenTheMenuRuns) {
    TestGame game;
    c_MyApp& app = game.app();
    ASSERT_EQ(app.m_loadStep, 1) << "loading starts with the first update";
    game.Step(33);
    EXPECT_EQ(app.m_loadStep, 34);
    EXPECT_EQ(app.m_clsRed, 40.0f) << "the loading screen's colour";
    game.Step();
    EXPECT_EQ(app.m_loadStep, 0) << "update 34 ends loading";
    EXPECT_EQ(app.m_menuSlide, -32) << "the menu has not run yet";
    game.Step();
    EXPECT_EQ(app.m_menuSlide, -31) << "update 35 runs the menu";
    EXPECT_EQ(app.m_clsRed, 0.0f);
}

// Every slot the loader fills holds its file's frames at each level (a new
// window size loads the assets again and returns to the menu).
TEST(Shell, EveryImageSlotLoadsAtEachResolutionLevel) {
    TestGameOptions small;
    small.width = 400;
    small.height = 300;
    TestGame game(small);
    c_MyApp& app = game.app();
    for (const auto& [w, h, level] : {std::tuple{400, 300, 1}, {1280, 720, 4}, {640, 480, 2}}) {
        game.host().SetWindowSize(w, h);
        game.Step();
        game.FinishLoading();
        ASSERT_EQ(app.m_hdLevel, level) << w << "x" << h;
        EXPECT_EQ(app.m_screen, kScreenMenu);
        int slots = 0;
        for (int slot = 0; slot < kImageSlots; ++slot) {
            if (app.m_imageInfo[3 * slot + 2] == 0) continue;
            ++slots;
            ASSERT_NE(app.m_images.Get(slot), nullptr) << "image slot " << slot << " at level " << level;
            EXPECT_EQ(app.m_images.Get(slot)->p_Frames(), app.m_imageInfo[3 * slot + 2]) << "slot " << slot;
        }
        EXPECT_EQ(slots, 16) << "level " << level;
    }
}

}  // namespace
