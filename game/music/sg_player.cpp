#include "game/music/sg_player.h"

#include <cmath>
#include <cstdint>

#include "audio/sound.h"
#include "graphics/graphics_module.h"
#include "graphics/renderer.h"
#include "host/game_host.h"
#include "runtime/random.h"

namespace {

constexpr int kTrackDrumsA = 0;
constexpr int kTrackDrumsB = 1;
constexpr int kFirstPitchedTrack = 2;
constexpr int kLastPitchedTrack = 4;

constexpr float kDrumPanA = -0.35f;
constexpr float kDrumPanB = 0.35f;
constexpr float kDrumEnvelope = 4.0f;
constexpr float kNoteEnvelope = 1.5f;   // held while above 1, then fades
constexpr float kEnvelopeStep = 0.1f;
constexpr int kVolumeSteps = 29;        // volume 1..30 maps to 0..1
constexpr float kMaxRate = 4.0f;
constexpr float kMinRate = 0.25f;
constexpr float kFineSlide = 180.0f;    // effects 1 and 2
constexpr float kCoarseSlide = 15.0f;   // effects 3 and 4

constexpr int kLoadTickDelayMs = 100;   // each loading step pushes the next row this far
constexpr int kHoldDelayMs = 150;       // each held update pushes the next row this far
constexpr int kClockBackwardsMs = 123456;
constexpr float kTempoMs = 8000.0f;     // a row every 8000 / tempo ms

// Loader steps: the pattern image, then the samples of each slot, then decoding.
constexpr int kStepSongImage = 1;
constexpr int kStepKitAFirst = 2;
constexpr int kStepKitBFirst = 12;
constexpr int kStepLead = 21;
constexpr int kStepAccompaniment = 22;
constexpr int kStepBass = 23;
constexpr int kKitSlots = 8;
constexpr int kStepFirstPattern = 5;
constexpr int kStepLastPattern = 67;
constexpr int kFrameSize = 64;

// Section seeds: LCG runs of these lengths from section*9 (+ track*7) + song seed.
constexpr int kSectionSeedSteps = 16;
constexpr int kRedrawSeedSteps = 12;
constexpr int kSectionSeedStride = 9;
constexpr int kTrackSeedStride = 7;
constexpr int kLeadInRows = 55;         // lead-ins may enter on rows after this

constexpr int kPitchNotes = 32;
constexpr float kPitches[kPitchNotes] = {
    0.5f,   0.5295f, 0.561f, 0.5945f, 0.63f,  0.6675f, 0.707f, 0.749f,
    0.7935f, 0.841f, 0.891f, 0.944f,  1.0f,   1.059f,  1.122f, 1.189f,
    1.26f,  1.335f,  1.414f, 1.498f,  1.587f, 1.682f,  1.782f, 1.888f,
    2.0f,   2.118f,  2.244f, 2.378f,  2.52f,  2.67f,   2.828f, 2.996f,
};
// The character of each note, in note order: two rows of a piano keyboard.
constexpr char kPitchKeys[kPitchNotes + 1] = "zsxdcvgbhnjmq2w3er5t6y7ui9o0p[=]";

constexpr const char* kChords[] = {"qqqq", "qqjj", "qqbb", "qbqb", "qqqj", "qqzz"};
constexpr int kChordCount = 6;
constexpr const char* kDefaultChord = "qqjj";

// Drum sample (1..8) of a note on a drum track: the white keys of the middle octave.
int DrumSlot(int note) {
    switch (note) {
        case 13: return 1;
        case 15: return 2;
        case 17: return 3;
        case 18: return 4;
        case 20: return 5;
        case 22: return 6;
        case 24: return 7;
        case 25: return 8;
        default: return 0;
    }
}

uint32_t Lcg(uint32_t seed, int steps) {
    for (int i = 0; i < steps; ++i) seed = kp_random_Step(seed);
    return seed;
}

// floor(r * range) of a seed's value, truncated to int.
int Draw(uint32_t seed, float range) { return static_cast<int>(std::floor(kp_random_Unit(seed) * range)); }

uint32_t SectionBase(int section, int songSeed) {
    return static_cast<uint32_t>(section) * kSectionSeedStride + static_cast<uint32_t>(songSeed);
}

// "inst/d<kit>-<slot>.wav"
String DrumPath(int kit, int slot) { return "inst/d" + String(kit) + String("-") + String(slot) + String(".wav"); }

int Now() { return KpGame::_game ? KpGame::_game->Millisecs() : 0; }

}  // namespace

c_SGPlayer::c_SGPlayer()
    : m_initValues(kSGTracks), m_kitNumbers(kSGTracks), m_kitA(kKitSlots + 1), m_kitB(kKitSlots + 1),
      m_instruments(kSGTracks), m_songData(kSGSongDataSize), m_lastPattern(kSGTracks), m_channels(kSGTracks),
      m_sounding(kSGTracks), m_pattern(kSGTracks), m_muted(kSGTracks), m_leadIn(kSGTracks),
      m_nextMuted(kSGTracks), m_rate(kSGTracks), m_envelope(kSGTracks), m_lastVolume(kSGTracks) {}

void c_SGPlayer::mark() {
    gc_mark_q(m_initValues);
    gc_mark_q(m_kitNumbers);
    gc_mark_q(m_kitA);
    gc_mark_q(m_kitB);
    gc_mark_q(m_instruments);
    gc_mark_q(m_songImage);
    gc_mark_q(m_songData);
    gc_mark_q(m_lastPattern);
    gc_mark_q(m_channels);
    gc_mark_q(m_sounding);
    gc_mark_q(m_pattern);
    gc_mark_q(m_muted);
    gc_mark_q(m_leadIn);
    gc_mark_q(m_nextMuted);
    gc_mark_q(m_rate);
    gc_mark_q(m_envelope);
    gc_mark_q(m_lastVolume);
}

// ---- driven by the game ----

int c_SGPlayer::p_SG_Init(int baseChannel, int a, int b, int c, int d) {
    m_baseChannel = baseChannel;
    m_initValues[1] = a;
    m_initValues[2] = b;
    m_initValues[3] = c;
    m_initValues[4] = d;
    return 0;
}

int c_SGPlayer::p_SG_Alive_U(int hold, int musicOn) {
    if (m_state == 0) p_SG_Stop(0);
    if (m_state == kSGPlaying && m_loadingStep == 0 && hold == 0) {
        if (musicOn == 1) {
            p_SG_MusicPlay();
        } else if (musicOn == 0) {
            p_SG_Stop(0);
        }
    } else if (hold == 1) {
        m_nextTickTime = Now() + kHoldDelayMs;
        if (m_state == kSGPlaying) p_SG_Stop(0);
    } else if (m_state == kSGPlaying && musicOn == 0) {
        p_SG_Stop(0);
    }
    return 0;
}

int c_SGPlayer::p_SG_Alive_R() {
    for (int i = 0; i < 3 && m_loadingStep != 0; ++i) p_SG_LoadChunk();
    // Wipes what decoding drew; the game draws its frame over it.
    kp_graphics_Cls(0, 0, 0);
    return 0;
}

int c_SGPlayer::p_SG_Stop(int flag) {
    for (int t = 0; t < kSGTracks; ++t) {
        if (m_channels[t] > 0 && m_sounding[t] == 1) {
            kp_audio_StopChannel(m_channels[t]);
            m_sounding[t] = 0;
        }
    }
    if (flag == 1) m_state = 0;
    return 0;
}

// ---- loading ----

int c_SGPlayer::p_SG_LoadChunk() {
    const int step = m_loadingStep;
    if (step == kStepSongImage) {
        gc_assign(m_songImage, kp_graphics_LoadImage2(m_songImagePath, kFrameSize, kFrameSize, kSGPatternFrames,
                                                      kImageMidHandle));
    } else if (step >= kStepKitAFirst && step < kStepKitAFirst + kKitSlots) {
        const int slot = step - kStepKitAFirst + 1;
        m_kitA[slot] = kp_audio_LoadSound(DrumPath(m_kitNumbers[1], slot));
    } else if (step >= kStepKitBFirst && step < kStepKitBFirst + kKitSlots) {
        const int slot = step - kStepKitBFirst + 1;
        m_kitB[slot] = kp_audio_LoadSound(DrumPath(m_kitNumbers[2], slot));
    } else if (step == kStepLead) {
        m_instruments[2] = kp_audio_LoadSound("inst/lead" + String(m_kitNumbers[3]) + String(".wav"));
    } else if (step == kStepAccompaniment) {
        m_instruments[3] = kp_audio_LoadSound("inst/accompany" + String(m_kitNumbers[4]) + String(".wav"));
    } else if (step == kStepBass) {
        m_instruments[4] = kp_audio_LoadSound("inst/bass" + String(m_kitNumbers[5]) + String(".wav"));
    }
    if (m_songImage && step >= kStepFirstPattern && step <= kStepLastPattern) DecodePattern(step - kStepFirstPattern);

    m_loadingStep = step + 1;
    m_nextTickTime = Now() + kLoadTickDelayMs;
    if (m_loadingStep > kSGLoadSteps) m_loadingStep = 0;
    return 0;
}

// Draws frame `pattern` over a (1, 0, 0) square at the window's top-left and
// keeps the top five bits of each pixel's blue byte: 8-pixel column bands are
// tracks, image rows are rows.
void c_SGPlayer::DecodePattern(int pattern) {
    if (pattern >= m_songImage->p_Frames()) return;
    Array<int> pixels(kFrameSize * kFrameSize);
    kp_graphics_Cls(1, 0, 0);
    kp_graphics_SetAlpha(1);
    kp_graphics_SetColor(1, 0, 0);
    kp_graphics_DrawRect(0, 0, kFrameSize, kFrameSize);
    kp_graphics_SetColor(255, 255, 255);
    kp_graphics_DrawImage(m_songImage, kFrameSize / 2, kFrameSize / 2, pattern);
    kp_graphics_ReadPixels(pixels, 0, 0, kFrameSize, kFrameSize, 0, kFrameSize);
    const int base = pattern * kSGPatternSpan;
    for (int y = 0; y < kFrameSize; ++y) {
        for (int x = 0; x < kFrameSize; ++x) {
            const int value = (static_cast<uint32_t>(pixels[y * kFrameSize + x]) & 0xffu) >> 3;
            const int track = x / kSGColumns;
            m_songData[base + track * kSGTrackSpan + y * kSGColumns + x % kSGColumns] = value;
            if (value != 0) m_lastPattern[track] = pattern;
        }
    }
}

// ---- playback ----

int c_SGPlayer::p_SG_MusicPlay() {
    const int now = Now();
    if (!(now > m_nextTickTime || m_nextTickTime > now + kClockBackwardsMs)) return 0;

    // More tracks than the tables hold would read outside them.
    const int tracks = m_trackCount < kSGTracks ? m_trackCount : kSGTracks;
    for (int t = 0; t < tracks; ++t) {
        int i = m_pattern[t] * kSGPatternSpan + t * kSGTrackSpan + m_row * kSGColumns;
        if (m_songData[i + kSGEffect] == kSGEffectPatternSkip && m_state == kSGPlaying) {
            const int parameter = m_songData[i + kSGParameter];
            if (parameter == 1 && m_loopCounter % 2 != 0) {
                m_pattern[t] = m_pattern[t] + 1;
            } else if (parameter == 2 && m_loopCounter % 2 == 0) {
                m_pattern[t] = m_pattern[t] - 1;
            }
            // A skip past either end of the bank would read outside the song data.
            if (m_pattern[t] < 0) m_pattern[t] = 0;
            if (m_pattern[t] > kSGPatternFrames - 1) m_pattern[t] = kSGPatternFrames - 1;
            i = m_pattern[t] * kSGPatternSpan + t * kSGTrackSpan + m_row * kSGColumns;
        }
        p_SG_PlayNote(t, m_songData[i + kSGNote], m_songData[i + kSGVolume], m_songData[i + kSGEffect],
                      m_songData[i + kSGParameter]);
        if (m_songData[i + kSGEffect] == kSGEffectPatternBreak) m_row = kSGRows - 1;
    }

    // The schedule runs from the previous due time, so late updates catch up.
    const int tempo = m_tempo > 0 ? m_tempo : 1;
    m_nextTickTime = static_cast<int>(static_cast<float>(m_nextTickTime) + (1.0f / tempo) * kTempoMs);

    m_row = (m_row + 1) % kSGRows;
    if (m_row == 0) StartSection();
    return 0;
}

void c_SGPlayer::StartSection() {
    kp_random_Seed = static_cast<int>(Lcg(SectionBase(m_section, m_songSeed), kSectionSeedSteps));

    // Each chord string gives four sections; a single character left draws the next one.
    if (m_chordString.Length() == 1) m_chordString = " " + p_SG_GetChord(p_Rand(0, 4));
    if (m_chordString.Length() > 1) m_chordString = m_chordString.Slice(1);

    m_loopCounter -= 1;
    if (m_loopCounter <= 0) {
        uint32_t s = Lcg(SectionBase(m_section, m_songSeed), kRedrawSeedSteps);
        kp_random_Seed = static_cast<int>(s);
        m_loopCounter = 2 * static_cast<int>(std::floor(kp_random_Unit(s) * 1.99f + 1.0f));
        m_section += 1;
        const int tracks = m_trackCount < kSGTracks ? m_trackCount : kSGTracks;
        for (int t = 0; t < tracks; ++t) {
            s = Lcg(static_cast<uint32_t>(t) * kTrackSeedStride + SectionBase(m_section, m_songSeed),
                    kRedrawSeedSteps);
            m_pattern[t] = Draw(s, static_cast<float>(m_lastPattern[t]) + 0.99f);
            if (m_state > 1) m_muted[t] = m_nextMuted[t];
            s = kp_random_Step(s);
            m_nextMuted[t] = Draw(s, 1.99f);
            s = kp_random_Step(s);
            m_leadIn[t] = Draw(s, 1.99f);
        }
        kp_random_Seed = static_cast<int>(s);
    }

    // The song always keeps a beat.
    if (m_state > 1 && m_muted[kTrackDrumsA] == 1 && m_muted[kTrackDrumsB] == 1) m_muted[kTrackDrumsA] = 0;
}

int c_SGPlayer::p_SG_PlayNote(int t, int note, int volume, int effect, int parameter) {
    int muted = m_muted[t];
    m_transpose = 1;
    if (m_state >= kSGPlaying) {
        // The last rows before a re-draw let an about-to-enter track lead in.
        if (m_loopCounter < 2 && m_row > kLeadInRows && m_leadIn[t] == 1 && m_nextMuted[t] == 0) muted = 0;
        if (m_chordString.Length() > 0) m_transpose = p_GetPitch_Alpha(m_chordString[0]);
    }
    for (int i = 0; i < kSGTracks; ++i) m_channels[i] = m_baseChannel - 1 - i;
    const int channel = m_channels[t];

    if (t == kTrackDrumsA || t == kTrackDrumsB) {
        if (note >= 1 && muted == 0 && channel >= 1) {
            kp_audio_StopChannel(channel);
            const int slot = DrumSlot(note);
            c_Sound* drum = slot > 0 ? (t == kTrackDrumsA ? m_kitA : m_kitB).Get(slot) : nullptr;
            if (drum) {
                m_sounding[t] = 1;
                kp_audio_PlaySound(drum, channel, 0);
                kp_audio_SetChannelPan(channel, t == kTrackDrumsA ? kDrumPanA : kDrumPanB);
            }
        }
        if (note >= 1) {
            m_rate[t] = 1;
            m_envelope[t] = kDrumEnvelope;
        }
    }

    float f = static_cast<float>(volume - 1) / kVolumeSteps;
    if (f > 1) {
        m_envelope[t] = 0;
        f = 0;
    }
    if (f < 0) f = 0;
    if (volume >= 1 && channel >= 1 && muted == 0) {
        m_envelope[t] = kNoteEnvelope;
        kp_audio_SetChannelVolume(channel, m_masterVolume * f);
        m_lastVolume[t] = f;
    } else {
        f = m_lastVolume[t];
    }

    m_envelope[t] = m_envelope[t] - kEnvelopeStep;
    if (m_envelope[t] < 0) m_envelope[t] = 0;
    if (m_envelope[t] < 1) {
        if (channel >= 1) kp_audio_SetChannelVolume(channel, m_masterVolume * m_envelope[t] * f);
        m_lastVolume[t] = m_envelope[t] * f;
    }

    if (t >= kFirstPitchedTrack && t <= kLastPitchedTrack && note >= 1) {
        if (muted != 0 || channel < 1) return 0;
        kp_audio_StopChannel(channel);
        m_rate[t] = p_GetPitch(note) * m_transpose;
        m_envelope[t] = kNoteEnvelope;
        kp_audio_SetChannelRate(channel, m_rate[t]);
        if (c_Sound* instrument = m_instruments.Get(t)) {
            m_sounding[t] = 1;
            kp_audio_PlaySound(instrument, channel, 1);
        }
    } else if (muted != 0) {
        return 0;
    }

    if (channel < 1) return 0;
    const float rate = m_rate[t];
    switch (effect) {
        case 1: m_rate[t] = std::fmin(rate + parameter / kFineSlide, kMaxRate); break;
        case 2: m_rate[t] = std::fmax(rate - parameter / kFineSlide, kMinRate); break;
        case 3: m_rate[t] = std::fmin(rate + parameter / kCoarseSlide, kMaxRate); break;
        case 4: m_rate[t] = std::fmax(rate - parameter / kCoarseSlide, kMinRate); break;
        default: return 0;
    }
    kp_audio_SetChannelRate(channel, m_rate[t]);
    return 0;
}

// ---- tables and the shared generator ----

String c_SGPlayer::p_SG_GetChord(int index) {
    return String(index >= 0 && index < kChordCount ? kChords[index] : kDefaultChord);
}

float c_SGPlayer::p_GetPitch(int n) { return n >= 1 && n <= kPitchNotes ? kPitches[n - 1] : 0.0f; }

float c_SGPlayer::p_GetPitch_Alpha(int ch) {
    for (int n = 0; n < kPitchNotes; ++n) {
        if (kPitchKeys[n] == ch) return kPitches[n];
    }
    return 0.0f;
}

int c_SGPlayer::p_Rand(float lo, float hi) {
    const uint32_t seed = kp_random_Step(static_cast<uint32_t>(kp_random_Seed));
    kp_random_Seed = static_cast<int>(seed);
    return static_cast<int>(std::floor(lo + (hi + 0.99f - lo) * kp_random_Unit(seed)));
}
