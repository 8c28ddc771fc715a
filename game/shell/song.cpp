#include "game/shell/song.h"

#include "game/music/sg_player.h"

void kp_Glimmer_ConfigureSong(c_SGPlayer* music, int songSeed) {
    music->m_songImagePath = String(kSongImagePath);
    music->m_kitNumbers[1] = kSongKit;
    music->m_kitNumbers[2] = kSongJingleKit;
    music->m_kitNumbers[3] = kSongKit;
    music->m_kitNumbers[4] = kSongKit;
    music->m_kitNumbers[5] = kSongKit;
    music->m_songSeed = songSeed;
    music->m_state = kSGPlaying;
    music->m_loadingStep = 1;
}
