// The Records screen against a real glimmer-scores on loopback (started here
// on SQLite in a scratch folder, on a free port): the board read is the
// chosen level's, the posting switch asks for a name typed once and keeps
// the choice in the player file, the level's best run is then posted and
// shown as the player's own place, and a world run is raced as a ghost.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <thread>

#include "game/world/level_hash.h"
#include "tests/testhost/test_game.h"

namespace {

constexpr int kKeyP = 80, kKeyR = 82, kKeyEnter = 13, kKeyRight = 39;

// glimmer-scores serve on a free port of 127.0.0.1, until destroyed.
class ScoresProcess {
public:
    ScoresProcess() {
        folder_ = std::filesystem::temp_directory_path() / ("glimmer-boards-game-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder_);
        const std::string log = (folder_ / "server.log").string();
        const std::string database = "sqlite:" + (folder_ / "scores.db").string();
        pid_ = fork();
        if (pid_ == 0) {
            std::freopen(log.c_str(), "w", stdout);
            std::freopen(log.c_str(), "a", stderr);
            execl(GLIMMER_SCORES, GLIMMER_SCORES, "serve", "--address", "127.0.0.1", "--port", "0", "--database",
                  database.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        const std::regex listening("listening on 127\\.0\\.0\\.1 port ([0-9]+)");
        for (int i = 0; i < 300 && port_ == 0; ++i) {
            std::ifstream in(log);
            const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            std::smatch match;
            if (std::regex_search(text, match, listening)) port_ = std::stoi(match[1]);
            else std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
    ~ScoresProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    int Port() const { return port_; }

private:
    std::filesystem::path folder_;
    pid_t pid_ = -1;
    int port_ = 0;
};

// Updates the game until `done`, the network's answers coming in meanwhile.
bool StepUntil(TestGame& game, const std::function<bool()>& done) {
    for (int i = 0; i < 3000; ++i) {
        game.Step();
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

TEST(WorldBoards, TheRecordsScreenReadsTheChosenLevelsBoardAndPostsWithTheNameTyped) {
    ScoresProcess server;
    ASSERT_GT(server.Port(), 0) << "glimmer-scores did not start";
    TestGame& game = TestGame::Shared();
    c_MyApp& app = game.app();
    setenv("GLIMMER_SCORES_URL", ("http://127.0.0.1:" + std::to_string(server.Port())).c_str(), 1);
    app.p_LoadBoards();

    // Level 3 chosen: its board, empty, and no other.
    app.m_screen = kScreenRecords;
    app.m_recordsSel = 2;
    ASSERT_TRUE(StepUntil(game, [&] { return app.m_boards.State() != BoardState::kFetching; }));
    EXPECT_EQ(app.m_boards.State(), BoardState::kShown);
    EXPECT_EQ(app.m_boards.Top().board, kp_boards_BoardText(kp_Glimmer_LevelHash(3)));
    EXPECT_TRUE(app.m_boards.Top().runs.empty());

    // A best run of level 3 kept before posting was chosen; P asks for a name.
    const std::string solver = std::string(GLIMMER_SCORES_RUNS) + "/level03.glimmer-replay";
    std::ifstream in(solver, std::ios::binary);
    app.m_records.levels[2].replay.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    ASSERT_FALSE(app.m_records.levels[2].replay.empty()) << solver;
    // A window types the letter of the key as well, in the same update.
    game.host().KeyDown(kKeyP);
    game.host().TypeChar('p');
    game.Step();
    game.host().KeyUp(kKeyP);
    game.Step();
    ASSERT_TRUE(app.m_naming) << "the posting switch asks for a name first";
    for (const char c : std::string("Holly")) game.host().TypeChar(c);
    game.PressKey(kKeyEnter);
    EXPECT_FALSE(app.m_naming);
    EXPECT_EQ(app.m_boards.Player().name, "Holly") << "only the letters typed, not the key that asked";
    EXPECT_EQ(app.m_boards.Player().posting, Posting::kOn);
    BoardsPlayer kept;
    std::vector<unsigned char> file;
    ASSERT_TRUE(kp_app_LoadBeside(".zephyrboards", &file));
    ASSERT_TRUE(kp_boards_DecodePlayer(std::string(file.begin(), file.end()), &kept));
    EXPECT_EQ(kept.name, "Holly");
    EXPECT_EQ(kept.key, app.m_boards.Player().key);

    // The kept run is posted and the board read again shows it as the player's own.
    ASSERT_TRUE(StepUntil(game, [&] {
        return app.m_boards.Outbox().empty() && app.m_boards.State() == BoardState::kShown &&
               !app.m_boards.Top().runs.empty();
    }));
    EXPECT_EQ(app.m_boards.Top().runs[0].name, "Holly");
    EXPECT_TRUE(app.m_boards.Top().playerPlaced);
    EXPECT_EQ(app.m_boards.Top().player.rank, 1);

    // The world's run raced: right arrow into the board's runs, R fetches the
    // run and starts its level with the run's ghost, checked and then shown.
    app.m_records.levels[2] = LevelRecord();   // no run of the player's own for a ghost
    app.m_recordsColumn = 1;
    game.PressKey(kKeyRight);
    ASSERT_EQ(app.m_recordsColumn, 2) << "the board's runs are a column of their own";
    game.PressKey(kKeyR);
    ASSERT_TRUE(StepUntil(game, [&] { return app.m_screen == kScreenPlaying; })) << "the race starts";
    EXPECT_EQ(app.m_raceLevel, 3);
    EXPECT_EQ(app.m_level, 3);
    EXPECT_TRUE(StepUntil(game, [&] { return !app.m_ghostTrack.empty(); })) << "the world run's ghost runs beside Pipkin";
    app.m_raceLevel = 0;
    app.m_raceGhost.clear();

    // Back to a game with no server, as the other tests expect.
    unsetenv("GLIMMER_SCORES_URL");
    kp_app_SaveBeside(".zephyrboards", {});
    app.p_LoadBoards();
    app.m_records = GameRecords();
    app.m_screen = kScreenMenu;
    game.Step();
}

}  // namespace
