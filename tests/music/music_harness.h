// Runs the whole game on the test host with the music generator, and reads
// back what the audio device did. The process works in the demonstration
// folder (its ./data/ holds the song and the game's data) and sends all
// OpenAL output to a wave file, so nothing reaches a sound card.
#pragma once

#include <string>
#include <vector>

#include "game/music/sg_player.h"
#include "game/shell/my_app.h"
#include "tools/music/music_demo_host.h"

struct MusicHarnessOptions {
    bool musicSwitch = true;   // kp_Glimmer_HasMusic
    bool configure = true;     // the demonstration song, state 2, loading step 1
    bool display = false;      // a hidden GL window, so patterns decode
    int seed = 0;
};

// One fresh application on its own host and audio device.
class MusicHarness {
public:
    explicit MusicHarness(const MusicHarnessOptions& options = {});
    ~MusicHarness();  // stops every channel and closes the audio device

    bool HasDisplay() const { return hasDisplay_; }
    KpMusicDemoHost& host() { return *host_; }
    c_MyApp& app() { return *app_; }
    c_SGPlayer& music() { return *app_->m_music; }

    void Step(int updates = 1) { host_->Step(updates); }
    // Runs until both the game's assets and the song are loaded.
    void FinishLoading();
    // Runs updates until `rows` rows have been played; false if they never came.
    bool PlayRows(int rows);
    // Runs until the next row 0 (a new section) has been played up to; false if never.
    bool RunToSectionStart();

    // Quits a started game through the pause panel, as a player would.
    void StartGame();
    void QuitGame();

    // Closes the audio device and returns what it wrote: mono mix, 44100 Hz.
    std::vector<float> CloseAndRecord(int* hertz);

private:
    void Click(float x, float y);
    void CloseAudio();

    KpMusicDemoHost* host_ = nullptr;
    c_MyApp* app_ = nullptr;
    bool hasDisplay_ = false;
    bool audioOpen_ = true;
};

// What a channel's OpenAL source holds now; -1 when it has no source yet.
float ChannelGain(int channel);
float ChannelPitch(int channel);
bool ChannelHasSource(int channel);
// The sample a sound wraps, for comparing with what a channel plays.
class gxtkSample;
gxtkSample* SampleOf(c_Sound* sound);

// Song data index of (pattern, track, row, column).
inline int SongIndex(int pattern, int track, int row, int column) {
    return pattern * kSGPatternSpan + track * kSGTrackSpan + row * kSGColumns + column;
}
// Writes one row of pattern 0 into the decoded song.
void PutRow(c_SGPlayer& music, int track, int row, int note, int volume, int effect = 0, int parameter = 0);
