// Where the Records screen puts its parts on a virtual screen of any shape
// the game takes (640 x 480, 640 x 360 for 16:9, down to 288 x 480 for a
// phone held upright): one design for wide screens (the levels beside the
// world board) and one for tall ones (the board under the levels), each
// scaled down until it fits, whichever stays larger.
#pragma once

#include <string>
#include <vector>

constexpr int kRecordsSwitches = 3;        // timer, ghost, posting
constexpr int kRecordsHintLines = 4;       // the most lines the hints take
constexpr int kWorldRows = 12;
constexpr float kRecordsBackAt = 24;       // the back button's middle, x and y

struct RecordsLayout {
    bool stacked = false;                  // the board under the levels
    float k = 1;                           // the design's scale: text sizes and steps are multiplied by it
    float width = 640;                     // the design's width, in virtual pixels at scale 1
    float titleY = 36;
    float left = 20, top = 96, row = 18;   // the levels: their text's left, first row's middle, the step
    float rowLeft = 14;                    // a level row's highlight and pointer target start here
    float rowWidth = 370, assistedColumn = 262;
    float panelX = 410, panelTop = 96;     // the board (or the highscores): first row's middle
    float panelWidth = 220;
    float switchX[kRecordsSwitches] = {};  // each switch's button middle
    float switchY = 384;
    float switchStep = 135;
    float noteY = 420;
    float hintY = 440, hintStep = 16;      // the first hint line, and the next ones below it
    int hintLines = 2;                     // lines the hints may take
    float hintChars = 88;                  // characters a hint line holds
};

// A box on the virtual screen: one of the parts laid out.
struct LayoutBox {
    const char* name;
    float left, top, right, bottom;
};

RecordsLayout kp_records_Layout(float screenW, float screenH);
// The parts' boxes as laid out, for checking that they fit and stay apart.
std::vector<LayoutBox> kp_records_LayoutBoxes(const RecordsLayout& layout);
// The screen's hints for the chosen column (0 the runs, 1 the assisted runs, 2 a world run).
std::string kp_records_Hints(int column, bool browser);
// The hints broken into lines of the layout's width, at their gaps of three spaces.
std::vector<std::string> kp_records_HintLines(const RecordsLayout& layout, const std::string& hints);
