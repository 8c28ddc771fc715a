#include "tools/solver/forgiving_route.h"

#include <cstdio>
#include <vector>

#include "tools/solver/fairness.h"

namespace {
constexpr int kLauncherPeriod = 120;
constexpr int kAfterWorst = 120;   // updates after the worst input whose windows count too

std::vector<unsigned> KeysOf(const InputScript& script) {
    std::vector<unsigned> keys;
    for (const ScriptRun& run : script.Runs()) keys.insert(keys.end(), run.updates, run.keys);
    return keys;
}

InputScript ScriptOf(const std::vector<unsigned>& keys) {
    InputScript script;
    for (unsigned k : keys) script.Append(k);
    return script;
}

// Updates at which a key goes down with the hero at rest before it, holding
// nothing but grip: where a person may stop and wait.
std::vector<int> RestingPresses(GameSession& session, int level, const std::vector<unsigned>& keys) {
    std::vector<int> places;
    session.SetKeys(0);
    session.EnterLevel(level);
    c_MyApp& app = session.app();
    int x = -1, y = -1;
    for (size_t u = 0; u < keys.size(); ++u) {
        const unsigned before = u > 0 ? keys[u - 1] : 0;
        const bool still = app.m_playerState == kStand && app.m_playerSubX == 0 && app.m_playerSubY == 0 &&
                           app.m_playerX == x && app.m_playerY == y;
        if ((keys[u] & ~before) != 0 && still && (before & ~kReplayGrip) == 0 && app.m_dropIn >= 0) {
            places.push_back(static_cast<int>(u));
        }
        x = app.m_playerX;
        y = app.m_playerY;
        session.StepWithKeys(keys[u]);
    }
    session.SetKeys(0);
    return places;
}

// The smallest window, less a launcher period for every timed input whose
// cue is out of view: a wait that brings the beat on the screen counts first.
int Score(const FairnessReport& r) { return r.SmallestWindow() - kLauncherPeriod * r.cuesOutOfView; }

}  // namespace

InputScript MostForgivingRoute(GameSession& session, int level, const InputScript& route, std::string* log) {
    std::vector<unsigned> keys = KeysOf(route);
    for (int round = 0; round < kForgivingRounds; ++round) {
        const FairnessReport report = MeasureFairness(session, level, ScriptOf(keys));
        if (!report.completed || report.smallest < 0) break;
        const InputWindow worst = report.inputs[report.smallest];
        if (worst.Width() >= kForgivingEnough && report.cuesOutOfView == 0) break;
        // The worst input: the narrowest, or else the first whose cue is out of view.
        InputWindow target = worst;
        if (worst.Width() >= kForgivingEnough) {
            for (const InputWindow& w : report.inputs) {
                if (w.timed && !w.cueInView) {
                    target = w;
                    break;
                }
            }
        }
        std::vector<int> places;
        for (int at : RestingPresses(session, level, keys)) {
            if (at <= target.update) places.push_back(at);
        }
        if (places.size() > static_cast<size_t>(kForgivingPlaces)) {
            places.erase(places.begin(), places.end() - kForgivingPlaces);
        }
        // The smallest window from the earliest place on, as the route stands.
        const int from = places.empty() ? target.update : places.front();
        int best = Score(MeasureFairness(session, level, ScriptOf(keys), from, target.update + kAfterWorst));
        std::vector<unsigned> bestKeys;
        int bestAt = 0, bestWait = 0;
        for (int at : places) {
            for (int wait = kForgivingStep; wait < kForgivingLongest; wait += kForgivingStep) {
                std::vector<unsigned> trial(keys.begin(), keys.begin() + at);
                trial.insert(trial.end(), wait, keys[at - 1]);
                trial.insert(trial.end(), keys.begin() + at, keys.end());
                const FairnessReport r = MeasureFairness(session, level, ScriptOf(trial), from,
                                                         target.update + wait + kAfterWorst);
                if (!r.completed || Score(r) <= best) continue;
                best = Score(r);
                bestKeys = trial;
                bestAt = at;
                bestWait = wait;
            }
        }
        if (bestKeys.empty()) break;
        keys = bestKeys;
        if (log) {
            char line[160];
            std::snprintf(line, sizeof line, "level %d: wait %d updates at %.2f s (smallest window there %d -> %d)\n",
                          level, bestWait, bestAt / 60.0, target.Width(), best);
            *log += line;
        }
    }
    return ScriptOf(keys);
}
