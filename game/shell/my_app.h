// The game's application class.
//
// Nearly all game state lives in fields of the one c_MyApp object. Its methods
// are defined in the files of the subsystem that owns them: the shell
// (screens, assets, drawing, controls, menus, tutorial and ending, save data,
// highscores) in game/shell/, the world (levels, tiles, hero, objects,
// scenery, round) in game/world/. Every update records the frame's picture
// into the draw list; every render replays it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/app.h"
#include "game/game_ids.h"
#include "game/shell/player_levels.h"
#include "game/shell/records_file.h"
#include "game/shell/settings_file.h"
#include "game/shell/world_boards.h"
#include "game/world/replay_file.h"
#include "game/world/round_state.h"
#include "runtime/array.h"
#include "runtime/string.h"

class c_Image;
class c_Sound;
class c_SGPlayer;

// Marks a drawing helper argument as "not given".
constexpr float NO_VALUE = -3717.0f;

// Screen numbers.
enum GameScreen {
    kScreenNone = 0,
    kScreenMenu = 1,
    kScreenBackToMenu = 2,
    kScreenPlaying = 10,
    kScreenNewGame = 11,
    kScreenEnding = 15,
    kScreenRecords = 20,
    kScreenPreparing = 21,   // a replay checked before it is watched
    kScreenLevels = 30,      // the player's levels: play, edit, make new ones
    kScreenEditor = 31,
    kScreenOptions = 40,
    kScreenControls = 41,
};

// Draw record kinds besides image slots 0..99.
constexpr float kDrawRect = -3717.0f;
constexpr float kDrawOval = -3716.0f;
constexpr int kDrawRecordFloats = 15;
constexpr int kDrawListFloats = 37500;


// Tile map geometry: 10 int layers per cell, row stride 100 cells.
constexpr int kMapLayers = 10;
constexpr int kMapRowStride = 100;
constexpr int kMapInts = 163840;
constexpr int kMoverInts = 2560;
constexpr int kMoverRecords = 251;   // records 0..250 are used
constexpr int kSnowFlakes = 101;

// Where the ghost stood after one update of its run, in eight bytes, so
// that the track of a day's run fits in a few megabytes.
struct GhostPose {
    int16_t x = 0, y = 0;
    int8_t subX = 0, subY = 0;
    uint8_t anim = 0;
    int8_t facing = 1;
};

// What playing a replay through the round gave.
struct ReplayOutcome {
    bool finished = false;     // the exit was reached
    int updates = 0;           // round updates played
    uint32_t roundState = 0;   // the round's state hash after the last update played (the exit's when finished)
    Replay header;             // no runs: the version, level, level hash and scheme a run of it records
};

// A hidden run's slice in each update of the game: at most 400 round updates
// (about 5 ms of thread time on a two-core machine, glimmer-bench --sections
// replay; an hour's run is ready in nine seconds), and fewer once 4 ms of the
// host's clock have gone, so that a busy machine keeps the window's updates.
constexpr int kHiddenRunSlice = 400;
constexpr int kHiddenRunMillis = 4;

// What a replay is played in the replay game for.
enum HiddenPurpose { kHiddenNone, kHiddenCheck, kHiddenGhost, kHiddenWatch, kHiddenLevelRun };

// A replay being played in the replay game, a slice at a time.
struct HiddenRun {
    HiddenPurpose purpose = kHiddenNone;
    std::vector<unsigned char> bytes;        // the file, when it is read as it plays
    Replay replay;                           // its header, and its runs as far as they are read
    std::unique_ptr<ReplayReader> reader;
    int played = 0;                          // round updates played
    bool done = false;
    bool damaged = false;                    // its key runs did not add up
    ReplayOutcome outcome;                   // once done
    std::vector<GhostPose> track;            // for the ghost: the hero after each update
};

struct ReplayGameTag {};

// The game: shell, world and presentation state, and every screen's update;
// the round's state is its RoundState (game/world/round_state.h).
class c_MyApp : public c_App, public RoundState {
public:
    c_MyApp();
    explicit c_MyApp(ReplayGameTag);               // the replay game's (p_ReplayGame): rounds only
    c_MyApp* m_new();
    void mark() override;

    // ---- Screen flow (game/shell/screen_flow.cpp) ----
    int p_OnCreate() override;
    int p_OnSuspend() override;
    int p_OnResume() override;
    int p_OnUpdate() override;
    int p_OnRender() override;
    int p_OnClose() override;                      // saves, then ends the program
    int p_WaitStart(int mode);                     // records the loading screen
    void p_DispatchScreen();                       // the screen dispatch of one update
    void p_ApplyPauseRule();                       // suspend/resume pause overlay rule
    void p_SwitchOffICade();

    int m_screen = 0;
    int m_loadStep = 0;
    int m_deviceW = 0;
    int m_deviceH = 0;
    c_SGPlayer* m_music = nullptr;
    int m_updateMs = 0, m_updateFps = 0, m_updateFpsAvg = 0;
    int m_renderMs = 0, m_renderFps = 0, m_renderFpsAvg = 0;
    int m_mouseX = 0, m_mouseY = 0;
    int m_oldMouseX = 0, m_oldMouseY = 0;
    int m_wasDown = 0;
    int m_pointerDown = 0;
    int m_pointerHit = 0;
    Array<int> m_touchDown;   // [10]
    Array<int> m_touchX;      // [10] virtual pixels, -3717 when up
    Array<int> m_touchY;      // [10]
    int m_clickLatch = 0;
    int m_keyLatch = 0;
    int m_creditsOpen = 0, m_creditsSlide = 0;
    int m_pauseShown = 0, m_pauseDir = 0, m_pauseY = 0;
    int m_pauseSel = 0;
    int m_quitGame = 0;
    int m_menuSlide = 0;
    int m_menuSel = 0;
    int m_gameType = 0;
    Array<int> m_settings;    // [25] persisted settings
    Array<int> m_keys;        // [20] virtual game keys
    int m_spinSize = 0, m_spinAngle = 0;
    bool m_startLinkChecked = false;               // the page's #replay= link looked at once

    // ---- Assets and sound effects (game/shell/assets.cpp) ----
    int p_Reload();
    int p_Loader();
    int p_ChooseResolution();                      // sets m_hdLevel/m_hdScale from the window size
    int p_LoadImg(int slot, const String& name, int w, int h, int frames, int flags);
    int p_LoadFont(int slot, const String& name, int advance, int lineHeight);
    int p_LoadSFX(int n);
    int p_PlaySFX(int id, float rate, float volume, float pan);
    int p_PlaySFX2(int id, float volume);          // rate 1, pan 0

    Array<c_Image*> m_images;  // [100] image slots
    Array<int> m_imageInfo;    // [300] per slot: cell w, cell h, frames (font: advance, line, 128)
    int m_font = 0;
    Array<c_Sound*> m_sounds;  // [100] sound slots
    int m_hdLevel = 1;
    float m_hdScale = 1.0f;
    int m_sfxChannel = 0;
    Array<int> m_channelMap;   // [33]

    // ---- Drawing helpers and the virtual screen (game/shell/drawing.cpp) ----
    int p_ResetDraw();
    int p_CLS2D(float r, float g, float b, float a);
    int p_Alpha(float a);
    int p_SetRot(float angle);
    int p_SetSize(float sx, float sy = NO_VALUE);
    int p_SetCol(float r, float g, float b, float a = NO_VALUE);
    int p_DrawImg(int slot, float x, float y, int frame);
    int p_DrawImg2(int slot, float x, float y);    // frame 0
    int p_Rect(float x, float y, float w, float h);
    int p_Oval(float x, float y, float rx, float ry);
    int p_Text(float x, float y, const String& text, float alignX, float alignY);
    String p_rstr(int width, int value, const String& pad);
    String p_rstr2(int value, const String& pad);  // width 11
    int p_Rand(float lo, float hi, int* seed = nullptr);   // lo..hi from the program's sequence or `seed`
    void p_UpdateVirtualScreen(int windowW, int windowH);  // scale and virtual size for a window
    void p_ReplayDrawList();
    bool p_AppendRecord(float kind, float x, float y, float a4, float a5, float frame);

    Array<float> m_drawList;   // [37500]
    int m_drawCount = 0;
    float m_sizeX = 1, m_sizeY = 1;
    float m_rot = 0;
    float m_red = 255, m_green = 255, m_blue = 255;
    float m_alpha = 1;
    int m_blend = 1;
    float m_clsRed = 0, m_clsGreen = 0, m_clsBlue = 0, m_clsAlpha = 1;
    float m_scaleX = 1, m_scaleY = 1;
    int m_fitAxis = 1;
    int m_landscape = 1;

    // ---- Game controls (game/shell/controls.cpp) ----
    bool p_PlayKey(int key);
    bool p_PlayKey2(int key, int useStick, int unit);
    float p_StickX(int axis, int unit);
    float p_StickY(int axis, int unit);
    int p_Button(int slot, float x, float y, int frame);
    int p_Button95(float x, float y, int frame);   // slot 95 "common/Buttons"
    int p_Button97(float x, float y, int frame);   // slot 97 "common/icons"
    bool p_Button0(int slot, float x, float y, int frame);

    int m_buttonHit = 0;       // result of the last p_Button call

    // ---- On-screen controls (game/shell/touch_controls.cpp) ----
    void p_TouchControls();      // fingers on the controls into m_keys, after the pointer snapshot
    void p_DrawTouchControls();  // the controls over the picture, after the screen's update

    // ---- Menus (game/shell/menus.cpp) ----
    int p_Menu();
    int p_PauseMenu();
    void p_DrawJumpHint(float x, float y, bool twoButtons);  // key hint on the jump-controls button

    // ---- Tutorial, ending and credits (game/shell/tutorial.cpp, ending.cpp, credits.cpp) ----
    int p_TutorialStuff();
    int p_XmasGameOver();
    int p_CreditBox();

    int m_tutStep = 0, m_tutShown = 0, m_tutDelay = 0;
    Array<String> m_tutLines;  // [4]
    float m_tutScale = 0;
    int m_tutX = 0, m_tutY = 0;
    int m_endingTimer = 0;
    int m_endingPromo = 0;
    float m_creditsScroll = 0;
    int m_creditsLine = 0;

    // ---- Save data, badges and highscores (game/shell/save_data.cpp, highscores.cpp) ----
    int p_Save();
    int p_Load();
    int p_LoadMenu();
    String p_BadgeID(int n);
    String p_BadgeName(int n);
    String p_BadgeDetail(int n);
    int p_GC_PostScore(int score, int table);
    int p_GC_Badges();

    Array<bool> m_badges;      // [256]
    Array<int> m_hiScores;     // [150]

    // ---- Levels (game/world/levels.cpp) ----
    String p_Uncrunch(const String& coded);
    int p_GetLevel(int n);
    int p_LoadGame();

    int m_mapWidth = 64, m_mapHeight = 64;
    String m_levelText;
    Array<float> m_snow;       // [1024] 101 flakes of 10 floats

    // ---- Tile map (game/world/tile_map.cpp) ----
    int p_GetMatrix(int x, int y, int layer);
    int p_PutBlock(int x, int y, int tile, int offsetX, int offsetY, int timer);
    int p_Gimme(int x, int y, int layer);
    int p_CellIndex(int x, int y) const;           // index of layer 0 of the wrapped cell
    int p_Tile(int x, int y) const;                // layer 0 of the wrapped cell
    bool p_isDeath(int tile);
    bool p_isFloor(int tile);
    bool p_isLadder(int tile);
    bool p_isGripable(int tile);
    bool p_isGripableB(int tile);
    bool p_isSolid(int tile);

    Array<int> m_near;         // [64] elements 1..9: the 3x3 neighbourhood

    // ---- The hero (game/world/player.cpp) ----
    int p_Player();

    // Worked out afresh in each update before they are read.
    int m_canWalkLeft = 0, m_canWalkRight = 0, m_canClimbUp = 0, m_canClimbDown = 0;
    int m_canJumpLeft = 0, m_canJumpRight = 0;
    int m_gripButton = 10, m_jumpLeftButton = 11, m_jumpRightButton = 12;
    float m_playerScreenX = 0, m_playerScreenY = 0;
    int m_heroHitX = 0, m_heroHitY = 0;            // the hero on the map, in tile pixels, as last placed on screen

    // ---- Level objects (game/world/objects.cpp) ----
    int p_Background();                            // the map pass: tile logic and drawing
    int p_Objects();                               // movers
    int p_Proximity(int x, int y);                 // 0..160 from the hero to a tile

    // ---- Scenery (game/world/scenery.cpp) ----
    int p_AddSnow();                               // the snow, drawing from the program's sequence
    void p_DrawScreenBackdrop(float w, float h);   // the dark menu backdrop and snow of the side screens
    int p_AddSnowFrom(int& seed);                  // the same from a sequence of its own (the round's)
    int p_SkyDrift();                              // background colour drift and clear colour
    int p_Backdrop();                              // the parallax backdrop
    void p_DrawTile(int x, int y, int cell);       // one cell of the map pass's drawing
    void p_DrawExitStar(float x, float y);         // the exit's three tinted turning copies
    void p_DrawHero();                             // the hero, drawn after his row
    void p_DrawExitBurst();                        // the star swelling while the hero leaves

    float m_skyR = 0, m_skyG = 0, m_skyB = 0;
    float m_skyRTarget = 0, m_skyGTarget = 0, m_skyBTarget = 0;
    float m_zoom = 2.0f;
    float m_camX = 0, m_camY = 0;
    float m_camTargetX = 0, m_camTargetY = 0;
    float m_camStepX = 0, m_camStepY = 0;          // the camera's move in this update
    int m_worldWidth = 2048, m_worldHeight = 2048;
    float m_exitScreenX = 0, m_exitScreenY = 0;

    // ---- The game round (game/world/game_round.cpp) ----
    int p_Game();
    int p_InGame();
    int p_GameOver();
    String p_MyNth();
    bool p_RoundFrozen();                          // the pause panel or a quit holds the round still
    void p_TakePauseKey();                         // the pause key opens the panel before the round's update
    void p_DrawFrozenRound();                      // the still world under falling snow
    unsigned p_LiveRoundKeys();                    // the game keys held now, as ReplayKey bits
    bool p_RoundKey(int key);                      // a game key as the round sees it in this update
    void p_Award(int points);                      // adds to the score of a game being played
    void p_DrawRunHud();                           // score, timer, replay caption

    int m_score = 0;
    int m_gameOverTimer = 0;
    int m_rank = 0;                                // rank found by the last p_MyNth
    unsigned m_staleKeys = 0;                      // held through a pause: ignored until released
    bool m_pauseKeyHeld = false;
    int m_pauseSeed = 1;                           // the snow's random draws while the round stands still
    std::vector<float> m_frozenWorld;              // the world's draw records of the last round update

    // ---- Runs: level time, recording, replays played and watched, the ghost (game/world/replay_run.cpp) ----
    void p_BeginLevel(int n);                      // enters level n: builds it, starts its clock, recording and ghost
    bool p_LivePlay();                             // a player's game: neither a replay nor a search
    void p_NoteRoundUpdate(int stateBefore);       // counts the update, deaths and the finish
    void p_FinishLevel();
    uint32_t p_RoundStateHash();                   // of the fields the round's visitor says decide the round
    ReplayOutcome p_PlayReplay(const Replay& replay, std::vector<GhostPose>* track);   // all at once
    bool p_RecordReplay(Replay* replay);           // keys from a level's start made a replay as play records it
    // One line on a replay file (played all at once): what it is and whether it completes its level.
    String p_CheckReplay(const std::vector<unsigned char>& bytes, Replay* replay, bool* valid);
    bool p_WatchReplay(const std::vector<unsigned char>& bytes, int returnScreen);   // false: refused, said
    void p_EndWatch();                             // a watch, or its preparation, given up or over
    unsigned p_WatchedKeys();                      // the next update's keys of the replay watched
    void p_DrawGhost();
    int p_PreparingScreen();

    // Hidden runs: replays played in the replay game.
    c_MyApp& p_ReplayGame();                       // made at start (p_OnCreate), or when first needed
    bool p_StartHiddenRun(const std::vector<unsigned char>& bytes, HiddenPurpose purpose, String* refusal);
    bool p_StepHiddenRun(int updates, int millis = 0);   // true once done; `millis` of the host's clock at most
    void p_StepHiddenRuns();                       // an update's slice, and what a finished run leads to
    void p_StopHiddenRun();
    void p_BeginHiddenPlay(const Replay& header);
    std::string p_HiddenRefusal(const Replay& replay);   // empty when the run can be played
    String p_HiddenVerdict(bool* valid);
    void p_BeginWatch(const Replay& replay);
    void p_LeaveWatch(bool refused);

    c_MyApp* m_replayGame = nullptr;               // where hidden runs play; never the program's application
    HiddenRun m_hidden;
    int m_gameUpdates = 0;                         // round updates since level 1 began
    Replay m_recording;                            // the keys of this level so far
    bool m_simulating = false;                     // played without picture or sound (replay checks, searches)
    bool m_watching = false;
    Replay m_watched;
    size_t m_watchRun = 0;
    int m_watchOffset = 0;
    int m_watchReturn = kScreenMenu;
    int m_watchScheme = 1;                         // the player's jump scheme, given back after watching
    std::vector<GhostPose> m_ghostTrack;

    // ---- Records and the Records screen (game/shell/records.cpp) ----
    void p_LoadRecords();
    void p_SaveRecords();
    void p_KeepRecords();                          // a finished level's time, deaths and run
    void p_KeepGameRecord();                       // a finished game's time
    int p_RecordsScreen();
    void p_WatchRecord(int index);                 // the best run of level index + 1, from the Records screen
    void p_RecordsNote(const String& text);        // a line at the foot of the Records screen for a few seconds
    void p_OpenStartLink();                        // plays the replay of the page's #replay= link
    void p_DrawAssistedTime(float x, float y, const LevelRecord& record, float size);

    GameRecords m_records;
    int m_recordsSel = 0;
    int m_worldSel = 0;                            // the chosen place of the world board, in its column (2)
    bool m_recordsHighscores = false;              // the second panel shows the highscores, not the world board
    bool m_recordsOpen = false;                    // the Records screen was shown in the last update
    int m_boardAskedLevel = 0;                     // the level whose world board was last asked for
    int m_recordsColumn = 0;                       // the chosen kind: 0 the runs at normal speed, 1 the assisted
    String m_recordsNote;                          // the last export's message
    int m_recordsNoteTimer = 0;

    // ---- The world boards: reading them, posting, watching and racing their runs (game/shell/boards.cpp) ----
    void p_LoadBoards();                           // the player file and the outbox beside the save, and the server's address
    void p_SaveBoardsPlayer();
    void p_BoardsUpdate();                         // what has come in from the server, once an update
    void p_QueueWorldRun(const std::vector<unsigned char>& replay);   // a new best run, when posting is on
    void p_QueueBestRuns();                        // every best run of normal speed, when posting is switched on
    void p_SwitchPosting();                        // on, off, or the name asked for first
    bool p_NameEntry();                            // the name being typed; true while it takes the keys
    void p_DrawWorldBoard(float x, float y, float row, float k);
    void p_StartRace(int level, const std::vector<unsigned char>& ghost);

    BoardsClient m_boards;
    bool m_boardsServerSet = false;                // an address is known (the page's origin in a browser)
    std::string m_boardsAddress;
    bool m_naming = false;                         // the name is being typed
    std::string m_nameTyped;
    std::string m_nameProblem;
    int m_worldFetch = 0;                          // a world run fetched: 1 to watch, 2 to race
    int m_worldFetchLevel = 0;
    int m_raceLevel = 0;                           // the level raced against a world run's ghost; 0 none
    std::vector<unsigned char> m_raceGhost;

    // ---- The player's levels (game/shell/player_levels.cpp) and the editor (game/shell/editor.cpp) ----
    void p_LoadPlayerLevels();                     // the levels folder beside the save, read again
    int p_LevelsScreen();
    void p_PlayPlayerLevel(size_t index);
    void p_OpenStartLevelLink();                   // the level of the page's #level= link
    // A level file read and, once its proof has been played again (a slice per
    // update), kept in the levels folder; false when it is refused at once.
    // `line` says what was done: refused, checking, or kept (unproved).
    bool p_ImportLevel(const std::vector<unsigned char>& bytes, String* line, bool fromLink = false);
    bool p_LevelImportPending() const;             // an import waits for its proof to be played
    void p_KeepImportedLevel(const LevelRunCheck& check, bool proved, const String& verdict);
    void p_ShowImportedLevel(bool fromLink);
    // Plays a level file's proof without a window: a line on it, and whether it clears the level.
    String p_CheckLevelProof(const LevelFile& level, bool* proved);
    void p_RefreshLevelChecks();                   // the list's verdicts known so far; the runs still to play queued
    void p_StartLevelCheck();                      // the next queued run into the replay game, when it is free
    void p_LevelRunChecked(bool valid, const String& verdict);  // a queued run played: its verdict kept and shown
    void p_QueueLevelCheck(const LevelRunCheck& check, bool first);
    bool p_PlayerLevelEnds();                      // a player's level left at its exit, a death or a quit
    void p_KeepPlayerLevelRun();                   // a finished run: the proof of a test, or a best time
    void p_OpenEditor(const LevelFile& level, const std::string& file);
    int p_Editor();
    void p_KeepEditorWork();                       // the level being edited written to its file
    void p_StartTestPlay(bool fromCursor);
    void p_EndTestPlay();                          // back to the editor at the view it had
    // The solver's route search (game/shell/route_search.cpp).
    bool p_RouteSearchOffered();                   // the solver is beside the game
    void p_StartRouteSearch();
    void p_StepRouteSearch();                      // every update: its output read, its time limit kept
    void p_StopRouteSearch(const std::string& why);  // ended, the note says why (empty: silently)
    void p_RouteLine(const std::string& line);     // one line of the solver's output
    void p_RouteChecked(const LevelRunCheck& check, bool valid);   // the route played again: a proof, or not

    std::vector<PlayerLevel> m_playerLevels;
    int m_levelsSel = 0;
    int m_levelsCopy = 1;                          // the stored level a copy is made of
    String m_levelsNote;
    String m_levelImportLine;                      // what the last import came to (its proof played, it kept)
    int m_levelsNoteTimer = 0;
    EditorState m_editor;
    std::string m_playerMap;                       // the map of level 0, a player's level
    PlayerLevelPlay m_playerPlay;                  // how level 0 is being played
    bool m_startLevelLinkChecked = false;
    std::vector<LevelRunCheck> m_levelChecks;      // runs waiting to be played on their levels, the first playing
    RouteSearch m_route;

    // ---- Player settings, the Options screen and its ways in (game/shell/options_screen.cpp) ----
    void p_LoadPlayerSettings();
    void p_SavePlayerSettings();
    void p_ApplyPlayerSettings();                  // the music and its volume as the settings say
    void p_OpenSettingsScreen(int screen);         // Options or Controls, returning to the screen shown now
    void p_LeaveSettingsScreen();
    bool p_GameUnderSettings();                    // a paused game waits under the Options or Controls screen
    int p_OptionsScreen();
    void p_MenuExtras(float slide);                // the main menu's Controls, Options and Records choices
    bool p_MenuExtraAction();                      // the main menu's confirm on one of them; false for the others
    void p_PauseExtras(float y, bool landscape);   // the pause panel's Controls and Options buttons

    PlayerSettings m_playerSettings;
    int m_optionsSel = 0;
    int m_settingsReturn = kScreenMenu;            // where the Options and Controls screens lead back to

    // ---- The Controls screen (game/shell/controls_screen.cpp) ----
    int p_ControlsScreen();

    int m_controlsReturn = kScreenMenu;
    int m_controlsRow = 0, m_controlsColumn = 0;   // the binding chosen: action, key 1, key 2 or pad
    int m_bindWaiting = 0;                         // updates left to press a key for the chosen binding; 0: not waiting
    String m_controlsNote;                         // the last refusal or change, said under the table
    int m_controlsNoteTimer = 0;

    // ---- The assists: game speed and grip toggle (game/world/assists.cpp) ----
    bool p_PaceHolds();                            // the round stands still in this update for the game's speed
    unsigned p_AssistedKeys(unsigned keys);        // a toggled grip, and keys pressed while the round stood still
    void p_DrawAssistHud();                        // the grip toggled on and a slower speed, said on screen

    int m_paceUpdates = 0;                         // updates of this level's play, the round's and those it stood still
    unsigned m_pacedKeys = 0;                      // held while the round stood still: the next round update takes them
    bool m_gripOn = false, m_gripWasDown = false;  // the toggled grip, and the grip key in the last round update
    int m_gameSpeed = kSpeedNormal;                // the slowest speed of the game's levels so far

    // ---- Calmer effects and shapes beside colours (game/world/scenery.cpp) ----
    bool p_Calm() const { return m_playerSettings.calm; }

    // ---- Saying what is on screen (game/shell/announcer.cpp) ----
    void p_Announce();                             // the page's live region, when what it says has changed
    std::string p_SpokenText();

    std::string m_spoken;                          // what the live region said last
    std::string m_spokenSettings;                  // the Options or Controls screen's line, made as it is drawn
    bool m_musicChosen = false;                    // the song was set up for the player's choice of music
};

// The score's time bonus for finishing a level in so many updates.
int kp_Glimmer_TimeBonus(int level, int updates);
