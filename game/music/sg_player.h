// Pattern-based music generator: five tracks (two drum kits, lead,
// accompaniment, bass) playing 64-row patterns decoded from an image, with
// sections re-arranged from a song seed.
//
// The owner configures it (song image path, kit numbers, song seed, chord
// string, state 2 = playing) and starts loading by setting the loading step
// to 1; render frames then load three steps each, and updates play rows.
#pragma once

#include "runtime/array.h"
#include "runtime/object.h"
#include "runtime/string.h"

class c_Image;
class c_Sound;

// Song data layout: pattern p, track t, row r, column c at p*4096 + t*512 + r*8 + c.
constexpr int kSGTracks = 8;            // entries of every per-track table
constexpr int kSGRows = 64;             // rows of a pattern
constexpr int kSGColumns = 8;           // values per row: note, volume, effect, parameter, 4 unused
constexpr int kSGTrackSpan = kSGRows * kSGColumns;           // 512
constexpr int kSGPatternSpan = kSGTracks * kSGTrackSpan;     // 4096
constexpr int kSGPatternFrames = 64;    // frames of the pattern image
constexpr int kSGSongDataSize = kSGPatternFrames * kSGPatternSpan + 1;
constexpr int kSGLoadSteps = 70;        // steps of the incremental loader
constexpr int kSGPlaying = 2;           // state value while playing

// Columns of a row.
constexpr int kSGNote = 0;
constexpr int kSGVolume = 1;
constexpr int kSGEffect = 2;
constexpr int kSGParameter = 3;

// Effects that playback interprets.
constexpr int kSGEffectPatternBreak = 8;  // the next row starts a new section
constexpr int kSGEffectPatternSkip = 27;  // step to the neighbouring pattern on odd/even loops

// The music player; one per game, configured by its owner.
class c_SGPlayer : public Object {
public:
    c_SGPlayer();
    c_SGPlayer* m_new() { return this; }
    void mark() override;

    // Driven by the game.
    int p_SG_Init(int baseChannel, int a, int b, int c, int d);  // stores the channel base and four values
    int p_SG_Alive_U(int hold, int musicOn);   // per update: play, pause or silence
    int p_SG_Alive_R();                        // per render: up to three loading steps, then clear
    int p_SG_Stop(int flag);                   // stops sounding tracks; flag 1 also stops playing

    // Loading and playback.
    int p_SG_LoadChunk();                      // one loading step (inside a render frame)
    int p_SG_MusicPlay();                      // plays one row when it is due
    int p_SG_PlayNote(int track, int note, int volume, int effect, int parameter);

    // Tables and the shared generator.
    String p_SG_GetChord(int index);           // chord string by number
    float p_GetPitch(int n);                   // pitch ratio of note 1..32, else 0
    float p_GetPitch_Alpha(int ch);            // pitch ratio of a chord character, else 0
    int p_Rand(float lo, float hi);            // integer lo..hi from kp_random_Seed

    int m_baseChannel = 0;          // tracks play on channels base - 1 - t
    Array<int> m_initValues;        // [8] entries 1-4: the last four p_SG_Init values
    int m_loadingStep = 0;          // 0 idle, 1-70 the next loading step
    Array<int> m_kitNumbers;        // [8] 1, 2 drum kits; 3 lead, 4 accompaniment, 5 bass
    Array<c_Sound*> m_kitA;         // [9] entries 1-8: drums of track 0
    Array<c_Sound*> m_kitB;         // [9] entries 1-8: drums of track 1
    Array<c_Sound*> m_instruments;  // [8] entry 2 lead, 3 accompaniment, 4 bass
    String m_songImagePath;
    c_Image* m_songImage = nullptr;
    Array<int> m_songData;          // [262145] decoded patterns
    Array<int> m_lastPattern;       // [8] highest pattern with data, per track
    int m_nextTickTime = 0;         // host milliseconds at which the next row is due
    int m_state = 0;                // 2 playing, 0 stopped
    int m_trackCount = 5;
    Array<int> m_channels;          // [8] audio channel per track
    Array<int> m_sounding;          // [8] 1 after a sample was started
    Array<int> m_pattern;           // [8] pattern being played
    int m_row = 0;
    int m_loopCounter = 0;          // sections left before the next re-draw
    Array<int> m_muted;             // [8]
    Array<int> m_leadIn;            // [8] may enter during the last rows before unmuting
    Array<int> m_nextMuted;         // [8]
    float m_transpose = 0;
    String m_chordString;           // upcoming chord roots, one character per section
    Array<float> m_rate;            // [8]
    Array<float> m_envelope;        // [8]
    float m_masterVolume = 0.5f;
    Array<float> m_lastVolume;      // [8]
    int m_tempo = 95;               // a row every 8000 / tempo ms
    int m_songSeed = 0;
    int m_section = 0;

private:
    void DecodePattern(int pattern);  // draws a frame and reads its pixels back
    void StartSection();              // chord advance, loop count and re-draw at row 0
};
