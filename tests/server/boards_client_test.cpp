// The game's client of the world boards against a real server on loopback:
// runs posted from the outbox, a board's top ten and the player's own place
// read, the outbox kept while no server answers or the database is locked
// and posted once it answers, refused runs dropped and a refused name
// holding the runs back. The client runs its requests on the host's worker
// thread through libcurl, exactly as the game does.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <thread>

#include "game/shell/world_boards.h"
#include "game/world/level_hash.h"
#include "tests/server/server_fixture.h"

namespace {

RunBytes Bytes(const std::string& text) { return RunBytes(text.begin(), text.end()); }

// A client as the game makes one, whose outbox file is `saved`.
struct GameSide {
    BoardsClient client;
    std::vector<unsigned char> saved;
    bool everSaved = false;

    GameSide(const std::string& address, const std::string& name, int keyNumber) {
        BoardsPlayer player;
        player.key = KeyOf(keyNumber);
        player.name = name;
        player.posting = Posting::kOn;
        client.Configure(player, true, address, [this](const std::vector<unsigned char>& bytes) {
            saved = bytes;
            everSaved = true;
        });
    }
    std::vector<RunBytes> SavedOutbox() const { return kp_boards_DecodeOutbox(saved.data(), saved.size()); }

    // Updates the client as the game does, a few milliseconds apart, until `done` or 60 seconds.
    bool UpdateUntil(const std::function<bool()>& done) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (std::chrono::steady_clock::now() < until) {
            client.Update();
            if (done()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }
    std::string PostedStatus() {
        std::string status;
        UpdateUntil([&] { return !(status = client.TakeStatus()).empty(); });
        return status;
    }
    bool ReadBoard(int level) {
        client.Fetch(kp_Glimmer_LevelHash(level));
        return UpdateUntil([&] { return client.State() != BoardState::kFetching; }) &&
               client.State() == BoardState::kShown;
    }
};

std::string Address(int port) { return "http://127.0.0.1:" + std::to_string(port); }

// A port nothing listens on: one the system gave and took back.
int DeadPort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    const bool bound = bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                       getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0;
    close(fd);
    EXPECT_TRUE(bound);
    return ntohs(address.sin_port);
}

TEST(BoardsClient, ABoardsTopTenAndThePlayersOwnPlace) {
    ServerUnderTest server;
    // Twelve players, each a little slower than the one before; the game's player is the eleventh.
    for (int n = 1; n <= 12; ++n) {
        if (n == 11) continue;
        char run[32];
        std::snprintf(run, sizeof run, "level01-w%02d", n);
        ASSERT_EQ(server.Post(TestRun(run), "Player " + std::to_string(n), KeyOf(n))->status, 201) << run;
    }
    GameSide game(Address(server.Port()), "Holly & Co", 11);
    game.client.Queue(Bytes(TestRun("level01-w11")));
    EXPECT_EQ(game.PostedStatus(), "Posted: level 1, place 11 on the world board");
    EXPECT_TRUE(game.client.Outbox().empty());
    EXPECT_TRUE(game.everSaved && game.SavedOutbox().empty()) << "the outbox file still holds the posted run";

    ASSERT_TRUE(game.ReadBoard(1));
    const WorldTop& top = game.client.Top();
    EXPECT_EQ(top.board, kp_boards_BoardText(kp_Glimmer_LevelHash(1)));
    ASSERT_EQ(top.runs.size(), 10u);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(top.runs[i].rank, i + 1);
        EXPECT_EQ(top.runs[i].name, "Player " + std::to_string(i + 1)) << "place " << i + 1;
        EXPECT_GT(top.runs[i].run, 0);
        if (i > 0) { EXPECT_GT(top.runs[i].updates, top.runs[i - 1].updates) << "place " << i + 1; }
    }
    ASSERT_TRUE(top.playerPlaced) << "the player's own place, asked for by a name with a space and an ampersand";
    EXPECT_EQ(top.player.rank, 11);
    EXPECT_EQ(top.player.name, "Holly & Co");
    EXPECT_EQ(top.player.time, kp_replay_TimeText(top.player.updates));

    // Another level's board is that level's: empty here.
    ASSERT_TRUE(game.ReadBoard(2));
    EXPECT_EQ(game.client.Top().board, kp_boards_BoardText(kp_Glimmer_LevelHash(2)));
    EXPECT_TRUE(game.client.Top().runs.empty());
    EXPECT_FALSE(game.client.Top().playerPlaced);

    // A world run's replay comes back as it was posted.
    game.client.FetchReplay(top.runs[0].run);
    RunBytes replay;
    bool failed = true;
    ASSERT_TRUE(game.UpdateUntil([&] { return game.client.TakeReplay(&replay, &failed); }));
    EXPECT_FALSE(failed);
    EXPECT_EQ(replay, Bytes(TestRun("level01-w01")));
}

TEST(BoardsClient, NoServerKeepsTheRunsAndTheyArePostedOnceOneAnswers) {
    GameSide offline(Address(DeadPort()), "Holly", 1);
    offline.client.Queue(Bytes(TestRun("level01")));
    offline.client.Queue(Bytes(TestRun("level02")));
    EXPECT_EQ(offline.PostedStatus(), "Not posted yet: no server answers; the run is kept for later");
    EXPECT_EQ(offline.client.Outbox().size(), 2u);
    ASSERT_EQ(offline.SavedOutbox().size(), 2u) << "the runs are written before any post";
    offline.client.Fetch(kp_Glimmer_LevelHash(1));
    EXPECT_TRUE(offline.UpdateUntil([&] { return offline.client.State() == BoardState::kOffline; }));

    // The game starts again later with the outbox it wrote, and a server answers.
    ServerUnderTest server;
    GameSide later(Address(server.Port()), "Holly", 1);
    later.client.SetOutbox(offline.SavedOutbox());
    EXPECT_EQ(later.PostedStatus(), "Posted: level 1, place 1 on the world board");
    EXPECT_EQ(later.PostedStatus(), "Posted: level 2, place 1 on the world board");
    EXPECT_TRUE(later.SavedOutbox().empty());
    EXPECT_EQ(server.Store().RunCount(), 2);
}

TEST(BoardsClient, ALockedDatabaseAnswersUnavailableAndTheRunWaitsForIt) {
    ServerUnderTest server;
    GameSide game(Address(server.Port()), "Holly", 1);
    {
        SqlLease held = server.Pool().Acquire();
        held->RunScript("BEGIN EXCLUSIVE");   // every write of the server waits, then gives up
        game.client.Queue(Bytes(TestRun("level01")));
        const std::string status = game.PostedStatus();
        EXPECT_EQ(status.rfind("Not posted yet: the database is unavailable", 0), 0u) << status;
        held->RunScript("COMMIT");
    }
    ASSERT_EQ(game.SavedOutbox().size(), 1u);
    game.client.RetryNow();
    EXPECT_EQ(game.PostedStatus(), "Posted: level 1, place 1 on the world board");
    EXPECT_TRUE(game.SavedOutbox().empty());
}

TEST(BoardsClient, ARefusedNameHoldsTheRunsBackAndARefusedRunGoes) {
    ServerUnderTest server;
    ASSERT_EQ(server.Post(TestRun("level03"), "Holly", KeyOf(1))->status, 201);
    Replay edited = DecodedRun("level02");
    edited.finalState ^= 1;   // claims another end: refused, and never worth trying again
    GameSide game(Address(server.Port()), "Holly", 2);
    game.client.Queue(Bytes(Encoded(edited)));
    game.client.Queue(Bytes(TestRun("level01")));

    // "Holly" belongs to another key: the runs wait for another name.
    const std::string name = game.PostedStatus();
    EXPECT_NE(name.find("choose another name"), std::string::npos) << name;
    for (int i = 0; i < 50; ++i) game.client.Update();
    EXPECT_FALSE(game.client.PostUnderWay()) << "a refused name is not tried again by itself";
    EXPECT_EQ(game.SavedOutbox().size(), 2u);

    BoardsPlayer player = game.client.Player();
    player.name = "Ivy";
    game.client.SetPlayer(player);
    const std::string refused = game.PostedStatus();
    EXPECT_EQ(refused.rfind("Not posted: ", 0), 0u) << refused;
    EXPECT_EQ(game.SavedOutbox().size(), 1u) << "the refused run is dropped, the other kept";
    EXPECT_EQ(game.PostedStatus(), "Posted: level 1, place 1 on the world board");
    EXPECT_TRUE(game.SavedOutbox().empty());
}

}  // namespace
