#include "tools/soak/soak_player.h"

#include <cstdio>

#include "host/key_codes.h"
#include "tools/solver/input_script.h"

namespace {
constexpr int kRandomKeys[] = {kKeyArrowLeft, kKeyArrowUp, kKeyArrowRight, kKeyArrowDown, kKeyZ, kKeyX, kKeyC};
constexpr int kMenuKeys[] = {kKeyArrowLeft, kKeyArrowUp, kKeyArrowRight, kKeyArrowDown, kKeyZ, kKeyZ, kKeyN, kKeyEscape};
constexpr int kExitSequenceLimit = 200;
constexpr int kMenuWaitLimit = 400;
constexpr float kDropInStart = -800.0f;
constexpr double kUpdateMs = 1000.0 / 60.0;

}  // namespace

void SoakHost::gc_collect() {
    const double start = SoakWallMs();
    const double startCpu = SoakCpuMs();
    KpHeadlessGame::gc_collect();
    lastCollectMs = SoakWallMs() - start;
    lastCollectCpuMs = SoakCpuMs() - startCpu;
    if (meter) meter->NoteCollect(lastCollectMs, lastCollectCpuMs);
}

SoakPlayer::SoakPlayer(SoakHost& host, c_MyApp& app, SoakMeter& meter, uint32_t seed, std::string solutions)
    : host_(host), app_(app), meter_(meter), state_(seed ? seed : 1), solutions_(std::move(solutions)) {}

uint32_t SoakPlayer::Random() {
    // xorshift32: the soak's own sequence, untouched by the game's reseeding.
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
}

int SoakPlayer::Between(int low, int high) { return low + static_cast<int>(Random() % static_cast<uint32_t>(high - low + 1)); }

bool SoakPlayer::Tick() {
    if (remaining_ <= 0) return false;
    --remaining_;
    host_.AdvanceClock(kUpdateMs);
    host_.lastCollectMs = 0;
    host_.lastCollectCpuMs = 0;
    double start = SoakWallMs();
    double startCpu = SoakCpuMs();
    host_.Update();
    const double update = SoakWallMs() - start - host_.lastCollectMs;
    const double updateCpu = SoakCpuMs() - startCpu - host_.lastCollectCpuMs;
    host_.lastCollectMs = 0;
    start = SoakWallMs();
    host_.Render();
    const double render = SoakWallMs() - start - host_.lastCollectMs;
    meter_.NoteUpdate(update, updateCpu, render);
    if (meter_.updates % SoakMeter::kUpdatesPerMinute == 0) meter_.EndMinute();

    // What happened in this update.
    if (app_.m_screen == kScreenPlaying && lastScreen_ != kScreenPlaying && app_.m_level == 1) ++counts_.gamesStarted;
    if (app_.m_screen == kScreenPlaying && app_.m_level == lastLevel_ + 1 && lastScreen_ == kScreenPlaying) {
        ++counts_.levelsCompleted;
    }
    if (app_.m_screen == kScreenPlaying && app_.m_level == lastLevel_ && lastDropIn_ > kDropInStart &&
        app_.m_dropIn == kDropInStart) {
        ++counts_.deaths;
    }
    if (app_.m_screen == kScreenMenu && lastScreen_ != kScreenMenu) ++counts_.menuReturns;
    if (app_.m_screen == kScreenEnding && lastScreen_ != kScreenEnding) ++counts_.endings;
    if (app_.m_pauseShown != 0 && lastPause_ == 0) ++counts_.pauses;
    lastLevel_ = app_.m_level;
    lastScreen_ = app_.m_screen;
    lastDropIn_ = app_.m_dropIn;
    lastPause_ = app_.m_pauseShown;
    return true;
}

bool SoakPlayer::Wait(int updates) {
    for (int i = 0; i < updates; ++i) {
        if (!Tick()) return false;
    }
    return true;
}

bool SoakPlayer::Tap(int key, int hold, int after) {
    host_.KeyDown(key);
    if (!Wait(hold)) return false;
    host_.KeyUp(key);
    return Wait(after);
}

void SoakPlayer::HoldKeys(unsigned keys) {
    for (int bit = 0; bit < kScriptKeyCount; ++bit) {
        const unsigned mask = 1u << bit;
        if ((keys & mask) && !(held_ & mask)) host_.KeyDown(ScriptKeyHostCode(bit));
        if (!(keys & mask) && (held_ & mask)) host_.KeyUp(ScriptKeyHostCode(bit));
    }
    held_ = keys;
}

void SoakPlayer::ReleaseKeys() {
    HoldKeys(0);
    for (int i = 0; i < heldRawCount_; ++i) host_.KeyUp(heldRaw_[i]);
    heldRawCount_ = 0;
}

bool SoakPlayer::StartFromMenu() {
    // As the level solver starts a game, so that its level 1 script fits.
    ReleaseKeys();
    if (!Wait(2)) return false;
    host_.KeyDown(kKeyZ);
    if (!Wait(1)) return false;
    host_.KeyUp(kKeyZ);
    return Wait(1);
}

bool SoakPlayer::QuitToMenu() {
    ReleaseKeys();
    for (int attempt = 0; attempt < 6; ++attempt) {
        if (app_.m_screen == kScreenMenu) return true;
        if (app_.m_screen == kScreenPlaying) {
            if (app_.m_pauseShown == 0 && !Tap(kKeyEscape, 2, 30)) return false;
            // Down brings the selection to resume from either corner, up then selects
            // quit (left would also turn the hero, whose turn holds the key latch).
            if (!Tap(kKeyArrowDown) || !Tap(kKeyArrowUp) || !Tap(kKeyZ)) return false;
        } else {
            // The ending and the other screens: confirm, go back, click.
            if (!Tap(attempt % 2 ? kKeyEscape : kKeyZ, 2, 30)) return false;
            host_.MouseDown(0, 320, 240);
            if (!Wait(2)) return false;
            host_.MouseUp(0, 320, 240);
        }
        for (int i = 0; i < kMenuWaitLimit && app_.m_screen != kScreenMenu; ++i) {
            if (!Tick()) return false;
        }
    }
    if (app_.m_screen != kScreenMenu) {
        ++counts_.stuck;
        std::fprintf(stderr, "soak: not back on the menu after quitting (screen %d, pause %d, selection %d, latch %d)\n",
                     app_.m_screen, app_.m_pauseShown, app_.m_pauseSel, app_.m_keyLatch);
    }
    return true;
}

bool SoakPlayer::PrepareMenuForScripts() {
    // Credits closed, "play" selected, help on and one-button jumps, as the solver played.
    if (!Tap(kKeyEscape) || !Tap(kKeyArrowLeft) || !Tap(kKeyArrowLeft) || !Tap(kKeyArrowLeft)) return false;
    for (int i = 0; i < 3 && app_.m_settings.Get(kSettingHelpOff) != 0; ++i) {
        if (!Tap(kKeyArrowRight) || !Tap(kKeyZ) || !Tap(kKeyArrowLeft)) return false;
    }
    for (int i = 0; i < 3 && app_.m_settings.Get(kSettingScheme) != 1; ++i) {
        if (!Tap(kKeyArrowRight) || !Tap(kKeyArrowRight) || !Tap(kKeyZ) || !Tap(kKeyArrowLeft) || !Tap(kKeyArrowLeft)) return false;
    }
    return true;
}

bool SoakPlayer::ScriptedRun() {
    if (!QuitToMenu() || !PrepareMenuForScripts() || !StartFromMenu()) return false;
    if (app_.m_screen != kScreenPlaying || app_.m_level != 1) return true;
    const int last = Between(1, kLevelCount);
    for (int level = 1; level <= last; ++level) {
        if (app_.m_level != level || app_.m_screen != kScreenPlaying) break;
        InputScript script;
        std::string error;
        char name[32];
        std::snprintf(name, sizeof name, "/level%02d.keys", level);
        if (solutions_.empty() || !script.Load(solutions_ + name, &error)) {
            // No script: enter the next level as the exit would, after some random play.
            if (!RandomPlay()) return false;
            if (app_.m_screen != kScreenPlaying || level == kLevelCount) break;
            app_.p_BeginLevel(level + 1);
            ++counts_.levelsEntered;
            continue;
        }
        for (const ScriptRun& run : script.Runs()) {
            HoldKeys(run.keys);
            if (!Wait(run.updates)) return false;
        }
        HoldKeys(0);
        for (int i = 0; i < kExitSequenceLimit && app_.m_level == level; ++i) {
            if (!Tick()) return false;
        }
        if (app_.m_level == level + 1) ++counts_.scriptedLevels;
    }
    if (app_.m_screen == kScreenEnding && !Wait(Between(300, 1200))) return false;
    if (app_.m_screen == kScreenPlaying && !RandomPlay()) return false;
    return QuitToMenu();
}

bool SoakPlayer::RandomPlay() {
    const int length = Between(600, 5400);
    int done = 0;
    while (done < length) {
        const int roll = Between(0, 99);
        if (roll < 3) {
            // Pause, look at the panel, resume with the back key.
            ReleaseKeys();
            if (!Tap(kKeyEscape, 2, Between(30, 300)) || !Tap(kKeyEscape, 2, 30)) return false;
            done += 40;
            continue;
        }
        if (roll < 5) {
            if (!FocusFlap()) return false;
            done += 20;
            continue;
        }
        // Hold one or two random game keys for a while.
        ReleaseKeys();
        const int count = Between(0, 2);
        for (int i = 0; i < count; ++i) {
            const int key = kRandomKeys[Between(0, static_cast<int>(sizeof kRandomKeys / sizeof kRandomKeys[0]) - 1)];
            host_.KeyDown(key);
            heldRaw_[heldRawCount_++] = key;
        }
        const int hold = Between(5, 90);
        if (!Wait(hold)) return false;
        done += hold;
    }
    ReleaseKeys();
    return true;
}

bool SoakPlayer::MenuWander() {
    if (!QuitToMenu()) return false;
    const int taps = Between(5, 40);
    for (int i = 0; i < taps; ++i) {
        if (Between(0, 3) == 0) {
            const float x = static_cast<float>(Between(0, 639));
            const float y = static_cast<float>(Between(0, 479));
            host_.MouseMove(x, y);
            host_.MouseDown(0, x, y);
            if (!Wait(2)) return false;
            host_.MouseUp(0, x, y);
            if (!Wait(Between(5, 60))) return false;
        } else {
            const int key = kMenuKeys[Between(0, static_cast<int>(sizeof kMenuKeys / sizeof kMenuKeys[0]) - 1)];
            if (!Tap(key, 2, Between(5, 90))) return false;
        }
    }
    return QuitToMenu();
}

bool SoakPlayer::FocusFlap() {
    ++counts_.focusLosses;
    host_.Suspend();
    if (!Wait(Between(3, 120))) return false;
    host_.Resume();
    return Wait(Between(1, 30));
}

void SoakPlayer::Play(long updates) {
    remaining_ = updates;
    lastLevel_ = app_.m_level;
    lastScreen_ = app_.m_screen;
    lastDropIn_ = app_.m_dropIn;
    while (remaining_ > 0) {
        const int roll = Between(0, 9);
        bool going = true;
        if (roll < 4) going = ScriptedRun();
        else if (roll < 7) going = (StartFromMenu() && RandomPlay() && QuitToMenu());
        else if (roll < 9) going = MenuWander();
        else going = FocusFlap();
        if (!going) break;
    }
    ReleaseKeys();
}
