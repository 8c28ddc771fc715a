// Placeholder bodies until the music generator lands; the game's switch keeps it off.
#include "game/music/sg_player.h"

#include "audio/sound.h"
#include "graphics/graphics_module.h"

c_SGPlayer::c_SGPlayer()
    : m_initValues(8), m_kitNumbers(8), m_kitA(9), m_kitB(9), m_instruments(8), m_songData(262145),
      m_lastPattern(8), m_channels(8), m_sounding(8), m_pattern(8), m_muted(8), m_leadIn(8),
      m_nextMuted(8), m_rate(8), m_envelope(8), m_lastVolume(8) {}

void c_SGPlayer::mark() {
    gc_mark_q(m_initValues); gc_mark_q(m_kitNumbers); gc_mark_q(m_kitA); gc_mark_q(m_kitB);
    gc_mark_q(m_instruments); gc_mark_q(m_songData); gc_mark_q(m_lastPattern);
    gc_mark_q(m_channels); gc_mark_q(m_sounding); gc_mark_q(m_pattern); gc_mark_q(m_muted);
    gc_mark_q(m_leadIn); gc_mark_q(m_nextMuted); gc_mark_q(m_rate); gc_mark_q(m_envelope);
    gc_mark_q(m_lastVolume);
}

int c_SGPlayer::p_SG_Init(int, int, int, int, int) { return 0; }
int c_SGPlayer::p_SG_Alive_U(int, int) { return 0; }
int c_SGPlayer::p_SG_Alive_R() { return 0; }
int c_SGPlayer::p_SG_LoadChunk() { return 0; }
int c_SGPlayer::p_SG_MusicPlay() { return 0; }
int c_SGPlayer::p_SG_PlayNote(int, int, int, int, int) { return 0; }
int c_SGPlayer::p_SG_Stop(int) { return 0; }
String c_SGPlayer::p_SG_GetChord(int) { return String("qqjj"); }
float c_SGPlayer::p_GetPitch(int) { return 0; }
float c_SGPlayer::p_GetPitch_Alpha(int) { return 0; }
int c_SGPlayer::p_Rand(float, float) { return 0; }
