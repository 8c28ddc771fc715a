#include "game/shell/records_layout.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kFontAdvance = 7;          // the font's advance at size 1
constexpr float kLineHeight = 10;
constexpr float kRowTextSize = 1.5f, kPanelTextSize = 1.2f, kHintSize = 1.0f, kTitleSize = 3.0f;
constexpr float kSwitchHalf = 19.2f;       // half the switch button (the icon at size 1.2)
constexpr int kSwitchLabelChars = 9;       // "Timer (T)"
constexpr const char* kHintGap = "   ";
constexpr int kTitleChars = 8;             // " Records"
constexpr float kBackHalf = 24;            // the back button, at its size 1.5 times k


// The wide design: 640 x 480; the tall one: 420 x 760.
RecordsLayout Wide() {
    RecordsLayout l;
    l.width = 640;
    l.switchY = 384;
    l.noteY = 420;
    l.hintY = 440;
    l.hintLines = 2;
    l.hintChars = 88;
    return l;
}

RecordsLayout Tall() {
    RecordsLayout l;
    l.stacked = true;
    l.width = 420;
    l.left = 20;
    l.panelX = 20;
    l.panelTop = 404;
    l.panelWidth = 360;
    l.switchY = 640;
    l.switchStep = 136;
    l.noteY = 676;
    l.hintY = 696;
    l.hintLines = 4;
    l.hintChars = 54;
    return l;
}

constexpr float kWideHeight = 480, kTallHeight = 760;

// Every coordinate of a design moved to `x0`, `y0` and scaled by k.
RecordsLayout Placed(RecordsLayout l, float k, float x0, float y0) {
    const auto x = [&](float v) { return x0 + v * k; };
    const auto y = [&](float v) { return y0 + v * k; };
    // Rows fall on whole virtual pixels, so that a press on a pixel is in one row.
    l.k = k;
    l.titleY = y(l.titleY);
    l.row = std::floor(l.row * k);
    l.rowLeft = std::round(x(l.left - 6));
    l.left = l.rowLeft + std::round(6 * k);
    l.top = std::round(y(l.top) - l.row / 2) + l.row / 2;
    l.rowWidth = std::round(l.rowWidth * k);
    l.assistedColumn = std::round(l.assistedColumn * k);
    l.panelX = x(l.panelX);
    l.panelTop = std::round(y(l.panelTop) - l.row / 2) + l.row / 2;
    l.panelWidth *= k;
    const float firstSwitch = l.stacked ? 30 : 60;
    for (int i = 0; i < kRecordsSwitches; ++i) l.switchX[i] = x(firstSwitch + i * l.switchStep);
    l.switchStep *= k;
    l.switchY = y(l.switchY);
    l.noteY = y(l.noteY);
    l.hintY = y(l.hintY);
    l.hintStep *= k;
    return l;
}

}  // namespace

RecordsLayout kp_records_Layout(float screenW, float screenH) {
    const RecordsLayout wide = Wide(), tall = Tall();
    const float kWide = std::min({1.0f, screenW / wide.width, screenH / kWideHeight});
    const float kTall = std::min({1.0f, screenW / tall.width, screenH / kTallHeight});
    const bool stacked = kTall > kWide;
    const RecordsLayout& design = stacked ? tall : wide;
    const float k = stacked ? kTall : kWide;
    const float height = stacked ? kTallHeight : kWideHeight;
    return Placed(design, k, (screenW - design.width * k) / 2, (screenH - height * k) / 2);
}

std::vector<LayoutBox> kp_records_LayoutBoxes(const RecordsLayout& l) {
    const float k = l.k;
    const float rowHalf = l.row / 2;
    std::vector<LayoutBox> boxes;
    const float titleHalf = kLineHeight * kTitleSize * k / 2;
    const float middle = l.left - 20 * k + l.width * k / 2;
    const float titleWidth = kTitleChars * kFontAdvance * kTitleSize * k;
    boxes.push_back({"title", middle - titleWidth / 2, l.titleY - titleHalf, middle + titleWidth / 2, l.titleY + titleHalf});
    boxes.push_back({"back", kRecordsBackAt - kBackHalf * k, kRecordsBackAt - kBackHalf * k, kRecordsBackAt + kBackHalf * k, kRecordsBackAt + kBackHalf * k});
    // The column headers sit a row and a bit above the first row.
    boxes.push_back({"levels", l.rowLeft, l.top - 22 * k - kLineHeight * kRowTextSize * k / 2, l.rowLeft + l.rowWidth,
                     l.top + 14 * l.row + rowHalf});
    boxes.push_back({"board", l.panelX, l.panelTop - 22 * k - kLineHeight * kRowTextSize * k / 2, l.panelX + l.panelWidth,
                     l.panelTop + (kWorldRows - 1) * l.row + kLineHeight * kPanelTextSize * k / 2});
    static const char* const kSwitchNames[kRecordsSwitches] = {"timer switch", "ghost switch", "posting switch"};
    for (int i = 0; i < kRecordsSwitches; ++i) {
        const float half = kSwitchHalf * k;
        boxes.push_back({kSwitchNames[i], l.switchX[i] - half, l.switchY - half,
                         l.switchX[i] + 20 * k + kSwitchLabelChars * kFontAdvance * kRowTextSize * k, l.switchY + half});
    }
    const float hintHalf = kLineHeight * kHintSize * k / 2;
    const float hintWidth = l.hintChars * kFontAdvance * kHintSize * k;
    boxes.push_back({"note", middle - hintWidth / 2, l.noteY - hintHalf, middle + hintWidth / 2, l.noteY + hintHalf});
    boxes.push_back({"hints", middle - hintWidth / 2, l.hintY - hintHalf, middle + hintWidth / 2,
                     l.hintY + (l.hintLines - 1) * l.hintStep + hintHalf});
    return boxes;
}

std::vector<std::string> kp_records_HintLines(const RecordsLayout& layout, const std::string& hints) {
    std::vector<std::string> parts;
    for (size_t at = 0; at <= hints.size();) {
        const size_t gap = hints.find(kHintGap, at);
        const std::string part = hints.substr(at, gap == std::string::npos ? std::string::npos : gap - at);
        if (!part.empty()) parts.push_back(part);
        if (gap == std::string::npos) break;
        at = gap + 3;
        while (at < hints.size() && hints[at] == ' ') ++at;
    }
    std::vector<std::string> lines;
    for (const std::string& part : parts) {
        if (!lines.empty() && lines.back().size() + 3 + part.size() <= static_cast<size_t>(layout.hintChars)) {
            lines.back() += kHintGap + part;
        } else {
            lines.push_back(part);
        }
    }
    return lines;
}

std::string kp_records_Hints(int column, bool browser) {
    std::string hints;
    if (column == 2) {
        hints = "Up, down: a world run   Z watch it   R race its ghost   Left: your runs   Esc back";
    } else if (browser) {
        hints = "Arrows choose   Z watch   E save the run as a file   H link to it   Esc back";
    } else {
        hints = "Arrows: a level, its assisted run or a world run   Z watch it   Esc back";
    }
    return hints + "   P post my best runs   N my name   W world board or highscores";
}
