// Names and keys: what a name may be, one table; and keys kept only as hashes.
#include <gtest/gtest.h>

#include "server/players.h"

namespace {

TEST(Players, NameRules) {
    struct Row {
        std::string name;
        std::string problem;   // "" when allowed, else a piece of the reason
    } rows[] = {
        {"Holly", ""},
        {"Jo", ""},
        {"O'Brien & Sons, Ltd.", ""},
        {std::string(24, 'z'), ""},
        {"Bo'); DROP TABLE runs;--", ""},
        {"J", "2 to 24"},
        {std::string(25, 'z'), "2 to 24"},
        {"", "2 to 24"},
        {"Tab\there", "printable"},
        {"New\nline", "printable"},
        {"Del\x7f", "printable"},
        {"AC/DC", "\"/\""},
        {"Caf\xc3\xa9", "printable"},
        {" Holly", "space"},
        {"Holly ", "space"},
        {"Hol  ly", "space"},
        {"Admin", "not allowed"},
        {"xXmoderatorXx", "not allowed"},
        {"GLIMMER team", "not allowed"},
    };
    for (const Row& row : rows) {
        const std::string problem = kp_scores_NameProblem(row.name);
        if (row.problem.empty()) {
            EXPECT_EQ(problem, "") << "\"" << row.name << "\"";
        } else {
            EXPECT_NE(problem.find(row.problem), std::string::npos)
                << "\"" << row.name << "\": expected a reason with \"" << row.problem << "\", got \"" << problem << "\"";
        }
    }
    EXPECT_EQ(kp_scores_NameKey("HoLLy"), kp_scores_NameKey("holly"));
}

TEST(Players, KeysAreCheckedAndKeptOnlyAsHashes) {
    const std::string key(64, 'a');
    EXPECT_EQ(kp_scores_KeyProblem(key), "");
    EXPECT_NE(kp_scores_KeyProblem(std::string(31, 'a')), "");
    EXPECT_NE(kp_scores_KeyProblem(std::string(129, 'a')), "");
    EXPECT_NE(kp_scores_KeyProblem(std::string(40, 'a') + "'"), "");
    // SHA-256 of "abc", the standard's own example.
    EXPECT_EQ(kp_scores_KeyHash("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(kp_scores_KeyHash(key).find(key), std::string::npos);
}

}  // namespace
