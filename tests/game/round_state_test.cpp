// The round's state in one place (game/world/round_state.h): the visitor
// names every byte of it, the final-state hash follows exactly the fields
// that decide the round, and entering a level starts the round the same
// whatever came before.
#include <gtest/gtest.h>

#include <algorithm>
#include <type_traits>
#include <utility>
#include <vector>

#include "tests/testhost/test_game.h"

namespace {

using Span = std::pair<size_t, size_t>;   // offset in the struct, size

// Every scalar field of the round by the visitor: its bytes, in order.
std::vector<unsigned char> ScalarBytes(c_MyApp& app) {
    std::vector<unsigned char> bytes;
    app.ForEachField([&](auto& field, RoundField) {
        if constexpr (!std::is_same_v<std::decay_t<decltype(field)>, Array<int>>) {
            const auto* at = reinterpret_cast<const unsigned char*>(&field);
            bytes.insert(bytes.end(), at, at + sizeof field);
        }
    });
    return bytes;
}

// A field added to the round and not named by the visitor fails here (and so
// does padding, which would hide one: order the fields so there is none).
TEST(RoundState, TheVisitorNamesEveryField) {
    RoundState round;
    std::vector<Span> spans;
    round.ForEachField([&](auto& field, RoundField) {
        spans.push_back({static_cast<size_t>(reinterpret_cast<const char*>(&field) - reinterpret_cast<const char*>(&round)),
                         sizeof field});
    });
    std::sort(spans.begin(), spans.end());
    size_t covered = 0;
    for (const Span& span : spans) {
        EXPECT_EQ(span.first, covered) << "a field at byte " << covered << " the visitor does not name, or named twice";
        covered = std::max(covered, span.first + span.second);
    }
    EXPECT_EQ(covered, sizeof(RoundState)) << "fields of RoundState the visitor does not name";
}

// Each field the visitor says decides the round changes the final-state
// hash; no other does. On the map only the tiles and timers count, and of
// the movers only those in use.
TEST(RoundState, TheHashFollowsTheFieldsThatDecideTheRound) {
    TestGame& game = TestGame::Shared();
    c_MyApp& app = game.app();
    app.p_LoadGame();
    app.p_BeginLevel(7);   // launchers: movers in use
    game.host().StepWithoutRender(300);
    const uint32_t before = app.p_RoundStateHash();
    const auto changes = [&] { return app.p_RoundStateHash() != before; };
    int index = 0;
    app.ForEachField([&](auto& field, RoundField role) {
        using Field = std::decay_t<decltype(field)>;
        if constexpr (std::is_same_v<Field, Array<int>>) {
            if (role == RoundField::kMap) {
                const int cell = app.p_CellIndex(5, 9);
                for (const auto& [layer, hashed] : {std::pair{0, true}, {9, true}, {1, false}, {2, false}}) {
                    field[cell + layer] += 1;
                    EXPECT_EQ(changes(), hashed) << "map layer " << layer;
                    field[cell + layer] -= 1;
                }
            } else {
                int used = -1, free = -1;
                for (int r = 0; r < kMoverRecords; ++r) (field.Get(r * 10) != 0 ? used : free) = r;
                ASSERT_GE(used, 0) << "level 7 fires after 300 updates";
                for (const auto& [record, hashed] : {std::pair{used, true}, {free, false}}) {
                    field[record * 10 + 1] += 1;
                    EXPECT_EQ(changes(), hashed) << "word 1 of a mover " << (hashed ? "in use" : "free");
                    field[record * 10 + 1] -= 1;
                }
            }
        } else {
            const Field saved = field;
            field = static_cast<Field>(field + 1);
            EXPECT_EQ(changes(), role == RoundField::kDecides) << "field " << index << " of the visitor";
            field = saved;
        }
        ++index;
    });
}

// Entering a level starts every field of the round afresh: the same round
// after a level played half-way, or after any values at all.
TEST(RoundState, EnteringALevelStartsTheSameRoundWhateverCameBefore) {
    TestGame& game = TestGame::Shared();
    c_MyApp& app = game.app();
    app.p_LoadGame();
    app.p_BeginLevel(2);
    game.HoldKeys(kReplayRight);
    game.host().StepWithoutRender(200);
    game.HoldKeys(0);
    app.p_BeginLevel(3);
    const std::vector<unsigned char> played = ScalarBytes(app);
    const uint32_t playedHash = app.p_RoundStateHash();
    int junk = 0;
    app.ForEachField([&](auto& field, RoundField) {
        using Field = std::decay_t<decltype(field)>;
        if constexpr (!std::is_same_v<Field, Array<int>>) field = static_cast<Field>(77 + junk++);
    });
    app.p_BeginLevel(3);
    EXPECT_EQ(ScalarBytes(app), played);
    EXPECT_EQ(app.p_RoundStateHash(), playedHash);
}

}  // namespace
