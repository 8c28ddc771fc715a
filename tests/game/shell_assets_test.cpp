// Asset slots at each resolution level, and the round-robin sound channels,
// observed on the real (null-output) OpenAL device.
#include <gtest/gtest.h>

#include <string>

#include "audio/audio_device.h"
#include "audio/sound.h"
#include "graphics/graphics_module.h"
#include "tests/game/shell_harness.h"

namespace {

struct LevelCase {
    int windowW, windowH;
    int level;
};

TEST(ShellAssets, ResolutionLevelFollowsTheWindowSize) {
    // A side above 630 pixels selects "-hd", above 1230 "-hd2"; so even the
    // 640 x 480 design window loads the "-hd" files.
    const LevelCase cases[] = {{400, 300, 1}, {630, 630, 1}, {640, 480, 2}, {480, 631, 2},
                               {800, 600, 2}, {640, 1230, 2}, {1231, 480, 4}, {1280, 720, 4}};
    for (const LevelCase& c : cases) {
        ShellHarness h(c.windowW, c.windowH);
        h.FinishLoading();
        c_MyApp& app = h.app();
        const std::string where = std::to_string(c.windowW) + "x" + std::to_string(c.windowH);
        EXPECT_EQ(app.m_hdLevel, c.level) << where;
        EXPECT_FLOAT_EQ(app.m_hdScale, 1.0f / c.level) << where;
        EXPECT_EQ(app.m_imageInfo[3 * 97], 32 * c.level) << where << " icons cell width";
        EXPECT_EQ(app.m_imageInfo[3 * 98 + 1], 128 * c.level) << where << " logo cell height";
        EXPECT_EQ(app.m_imageInfo[3 * 96 + 2], 256) << where << " snow frames";
        EXPECT_EQ(app.m_imageInfo[3 * 90], 7) << where << " font advance in virtual pixels";
        EXPECT_EQ(app.m_imageInfo[3 * 90 + 1], 10) << where;
        EXPECT_EQ(app.m_font, 90);
    }
}

TEST(ShellAssets, EverySlotLoadsFromTheDataFolder) {
    ShellHarness h(800, 600);
    h.FinishLoading();
    c_MyApp& app = h.app();
    for (int slot : {1, 2, 3, 8, 9, 80, 90, 91, 92, 93, 94, 95, 96, 97, 98, 99}) {
        c_Image* image = app.m_images.Get(slot);
        ASSERT_NE(image, nullptr) << "image slot " << slot;
        // The font's table entry holds its advance; its cells are 16 design pixels square.
        const int cellW = slot == 90 ? 16 * 2 : app.m_imageInfo[3 * slot];
        EXPECT_EQ(image->m_width, cellW) << "slot " << slot << " cell width at level 2";
        EXPECT_EQ(image->p_Frames(), app.m_imageInfo[3 * slot + 2]) << "slot " << slot;
    }
    for (int slot = 1; slot <= 28; ++slot) EXPECT_NE(app.m_sounds.Get(slot), nullptr) << "sound " << slot;
    for (int slot : {95, 98, 99}) EXPECT_NE(app.m_sounds.Get(slot), nullptr) << "sound " << slot;
    EXPECT_EQ(app.m_sounds.Get(0), nullptr);
    EXPECT_EQ(app.m_sounds.Get(29), nullptr);
}

TEST(ShellAssets, EffectsCycleOverChannels1To23Then0) {
    ShellHarness h;
    h.FinishLoading();
    c_MyApp& app = h.app();
    ASSERT_NE(app.m_sounds.Get(98), nullptr);
    EXPECT_EQ(app.m_sfxChannel, 0);
    for (int n = 1; n <= 25; ++n) {
        const float rate = 0.5f + 0.01f * n;
        app.p_PlaySFX(98, rate, 0.25f, 0.0f);
        const int expected = n % 24;
        ASSERT_EQ(app.m_sfxChannel, expected) << "effect " << n;
        EXPECT_TRUE(ChannelHoldsSound(app, expected, 98)) << "effect " << n;
        EXPECT_FLOAT_EQ(ChannelPitch(expected), rate) << "effect " << n;
        EXPECT_FLOAT_EQ(ChannelGain(expected), 0.25f) << "effect " << n;
    }
    EXPECT_EQ(kp_audio_device->ChannelState(24), kChannelStopped) << "channels above 23 are never used";
}

TEST(ShellAssets, SoundSwitchOffTouchesNoChannel) {
    ShellHarness h;
    h.FinishLoading();
    c_MyApp& app = h.app();
    for (int value : {0, 3, -1}) {
        app.m_settings[5] = value;
        app.p_PlaySFX(98, 1.0f, 1.0f, 0.0f);
        EXPECT_EQ(app.m_sfxChannel, 0) << "setting 5 = " << value;
        EXPECT_EQ(kp_audio_device->channels[1].source, 0u) << "setting 5 = " << value;
    }
    app.m_settings[5] = 2;
    app.p_PlaySFX2(98, 0.5f);
    EXPECT_EQ(app.m_sfxChannel, 1) << "2 also counts as on";
    EXPECT_FLOAT_EQ(ChannelPitch(1), 1.0f);
}

TEST(ShellAssets, MissingSoundStillClaimsAndSetsItsChannel) {
    ShellHarness h;
    h.FinishLoading();
    c_MyApp& app = h.app();
    app.p_PlaySFX(60, 1.5f, 0.3f, 0.0f);  // no file for slot 60
    EXPECT_EQ(app.m_sfxChannel, 1);
    EXPECT_EQ(kp_audio_device->ChannelState(1), kChannelStopped);
    EXPECT_FLOAT_EQ(ChannelPitch(1), 1.5f);
    app.p_PlaySFX(500, 1.0f, 0.3f, 0.0f);  // outside the slot table
    EXPECT_EQ(app.m_sfxChannel, 2);
}

}  // namespace
