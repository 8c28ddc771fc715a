// The level editor's screen: the map drawn with the game's own tile pictures,
// a palette of every tile kind, a cursor and a brush worked by the mouse, the
// keyboard, the gamepad or fingers, rectangles to fill, clear, copy and move,
// undo and redo, the level's rules checked as it changes, its name and its
// maker, and test-play with one key. Every change is written to the level's
// file in the levels folder soon after it is made, and when the editor is
// left, the window loses the focus or the game ends.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "framework/app.h"
#include "game/shell/globals.h"
#include "game/shell/my_app.h"
#include "game/world/level_map.h"
#include "game/world/tiles.h"
#include "host/input_translation.h"
#include "host/platform.h"
#include "input/input_device.h"
#include "runtime/errors.h"

namespace {

constexpr float kTopBar = 36.0f;
constexpr float kBottomBar = 60.0f;
constexpr float kPaletteWidth = 84.0f;
constexpr float kPaletteCell = 32.0f;
constexpr float kToolPad = 10.0f;         // a tool button's width beyond its label
constexpr float kToolGap = 4.0f;
constexpr int kPaletteColumns = 2;
constexpr float kZooms[] = {6.0f, 12.0f, 16.0f, 24.0f, 32.0f};   // tile pixels; the smallest shows the map's runs as colour
constexpr int kZoomCount = 5;
constexpr float kRunView = 8.0f;          // below this many pixels a tile a picture would not show
constexpr int kHeroStanding = 0;
constexpr float kStarPixels = 128.0f;
constexpr int kRepeatDelay = 14;
constexpr int kRepeatEvery = 3;
constexpr int kSaveAfter = 60;            // updates after a change before it is written
constexpr int kNoteUpdates = 300;

// Gamepad buttons of joystick 0, read as they are: the game keys they feed
// in play also answer to letters the editor uses otherwise.
constexpr int kPadPlace = kPadA, kPadErase = kPadB, kPadPrevious = kPadX, kPadNext = kPadY;
constexpr int kPadZoomOut = kPadLeftShoulder, kPadZoomIn = kPadRightShoulder, kPadTest = kPadStart;

enum Tool { kToolBack, kToolUndo, kToolRedo, kToolZoomOut, kToolZoomIn, kToolSelect, kToolFill, kToolClear,
            kToolCopy, kToolPaste, kToolMove, kToolTest, kToolTestHere, kToolCount };
struct ToolButton {
    Tool tool;
    const char* label;
};
constexpr ToolButton kTools[] = {{kToolBack, "Back"},   {kToolUndo, "Undo"},   {kToolRedo, "Redo"},
                                 {kToolZoomOut, "-"},   {kToolZoomIn, "+"},    {kToolSelect, "Select"},
                                 {kToolFill, "Fill"},   {kToolClear, "Clear"}, {kToolCopy, "Copy"},
                                 {kToolPaste, "Paste"}, {kToolMove, "Move"},   {kToolTest, "Test"},
                                 {kToolTestHere, "From here"}};

struct Rgb {
    float r, g, b;
};

// The colour of a tile in the smallest view.
Rgb TileColour(char c) {
    switch (c) {
    case '2': return {150, 150, 170};
    case '1': return {200, 160, 90};
    case '3': return {170, 120, 60};
    case '5': case '6': case '7': case '8': return {230, 60, 60};
    case 'x': case '$': case '4': return {60, 220, 90};
    case 'S': return {90, 200, 255};
    case 'X': return {255, 230, 60};
    case 'D': case 'd': return {80, 200, 140};
    case 'P': return {255, 160, 40};
    case '{': case '}': return {200, 80, 200};
    case '(': case ')': return {220, 200, 120};
    default: return {120, 120, 150};
    }
}

bool Held(int key) { return kp_input_KeyDown(key); }
bool Hit(int key) { return kp_input_KeyHit(key) > 0; }
bool PadHit(int button) { return kp_input_KeyHit(kKeyJoyBase + button) > 0; }
bool Inside(float x, float y, float x0, float y0, float w, float h) { return x >= x0 && x < x0 + w && y >= y0 && y < y0 + h; }

}  // namespace

void c_MyApp::p_OpenEditor(const LevelFile& level, const std::string& file) {
    m_editor = EditorState();
    m_editor.edit.Load(level);
    m_editor.file = file;
    m_editor.dirty = file.empty();
    // The view starts on the start tile.
    const std::string& map = level.map;
    const size_t start = map.find('S');
    if (start != std::string::npos) {
        m_editor.cursorX = static_cast<int>(start % kLevelSide);
        m_editor.cursorY = static_cast<int>(start / kLevelSide);
    }
    m_editor.viewX = static_cast<float>(m_editor.cursorX - 12);
    m_editor.viewY = static_cast<float>(m_editor.cursorY - 8);
    m_screen = kScreenEditor;
    m_keyLatch = m_clickLatch = 1;
}

void c_MyApp::p_KeepEditorWork() {
    if (!m_editor.dirty || !KpGame::_game) return;
    m_editor.edit.EndStroke();
    if (m_editor.file.empty()) {
        // A new level takes a file name from its name, one no other level has.
        const std::vector<std::string> names = kp_file_List(KpGame::_game->BesideStatePath(kPlayerLevelsFolder));
        const std::string base = kp_levelfile_FileName(m_editor.edit.Level().name);
        std::string file = base + kLevelFileExtension;
        for (int n = 2; std::find(names.begin(), names.end(), file) != names.end(); ++n) {
            file = base + "-" + std::to_string(n) + kLevelFileExtension;
        }
        m_editor.file = file;
    }
    if (kp_app_SaveBeside(kPlayerLevelsFolder + m_editor.file, kp_levelfile_Encode(m_editor.edit.Level())) == 0) {
        m_editor.dirty = false;
    }
}

void c_MyApp::p_StartTestPlay(bool fromCursor) {
    const std::vector<LevelProblem> problems = kp_level_Check(m_editor.edit.Map());
    const auto note = [this](const std::string& text) {
        m_editor.note = text;
        m_editor.noteTimer = kNoteUpdates;
    };
    if (!problems.empty()) {
        note("The test waits until the map holds: " + problems.front().text);
        return;
    }
    const int here = kp_Tiles_Ascii2Val(m_editor.edit.Tile(m_editor.cursorX, m_editor.cursorY));
    if (fromCursor && (here == kTileWall || here == kTileFlipEven || here == kTileLauncherLeft || here == kTileLauncherRight)) {
        note("Pipkin cannot start inside a solid tile: move the cursor");
        return;
    }
    p_KeepEditorWork();
    m_playerMap = m_editor.edit.Map();
    m_playerPlay = PlayerLevelPlay();
    m_playerPlay.testing = true;
    m_playerPlay.fromCursor = fromCursor;
    m_playerPlay.startX = fromCursor ? m_editor.cursorX : -1;
    m_playerPlay.startY = fromCursor ? m_editor.cursorY : -1;
    m_playerPlay.revision = m_editor.edit.Revision();
    m_playerPlay.name = m_editor.edit.Level().name;
    m_playerPlay.hash = kp_level_Hash(m_playerMap);
    m_pauseShown = 0;
    m_quitGame = 0;
    m_gameOverTimer = 0;
    m_score = 0;
    m_mapWidth = kLevelSide;
    m_mapHeight = kLevelSide;
    m_screen = kScreenPlaying;
    m_keyLatch = m_clickLatch = 1;
    p_PlaySFX2(kSfxConfirm, kMenuVolume);
    p_BeginLevel(0);
}

void c_MyApp::p_EndTestPlay() {
    m_playerPlay.testing = false;
    m_playerPlay.startX = m_playerPlay.startY = -1;
    m_screen = kScreenEditor;
    m_keyLatch = m_clickLatch = 1;
}

// One tile of the editor's map or palette, centred at (x, y), `px` pixels wide.
static void DrawEditorTile(c_MyApp& app, char c, float x, float y, float px) {
    const int value = kp_Tiles_Ascii2Val(c);
    if (c == 'S') {
        app.p_SetSize(px / 16.0f);
        app.p_DrawImg(kImageHero, x, y, kHeroStanding);
    } else if (c == 'X') {
        app.p_SetCol(255, 230, 60, 1);
        app.p_SetSize(px * 1.2f / kStarPixels);
        app.p_DrawImg(kImageStar, x, y, 0);
        app.p_SetCol(255, 255, 255, 1);
    } else if (value >= 1 && value <= 64) {
        app.p_SetSize(px / 16.0f);
        app.p_DrawImg(kImageTiles, x, y, value - 1);
    }
}

int c_MyApp::p_Editor() {
    EditorState& e = m_editor;
    LevelEdit& edit = e.edit;
    const float w = kp_Glimmer_jscrw, h = kp_Glimmer_jscrh;
    const float mapX0 = 0, mapY0 = kTopBar, mapW = w - kPaletteWidth, mapH = h - kTopBar - kBottomBar;
    const float px = kZooms[e.zoom];
    const float columns = mapW / px, rows = mapH / px;
    const auto note = [&e](const std::string& text) {
        e.note = text;
        e.noteTimer = kNoteUpdates;
    };
    const std::vector<LevelProblem> problems = kp_level_Check(edit.Map());
    if (e.dirty && !e.dragging && ++e.saveTimer >= kSaveAfter) p_KeepEditorWork();

    // Keep the view on the map: a little past its edges, never away from it.
    const auto clampView = [&]() {
        const auto clampAxis = [](float v, float shown) {
            if (shown >= kLevelSide + 2) return (kLevelSide - shown) / 2;
            return std::max(-1.0f, std::min(v, kLevelSide + 1 - shown));
        };
        e.viewX = clampAxis(e.viewX, columns);
        e.viewY = clampAxis(e.viewY, rows);
    };
    const auto showCursor = [&]() {
        e.viewX = std::min(e.viewX, static_cast<float>(e.cursorX) - 1);
        e.viewX = std::max(e.viewX, e.cursorX + 2 - columns);
        e.viewY = std::min(e.viewY, static_cast<float>(e.cursorY) - 1);
        e.viewY = std::max(e.viewY, e.cursorY + 2 - rows);
        clampView();
    };
    clampView();
    const auto screenX = [&](int tx) { return mapX0 + (tx - e.viewX) * px; };
    const auto screenY = [&](int ty) { return mapY0 + (ty - e.viewY) * px; };
    const auto tileAt = [&](float sx, float sy, int* tx, int* ty) {
        *tx = static_cast<int>(std::floor((sx - mapX0) / px + e.viewX));
        *ty = static_cast<int>(std::floor((sy - mapY0) / px + e.viewY));
        return Inside(sx, sy, mapX0, mapY0, mapW, mapH) && *tx >= 0 && *ty >= 0 && *tx < kLevelSide && *ty < kLevelSide;
    };

    // ---- The picture: the map, its overlays, the palette, the bars ----
    p_CLS2D(20, 20, 50, 1);
    p_ResetDraw();
    p_SetCol(10, 10, 30, 1);
    p_Rect(screenX(0), screenY(0), kLevelSide * px, kLevelSide * px);
    p_SetCol(255, 255, 255, 1);
    const int tx0 = std::max(0, static_cast<int>(std::floor(e.viewX)));
    const int ty0 = std::max(0, static_cast<int>(std::floor(e.viewY)));
    const int tx1 = std::min(kLevelSide - 1, static_cast<int>(std::ceil(e.viewX + columns)));
    const int ty1 = std::min(kLevelSide - 1, static_cast<int>(std::ceil(e.viewY + rows)));
    for (int ty = ty0; ty <= ty1; ++ty) {
        for (int tx = tx0; tx <= tx1; ++tx) {
            const char c = edit.Tile(tx, ty);
            if (c == '0') continue;
            if (px < kRunView) {
                // A run of one tile kind as one bar of its colour.
                int end = tx;
                while (end < tx1 && edit.Tile(end + 1, ty) == c) ++end;
                const Rgb colour = TileColour(c);
                p_SetCol(colour.r, colour.g, colour.b, 1);
                p_Rect(screenX(tx), screenY(ty), (end - tx + 1) * px, px);
                tx = end;
            } else {
                DrawEditorTile(*this, c, screenX(tx) + px / 2, screenY(ty) + px / 2, px);
            }
        }
    }
    p_ResetDraw();
    const auto outline = [&](float x, float y, float ow, float oh, float r, float g, float b) {
        p_SetCol(r, g, b, 1);
        p_Rect(x, y, ow, 2);
        p_Rect(x, y + oh - 2, ow, 2);
        p_Rect(x, y, 2, oh);
        p_Rect(x + ow - 2, y, 2, oh);
    };
    if (e.hasSelection || e.selecting) {
        const TileRect r = e.selection.Normal();
        p_SetCol(90, 160, 255, 0.25f);
        p_Rect(screenX(r.x0), screenY(r.y0), r.Width() * px, r.Height() * px);
        outline(screenX(r.x0), screenY(r.y0), r.Width() * px, r.Height() * px, 90, 160, 255);
    }
    for (const LevelProblem& problem : problems) {
        if (problem.x >= 0) outline(screenX(problem.x), screenY(problem.y), px, px, 255, 60, 60);
    }
    outline(screenX(e.cursorX), screenY(e.cursorY), px, px, 255, 240, 80);

    // The bars over the map's edges.
    p_SetCol(30, 30, 70, 1);
    p_Rect(0, 0, w, kTopBar);
    p_Rect(0, h - kBottomBar, w, kBottomBar);
    p_Rect(w - kPaletteWidth, 0, kPaletteWidth, h);
    p_SetSize(1.5f);
    p_SetCol(255, 230, 120, 1);
    const std::string name = edit.Level().name + (e.typing == 1 ? "_" : "");
    const std::string maker = edit.Level().maker + (e.typing == 2 ? "_" : "");
    p_Text(48, 12, String((" " + name).c_str()), 0.0f, 1.0f);
    p_SetSize(1.0f);
    p_SetCol(200, 200, 230, 1);
    p_Text(48, 28, String((" by " + (maker.empty() ? std::string("-") : maker) + "   N name  K maker").c_str()), 0.0f, 1.0f);
    p_SetSize(1.5f);
    if (edit.Proved()) p_SetCol(120, 255, 120, 1); else p_SetCol(255, 170, 120, 1);
    p_Text(w - kPaletteWidth - 8, 12, String(edit.Proved() ? " Proved" : " Not proved"), 2.0f, 1.0f);
    p_SetSize(1.0f);
    p_SetCol(200, 200, 230, 1);
    char where[64];
    std::snprintf(where, sizeof where, " %d,%d  %s", e.cursorX, e.cursorY,
                  kp_level_TileKinds()[0].name);
    for (const LevelTileKind& kind : kp_level_TileKinds()) {
        if (kind.code == edit.Tile(e.cursorX, e.cursorY)) {
            std::snprintf(where, sizeof where, " %d,%d %s", e.cursorX, e.cursorY, kind.name);
        }
    }
    p_Text(w - kPaletteWidth - 8, 28, String(where), 2.0f, 1.0f);

    // The palette: every tile kind, the brush ringed.
    const std::vector<LevelTileKind>& kinds = kp_level_TileKinds();
    const float paletteX = w - kPaletteWidth + (kPaletteWidth - kPaletteColumns * kPaletteCell) / 2;
    const float paletteY = kTopBar + 8;
    int paletteHit = -1;
    for (size_t i = 0; i < kinds.size(); ++i) {
        const float cx = paletteX + kPaletteCell * (i % kPaletteColumns);
        const float cy = paletteY + kPaletteCell * (i / kPaletteColumns);
        p_ResetDraw();
        p_SetCol(60, 60, 100, 1);
        p_Rect(cx + 1, cy + 1, kPaletteCell - 2, kPaletteCell - 2);
        p_SetCol(255, 255, 255, 1);
        DrawEditorTile(*this, kinds[i].code, cx + kPaletteCell / 2, cy + kPaletteCell / 2, 24);
        p_ResetDraw();
        if (kinds[i].code == e.brush) outline(cx, cy, kPaletteCell, kPaletteCell, 255, 240, 80);
        // A press counts on the drawn square, not on the gap around it.
        if (m_pointerDown != 0 && m_clickLatch == 0 && Inside(m_touchX[0], m_touchY[0], cx + 1, cy + 1, kPaletteCell - 2, kPaletteCell - 2)) {
            paletteHit = static_cast<int>(i);
        }
    }

    // The tools, a row of buttons along the bottom, narrowed to fit the screen.
    int toolHit = -1;
    const float toolY = h - kBottomBar + 6;
    const float toolH = 24;
    const float advance = static_cast<float>(m_imageInfo[3 * m_font]);
    float natural = 0;
    for (const ToolButton& tool : kTools) natural += kToolPad + kToolGap + advance * std::string(tool.label).size();
    const float fit = std::min(1.0f, (w - 8) / natural);
    float toolX = 4;
    p_SetSize(fit);
    for (const ToolButton& tool : kTools) {
        const float toolW = (kToolPad + advance * static_cast<float>(std::string(tool.label).size())) * fit;
        const bool active = tool.tool == kToolSelect && e.selecting;
        p_SetCol(active ? 90.0f : 70.0f, active ? 160.0f : 70.0f, active ? 255.0f : 130.0f, 1);
        p_Rect(toolX, toolY, toolW, toolH);
        p_SetCol(255, 255, 255, 1);
        p_Text(toolX + toolW / 2, toolY + toolH / 2, String((" " + std::string(tool.label)).c_str()), 1.0f, 1.0f);
        if (m_pointerDown != 0 && m_clickLatch == 0 && Inside(m_touchX[0], m_touchY[0], toolX, toolY, toolW, toolH)) {
            toolHit = tool.tool;
        }
        toolX += toolW + kToolGap * fit;
    }

    // The status line: what the rules miss, or what the last action did.
    p_SetSize(1.0f);
    if (e.noteTimer > 0) {
        e.noteTimer -= 1;
        p_SetCol(255, 230, 120, 1);
        p_Text(8, h - 14, String((" " + e.note).c_str()), 0.0f, 1.0f);
    } else if (!problems.empty()) {
        p_SetCol(255, 110, 110, 1);
        std::string text = " " + problems.front().text;
        if (problems.size() > 1) text += "  (and " + std::to_string(problems.size() - 1) + " more)";
        p_Text(8, h - 14, String(text.c_str()), 0.0f, 1.0f);
    } else {
        p_SetCol(150, 255, 150, 1);
        p_Text(8, h - 14, String(edit.Proved() ? " The level holds and is proved: it can be shared"
                                               : " The level holds: T tests it, clear it from its start to prove it"),
               0.0f, 1.0f);
    }
    p_ResetDraw();

    // ---- Input ----
    const auto changed = [&e]() {
        e.dirty = true;
        e.saveTimer = 0;
    };
    const auto selection = [&e]() {
        TileRect r;
        if (e.hasSelection) return e.selection.Normal();
        r.x0 = r.x1 = e.cursorX;
        r.y0 = r.y1 = e.cursorY;
        return r;
    };
    const auto leave = [&]() {
        edit.EndStroke();
        p_KeepEditorWork();
        p_LoadPlayerLevels();
        m_screen = kScreenLevels;
        m_keyLatch = m_clickLatch = 1;
        p_PlaySFX2(kSfxConfirm, kMenuVolume);
    };
    const auto act = [&](int tool) {
        m_clickLatch = 1;
        switch (tool) {
        case kToolBack: leave(); return;
        case kToolUndo: if (edit.Undo()) changed(); else note("Nothing to undo"); break;
        case kToolRedo: if (edit.Redo()) changed(); else note("Nothing to redo"); break;
        case kToolZoomOut: e.zoom = std::max(0, e.zoom - 1); break;
        case kToolZoomIn: e.zoom = std::min(kZoomCount - 1, e.zoom + 1); break;
        case kToolSelect:
            e.selecting = !e.selecting;
            if (e.selecting) {
                e.hasSelection = false;
                note("Drag over the map, or move the cursor, to choose a rectangle");
            }
            break;
        case kToolFill: edit.Fill(selection(), e.brush); changed(); break;
        case kToolClear: edit.Clear(selection()); changed(); break;
        case kToolCopy:
            edit.Copy(selection());
            note("Copied " + std::to_string(edit.ClipWidth()) + " x " + std::to_string(edit.ClipHeight()) + ": Paste puts it at the cursor");
            break;
        case kToolPaste:
            if (edit.HasClipboard()) {
                edit.Paste(e.cursorX, e.cursorY);
                changed();
            } else {
                note("Copy a rectangle first");
            }
            break;
        case kToolMove:
            if (e.hasSelection) {
                const TileRect r = e.selection.Normal();
                edit.Move(r, e.cursorX, e.cursorY);
                e.selection = {e.cursorX, e.cursorY, e.cursorX + r.Width() - 1, e.cursorY + r.Height() - 1};
                changed();
            } else {
                note("Select a rectangle, put the cursor where it goes, then Move");
            }
            break;
        case kToolTest: p_StartTestPlay(false); return;
        case kToolTestHere: p_StartTestPlay(true); return;
        default: break;
        }
        p_PlaySFX2(kSfxConfirm, kMenuVolume);
    };

    // Typing a name takes every key until enter or escape.
    if (e.typing != 0) {
        const int field = e.typing;
        std::string text = field == 1 ? edit.Level().name : edit.Level().maker;
        for (int c = kp_input_GetChar(); c != 0; c = kp_input_GetChar()) {
            if (c == kKeyBackspace) {
                if (!text.empty()) text.pop_back();
            } else if (c == kKeyEscape) {
                text = e.typedOver;
                e.typing = 0;
            } else if (c == kKeyEnter) {
                e.typing = 0;
            } else if (c >= 32 && c <= 126 && text.size() < static_cast<size_t>(kLevelNameBytes)) {
                text += static_cast<char>(c);
            }
        }
        if (Hit(kKeyEscape) && e.typing != 0) text = e.typedOver;
        if (Hit(kKeyEnter) || Hit(kKeyEscape)) e.typing = 0;
        if (field == 1) edit.SetName(text); else edit.SetMaker(text);
        if (e.typing == 0) {
            const std::string clean = kp_levelfile_CleanName(edit.Level().name);
            edit.SetName(clean.empty() ? "My level" : clean);
            edit.SetMaker(kp_levelfile_CleanName(edit.Level().maker));
            m_keyLatch = 1;
        }
        e.dirty = true;
        return 0;
    }
    while (kp_input_GetChar() != 0) {
    }

    if (toolHit >= 0) {
        act(toolHit);
        return 0;
    }
    if (paletteHit >= 0) {
        m_clickLatch = 1;
        e.brush = kinds[static_cast<size_t>(paletteHit)].code;
        p_PlaySFX2(kSfxConfirm, kMenuVolume);
        return 0;
    }
    const bool control = Held(kKeyControl);
    const bool shift = Held(kKeyShift);
    const int brushIndex = static_cast<int>(std::find_if(kinds.begin(), kinds.end(),
                                                         [&e](const LevelTileKind& k) { return k.code == e.brush; }) -
                                            kinds.begin());
    const int kindCount = static_cast<int>(kinds.size());

    if (Hit(kKeyEscape) || PadHit(kPadBack)) {
        if (e.hasSelection || e.selecting) {
            e.hasSelection = e.selecting = false;
        } else {
            leave();
            return 0;
        }
    }
    if (control && Hit('Z')) act(shift ? kToolRedo : kToolUndo);
    if (control && Hit('Y')) act(kToolRedo);
    if (control && Hit('C')) act(kToolCopy);
    if (control && Hit('X')) {
        act(kToolCopy);
        act(kToolClear);
    }
    if (control && Hit('V')) act(kToolPaste);
    if (!control) {
        if (Hit('F')) act(kToolFill);
        if (Hit('M')) act(kToolMove);
        if (Hit(kKeyDelete) || Hit(kKeyBackspace) || PadHit(kPadErase)) {
            if (e.hasSelection) {
                act(kToolClear);
            } else {
                edit.Place(e.cursorX, e.cursorY, '0');
                changed();
            }
        }
        if (Hit(kKeySpace) || Hit(kKeyEnter) || PadHit(kPadPlace)) {
            edit.Place(e.cursorX, e.cursorY, e.brush);
            changed();
        }
        if (Hit('Q')) {
            e.brush = edit.Tile(e.cursorX, e.cursorY);
            note(std::string("Brush: the tile under the cursor"));
        }
        if (Hit(kKeyTab) || Hit(kKeyCloseBracket) || Hit(kKeyPeriod) || PadHit(kPadNext)) {
            e.brush = kinds[static_cast<size_t>((brushIndex + (shift ? kindCount - 1 : 1)) % kindCount)].code;
        }
        if (Hit(kKeyOpenBracket) || Hit(kKeyComma) || PadHit(kPadPrevious)) {
            e.brush = kinds[static_cast<size_t>((brushIndex + kindCount - 1) % kindCount)].code;
        }
        if (Hit('B')) {
            // B anchors a rectangle at the cursor; B again keeps it.
            if (e.selecting) {
                e.selecting = false;
            } else {
                e.selecting = true;
                e.hasSelection = true;
                e.anchorX = e.cursorX;
                e.anchorY = e.cursorY;
                e.selection = {e.cursorX, e.cursorY, e.cursorX, e.cursorY};
            }
        }
        if (Hit(kKeyEquals) || Hit(kKeyPageUp) || PadHit(kPadZoomIn)) act(kToolZoomIn);
        if (Hit(kKeyMinus) || Hit(kKeyPageDown) || PadHit(kPadZoomOut)) act(kToolZoomOut);
        if (Hit('T') || PadHit(kPadTest)) {
            act(kToolTest);
            return 0;
        }
        if (Hit('G')) {
            act(kToolTestHere);
            return 0;
        }
        // A name is typed afresh; escape gives the old one back.
        if (Hit('N') || Hit('K')) {
            e.typing = Hit('N') ? 1 : 2;
            e.typedOver = e.typing == 1 ? edit.Level().name : edit.Level().maker;
            if (e.typing == 1) edit.SetName(std::string()); else edit.SetMaker(std::string());
        }
        if (Hit('E') || Hit('H')) {
            const bool link = kp_input_KeyHit('H') > 0;
            p_KeepEditorWork();
            const bool browser = KpGame::_game && KpGame::_game->OffersFiles();
            if (!edit.Proved()) {
                note("Only a proved level can be shared: clear it in a test from its start");
            } else if (link) {
                const std::string text = kLevelLinkKey + kp_replay_LinkText(kp_levelfile_Encode(edit.Level()));
                if (browser) KpGame::_game->OfferLink(text);
                kpPrint(String(("Level link: #" + text).c_str()));
                note(browser ? "The link to this level is in the address bar" : "The link is printed on the standard output");
            } else if (browser) {
                KpGame::_game->OfferDownload(e.file, kp_levelfile_Encode(edit.Level()));
                note("Saved as " + e.file);
            } else {
                note("Kept as " + std::string(kPlayerLevelsFolder) + e.file + " beside the save");
            }
        }
    }

    // The cursor: arrow keys, the gamepad's pad and stick; held keys repeat.
    int dx = 0, dy = 0;
    if (p_PlayKey(kGameKeyLeft)) dx -= 1;
    if (p_PlayKey(kGameKeyRight)) dx += 1;
    if (p_PlayKey(kGameKeyUp)) dy -= 1;
    if (p_PlayKey(kGameKeyDown)) dy += 1;
    if (dx != 0 || dy != 0) {
        const bool move = e.repeatTimer == 0 || (e.repeatTimer >= kRepeatDelay && (e.repeatTimer - kRepeatDelay) % kRepeatEvery == 0);
        e.repeatTimer += 1;
        if (move) {
            if (shift && !e.selecting) {
                e.selecting = true;
                e.hasSelection = true;
                e.anchorX = e.cursorX;
                e.anchorY = e.cursorY;
            }
            e.cursorX = std::max(0, std::min(kLevelSide - 1, e.cursorX + dx));
            e.cursorY = std::max(0, std::min(kLevelSide - 1, e.cursorY + dy));
            if (e.selecting) e.selection = {e.anchorX, e.anchorY, e.cursorX, e.cursorY};
            showCursor();
        }
    } else {
        e.repeatTimer = 0;
    }

    // The pointer over the map: the cursor follows it; the left button (or a
    // finger) paints with the brush or chooses a rectangle, the right button
    // erases, the middle button or two fingers scroll.
    int fingers = 0;
    for (int n = 0; n < 10; ++n) fingers += m_touchDown[n] != 0;
    int tx = 0, ty = 0;
    const bool overMap = tileAt(static_cast<float>(m_touchX[0]), static_cast<float>(m_touchY[0]), &tx, &ty);
    if (fingers >= 2) {
        const float mx = (m_touchX[0] + m_touchX[1]) / 2.0f, my = (m_touchY[0] + m_touchY[1]) / 2.0f;
        if (!e.twoFingers) {
            // A second finger turns the first one's stroke into a scroll.
            if (e.dragging && !e.selecting && edit.UndoSteps() >= 0) {
                const int before = edit.UndoSteps();
                edit.EndStroke();
                if (edit.UndoSteps() > before) edit.Undo();
            }
            e.dragging = false;
        } else {
            e.viewX -= (mx - e.fingersX) / px;
            e.viewY -= (my - e.fingersY) / px;
            clampView();
        }
        e.twoFingers = true;
        e.fingersX = mx;
        e.fingersY = my;
        return 0;
    }
    e.twoFingers = fingers >= 2;
    const bool middle = kp_input_MouseDown(2);
    if (middle) {
        if (m_mouseX != m_oldMouseX || m_mouseY != m_oldMouseY) {
            e.viewX -= static_cast<float>(m_mouseX - m_oldMouseX) / px;
            e.viewY -= static_cast<float>(m_mouseY - m_oldMouseY) / px;
            clampView();
        }
        return 0;
    }
    int hx = 0, hy = 0;
    if ((m_mouseX != m_oldMouseX || m_mouseY != m_oldMouseY) &&
        tileAt(static_cast<float>(m_mouseX), static_cast<float>(m_mouseY), &hx, &hy)) {
        e.cursorX = hx;
        e.cursorY = hy;
    }
    const bool pressed = m_pointerDown != 0 || kp_input_MouseDown(1);
    if (!pressed) {
        if (e.dragging) {
            edit.EndStroke();
            if (e.selecting && e.hasSelection) e.selecting = false;
            changed();
        }
        e.dragging = false;
        return 0;
    }
    if (!overMap && !e.dragging) return 0;
    if (!e.dragging) {
        if (m_clickLatch != 0) return 0;
        m_clickLatch = 1;
        e.dragging = true;
        e.erasing = kp_input_MouseDown(1);
        e.lastX = e.lastY = -1;
        if (e.selecting) {
            e.hasSelection = true;
            e.anchorX = tx;
            e.anchorY = ty;
        } else {
            edit.BeginStroke();
        }
    }
    tx = std::max(0, std::min(kLevelSide - 1, tx));
    ty = std::max(0, std::min(kLevelSide - 1, ty));
    e.cursorX = tx;
    e.cursorY = ty;
    if (e.selecting) {
        e.selection = {e.anchorX, e.anchorY, tx, ty};
        return 0;
    }
    // A fast drag leaves no gaps: every tile on the line from the last one is painted.
    const int fromX = e.lastX < 0 ? tx : e.lastX, fromY = e.lastY < 0 ? ty : e.lastY;
    const int steps = std::max(std::abs(tx - fromX), std::abs(ty - fromY));
    for (int k = 0; k <= steps; ++k) {
        const int px2 = steps == 0 ? tx : fromX + (tx - fromX) * k / steps;
        const int py2 = steps == 0 ? ty : fromY + (ty - fromY) * k / steps;
        edit.Paint(px2, py2, e.erasing ? '0' : e.brush);
    }
    e.lastX = tx;
    e.lastY = ty;
    e.dirty = true;
    return 0;
}
