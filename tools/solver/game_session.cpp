#include "tools/solver/game_session.h"

#include <cstdlib>
#include <string>
#include <type_traits>
#ifndef _WIN32
#include <unistd.h>
#endif

#include "framework/program.h"
#include "host/key_codes.h"
#include "tools/solver/input_script.h"

namespace {
constexpr double kStartClock = 1000.0;
constexpr int kMaxLoadingUpdates = 400;
constexpr int kMoverWords = 5;
constexpr int kCells = kLevelSide * kLevelSide;
}  // namespace

GameSession& GameSession::Instance() {
    static GameSession* session = new GameSession();
    return *session;
}

GameSession::GameSession() {
    // No test or search may reach a sound card.
#ifdef _WIN32
    if (!std::getenv("ALSOFT_DRIVERS")) _putenv_s("ALSOFT_DRIVERS", "null");
#else
    setenv("ALSOFT_DRIVERS", "null", 0);
#endif
    host_ = new KpHeadlessGame();
    host_->SetClockMillis(kStartClock);
    host_->UsePrivateFolder("solver");
    kp_std_main(0, nullptr);
    app_ = static_cast<c_MyApp*>(kp_app__app);
    host_->Start();
    for (int i = 0; i < kMaxLoadingUpdates && app_->m_loadStep > 0; ++i) Step();
    Step();
    if (!std::getenv("GLIMMER_SOLVER_SOUND")) app_->m_settings[kSettingSound] = 0;
    // A search plays without a picture and keeps no records of its runs.
    app_->m_simulating = true;
}

void HoldScriptKeys(KpHeadlessGame& host, unsigned held, unsigned keys) {
    for (int bit = 0; bit < kScriptKeyCount; ++bit) {
        const unsigned mask = 1u << bit;
        if ((keys & mask) && !(held & mask)) host.KeyDown(ScriptKeyHostCode(bit));
        if (!(keys & mask) && (held & mask)) host.KeyUp(ScriptKeyHostCode(bit));
    }
}

void GameSession::SetKeys(unsigned keys) {
    HoldScriptKeys(*host_, keys_, keys);
    keys_ = keys;
}

void GameSession::Step(int updates) { host_->StepWithoutRender(updates); }

void GameSession::StepWithKeys(unsigned keys, int updates) {
    SetKeys(keys);
    Step(updates);
}

bool GameSession::StartGameFromMenu() {
    SetKeys(0);
    Step(2);
    host_->KeyDown(kKeyZ);
    Step();
    host_->KeyUp(kKeyZ);
    Step();
    return app_->m_screen == kScreenPlaying && app_->m_level == 1;
}

void GameSession::EnterLevel(int n) { app_->p_BeginLevel(n); }

void GameSession::SetMapBaseline() {
    baseline_.assign(2 * kCells, 0);
    for (int y = 0; y < kLevelSide; ++y) {
        for (int x = 0; x < kLevelSide; ++x) {
            const int cell = app_->p_CellIndex(x, y);
            baseline_[y * kLevelSide + x] = app_->m_map.Get(cell);
            baseline_[kCells + y * kLevelSide + x] = app_->m_map.Get(cell + 9);
        }
    }
}

int GameSession::BaselineTile(int x, int y, int layer) const {
    if (baseline_.empty()) return 0;
    return baseline_[(layer == 9 ? kCells : 0) + y * kLevelSide + x];
}

std::vector<int> RoundDecides(const RoundState& round) {
    std::vector<int> v;
    RoundState copy = round;
    copy.ForEachField([&](auto& field, RoundField role) {
        if constexpr (!std::is_same_v<std::decay_t<decltype(field)>, Array<int>>) {
            const void* const at = &field;
            if (role == RoundField::kDecides && at != &copy.m_roundSeed) v.push_back(static_cast<int>(field));
        }
    });
    return v;
}

// Every field of the round by assignment; its map and movers as the visitor names them.
GameSnapshot GameSession::Save() const {
    c_MyApp& a = *app_;
    GameSnapshot s;
    s.round = a;
    a.ForEachField([&](auto& field, RoundField role) {
        if constexpr (std::is_same_v<std::decay_t<decltype(field)>, Array<int>>) {
            if (role == RoundField::kMap) {
                for (int y = 0; y < kLevelSide; ++y) {
                    for (int x = 0; x < kLevelSide; ++x) {
                        const int cell = a.p_CellIndex(x, y);
                        const int at = y * kLevelSide + x;
                        const int tile = field.Get(cell);
                        const int timer = field.Get(cell + 9);
                        if (tile != baseline_[at]) s.tileChanges.insert(s.tileChanges.end(), {at, tile});
                        if (timer != baseline_[kCells + at]) s.tileChanges.insert(s.tileChanges.end(), {kCells + at, timer});
                    }
                }
            } else if (role == RoundField::kMovers) {
                for (int r = 0; r < kMoverRecords; ++r) {
                    if (field.Get(r * 10) == 0) continue;
                    s.movers.push_back(r);
                    for (int w = 0; w < kMoverWords; ++w) s.movers.push_back(field.Get(r * 10 + w));
                }
            }
        }
    });
    s.keys = keys_;
    return s;
}

void GameSession::Restore(const GameSnapshot& s) {
    c_MyApp& a = *app_;
    RoundState& round = a;
    const Array<int> map = round.m_map, movers = round.m_movers;
    round = s.round;
    round.m_map = map;
    round.m_movers = movers;
    a.ForEachField([&](auto& field, RoundField role) {
        if constexpr (std::is_same_v<std::decay_t<decltype(field)>, Array<int>>) {
            int* words = field.Data();
            if (role == RoundField::kMap) {
                for (int y = 0; y < kLevelSide; ++y) {
                    for (int x = 0; x < kLevelSide; ++x) {
                        const int cell = a.p_CellIndex(x, y);
                        words[cell] = baseline_[y * kLevelSide + x];
                        words[cell + 9] = baseline_[kCells + y * kLevelSide + x];
                    }
                }
                for (size_t k = 0; k + 1 < s.tileChanges.size(); k += 2) {
                    const int at = s.tileChanges[k] % kCells;
                    const int layer = s.tileChanges[k] >= kCells ? 9 : 0;
                    words[a.p_CellIndex(at % kLevelSide, at / kLevelSide) + layer] = s.tileChanges[k + 1];
                }
            } else if (role == RoundField::kMovers) {
                for (int r = 0; r < kMoverRecords; ++r) words[r * 10] = 0;
                for (size_t k = 0; k + kMoverWords < s.movers.size(); k += kMoverWords + 1) {
                    const int r = s.movers[k];
                    for (int w = 0; w < kMoverWords; ++w) words[r * 10 + w] = s.movers[k + 1 + w];
                }
            }
        }
    });
    SetKeys(s.keys);
}
