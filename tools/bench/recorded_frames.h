// Recorded frames of the running game: each update's draw list (the 15-float
// records and the clear colour), taken from the game and put back for a
// replay, and kept in files so that another build of the game (the browser's)
// can replay the same frames and compare its pixels with the desktop's.
#pragma once

#include <string>
#include <vector>

class c_MyApp;

// One update's picture.
struct RecordedFrame {
    std::vector<float> records;   // m_drawCount floats of the draw list
    float cls[4] = {0, 0, 0, 1};  // clear colour and alpha
};

// The current draw list as a frame.
RecordedFrame TakeFrame(c_MyApp& app);
// Puts a recorded frame back into the game's draw list.
void PutFrame(const RecordedFrame& frame, c_MyApp& app);

// Frames recorded at a window size, in a binary file of this machine's byte order.
bool SaveFrames(const std::string& path, int width, int height, const std::vector<RecordedFrame>& frames);
bool LoadFrames(const std::string& path, int* width, int* height, std::vector<RecordedFrame>* frames);

// Window pictures as 0xAARRGGBB ints, top row first, one per frame.
bool SavePictures(const std::string& path, int width, int height, const std::vector<std::vector<int>>& pictures);
bool LoadPictures(const std::string& path, int* width, int* height, std::vector<std::vector<int>>* pictures);
