// Recorded frames of the running game: each update's draw list (the
// 15-float records and the clear colour) and the image tables they refer to,
// so the same frames can be replayed through the game's renderer and through
// a peer renderer.
#pragma once

#include <string>
#include <vector>

#include "tools/bench/game_driver.h"
#include "tools/bench/recorded_frames.h"

// What the replay needs to know of one image slot.
struct RecordedImage {
    bool present = false;
    std::string file;             // the PNG file its pixels came from
    int surfaceWidth = 0, surfaceHeight = 0;
    int width = 0, height = 0;    // frame size
    float handleX = 0, handleY = 0;
    bool fullFrame = false;       // drawn as the whole surface
    std::vector<int> frameXY;     // x, y of each frame within the surface
    const void* surface = nullptr;  // identity of the pixel sheet (for counting texture switches)
};

// Frames recorded at one window size, with the tables of that moment.
struct Recording {
    int width = 0, height = 0;
    float scaleX = 1, scaleY = 1, hdScale = 1;
    std::vector<RecordedImage> images;  // by slot
    std::vector<RecordedFrame> frames;
};

// Takes the game's current image tables and scale.
void TakeImageTables(GameDriver& driver, Recording* out);
// Changes of pixel sheet between consecutive image records of a frame: each
// costs the renderer a texture switch however it batches.
int TextureSwitches(const Recording& recording, const RecordedFrame& frame);

// Image records of a frame whose quad lies wholly outside the window.
int OffscreenImageRecords(const Recording& recording, const RecordedFrame& frame);

// Writes w x h RGB pixels, bottom row first (as GL reads them), as a binary PPM file.
bool WritePpm(const std::string& path, int width, int height, const std::vector<unsigned char>& rgb);
