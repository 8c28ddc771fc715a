// The database layer on the backend under test: migrations applied once and
// in order, a newer schema refused; and reverification, which takes a run
// that this build no longer verifies off its board without deleting it.
#include <gtest/gtest.h>

#include "server/board_key.h"
#include "server/migrations.h"
#include "server/players.h"
#include "server/reverify.h"
#include "tests/server/server_fixture.h"

namespace {

TEST(Database, MigrationsRunOnceInOrder) {
    ServerUnderTest server;
    SqlLease connection = server.Pool().Acquire();
    EXPECT_EQ(kp_scores_Migrate(*connection, server.Pool().Kind()), 0) << "a migrated database needs nothing";
    const SqlRows rows = connection->Run("SELECT version FROM schema_migrations ORDER BY version");
    ASSERT_EQ(rows.Size(), kp_scores_Migrations().size());
    for (size_t r = 0; r < rows.Size(); ++r) EXPECT_EQ(rows.Int(r, 0), kp_scores_Migrations()[r].number);
    // Every table of the schema is there and empty.
    for (const char* table : {"players", "boards", "runs", "board_bests"}) {
        EXPECT_EQ(connection->Run(std::string("SELECT count(*) FROM ") + table).Int(0, 0), 0) << table;
    }
    connection->Run("INSERT INTO schema_migrations (version, name, applied_at) VALUES ($1, $2, $3)",
                    {int64_t{999}, std::string("from a newer server"), int64_t{0}});
    EXPECT_THROW(kp_scores_Migrate(*connection, server.Pool().Kind()), DatabaseError);
}

TEST(Database, AFailedTransactionLeavesNothing) {
    ServerUnderTest server;
    {
        SqlLease connection = server.Pool().Acquire();
        SqlTransaction transaction(*connection);
        connection->Run("INSERT INTO boards (hash, level, created_at) VALUES ($1, $2, $3)",
                        {std::string("0000abcd"), int64_t{1}, int64_t{0}});
        // Not committed: the lease ends with the transaction rolled back.
    }
    SqlLease connection = server.Pool().Acquire();
    EXPECT_EQ(connection->Run("SELECT count(*) FROM boards").Int(0, 0), 0);
}

TEST(Reverify, ARunThisBuildNoLongerVerifiesLeavesItsBoardAndIsKept) {
    ServerUnderTest server;
    httplib::Result valid = server.Post(TestRun("level01"), "Holly", KeyOf(1));
    ASSERT_TRUE(valid);
    ASSERT_EQ(valid->status, 201) << valid->body;
    // A run stored on level 1's board (by a faulty earlier build, say) that
    // plays level 2.
    const uint32_t board1 = SharedQueue().LevelHashes()[0];
    NewRun stale;
    stale.name = "Ivy";
    stale.keyHash = kp_scores_KeyHash(KeyOf(2));
    stale.board = board1;
    stale.level = 1;
    stale.updates = 100;
    const std::string bytes = TestRun("level02");
    stale.replay.assign(bytes.begin(), bytes.end());
    stale.gameVersion = "0.9.0";
    stale.verifiedBy = "glimmer-scores 0.9.0";
    const StoreResult stored = server.Store().Store(stale);
    ASSERT_EQ(stored.outcome, StoreResult::kStored);
    ASSERT_EQ(server.Store().Top(board1, 10).front().name, "Ivy");

    ReverifySummary summary = kp_scores_Reverify(server.Store(), SharedQueue(), nullptr);
    EXPECT_EQ(summary.checked, 2);
    EXPECT_EQ(summary.valid, 1);
    EXPECT_EQ(summary.newlyRefused, 1);
    const std::vector<BoardEntry> top = server.Store().Top(board1, 10);
    ASSERT_EQ(top.size(), 1u);
    EXPECT_EQ(top[0].name, "Holly");
    const std::optional<StoredRun> kept = server.Store().Run(stored.run);
    ASSERT_TRUE(kept) << "a refused run is kept";
    EXPECT_NE(kept->refusedReason.find("not the level of its board"), std::string::npos) << kept->refusedReason;
    EXPECT_EQ(kept->refusedBy, kp_scores_BuildId());
    EXPECT_EQ(kept->rank, 0);
    ASSERT_TRUE(server.Store().Replay(stored.run));

    // A run of a level this build does not have (an earlier version of it) stays as it stands.
    NewRun earlier = stale;
    earlier.board = 0x0ddba11;
    earlier.replay.push_back(0);   // another run's bytes
    ASSERT_EQ(server.Store().Store(earlier).outcome, StoreResult::kStored);

    summary = kp_scores_Reverify(server.Store(), SharedQueue(), nullptr);
    EXPECT_EQ(summary.newlyRefused, 0) << "a second pass changes nothing";
    EXPECT_EQ(summary.otherLevels, 1);
    EXPECT_EQ(server.Store().Top(0x0ddba11, 10).size(), 1u) << "the earlier level's board keeps its run";
    EXPECT_EQ(summary.refused, 1);

    // A valid run marked refused (by a faulty build, say) comes back.
    RunToCheck holly = server.Store().RunsAfter(0, 1).front();
    server.Store().MarkRun(holly, std::string("refused by a faulty build"), "glimmer-scores faulty");
    EXPECT_TRUE(server.Store().Top(board1, 10).empty());
    summary = kp_scores_Reverify(server.Store(), SharedQueue(), nullptr);
    EXPECT_EQ(summary.restored, 1);
    ASSERT_EQ(server.Store().Top(board1, 10).size(), 1u);
    EXPECT_EQ(server.Store().Top(board1, 10)[0].name, "Holly");
}

TEST(Reverify, ThePlayersBestFallsBackToTheirNextRun) {
    ServerUnderTest server;
    for (const char* run : {"level01-late", "level01"}) {
        httplib::Result posted = server.Post(TestRun(run), "Holly", KeyOf(1));
        ASSERT_TRUE(posted);
        ASSERT_EQ(posted->status, 201) << posted->body;
    }
    const uint32_t board1 = SharedQueue().LevelHashes()[0];
    ASSERT_EQ(server.Store().Top(board1, 1).front().updates, DecodedRun("level01").updates);
    RunToCheck best = server.Store().RunsAfter(1, 1).front();
    server.Store().MarkRun(best, std::string("refused"), "test");
    const std::vector<BoardEntry> top = server.Store().Top(board1, 10);
    ASSERT_EQ(top.size(), 1u);
    EXPECT_EQ(top[0].updates, DecodedRun("level01-late").updates) << "the slower run, still believed, takes the place";
}

}  // namespace
