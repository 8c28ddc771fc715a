// The level editor's model, without a window: the map being edited, its
// edits and their undo and redo, the selection and the clipboard, and the
// proof that the map as it stands can be cleared. Every change to the map is
// one step that undo takes back whole (a drag of the brush is one step); any
// change, undo and redo included, removes the proof.
#pragma once

#include <string>
#include <vector>

#include "game/world/level_file.h"

// A rectangle of tiles, corners included; Normal() orders its corners.
struct TileRect {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    TileRect Normal() const;
    int Width() const { return x1 - x0 + 1; }
    int Height() const { return y1 - y0 + 1; }
};

class LevelEdit {
public:
    static constexpr int kUndoSteps = 1000;   // older steps are forgotten

    LevelEdit();
    // Starts over on a level (new, a copy, or one read from a file); no undo
    // reaches before it, and its proof is kept.
    void Load(const LevelFile& level);
    const LevelFile& Level() const { return level_; }
    const std::string& Map() const { return level_.map; }
    char Tile(int x, int y) const;

    // The brush: tiles painted between BeginStroke and EndStroke are one step.
    void BeginStroke();
    void Paint(int x, int y, char tile);
    void EndStroke();
    void Place(int x, int y, char tile);                  // one tile, one step
    void Fill(const TileRect& rect, char tile);
    void Clear(const TileRect& rect) { Fill(rect, '0'); }
    void Copy(const TileRect& rect);                       // into the clipboard; the map is unchanged
    void Paste(int x, int y);                              // the clipboard's top left at (x, y), clipped to the map
    void Move(const TileRect& rect, int x, int y);         // cut and pasted at (x, y) in one step
    bool HasClipboard() const { return clipWidth_ > 0; }
    int ClipWidth() const { return clipWidth_; }
    int ClipHeight() const { return clipHeight_; }

    bool Undo();
    bool Redo();
    int UndoSteps() const { return static_cast<int>(undo_.size()); }
    int RedoSteps() const { return static_cast<int>(redo_.size()); }

    void SetName(const std::string& name) { level_.name = name; }
    void SetMaker(const std::string& maker) { level_.maker = maker; }
    void SetProof(const std::vector<unsigned char>& replay) { level_.proof = replay; }
    bool Proved() const { return !level_.proof.empty(); }
    // Counts changes to the map, so that a run can tell whether the map it
    // was started on is still the one being edited.
    int Revision() const { return revision_; }

private:
    struct Change {
        int index;
        char before;
        char after;
    };
    using Step = std::vector<Change>;
    void Set(int x, int y, char tile, Step* step);
    void Commit(Step step);
    void Apply(const Step& step, bool forward);

    LevelFile level_;
    std::vector<Step> undo_;
    std::vector<Step> redo_;
    Step stroke_;
    bool stroking_ = false;
    std::string clip_;
    int clipWidth_ = 0;
    int clipHeight_ = 0;
    int revision_ = 0;
};
