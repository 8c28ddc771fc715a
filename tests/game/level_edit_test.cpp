// The level editor's model and the level format without the game: edits and
// their undo and redo, the proof an edit removes, the rules a map must keep,
// and level files that are damaged, edited or hostile.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "game/world/level_edit.h"
#include "game/world/level_map.h"
#include "game/world/replay_file.h"

namespace {

using Bytes = std::vector<unsigned char>;

char At(const std::string& map, int x, int y) { return map[static_cast<size_t>(y * kLevelSide + x)]; }

void Put(std::string* map, int x, int y, char c) { (*map)[static_cast<size_t>(y * kLevelSide + x)] = c; }

TEST(LevelEdit, EachOperationChangesWhatItShouldAndUndoRedoTakeItBackWhole) {
    const struct {
        const char* what;
        std::function<void(LevelEdit&)> edit;
        std::vector<std::pair<std::pair<int, int>, char>> expect;   // tiles after the edit
        int steps;                                                 // undo steps it makes
    } rows[] = {
        {"a tile placed", [](LevelEdit& e) { e.Place(5, 5, 'x'); }, {{{5, 5}, 'x'}}, 1},
        {"a drag painted as one step", [](LevelEdit& e) { e.BeginStroke(); e.Paint(3, 3, '3'); e.Paint(3, 4, '3'); e.Paint(3, 5, '3'); e.EndStroke(); },
         {{{3, 3}, '3'}, {{3, 4}, '3'}, {{3, 5}, '3'}}, 1},
        {"a rectangle filled, corners in any order", [](LevelEdit& e) { e.Fill({9, 11, 7, 10}, '1'); },
         {{{7, 10}, '1'}, {{9, 11}, '1'}, {{8, 10}, '1'}, {{6, 10}, '0'}, {{10, 11}, '0'}}, 1},
        {"a rectangle cleared", [](LevelEdit& e) { e.Clear({24, 20, 26, 20}); }, {{{24, 20}, '0'}, {{26, 20}, '0'}, {{27, 20}, '2'}}, 1},
        {"copied and pasted", [](LevelEdit& e) { e.Copy({27, 19, 29, 20}); e.Paste(10, 30); },
         {{{11, 30}, 'S'}, {{10, 31}, '2'}, {{12, 31}, '2'}, {{28, 19}, 'S'}}, 1},
        {"pasted past the edge, clipped", [](LevelEdit& e) { e.Copy({24, 20, 40, 20}); e.Paste(60, 5); },
         {{{60, 5}, '2'}, {{63, 5}, '2'}, {{0, 5}, '2'}, {{1, 5}, '0'}}, 1},
        {"moved one tile over itself", [](LevelEdit& e) { e.Move({27, 19, 28, 20}, 28, 19); },
         {{{27, 19}, '0'}, {{28, 19}, '0'}, {{29, 19}, 'S'}, {{27, 20}, '0'}, {{28, 20}, '2'}, {{29, 20}, '2'}}, 1},
        {"a tile placed as it was: no step", [](LevelEdit& e) { e.Place(0, 0, '2'); }, {{{0, 0}, '2'}}, 0},
        {"a character that is no tile: no step", [](LevelEdit& e) { e.Place(5, 5, 'Q'); }, {{{5, 5}, '0'}}, 0},
        {"outside the map: no step", [](LevelEdit& e) { e.Place(64, 5, 'x'); e.Place(-1, 5, 'x'); }, {}, 0},
    };
    for (const auto& row : rows) {
        LevelEdit edit;
        const std::string before = edit.Map();
        row.edit(edit);
        for (const auto& tile : row.expect) {
            EXPECT_EQ(edit.Tile(tile.first.first, tile.first.second), tile.second)
                << row.what << ": tile " << tile.first.first << "," << tile.first.second;
        }
        EXPECT_EQ(edit.UndoSteps(), row.steps) << row.what;
        const std::string after = edit.Map();
        while (edit.Undo()) {
        }
        EXPECT_EQ(edit.Map(), before) << row.what << ": undone whole";
        while (edit.Redo()) {
        }
        EXPECT_EQ(edit.Map(), after) << row.what << ": redone whole";
    }
}

TEST(LevelEdit, TwoHundredStepsUndoInOrderAndANewEditEndsRedo) {
    LevelEdit edit;
    const std::string before = edit.Map();
    for (int i = 0; i < 250; ++i) edit.Place(1 + i % 62, 1 + i / 62, i % 2 ? 'x' : '3');
    const std::string after = edit.Map();
    for (int i = 0; i < 250; ++i) ASSERT_TRUE(edit.Undo()) << "undo " << i;
    EXPECT_EQ(edit.Map(), before);
    EXPECT_FALSE(edit.Undo());
    for (int i = 0; i < 125; ++i) edit.Redo();
    EXPECT_EQ(At(edit.Map(), 1 + 124 % 62, 1 + 124 / 62), '3');
    EXPECT_EQ(At(edit.Map(), 1 + 125 % 62, 1 + 125 / 62), '0');
    edit.Place(40, 40, 'P');
    EXPECT_FALSE(edit.Redo()) << "a new edit forgets what was undone";
    EXPECT_NE(edit.Map(), after);
}

TEST(LevelEdit, AnyChangeToTheMapRemovesTheProofAndNothingElseDoes) {
    const Bytes proof = {1, 2, 3};
    const struct {
        const char* what;
        std::function<void(LevelEdit&)> edit;
        bool keeps;
    } rows[] = {
        {"a tile placed", [](LevelEdit& e) { e.Place(5, 5, 'x'); }, false},
        {"a tile painted in a drag not yet ended", [](LevelEdit& e) { e.BeginStroke(); e.Paint(5, 5, 'x'); }, false},
        {"a fill", [](LevelEdit& e) { e.Fill({2, 2, 3, 3}, '3'); }, false},
        {"a paste", [](LevelEdit& e) { e.Copy({24, 20, 25, 20}); e.Paste(2, 2); }, false},
        {"a move", [](LevelEdit& e) { e.Move({24, 20, 25, 20}, 2, 2); }, false},
        {"an undo", [](LevelEdit& e) { e.Undo(); }, false},
        {"a copy", [](LevelEdit& e) { e.Copy({0, 0, 5, 5}); }, true},
        {"a tile placed as it was", [](LevelEdit& e) { e.Place(0, 0, '2'); }, true},
        {"a new name", [](LevelEdit& e) { e.SetName("Other"); }, true},
    };
    for (const auto& row : rows) {
        LevelEdit edit;
        edit.Place(10, 10, '1');
        edit.SetProof(proof);
        const int revision = edit.Revision();
        row.edit(edit);
        EXPECT_EQ(edit.Proved(), row.keeps) << row.what;
        EXPECT_EQ(edit.Revision() == revision, row.keeps) << row.what << ": a run started before it no longer proves the map";
    }
}

TEST(LevelRules, EachRuleBrokenIsNamedAndANewLevelKeepsThemAll) {
    EXPECT_TRUE(kp_level_Check(kp_level_NewMap()).empty()) << kp_level_Check(kp_level_NewMap()).front().text;
    const struct {
        const char* what;
        std::function<void(std::string&)> change;
        const char* says;
    } rows[] = {
        {"a gap in the top wall", [](std::string& m) { Put(&m, 5, 0, '0'); }, "top edge"},
        {"a gap in the bottom wall", [](std::string& m) { Put(&m, 63, 63, '1'); }, "bottom edge"},
        {"a gap in the left wall", [](std::string& m) { Put(&m, 0, 30, '3'); }, "left edge"},
        {"a gap in the right wall", [](std::string& m) { Put(&m, 63, 1, '0'); }, "right edge"},
        {"a hole in the spike row", [](std::string& m) { Put(&m, 62, 62, '0'); }, "row 62"},
        {"no start", [](std::string& m) { Put(&m, 28, 19, '0'); }, "no start"},
        {"two starts", [](std::string& m) { Put(&m, 30, 19, 'S'); }, "2 starts"},
        {"no exit", [](std::string& m) { Put(&m, 36, 19, '0'); }, "no exit"},
        {"two exits", [](std::string& m) { Put(&m, 30, 19, 'X'); }, "2 exits"},
        {"no tree", [](std::string& m) { Put(&m, 32, 19, '$'); }, "no tree"},
        {"65 trees and gifts", [](std::string& m) { for (int i = 0; i < 64; ++i) Put(&m, 1 + i % 40, 2 + i / 40, i % 2 ? 'x' : '$'); },
         "65 trees and gifts"},
        {"84 launchers", [](std::string& m) { for (int i = 0; i < 84; ++i) Put(&m, 1 + i % 42, 30 + i / 42, '}'); }, "84 launchers"},
        {"a character no tile has", [](std::string& m) { Put(&m, 9, 9, 'Q'); }, "does not know"},
        {"a map too short", [](std::string& m) { m.pop_back(); }, "4095 tiles"},
    };
    for (const auto& row : rows) {
        std::string map = kp_level_NewMap();
        row.change(map);
        const std::vector<LevelProblem> problems = kp_level_Check(map);
        ASSERT_FALSE(problems.empty()) << row.what;
        EXPECT_NE(problems.front().text.find(row.says), std::string::npos) << row.what << ": " << problems.front().text;
    }
    std::string limits = kp_level_NewMap();
    for (int i = 0; i < 63; ++i) Put(&limits, 1 + i % 40, 2 + i / 40, 'x');
    for (int i = 0; i < kLevelMaxLaunchers; ++i) Put(&limits, 1 + i % 42, 30 + i / 42, '{');
    EXPECT_TRUE(kp_level_Check(limits).empty()) << "64 trees and 83 launchers are within the limits";
}

// A level file with its checksum made right again after `change`, as a hand-made file would be.
Bytes Resealed(Bytes file, const std::function<void(Bytes&)>& change) {
    file.resize(file.size() - 4);
    change(file);
    const uint32_t crc = kp_replay_Crc32(file.data(), file.size());
    for (int i = 0; i < 4; ++i) file.push_back(static_cast<unsigned char>(crc >> (8 * i)));
    return file;
}

TEST(LevelFiles, DamagedEditedAndHostileFilesAreRefusedWithTheirReason) {
    LevelFile level;
    level.name = "Test";
    level.maker = "Me";
    level.map = kp_level_NewMap();
    const Bytes good = kp_levelfile_Encode(level);
    const size_t mapAt = 5 + 4 + 1 + 4 + 1 + 2 + 2;   // the packed map's first byte
    std::string broken = level.map;
    Put(&broken, 36, 19, '0');
    LevelFile noExit = level;
    noExit.map = broken;
    Replay otherLevel;
    otherLevel.level = 0;
    otherLevel.levelHash = 1234;
    otherLevel.Append(0, 10);
    LevelFile wrongProof = level;
    wrongProof.proof = kp_replay_Encode(otherLevel);
    Replay tooLong = otherLevel;
    tooLong.levelHash = kp_level_Hash(level.map);
    tooLong.Append(1, kLevelProofMaxUpdates);
    LevelFile longProof = level;
    longProof.proof = kp_replay_Encode(tooLong);
    const struct {
        const char* what;
        Bytes file;
        const char* says;
    } rows[] = {
        {"empty", Bytes(), "not a level file"},
        {"a replay file", kp_replay_Encode(otherLevel), "not a level file"},
        {"truncated", Bytes(good.begin(), good.end() - 1), "checksum"},
        {"one byte changed", [&] { Bytes b = good; b[mapAt + 3] ^= 0x10; return b; }(), "checksum"},
        {"huge", [&] { Bytes b = good; b.resize(kLevelFileMaxBytes + 1); return b; }(), "too large"},
        {"another format", Resealed(good, [](Bytes& b) { b[4] = 2; }), "level format 2"},
        {"a name with a control character", Resealed(good, [](Bytes& b) { b[10] = 7; }), "name"},
        {"an empty name", Resealed(good, [](Bytes& b) { b.erase(b.begin() + 10, b.begin() + 14); b[9] = 0; }), "name"},
        {"a name longer than the file", Resealed(good, [](Bytes& b) { b[9] = 200; }), "past its end"},
        {"a map that does not unpack", Resealed(good, [&](Bytes& b) { for (size_t i = mapAt; i < b.size() - 2; ++i) b[i] = 0xff; }),
         "does not unpack"},
        {"another level's hash", Resealed(good, [](Bytes& b) { b[5] ^= 1; }), "hash"},
        {"bytes after the proof", Resealed(good, [](Bytes& b) { b.push_back(0); }), "after its proof"},
        {"a map without an exit", kp_levelfile_Encode(noExit), "no exit"},
        {"a proof of another level", kp_levelfile_Encode(wrongProof), "another level"},
        {"a proof of more than ten minutes", kp_levelfile_Encode(longProof), "ten minutes"},
    };
    for (const auto& row : rows) {
        LevelFile read;
        std::string why;
        EXPECT_FALSE(kp_levelfile_Decode(row.file.data(), row.file.size(), &read, &why)) << row.what;
        EXPECT_NE(why.find(row.says), std::string::npos) << row.what << ": " << why;
    }
    LevelFile read;
    std::string why;
    ASSERT_TRUE(kp_levelfile_Decode(good.data(), good.size(), &read, &why)) << why;
    EXPECT_EQ(read.map, level.map);
    EXPECT_EQ(read.name, "Test");
    EXPECT_EQ(read.maker, "Me");
    EXPECT_TRUE(kp_levelfile_Decode(kp_levelfile_Encode(noExit).data(), kp_levelfile_Encode(noExit).size(), &read, &why, true))
        << "the editor's own unfinished work reads as a draft";
}

}  // namespace
