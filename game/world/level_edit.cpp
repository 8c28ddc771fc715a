#include "game/world/level_edit.h"

#include <algorithm>

#include "game/world/level_map.h"

namespace {
bool OnMap(int x, int y) { return x >= 0 && y >= 0 && x < kLevelSide && y < kLevelSide; }
}  // namespace

TileRect TileRect::Normal() const {
    TileRect r;
    r.x0 = std::max(0, std::min(x0, x1));
    r.y0 = std::max(0, std::min(y0, y1));
    r.x1 = std::min(kLevelSide - 1, std::max(x0, x1));
    r.y1 = std::min(kLevelSide - 1, std::max(y0, y1));
    return r;
}

LevelEdit::LevelEdit() {
    LevelFile fresh;
    fresh.map = kp_level_NewMap();
    Load(fresh);
}

void LevelEdit::Load(const LevelFile& level) {
    level_ = level;
    if (static_cast<int>(level_.map.size()) != kLevelTiles) level_.map = kp_level_NewMap();
    undo_.clear();
    redo_.clear();
    stroke_.clear();
    stroking_ = false;
    ++revision_;
}

char LevelEdit::Tile(int x, int y) const {
    return OnMap(x, y) ? level_.map[static_cast<size_t>(y * kLevelSide + x)] : '0';
}

void LevelEdit::Set(int x, int y, char tile, Step* step) {
    if (!OnMap(x, y) || !kp_level_IsTile(tile)) return;
    const int index = y * kLevelSide + x;
    char& cell = level_.map[static_cast<size_t>(index)];
    if (cell == tile) return;
    step->push_back({index, cell, tile});
    cell = tile;
}

void LevelEdit::Commit(Step step) {
    if (step.empty()) return;
    undo_.push_back(std::move(step));
    if (static_cast<int>(undo_.size()) > kUndoSteps) undo_.erase(undo_.begin());
    redo_.clear();
    level_.proof.clear();
    ++revision_;
}

void LevelEdit::Apply(const Step& step, bool forward) {
    if (forward) {
        for (const Change& c : step) level_.map[static_cast<size_t>(c.index)] = c.after;
    } else {
        for (auto c = step.rbegin(); c != step.rend(); ++c) level_.map[static_cast<size_t>(c->index)] = c->before;
    }
    level_.proof.clear();
    ++revision_;
}

void LevelEdit::BeginStroke() {
    EndStroke();
    stroking_ = true;
}

void LevelEdit::Paint(int x, int y, char tile) {
    if (!stroking_) {
        Place(x, y, tile);
        return;
    }
    const size_t before = stroke_.size();
    Set(x, y, tile, &stroke_);
    // The map shows each tile as it is painted; the proof goes with the first.
    if (stroke_.size() != before) {
        level_.proof.clear();
        ++revision_;
    }
}

void LevelEdit::EndStroke() {
    if (!stroking_) return;
    stroking_ = false;
    Step step;
    step.swap(stroke_);
    Commit(std::move(step));
}

void LevelEdit::Place(int x, int y, char tile) {
    EndStroke();
    Step step;
    Set(x, y, tile, &step);
    Commit(std::move(step));
}

void LevelEdit::Fill(const TileRect& rect, char tile) {
    EndStroke();
    const TileRect r = rect.Normal();
    Step step;
    for (int y = r.y0; y <= r.y1; ++y) {
        for (int x = r.x0; x <= r.x1; ++x) Set(x, y, tile, &step);
    }
    Commit(std::move(step));
}

void LevelEdit::Copy(const TileRect& rect) {
    const TileRect r = rect.Normal();
    clipWidth_ = r.Width();
    clipHeight_ = r.Height();
    clip_.clear();
    for (int y = r.y0; y <= r.y1; ++y) {
        for (int x = r.x0; x <= r.x1; ++x) clip_ += Tile(x, y);
    }
}

void LevelEdit::Paste(int x, int y) {
    EndStroke();
    Step step;
    for (int j = 0; j < clipHeight_; ++j) {
        for (int i = 0; i < clipWidth_; ++i) Set(x + i, y + j, clip_[static_cast<size_t>(j * clipWidth_ + i)], &step);
    }
    Commit(std::move(step));
}

void LevelEdit::Move(const TileRect& rect, int x, int y) {
    EndStroke();
    const TileRect r = rect.Normal();
    std::string tiles;
    for (int j = r.y0; j <= r.y1; ++j) {
        for (int i = r.x0; i <= r.x1; ++i) tiles += Tile(i, j);
    }
    Step step;
    for (int j = r.y0; j <= r.y1; ++j) {
        for (int i = r.x0; i <= r.x1; ++i) Set(i, j, '0', &step);
    }
    for (int j = 0; j < r.Height(); ++j) {
        for (int i = 0; i < r.Width(); ++i) Set(x + i, y + j, tiles[static_cast<size_t>(j * r.Width() + i)], &step);
    }
    Commit(std::move(step));
}

bool LevelEdit::Undo() {
    EndStroke();
    if (undo_.empty()) return false;
    Apply(undo_.back(), false);
    redo_.push_back(std::move(undo_.back()));
    undo_.pop_back();
    return true;
}

bool LevelEdit::Redo() {
    EndStroke();
    if (redo_.empty()) return false;
    Apply(redo_.back(), true);
    undo_.push_back(std::move(redo_.back()));
    redo_.pop_back();
    return true;
}
