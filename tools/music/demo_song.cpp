#include "tools/music/demo_song.h"

#include <algorithm>
#include <initializer_list>

namespace music_demo {

namespace {

// Note numbers: 13 plays a sample at its own pitch, one step per semitone.
// Pitched samples are tuned so that note 13 is C (lead C5, chords C4 triad, bass C2).
constexpr int kNoteBase = 13;
constexpr int kRowsPerBar = 16;      // a row is a sixteenth note

// Semitones above C of the base octave for names like "E", "G+" (octave up), "A-" (octave down).
int Semitone(const char* name) {
    static const int kScale[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    int s = kScale[name[0] - 'A'];
    for (const char* p = name + 1; *p; ++p) {
        if (*p == '#') s += 1;
        if (*p == 'b') s -= 1;
        if (*p == '+') s += 12;
        if (*p == '-') s -= 12;
    }
    return s;
}

int Note(const char* name) { return kNoteBase + Semitone(name); }

// One note of a melody: name (null for a rest) and length in rows.
struct Step {
    const char* name;
    int rows;
};

constexpr int kEffectSlideDown = 2;
constexpr int kEffectBreak = 8;
constexpr int kEffectSkip = 27;

class Writer {
public:
    Writer(PatternBank& bank, int pattern, int track) : bank_(bank), pattern_(pattern), track_(track) {}

    void Set(int row, int note, int volume, int effect = 0, int parameter = 0) {
        bank_.At(pattern_, track_, row, 0) = note;
        bank_.At(pattern_, track_, row, 1) = volume;
        bank_.At(pattern_, track_, row, 2) = effect;
        bank_.At(pattern_, track_, row, 3) = parameter;
    }
    void Effect(int row, int effect, int parameter) {
        bank_.At(pattern_, track_, row, 2) = effect;
        bank_.At(pattern_, track_, row, 3) = parameter;
    }

    // A melody from `row`: each note struck at `volume`, then its level falls
    // row by row by `decay` (a struck bell or pluck); returns the row after it.
    int Melody(int row, std::initializer_list<Step> steps, int volume, float decay) {
        for (const Step& s : steps) {
            if (s.name) {
                Set(row, Note(s.name), volume);
                float level = static_cast<float>(volume);
                for (int r = 1; r < s.rows && row + r < kRows; ++r) {
                    level *= decay;
                    bank_.At(pattern_, track_, row + r, 1) = std::max(2, static_cast<int>(level));
                }
            }
            row += s.rows;
        }
        return row;
    }

    // Drum hits: `note` on every row of `rows` within each bar, accented on the beat.
    void Hits(int note, std::initializer_list<int> rows, int volume, int accent = 0, int bars = 4) {
        for (int bar = 0; bar < bars; ++bar) {
            for (int r : rows) {
                const int row = bar * kRowsPerBar + r;
                Set(row, note, std::min(30, volume + (r % 4 == 0 ? accent : 0)));
            }
        }
    }

private:
    PatternBank& bank_;
    int pattern_;
    int track_;
};

// Drum notes of the kits: the white keys of the middle octave pick samples 1..8.
constexpr int kDrum1 = 13, kDrum2 = 15, kDrum3 = 17, kDrum4 = 18, kDrum5 = 20, kDrum6 = 22, kDrum7 = 24,
              kDrum8 = 25;
// Kit 1.
constexpr int kKick = kDrum1, kSnare = kDrum2, kClap = kDrum3, kTomLow = kDrum4, kTomHigh = kDrum5,
              kCrash = kDrum6, kTriangle = kDrum8;
// Kit 2.
constexpr int kHat = kDrum1, kOpenHat = kDrum2, kShaker = kDrum3, kSleighBells = kDrum4, kTambourine = kDrum5,
              kChime = kDrum8;

// Every section is four bars over C | F | G | C; the chord string moves the
// whole section to another root, so the patterns stay consonant together.
void ComposeLead(PatternBank& bank) {
    constexpr float kBell = 0.8f;
    {
        Writer w(bank, 0, kTrackLead);
        int r = w.Melody(0, {{"E", 2}, {"G", 2}, {"E", 2}, {"C", 2}, {"G", 4}, {"E", 4}}, 26, kBell);
        r = w.Melody(r, {{"F", 2}, {"A", 2}, {"C+", 4}, {"A", 2}, {"F", 2}, {"A", 4}}, 26, kBell);
        r = w.Melody(r, {{"G", 2}, {"B", 2}, {"D+", 2}, {"B", 2}, {"G", 4}, {"F", 2}, {"D", 2}}, 26, kBell);
        w.Melody(r, {{"E", 4}, {"C", 4}, {"G", 2}, {"E", 2}, {"C", 4}}, 26, kBell);
    }
    {
        // Repeated notes, like sleigh bells ringing.
        Writer w(bank, 1, kTrackLead);
        int r = w.Melody(0, {{"E", 2}, {"E", 2}, {"E", 4}, {"E", 2}, {"E", 2}, {"E", 4}}, 25, kBell);
        r = w.Melody(r, {{"F", 2}, {"F", 2}, {"A", 4}, {"C+", 4}, {"A", 4}}, 25, kBell);
        r = w.Melody(r, {{"G", 2}, {"G", 2}, {"B", 2}, {"D+", 2}, {"G", 2}, {"A", 2}, {"B", 4}}, 25, kBell);
        w.Melody(r, {{"C+", 4}, {"G", 4}, {"E", 4}, {"C", 4}}, 25, kBell);
    }
    {
        // Answered by pattern 3: on odd loops the second half jumps there.
        Writer w(bank, 2, kTrackLead);
        int r = w.Melody(0, {{"C+", 4}, {"B", 2}, {"A", 2}, {"G", 4}, {"E", 4}}, 26, kBell);
        r = w.Melody(r, {{"A", 4}, {"G", 2}, {"F", 2}, {"C", 8}}, 26, kBell);
        r = w.Melody(r, {{"D", 2}, {"G", 2}, {"B", 2}, {"D+", 2}, {"C+", 2}, {"B", 2}, {"A", 4}}, 26, kBell);
        w.Melody(r, {{"G", 4}, {"E", 2}, {"D", 2}, {"C", 8}}, 26, kBell);
        w.Effect(2 * kRowsPerBar, kEffectSkip, 1);
    }
    {
        Writer w(bank, 3, kTrackLead);
        int r = w.Melody(0, {{"G", 2}, {"A", 2}, {"G", 2}, {"E", 2}, {"C+", 4}, {"G", 4}}, 26, kBell);
        r = w.Melody(r, {{"F", 2}, {"G", 2}, {"A", 2}, {"C+", 2}, {"F+", 4}, {"C+", 4}}, 26, kBell);
        r = w.Melody(r, {{"B", 4}, {"D+", 2}, {"B", 2}, {"G", 4}, {"D", 4}}, 26, kBell);
        w.Melody(r, {{"C+", 2}, {"G", 2}, {"E", 2}, {"G", 2}, {"C+", 8}}, 26, kBell);
        w.Effect(2 * kRowsPerBar, kEffectSkip, 2);
    }
}

// Chords: a major-triad sample on C; F and G triads sit below it.
void ComposeChords(PatternBank& bank) {
    constexpr float kPluck = 0.55f;
    const char* roots[4] = {"C", "F-", "G-", "C"};
    {
        // Off-beat stabs.
        Writer w(bank, 0, kTrackChords);
        for (int bar = 0; bar < 4; ++bar) {
            for (int beat = 0; beat < 4; ++beat) w.Melody(bar * 16 + beat * 4 + 2, {{roots[bar], 2}}, 20, kPluck);
        }
    }
    {
        // Held chords on beats one and three.
        Writer w(bank, 1, kTrackChords);
        for (int bar = 0; bar < 4; ++bar) {
            w.Melody(bar * 16, {{roots[bar], 8}, {roots[bar], 8}}, 18, 0.85f);
        }
    }
    {
        // Three-three-two.
        Writer w(bank, 2, kTrackChords);
        for (int bar = 0; bar < 4; ++bar) {
            w.Melody(bar * 16, {{roots[bar], 3}, {roots[bar], 3}, {roots[bar], 2}, {roots[bar], 3},
                                {roots[bar], 3}, {roots[bar], 2}},
                     19, kPluck);
        }
    }
}

void ComposeBass(PatternBank& bank) {
    constexpr float kRound = 0.85f;
    {
        // Walking quarters.
        Writer w(bank, 0, kTrackBass);
        int r = w.Melody(0, {{"C", 4}, {"E", 4}, {"G", 4}, {"A", 4}}, 27, kRound);
        r = w.Melody(r, {{"F", 4}, {"A", 4}, {"C+", 4}, {"A", 4}}, 27, kRound);
        r = w.Melody(r, {{"G", 4}, {"B", 4}, {"D+", 4}, {"B", 4}}, 27, kRound);
        w.Melody(r, {{"C+", 4}, {"G", 4}, {"E", 4}, {"C", 4}}, 27, kRound);
    }
    {
        // Root and fifth with pick-ups; the last note slides down.
        Writer w(bank, 1, kTrackBass);
        int r = w.Melody(0, {{"C", 6}, {"C", 2}, {"G-", 6}, {"B-", 2}}, 27, kRound);
        r = w.Melody(r, {{"F", 6}, {"F", 2}, {"C", 6}, {"E", 2}}, 27, kRound);
        r = w.Melody(r, {{"G", 6}, {"G", 2}, {"D", 6}, {"F#", 2}}, 27, kRound);
        w.Melody(r, {{"C", 6}, {"G-", 2}, {"C", 8}}, 27, kRound);
        for (int row = 57; row < 64; ++row) w.Effect(row, kEffectSlideDown, 2);
    }
    {
        // A three-bar phrase: the break after bar three ends the section early.
        Writer w(bank, 2, kTrackBass);
        int r = w.Melody(0, {{"C", 2}, {"C+", 2}, {"C", 2}, {"C+", 2}, {"E", 4}, {"G", 4}}, 26, kRound);
        r = w.Melody(r, {{"F", 2}, {"F+", 2}, {"F", 2}, {"F+", 2}, {"A", 4}, {"C+", 4}}, 26, kRound);
        w.Melody(r, {{"G", 2}, {"G+", 2}, {"G", 2}, {"G+", 2}, {"B", 4}, {"D+", 4}}, 26, kRound);
        w.Effect(3 * kRowsPerBar - 1, kEffectBreak, 0);
    }
}

void ComposeDrums(PatternBank& bank) {
    {
        Writer w(bank, 0, kTrackKick);
        w.Hits(kKick, {0, 8}, 28);
        w.Hits(kSnare, {4, 12}, 24);
    }
    {
        Writer w(bank, 1, kTrackKick);
        w.Hits(kKick, {0, 6, 8}, 28);
        w.Hits(kSnare, {4, 12}, 24, 0, 3);
        // A tom fill into the next section.
        w.Set(48, kKick, 28);
        w.Set(52, kSnare, 24);
        w.Set(56, kTomHigh, 26);
        w.Set(58, kTomHigh, 24);
        w.Set(60, kTomLow, 26);
        w.Set(62, kTomLow, 24);
    }
    {
        Writer w(bank, 2, kTrackKick);
        w.Hits(kKick, {0, 8, 10}, 28);
        w.Hits(kClap, {4, 12}, 23);
        w.Set(0, kCrash, 22);
        w.Set(32, kTriangle, 24);
    }
    {
        // Eighth-note hats with an open hat before each bar.
        Writer w(bank, 0, kTrackJingle);
        w.Hits(kHat, {0, 2, 4, 6, 8, 10, 12}, 14, 4);
        w.Hits(kOpenHat, {14}, 16);
    }
    {
        // Sleigh bells on the beat, shaker in between.
        Writer w(bank, 1, kTrackJingle);
        w.Hits(kSleighBells, {0, 4, 8, 12}, 20);
        w.Hits(kShaker, {1, 2, 3, 5, 6, 7, 9, 10, 11, 13, 14, 15}, 10);
    }
    {
        // Sixteenth shaker, tambourine on the back beat, a chime to open.
        Writer w(bank, 2, kTrackJingle);
        w.Hits(kShaker, {0, 1, 2, 3, 5, 6, 7, 8, 9, 10, 11, 13, 14, 15}, 11, 5);
        w.Hits(kTambourine, {4, 12}, 20);
        w.Set(0, kChime, 22);
    }
}

}  // namespace

int PatternBank::LastPattern(int track) const {
    int last = 0;
    for (int p = 0; p < kFrames; ++p) {
        for (int r = 0; r < kRows; ++r) {
            for (int c = 0; c < kColumns; ++c) {
                if (At(p, track, r, c) != 0) last = p;
            }
        }
    }
    return last;
}

PatternBank ComposeDemoSong() {
    PatternBank bank;
    ComposeDrums(bank);
    ComposeLead(bank);
    ComposeChords(bank);
    ComposeBass(bank);
    return bank;
}

std::vector<unsigned char> PatternImage(const PatternBank& bank, int* width, int* height) {
    constexpr int kSheetRows = kFrames / kFramesPerRow;
    const int w = kFramesPerRow * kFrameSize;
    const int h = kSheetRows * kFrameSize;
    std::vector<unsigned char> rgba(static_cast<size_t>(w) * h * 4, 0);
    for (int f = 0; f < kFrames; ++f) {
        const int fx = (f % kFramesPerRow) * kFrameSize;
        const int fy = (f / kFramesPerRow) * kFrameSize;
        for (int y = 0; y < kFrameSize; ++y) {
            for (int x = 0; x < kFrameSize; ++x) {
                const int value = bank.At(f, x / kColumns, y, x % kColumns);
                unsigned char* px = &rgba[(static_cast<size_t>(fy + y) * w + fx + x) * 4];
                // Only blue carries data; red marks the note column so the sheet is readable.
                px[0] = (x % kColumns == 0 && value != 0) ? 200 : 0;
                px[1] = 0;
                px[2] = static_cast<unsigned char>(value << 3);
                px[3] = 255;
            }
        }
    }
    *width = w;
    *height = h;
    return rgba;
}

}  // namespace music_demo
