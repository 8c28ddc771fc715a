// Pattern-based music generator: five tracks (two drum kits, lead,
// accompaniment, bass) playing 64-row patterns decoded from an image, with
// sections re-arranged from a song seed.
#pragma once

#include "runtime/array.h"
#include "runtime/object.h"
#include "runtime/string.h"

class c_Image;
class c_Sound;

// The music player; one per game, configured by its owner.
class c_SGPlayer : public Object {
public:
    c_SGPlayer();
    c_SGPlayer* m_new() { return this; }
    void mark() override;

    int p_SG_Init(int baseChannel, int a, int b, int c, int d);
    int p_SG_Alive_U(int hold, int musicOn);
    int p_SG_Alive_R();
    int p_SG_LoadChunk();
    int p_SG_MusicPlay();
    int p_SG_PlayNote(int track, int note, int volume, int effect, int parameter);
    int p_SG_Stop(int flag);
    String p_SG_GetChord(int index);
    float p_GetPitch(int n);
    float p_GetPitch_Alpha(int ch);
    int p_Rand(float lo, float hi);

    int m_baseChannel = 0;
    Array<int> m_initValues;      // [8]
    int m_loadingStep = 0;
    Array<int> m_kitNumbers;      // [8]
    Array<c_Sound*> m_kitA;       // [9]
    Array<c_Sound*> m_kitB;       // [9]
    Array<c_Sound*> m_instruments;  // [8]
    String m_songImagePath;
    c_Image* m_songImage = nullptr;
    Array<int> m_songData;        // [262145]
    Array<int> m_lastPattern;     // [8]
    int m_nextTickTime = 0;
    int m_state = 0;
    int m_trackCount = 5;
    Array<int> m_channels;        // [8]
    Array<int> m_sounding;        // [8]
    Array<int> m_pattern;         // [8]
    int m_row = 0;
    int m_loopCounter = 0;
    Array<int> m_muted;           // [8]
    Array<int> m_leadIn;          // [8]
    Array<int> m_nextMuted;       // [8]
    float m_transpose = 0;
    String m_chordString;
    Array<float> m_rate;          // [8]
    Array<float> m_envelope;      // [8]
    float m_masterVolume = 0.5f;
    Array<float> m_lastVolume;    // [8]
    int m_tempo = 95;
    int m_songSeed = 0;
    int m_section = 0;
};
