// Asset loading, one step per update behind the loading screen, and the
// round-robin sound-effect channels.
#include "audio/sound.h"
#include "game/shell/my_app.h"
#include "graphics/graphics_module.h"

namespace {
constexpr int kFontFrames = 128;
constexpr int kFontCell = 16;
constexpr int kSfxChannels = 24;          // effects cycle over channel indices 0..23
constexpr int kHdThreshold = 630;         // a side above this loads the "-hd" files
constexpr int kHd2Threshold = 1230;       // a side above this loads the "-hd2" files

// File name suffix of a resolution level.
const char* LevelSuffix(int level) {
    if (level == 4) return "-hd2";
    if (level == 2) return "-hd";
    return "";
}
}  // namespace

int c_MyApp::p_ChooseResolution() {
    int w = 0, h = 0;
    if (KpGame::_game) KpGame::_game->WindowSize(&w, &h);
    m_hdLevel = 1;
    if (w > kHdThreshold || h > kHdThreshold) m_hdLevel = 2;
    if (w > kHd2Threshold || h > kHd2Threshold) m_hdLevel = 4;
    m_hdScale = 1.0f / m_hdLevel;
    return 0;
}

int c_MyApp::p_Reload() {
    m_clsRed = 0.0f;
    m_clsGreen = 0.0f;
    m_clsBlue = 0.0f;
    m_clsAlpha = 1.0f;
    p_ChooseResolution();
    p_LoadImg(kImageStudioLogo, String("common/ZOLTLogo"), 256, 256, 1, kImageMidHandle);
    p_LoadFont(kImageFont, String("fonts/editundo"), 7, 10);
    m_loadStep = 1;
    return 0;
}

int c_MyApp::p_Loader() {
    p_ChooseResolution();
    const int step = m_loadStep;
    switch (step) {
        case 1: p_LoadImg(kImageIcons, String("common/icons"), 32, 32, 20, kImageMidHandle); break;
        case 2: p_LoadImg(kImageButtons, String("common/Buttons"), 64, 64, 16, kImageMidHandle); break;
        case 3: p_LoadImg(kImageDpad, String("common/dpad"), 32, 32, 16, kImageMidHandle); break;
        case 4: p_LoadImg(kImageICade, String("common/icade"), 64, 64, 2, kImageMidHandle); break;
        case 5:
            p_LoadImg(kImageStudioLogo, String("common/ZOLTLogo"), 256, 256, 1, kImageMidHandle);
            p_LoadImg(kImageTestcard, String("common/Testcard_Circle"), 256, 256, 1, kImageMidHandle);
            break;
        case 6: p_LoadFont(kImageFont, String("fonts/editundo"), 7, 10); break;
        case 7: p_LoadSFX(1); break;
        case 8: p_LoadSFX(95); break;
        case 9: p_LoadSFX(98); break;
        case 10: p_LoadSFX(99); break;
        case 11: p_LoadImg(kImageMenu, String("menu"), 256, 256, 4, kImageMidHandle); break;
        case 12: p_LoadImg(kImageLogo, String("logo"), 256, 128, 1, kImageMidHandle); break;
        case 13: p_LoadImg(kImageParts, String("parts"), 8, 8, 256, kImageMidHandle); break;
        case 14: p_LoadImg(kImageBadges, String("BadgesA"), 64, 64, 64, kImageMidHandle); break;
        case 15: p_LoadImg(kImageHero, String("plat"), 32, 32, 64, kImageMidHandle); break;
        case 16: p_LoadImg(kImageMovers, String("nme"), 32, 32, 64, kImageMidHandle); break;
        case 17: p_LoadImg(kImageTiles, String("gfx1"), 32, 32, 64, kImageMidHandle); break;
        case 31: p_LoadSFX(28); break;
        case 32: p_LoadImg(kImageStar, String("circle"), 128, 128, 2, kImageMidHandle); break;
        case 33: p_LoadImg(kImageBubble, String("bubble"), 128, 64, 1, kImageMidHandle); break;
        default:
            if (step >= 18 && step <= 30) {
                // Two sounds per step: 2 and 3 on step 18, ..., 26 and 27 on step 30.
                p_LoadSFX(2 * step - 34);
                p_LoadSFX(2 * step - 33);
            } else {
                m_loadStep = 0;
            }
            break;
    }
    if (m_loadStep > 0) m_loadStep += 1;
    p_WaitStart(1);
    return 0;
}

int c_MyApp::p_LoadImg(int slot, const String& name, int w, int h, int frames, int flags) {
    const String path = name + String(LevelSuffix(m_hdLevel)) + String(".png");
    const int cellW = w * m_hdLevel;
    const int cellH = h * m_hdLevel;
    m_images[slot] = nullptr;
    m_images[slot] = kp_graphics_LoadImage2(path, cellW, cellH, frames, flags);
    m_imageInfo[3 * slot] = cellW;
    m_imageInfo[3 * slot + 1] = cellH;
    m_imageInfo[3 * slot + 2] = frames;
    return 0;
}

int c_MyApp::p_LoadFont(int slot, const String& name, int advance, int lineHeight) {
    const String path = name + String(LevelSuffix(m_hdLevel)) + String(".png");
    const int cell = kFontCell * m_hdLevel;
    m_images[slot] = nullptr;
    m_images[slot] = kp_graphics_LoadImage2(path, cell, cell, kFontFrames, kImageMidHandle);
    m_imageInfo[3 * slot] = advance;
    m_imageInfo[3 * slot + 1] = lineHeight;
    m_imageInfo[3 * slot + 2] = kFontFrames;
    m_font = slot;
    return 0;
}

int c_MyApp::p_LoadSFX(int n) {
    const char* prefix = n < 10 ? "sfx/00" : (n < 100 ? "sfx/0" : "sfx/");
    m_sounds[n] = kp_audio_LoadSound(String(prefix) + String(n) + String(".wav"));
    return 0;
}

int c_MyApp::p_PlaySFX(int id, float rate, float volume, float pan) {
    const int sound = m_settings[kSettingSound];
    if ((sound != 1 && sound != 2) || m_simulating) return 0;
    m_sfxChannel = (m_sfxChannel + 1) % kSfxChannels;
    if (m_sfxChannel < 0) m_sfxChannel = 0;
    const int channel = m_channelMap[m_sfxChannel];
    kp_audio_StopChannel(channel);
    // An id outside the slot table plays nothing, like an empty slot.
    if (id >= 0 && id < m_sounds.Length() && m_sounds.Get(id) != nullptr) {
        kp_audio_PlaySound(m_sounds.Get(id), channel, 0);
    }
    kp_audio_SetChannelRate(channel, rate);
    kp_audio_SetChannelVolume(channel, volume * m_playerSettings.effectsVolume / 100.0f);
    kp_audio_SetChannelPan(channel, pan);
    return 0;
}

int c_MyApp::p_PlaySFX2(int id, float volume) {
    return p_PlaySFX(id, 1.0f, volume, 0.0f);
}
