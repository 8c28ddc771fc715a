// The demonstration song: a bank of patterns for the music generator, written
// as note lists and laid out the way the generator decodes its pattern image.
#pragma once

#include <vector>

namespace music_demo {

constexpr int kFrames = 64;          // frames of the pattern image
constexpr int kFrameSize = 64;       // pixels per frame side
constexpr int kFramesPerRow = 8;     // frames per row of the image (a 512 x 512 sheet)
constexpr int kTracks = 8;
constexpr int kRows = 64;
constexpr int kColumns = 8;          // note, volume, effect, parameter, 4 unused
constexpr int kBankSize = kFrames * kTracks * kRows * kColumns;

// Tracks of the song.
constexpr int kTrackKick = 0;        // kit 1: kick, snare, clap, toms, crash, rim, triangle
constexpr int kTrackJingle = 1;      // kit 2: hats, shaker, sleigh bells, tambourine, ...
constexpr int kTrackLead = 2;
constexpr int kTrackChords = 3;
constexpr int kTrackBass = 4;

// Values by (pattern, track, row, column), pattern-major, all 0..31.
class PatternBank {
public:
    PatternBank() : values_(kBankSize, 0) {}
    int& At(int pattern, int track, int row, int column) {
        return values_[((pattern * kTracks + track) * kRows + row) * kColumns + column];
    }
    int At(int pattern, int track, int row, int column) const {
        return values_[((pattern * kTracks + track) * kRows + row) * kColumns + column];
    }
    // Highest pattern in which the track has a non-zero value, as the generator computes it.
    int LastPattern(int track) const;

private:
    std::vector<int> values_;
};

// Composes the song: several patterns per track, so that each section re-draw varies it.
PatternBank ComposeDemoSong();

// The pattern image: kFramesPerRow x (kFrames / kFramesPerRow) frames, frame f
// at column f % 8, row f / 8; pixel (x, y) of a frame holds track x / 8,
// row y, column x % 8 as its blue byte (value << 3). RGBA bytes, row-major.
std::vector<unsigned char> PatternImage(const PatternBank& bank, int* width, int* height);

}  // namespace music_demo
