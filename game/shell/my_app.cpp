// Construction, collector marking and registration of the game's application object.
#include "game/shell/my_app.h"

#include "audio/sound.h"
#include "framework/program.h"
#include "game/music/sg_player.h"
#include "graphics/graphics_module.h"

namespace {
constexpr int kChannelMapSize = 33;
constexpr int kTutorialLines = 4;
constexpr int kBadgeCount = 256;
constexpr int kHiScoreCount = 150;
constexpr int kSnowFloats = 1024;
constexpr int kNearCells = 64;
}  // namespace

c_MyApp::c_MyApp() : c_MyApp(ReplayGameTag()) { gc_assign(m_music, new c_SGPlayer()); }

// The replay game plays rounds only: no music player (a megabyte of patterns).
c_MyApp::c_MyApp(ReplayGameTag)
    : m_touchDown(kTouchSlots), m_touchX(kTouchSlots), m_touchY(kTouchSlots),
      m_settings(kSettingCount), m_keys(kVirtualKeyCount),
      m_images(kImageSlots), m_imageInfo(3 * kImageSlots), m_sounds(kSoundSlots),
      m_channelMap(kChannelMapSize), m_drawList(kDrawListFloats),
      m_tutLines(kTutorialLines), m_badges(kBadgeCount), m_hiScores(kHiScoreCount),
      m_snow(kSnowFloats), m_near(kNearCells) {
    gc_assign(m_map, Array<int>(kMapInts));
    gc_assign(m_movers, Array<int>(kMoverInts));
}

c_MyApp* c_MyApp::m_new() {
    c_App::m_new();
    return this;
}

void c_MyApp::mark() {
    c_App::mark();
    gc_mark_q(m_music);
    gc_mark_q(m_touchDown);
    gc_mark_q(m_touchX);
    gc_mark_q(m_touchY);
    gc_mark_q(m_settings);
    gc_mark_q(m_keys);
    gc_mark_q(m_images);
    gc_mark_q(m_imageInfo);
    gc_mark_q(m_sounds);
    gc_mark_q(m_channelMap);
    gc_mark_q(m_drawList);
    gc_mark_q(m_tutLines);
    gc_mark_q(m_badges);
    gc_mark_q(m_hiScores);
    gc_mark_q(m_map);
    gc_mark_q(m_movers);
    gc_mark_q(m_snow);
    gc_mark_q(m_near);
    gc_mark_q(m_replayGame);
}

c_App* kpCreateApplication() {
    return (new c_MyApp())->m_new();
}
