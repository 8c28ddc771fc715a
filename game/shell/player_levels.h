// The state of the player's levels: the list of the levels folder beside the
// save, how a player's level (level 0) is being played, and the editor's
// screen. The screens themselves are methods of c_MyApp (player_levels.cpp,
// editor.cpp); the map, its edits and its rules are game/world's (level_edit.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/world/level_edit.h"
#include "game/world/level_file.h"
#include "host/tool_process.h"

constexpr const char* kPlayerLevelsFolder = "levels/";
constexpr const char* kPlayerRunsFolder = "levels/runs/";

// One level of the levels folder as the list shows it.
struct PlayerLevel {
    std::string file;                 // its name in the levels folder
    LevelFile level;
    bool readable = false;            // a whole level file whose map keeps the rules
    bool proved = false;              // its proof played again here clears it
    bool checking = false;            // its proof (or best run) waits to be played again, a slice at a time
    std::string problem;              // why it is not readable, or not proved
    int bestUpdates = 0;              // the player's best time on it (0: none)
    std::vector<unsigned char> best;  // that run, a replay of level 0
    std::vector<unsigned char> bestFile;  // the best run as read from levels/runs/, not yet played again
};

// A run played on a player's level in the replay game before it is believed,
// a slice per update: a level's proof, its best run, a route the solver found,
// or the proof of a level being imported (from a link), kept once it is known.
enum class LevelRunKind { kProof, kBest, kRoute, kImport };
struct LevelRunCheck {
    LevelRunKind kind = LevelRunKind::kProof;
    std::string map;
    std::vector<unsigned char> run;
    int revision = 0;                 // a route's: the editor's revision it was searched on
    std::vector<unsigned char> file;  // an import's: the level file, kept when its proof is known
    bool fromLink = false;            // an import's: opened from the page's link, its proof shown once proved
};

// The solver searching a route through the level being edited, as a tool
// beside the game (glimmer-solve --level-file), read as it goes.
constexpr int kRouteSearchSeconds = 60;
struct RouteSearch {
    ToolProcess tool;
    bool searching = false;
    int revision = 0;                 // the editor's revision it searches
    int startMillis = 0;              // on the game's clock
    int states = 0;                   // searched so far, as the tool last said
    std::string output;               // what the tool wrote that is not a whole line yet
    bool checking = false;            // the route found is being played again before it proves
};

// How level 0 is played: a test from the editor, or a level of the list.
struct PlayerLevelPlay {
    bool testing = false;             // from the editor: any end returns there
    bool fromCursor = false;          // started at the editor's cursor: never a proof
    int startX = -1, startY = -1;     // the start the hero is put at, -1: the map's own
    int revision = 0;                 // the editor's revision the test was started on
    bool proved = false;              // a level of the list whose proof holds: it keeps records
    int index = -1;                   // its row in the list
    std::string name;
    uint32_t hash = 0;
    std::vector<unsigned char> ghost; // the best run raced as the ghost
};

// The editor's screen: the view, the cursor, the brush and what is typed.
struct EditorState {
    LevelEdit edit;
    std::string file;                 // where the level is kept in the levels folder
    int cursorX = 32, cursorY = 20;
    float viewX = 12, viewY = 4;      // the tile at the view's top left
    int zoom = 3;                     // index of the editor's zooms: 24 pixels a tile
    char brush = '2';
    bool selecting = false;           // a rectangle is being chosen (from the cursor, or by a drag)
    bool hasSelection = false;
    TileRect selection;
    int anchorX = 0, anchorY = 0;
    bool dragging = false;            // the mouse paints (or selects) while its button is held
    bool erasing = false;
    bool twoFingers = false;
    float fingersX = 0, fingersY = 0;
    int typing = 0;                   // 1 the name, 2 the maker's name are being typed
    std::string typedOver;            // the name being typed over, given back by escape
    int lastX = -1, lastY = -1;       // the tile the brush last painted in a drag
    int repeatTimer = 0;              // a held cursor key moves again after a delay
    int saveTimer = 0;                // updates since the last change; the work is written soon after
    std::string note;                 // what the last action did
    int noteTimer = 0;
    bool dirty = false;               // changed since it was last written to its file
    bool routeOffered = false;        // the solver is beside the game: it can search a route
};
