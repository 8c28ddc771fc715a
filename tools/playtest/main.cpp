// glimmer-playtest: the game in its real window, for playing one level by hand.
//
//   glimmer-playtest [--level N] [--trace] [--tiles [--lit]]
//
// The game runs as the player gets it (menu, keys, sound, saves), except that
// a new game started from the menu begins on level N (as the exit of level
// N - 1 would build it) and that status lines on standard output tell what
// happened: when the menu is ready, when the level is built, each death with
// the hero's tile, and the completion with its time. With --trace, also the
// hero's tile each time it changes and the shots near him as they move, every
// line of the level stamped with its update ("@N "), and a line "@N" every
// kClockUpdates updates, so that a driver can keep time in the game's updates
// whatever the machine's load does to the window's rate. With
// --tiles, the hazards and states a player must tell apart are laid out above
// the hero's start (every spike, both flip blocks, a running plunger, trees
// unlit and lit, a launcher with its shots, the exit), for looking at them as
// they are drawn (docs/accessibility.md); --lit lights every tree of the
// level as well, so that the exit is open. Run it from the build folder (./data/).
#include <GLFW/glfw3.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "framework/program.h"
#include "game/shell/my_app.h"
#include "game/world/tiles.h"
#include "host/glfw/game.h"
#include "tools/cli/command_line.h"

namespace {

constexpr int kUpdatesPerSecond = 60;
constexpr int kShotWatchColumns = 10;   // about what the screen shows each side of the hero
constexpr int kShotWatchRows = 7;       // and above and below him
constexpr int kClockUpdates = 3;        // a traced level's clock line, every this many updates

constexpr const char* kUsage =
    "usage: glimmer-playtest [--level N] [--trace] [--tiles [--lit]]\n"
    "The game in its window; a new game from the menu starts on level N (1-15).\n"
    "Status lines on standard output: menu ready, level built, deaths, completion;\n"
    "with --trace also the hero's tile and the shots near him. --tiles lays the hazards\n"
    "and states out above the hero; --lit lights every tree, so the exit is open.\n"
    "Run it from the build folder.\n";

// What --tiles lays out above the hero's start, row by row, two tiles apart.
constexpr int kShowRows[2][7] = {
    {5, 6, 7, 8, kTileFlipEven, kTileFlipOdd, kTilePlunger},
    {kTileTreeUnlit, kTileTreeLit, kTileLauncherRight, 0, 0, 0, kTileExit},
};
constexpr int kRunningPlunger = 480;   // the laid-out plunger just pressed: the flip blocks swapped

// The window host, watching the game after every update.
class PlaytestHost : public KpGlfwGame {
public:
    PlaytestHost(int level, bool trace, bool tiles, bool lit) : level_(level), trace_(trace), tiles_(tiles), lit_(lit) {}

    void UpdateGame() override {
        KpGlfwGame::UpdateGame();
        c_MyApp* app = static_cast<c_MyApp*>(kp_app__app);
        if (app == nullptr) return;
        if (!menuReady_ && app->m_loadStep == 0 && app->m_screen == kScreenMenu) {
            menuReady_ = true;
            Say("menu ready");
        }
        if (app->m_screen != kScreenPlaying) {
            entered_ = false;
            return;
        }
        if (!entered_ && app->m_level == 1) {
            entered_ = true;
            if (level_ != 1) {
                app->p_BeginLevel(level_);   // as the exit does: its time and run start here
            }
            updates_ = deaths_ = levelUpdates_ = 0;
            if (tiles_) LayOut(*app);
            Say("level %d built", level_);
            // The start is where the hero is, not a tile he reached: the trace
            // counts arrivals only.
            lastX_ = app->m_playerX;
            lastY_ = app->m_playerY;
        }
        if (app->m_level != level_) return;
        ++updates_;
        ++levelUpdates_;
        if (trace_ && levelUpdates_ % kClockUpdates == 0) Say("@%d", levelUpdates_);
        const int state = app->m_playerState;
        if (state == kDying && lastState_ != kDying) {
            ++deaths_;
            Say("died at tile (%d, %d) after %.1f s", app->m_playerX, app->m_playerY, Seconds());
        }
        if (state == kLeaving && lastState_ != kLeaving) {
            Say("level %d completed in %.1f s with %d deaths", level_, Seconds(), deaths_);
        }
        if (state == kDying && app->m_stateTimer == 0) updates_ = 0;   // the rebuild starts the clock again
        if (trace_ && (app->m_playerX != lastX_ || app->m_playerY != lastY_)) {
            Say("hero at (%d, %d), state %d", app->m_playerX, app->m_playerY, state);
        }
        if (trace_) TraceShots(*app);
        lastState_ = state;
        lastX_ = app->m_playerX;
        lastY_ = app->m_playerY;
    }

private:
    void LayOut(c_MyApp& app) {
        const int x0 = app.m_playerX - 6, y0 = app.m_playerY - 4;
        for (int row = 0; row < 2; ++row) {
            for (int column = 0; column < 7; ++column) {
                const int tile = kShowRows[row][column];
                const int timer = tile == kTilePlunger ? kRunningPlunger : 0;
                app.p_PutBlock(x0 + 2 * column, y0 + 2 * row, tile, 0, 0, timer);
            }
        }
        if (!lit_) return;
        for (int y = 0; y < app.m_mapHeight; ++y) {
            for (int x = 0; x < app.m_mapWidth; ++x) {
                const int tile = app.p_Tile(x, y);
                if (tile == kTileTreeUnlit) app.p_PutBlock(x, y, kTileTreeLit, 0, 0, 0);
                if (tile == kTileCountedPickup) app.p_PutBlock(x, y, kTileEmpty, 0, 0, 0);
            }
        }
    }

    // Shots near the hero, each time one enters a new tile: what a player
    // watches on the screen.
    void TraceShots(c_MyApp& app) {
        for (int r = 0; r < kMoverRecords; ++r) {
            const int type = app.m_movers.Get(r * 10);
            const int x = app.m_movers.Get(r * 10 + 1), y = app.m_movers.Get(r * 10 + 2);
            const bool live = type == kTileMoverRight || type == kTileMoverLeft;
            const bool near = std::abs(x - app.m_playerX) <= kShotWatchColumns && std::abs(y - app.m_playerY) <= kShotWatchRows;
            const int cell = live && near ? y * 64 + x : -1;
            if (cell >= 0 && cell != shotCell_[r]) {
                Say("shot at (%d, %d) going %s", x, y, type == kTileMoverRight ? "right" : "left");
            }
            shotCell_[r] = cell;
        }
    }

    double Seconds() const { return updates_ / static_cast<double>(kUpdatesPerSecond); }
    void Say(const char* format, ...) __attribute__((format(printf, 2, 3))) {
        va_list args;
        va_start(args, format);
        std::printf("playtest: ");
        if (trace_ && entered_ && format[0] != '@') std::printf("@%d ", levelUpdates_);
        std::vprintf(format, args);
        std::printf("\n");
        std::fflush(stdout);
        va_end(args);
    }

    int level_;
    bool trace_, tiles_, lit_;
    bool menuReady_ = false;
    bool entered_ = false;
    int updates_ = 0, deaths_ = 0;
    int levelUpdates_ = 0;   // since the level was built, deaths included
    int lastState_ = 0, lastX_ = -1, lastY_ = -1;
    int shotCell_[kMoverRecords] = {};
};

}  // namespace

int main(int argc, char** argv) {
    int level = 1;
    bool trace = false, tiles = false, lit = false;
    ToolCommandLine commandLine(argc, argv, kUsage);
    while (commandLine.NextOption()) {
        if (commandLine.Is("--level")) {
            level = std::atoi(commandLine.Value().c_str());
            if (level < 1 || level > kLevelCount) commandLine.Refuse("the level must be 1 to 15");
        } else if (commandLine.Is("--trace")) {
            trace = true;
        } else if (commandLine.Is("--tiles")) {
            tiles = true;
        } else if (commandLine.Is("--lit")) {
            lit = true;
        } else {
            commandLine.RefuseOption();
        }
    }
    commandLine.Operands(0, 0);
    if (!glfwInit()) {
        std::fprintf(stderr, "glimmer-playtest: no display\n");
        return 1;
    }
    if (lit && !tiles) commandLine.Refuse("--lit goes with --tiles");
    PlaytestHost* host = new PlaytestHost(level, trace, tiles, lit);
    kp_std_main(0, nullptr);
    if (host->Delegate()) host->Run();
    glfwTerminate();
    return 0;
}
