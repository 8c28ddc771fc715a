// The Records screen's parts on every shape of window the game takes: each
// inside the screen and none over another (on a 16:9 window the switches
// once fell below the bottom edge and the hints lay over the last rows), and
// every hint line within the width the layout gives it.
#include <gtest/gtest.h>

#include "game/shell/records_layout.h"

namespace {

// Virtual screens: one side at its design size, the other stretched to the window.
const struct {
    const char* window;
    float w, h;
} kScreens[] = {
    {"4:3", 640, 480},        {"16:10", 640, 400},   {"16:9", 640, 360},  {"21:9", 640, 274},
    {"square", 480, 480},     {"3:5 upright", 288, 480}, {"9:16 upright", 270, 480}, {"5:4", 600, 480},
};

TEST(RecordsLayout, EveryPartInsideTheScreenAndNoneOverAnother) {
    for (const auto& screen : kScreens) {
        const RecordsLayout layout = kp_records_Layout(screen.w, screen.h);
        const std::vector<LayoutBox> boxes = kp_records_LayoutBoxes(layout);
        for (const LayoutBox& box : boxes) {
            EXPECT_TRUE(box.left >= 0 && box.top >= 0 && box.right <= screen.w && box.bottom <= screen.h)
                << screen.window << ": the " << box.name << " lies outside " << screen.w << "x" << screen.h << ": "
                << box.left << "," << box.top << " to " << box.right << "," << box.bottom;
        }
        for (size_t i = 0; i < boxes.size(); ++i) {
            for (size_t j = i + 1; j < boxes.size(); ++j) {
                const LayoutBox& a = boxes[i];
                const LayoutBox& b = boxes[j];
                EXPECT_FALSE(a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom)
                    << screen.window << ": the " << a.name << " (" << a.left << "," << a.top << " to " << a.right << ","
                    << a.bottom << ") lies over the " << b.name << " (" << b.left << "," << b.top << " to " << b.right
                    << "," << b.bottom << ")";
            }
        }
        // Text is never drawn smaller than two thirds of its design size.
        EXPECT_GE(layout.k, 0.56f) << screen.window;
    }
}

TEST(RecordsLayout, HintsBreakAtTheirGapsIntoTheLinesGiven) {
    for (const auto& screen : kScreens) {
        const RecordsLayout layout = kp_records_Layout(screen.w, screen.h);
        for (const int column : {0, 1, 2}) {
            for (const bool browser : {false, true}) {
                const std::string hints = kp_records_Hints(column, browser);
                const std::vector<std::string> lines = kp_records_HintLines(layout, hints);
                EXPECT_LE(lines.size(), static_cast<size_t>(layout.hintLines)) << screen.window << ": " << hints;
                std::string joined;
                for (const std::string& line : lines) {
                    EXPECT_LE(line.size(), static_cast<size_t>(layout.hintChars)) << screen.window << ": " << line;
                    joined += (joined.empty() ? "" : "   ") + line;
                }
                EXPECT_EQ(joined, hints) << screen.window << ": every part of the hints, in order";
            }
        }
    }
}

}  // namespace
