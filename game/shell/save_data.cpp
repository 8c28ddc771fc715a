// Save data: settings, badge flags and the highscore tables as one text of
// numbers each followed by "|", every block guarded by its own checksum.
//
// Layout: 25 settings and their checksum; 8 badge words and their checksum;
// then for each of the three tables ten (best, last) pairs and a checksum —
// 98 numbers in all. Blocks are positional, so a damaged block does not stop
// the later ones from being read.
#include <cstdint>

#include "game/shell/globals.h"
#include "game/shell/my_app.h"
#include "runtime/errors.h"

namespace {

constexpr int kBadgeWords = 8;
constexpr int kTables = 3;
constexpr int kTableSize = 10;
constexpr int kLastOffset = 30;   // the last-ten lists follow the three best-ten tables

// Checksums use 32-bit wrapping arithmetic.
inline int32_t wrap_add(int32_t a, int64_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
inline int64_t wrap_mul(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}

class TextBuilder {
public:
    void add(int value) {
        text_ += String(value);
        text_ += String("|");
    }
    const String& text() const { return text_; }

private:
    String text_;
};

}  // namespace

int c_MyApp::p_Save() {
    TextBuilder out;
    int32_t c1 = 0;
    for (int n = 0; n < kSettingCount; ++n) {
        out.add(m_settings.Get(n));
        c1 = wrap_add(c1, wrap_mul(m_settings.Get(n), n));
    }
    out.add(c1);

    int32_t c2 = 0;
    for (int g = 0; g < kBadgeWords; ++g) {
        uint32_t word = 0;
        for (int i = 0; i < 32; ++i) {
            if (m_badges.Get(32 * g + i)) word |= 1u << i;
        }
        out.add(static_cast<int32_t>(word));
        c2 = wrap_add(c2, static_cast<int32_t>(word));
    }
    out.add(c2);

    for (int t = 0; t < kTables; ++t) {
        int32_t c3 = 0;
        for (int j = 0; j < kTableSize; ++j) {
            int best = m_hiScores.Get(10 * t + j);
            int last = m_hiScores.Get(kLastOffset + 10 * t + j);
            out.add(best);
            out.add(last);
            c3 = wrap_add(c3, wrap_mul(best, j + 4));
            c3 = wrap_add(c3, wrap_mul(last, t + j + 3));
        }
        out.add(c3);
    }
    if (kp_Glimmer_DebugMode == 1) kpPrint(out.text());
    kp_app_SaveState(out.text());
    return 0;
}

// A close request ends the program at once; the settings are saved first so
// that a change made on the menu since the last save is kept.
int c_MyApp::p_OnClose() {
    p_Save();
    p_KeepEditorWork();
    kp_app_EndApp();
}

int c_MyApp::p_Load() {
    String text = kp_app_LoadState();
    Array<String> fields = text.Split(String("|"));
    const int count = fields.Length();
    if (kp_Glimmer_DebugMode == 1) kpPrint(text);
    auto value = [&](int i) { return fields.Get(i).ToInt(); };

    int p = 0;
    if (count >= kSettingCount + 1) {
        int32_t c1 = 0;
        for (int n = 0; n < kSettingCount; ++n) {
            m_settings[n] = value(n);
            c1 = wrap_add(c1, wrap_mul(m_settings.Get(n), n));
        }
        p = kSettingCount;
        bool ok = c1 == value(p);
        p += 1;
        if (ok) {
            kpPrint(String("Settings Loaded"));
        } else {
            kpPrint(String("Settings Checksum Invalid"));
            for (int n = 0; n < kSettingCount; ++n) m_settings[n] = 0;
            m_settings[kSettingSound] = 1;
        }
    }

    if (m_settings.Get(10) < 64) m_settings[10] = 64;
    if (m_settings.Get(11) < 64) m_settings[11] = 64;
    if (m_settings.Get(12) < 8) m_settings[12] = 10;
    m_settings[14] = 1;
    kp_Glimmer_overscan = 0;
    if (m_settings.Get(1) == 0) m_settings[1] = 1;

    if (count > p + kBadgeWords) {
        int32_t c2 = 0;
        for (int g = 0; g < kBadgeWords; ++g) {
            uint32_t word = static_cast<uint32_t>(value(p + g));
            for (int i = 0; i < 32; ++i) m_badges[32 * g + i] = ((word >> i) & 1u) != 0;
            c2 = wrap_add(c2, static_cast<int32_t>(word));
        }
        p += kBadgeWords;
        bool ok = c2 == value(p);
        p += 1;
        if (ok) {
            kpPrint(String("Badges Loaded"));
        } else {
            kpPrint(String("Badge Checksum Invalid"));
            for (int i = 0; i < m_badges.Length(); ++i) m_badges[i] = false;
        }
    }

    for (int t = 0; t < kTables; ++t) {
        if (count <= p + 2 * kTableSize) break;
        int32_t c3 = 0;
        for (int j = 0; j < kTableSize; ++j) {
            int best = value(p + 2 * j);
            int last = value(p + 2 * j + 1);
            m_hiScores[10 * t + j] = best;
            m_hiScores[kLastOffset + 10 * t + j] = last;
            c3 = wrap_add(c3, wrap_mul(best, j + 4));
            c3 = wrap_add(c3, wrap_mul(last, t + j + 3));
        }
        p += 2 * kTableSize;
        bool ok = c3 == value(p);
        p += 1;
        String name = String("Highscore ") + String(t);
        if (ok) {
            kpPrint(name + String(" Loaded"));
        } else {
            kpPrint(name + String(" Checksum Invalid"));
            for (int j = 0; j < kTableSize; ++j) {
                m_hiScores[10 * t + j] = 0;
                m_hiScores[kLastOffset + 10 * t + j] = 0;
            }
        }
    }
    return 0;
}
