#include "tools/solver/human_plan.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "game/world/tiles.h"
#include "tools/solver/fairness.h"

namespace {

constexpr int kMoverWords = 10;

bool SameGame(const GameSnapshot& a, const GameSnapshot& b) {
    if (RoundDecides(a.round) != RoundDecides(b.round)) return false;
    return a.tileChanges == b.tileChanges && a.movers == b.movers;
}

// Every release (a change of keys with none going down) moved to the middle
// of the updates at which it leaves the game the same at the next change:
// real key events come a frame early or late, and a person's taps are not
// one update long.
std::vector<unsigned> CentredReleases(GameSession& session, int level, std::vector<unsigned> keys) {
    const int n = static_cast<int>(keys.size());
    std::vector<int> changes = {0};
    for (int u = 1; u < n; ++u) {
        if (keys[u] != keys[u - 1]) changes.push_back(u);
    }
    changes.push_back(n);
    session.SetKeys(0);
    session.EnterLevel(level);
    c_MyApp& app = session.app();
    std::vector<GameSnapshot> at;   // the game at each change
    for (size_t i = 0; i + 1 < changes.size(); ++i) {
        at.push_back(session.Save());
        for (int u = changes[i]; u < changes[i + 1]; ++u) session.StepWithKeys(keys[u]);
    }
    at.push_back(session.Save());
    // The snapshots are of the changes where the route made them; a release
    // already moved is replayed from there with its new keys.
    const std::vector<int> made = changes;
    for (size_t i = 1; i + 1 < changes.size(); ++i) {
        const int from = made[i - 1], p = changes[i - 1], c = made[i], q = made[i + 1];
        const unsigned before = keys[c - 1], after = keys[c];
        if ((after & ~before) != 0) continue;
        const auto same = [&](int t) {
            session.Restore(at[i - 1]);
            for (int u = from; u < q; ++u) {
                session.StepWithKeys(u < p ? keys[u] : u < t ? before : after);
                if (app.m_playerState == kDying) return false;
            }
            return SameGame(session.Save(), at[i + 1]);
        };
        int lo = c, hi = c;
        while (lo - 1 > p && same(lo - 1)) --lo;
        while (hi + 1 < q && same(hi + 1)) ++hi;
        const int t = (lo + hi) / 2;
        for (int u = p; u < q; ++u) keys[u] = u < t ? before : after;
        changes[i] = t;
    }
    session.SetKeys(0);
    return keys;
}

struct Event {
    int update = 0;      // the update after which the trace prints it
    enum Kind { kBuilt, kHero, kShot } kind = kBuilt;
    int x = 0, y = 0, direction = 0;
    int count = 0;       // a hero event: how many times he has reached this tile, this one included
    int heroX = 0, heroY = 0, heroCount = 0;   // a shot event: the hero event it comes after
};

}  // namespace

std::string HumanPlan(GameSession& session, int level, const InputScript& script) {
    // The presses' windows: where in them a person aims.
    const FairnessReport fairness = MeasureFairness(session, level, script);
    std::vector<unsigned> keys;
    const InputScript form = CarefulForm(session, level, script);
    for (const ScriptRun& run : form.Runs()) keys.insert(keys.end(), run.updates, run.keys);
    InputScript careful;
    for (unsigned k : CentredReleases(session, level, keys)) careful.Append(k);
    session.SetKeys(0);
    session.EnterLevel(level);
    c_MyApp& app = session.app();
    std::vector<Event> events = {Event{}};
    std::vector<int> shotCell(kMoverRecords, -1);
    int lastX = app.m_playerX, lastY = app.m_playerY;
    std::vector<int> reached(64 * 64, 0);
    Event hero{0, Event::kHero, lastX, lastY, 0};   // the start: reached once, untraced
    reached[lastY * 64 + lastX] = 0;
    const int n = careful.Updates();
    for (int u = 0; u < n; ++u) {
        session.StepWithKeys(careful.KeysAt(u));
        // As the playtest tool traces them (tools/playtest/main.cpp).
        if (app.m_playerX != lastX || app.m_playerY != lastY) {
            Event e{u + 1, Event::kHero, app.m_playerX, app.m_playerY, 0};
            e.count = ++reached[app.m_playerY * 64 + app.m_playerX];
            events.push_back(e);
            hero = e;
            lastX = app.m_playerX;
            lastY = app.m_playerY;
        }
        for (int r = 0; r < kMoverRecords; ++r) {
            const int type = app.m_movers.Get(r * kMoverWords);
            const int x = app.m_movers.Get(r * kMoverWords + 1), y = app.m_movers.Get(r * kMoverWords + 2);
            const bool live = type == kTileMoverRight || type == kTileMoverLeft;
            const bool nearHero = std::abs(x - app.m_playerX) <= kPlanShotColumns &&
                              std::abs(y - app.m_playerY) <= kPlanShotRows;
            const int cell = live && nearHero ? y * 64 + x : -1;
            if (cell >= 0 && cell != shotCell[r]) {
                Event e{u + 1, Event::kShot, x, y, type == kTileMoverRight ? 1 : -1};
                e.heroX = hero.x;
                e.heroY = hero.y;
                e.heroCount = hero.count;
                events.push_back(e);
            }
            shotCell[r] = cell;
        }
    }
    session.SetKeys(0);
    std::string out = "# plan of level " + std::to_string(level) + "\n";
    char line[160];
    unsigned previous = 0;
    size_t traced = 1;   // events printed so far, as comments in the playtest trace's words
    for (int u = 0; u < n; ++u) {
        const unsigned keys = careful.KeysAt(u);
        for (; traced < events.size() && events[traced].update <= u; ++traced) {
            const Event& e = events[traced];
            if (e.kind == Event::kHero) {
                std::snprintf(line, sizeof line, "# @%d hero at (%d, %d)\n", e.update, e.x, e.y);
            } else {
                std::snprintf(line, sizeof line, "# @%d shot at (%d, %d) going %s\n", e.update, e.x, e.y,
                              e.direction > 0 ? "right" : "left");
            }
            out += line;
        }
        if (keys == previous) continue;
        // A release is answered like a press: a person lets go when he sees the
        // hero where the route lets go, not by counting frames.
        {
            // The last event far enough back to be answered: for a press timed
            // by a launcher, a shot in view (the launchers' beat, whatever the
            // hero's own pace); for any other, where the hero is (a shot passes
            // sooner or later than on the route when he walked a little slower
            // or faster).
            const bool release = (keys & ~previous) == 0;
            bool timedByShots = false;
            for (const InputWindow& w : fairness.inputs) {
                if (w.update == u && !release) timedByShots = w.timed && w.clock == WindowClock::kLauncher;
            }
            const Event* anchor = &events[0];
            const Event* shot = nullptr;
            for (const Event& e : events) {
                if (e.update > u - kPlanReaction) break;
                if (e.kind != Event::kShot) anchor = &e;
                else shot = &e;
            }
            if (timedByShots && shot != nullptr && shot->update > anchor->update) anchor = shot;
            const int delay = u - anchor->update;
            if (anchor->kind == Event::kHero) {
                std::snprintf(line, sizeof line, "input %d %u hero %d %d %d %d\n", u, keys, anchor->x, anchor->y,
                              anchor->count, delay);
            } else if (anchor->kind == Event::kShot) {
                std::snprintf(line, sizeof line, "input %d %u shot %d %d %d %d %d %d %d\n", u, keys, anchor->x,
                              anchor->y, anchor->direction, anchor->heroX, anchor->heroY, anchor->heroCount, delay);
            } else {
                std::snprintf(line, sizeof line, "input %d %u built %d\n", u, keys, delay);
            }
        }
        out += line;
        for (const InputWindow& w : fairness.inputs) {
            if (w.update != u || (keys & ~previous) == 0) continue;
            out.pop_back();
            std::snprintf(line, sizeof line, " window %d %d\n", w.earlier, w.later);
            out += line;
        }
        previous = keys;
    }
    std::snprintf(line, sizeof line, "end %d\n", n);
    return out + line;
}
