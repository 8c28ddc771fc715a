// Recording a finished game's score, and the badge name table.
#include "game/shell/my_app.h"

namespace {
constexpr int kTableSize = 10;
constexpr int kLastOffset = 30;
}  // namespace

int c_MyApp::p_LoadMenu() {
    const int base = 10 * (m_gameType - 1);
    const int lastBase = kLastOffset + base;
    // The game type is 1..3; anything else has no table to enter.
    if (base >= 0 && base + kTableSize <= kLastOffset) {
        for (int i = 0; i < kTableSize; ++i) {
            if (m_hiScores.Get(base + i) < m_score) {
                for (int k = kTableSize - 1; k > i; --k) m_hiScores[base + k] = m_hiScores.Get(base + k - 1);
                m_hiScores[base + i] = m_score;
                break;
            }
        }
        for (int k = kTableSize - 1; k > 0; --k) m_hiScores[lastBase + k] = m_hiScores.Get(lastBase + k - 1);
        m_hiScores[lastBase] = m_score;
    }
    p_Save();
    return 0;
}

String c_MyApp::p_BadgeID(int n) {
    if (n == 0) return String("Test Badge|This is a Test Badge which has no purpose.");
    return String();
}

String c_MyApp::p_BadgeName(int n) {
    String id = p_BadgeID(n);
    int bar = id.Find(String("|"), 0);
    return bar < 0 ? id : id.Slice(0, bar);
}

String c_MyApp::p_BadgeDetail(int n) {
    String id = p_BadgeID(n);
    int bar = id.Find(String("|"), 0);
    return bar < 0 ? String() : id.Slice(bar + 1);
}

// Hooks for an online score and achievement service; this build has none.
int c_MyApp::p_GC_PostScore(int score, int table) {
    (void)score;
    (void)table;
    return 0;
}

int c_MyApp::p_GC_Badges() { return 0; }
