// Save data and highscores, black-box on the state text: what a save writes,
// what a load makes of good, damaged and foreign texts, and the score tables.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "game/shell/globals.h"
#include "tests/game/shell_harness.h"

namespace {

class SaveData : public testing::Test {
protected:
    void SetUp() override {
        path_ = "/tmp/glimmer_save_test_" + std::to_string(getpid()) + ".txt";
        unlink(path_.c_str());
        h_.host().SetStateFile(path_);
    }
    void TearDown() override { unlink(path_.c_str()); }

    c_MyApp& app() { return h_.app(); }

    std::string ReadFile() {
        std::ifstream in(path_, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void WriteFile(const std::string& text) {
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        out << text;
    }
    std::vector<long long> Fields(const std::string& text) {
        std::vector<long long> out;
        std::stringstream s(text);
        std::string f;
        while (std::getline(s, f, '|')) out.push_back(std::stoll(f));
        return out;
    }
    std::string Join(const std::vector<long long>& fields) {
        std::string out;
        for (long long f : fields) out += std::to_string(f) + "|";
        return out;
    }
    // Loads the file and returns what the load printed.
    std::string Load() {
        testing::internal::CaptureStdout();
        app().p_Load();
        return testing::internal::GetCapturedStdout();
    }
    void FillScores() {
        for (int i = 0; i < 60; ++i) app().m_hiScores[i] = 1000 - 7 * i;
    }

    ShellHarness h_;
    std::string path_;
};

TEST_F(SaveData, AFreshStartHasTheDefaults) {
    for (int i = 0; i < 25; ++i) app().m_settings[i] = 0;
    app().m_settings[5] = 1;
    EXPECT_EQ(Load(), "") << "nothing saved: every block skipped silently";
    const int expected[25] = {0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 64, 64, 10, 0, 1};
    for (int i = 0; i < 25; ++i) EXPECT_EQ(app().m_settings[i], expected[i]) << "setting " << i;
    for (int i = 0; i < 256; ++i) ASSERT_FALSE(app().m_badges[i]) << "badge " << i;
    for (int i = 0; i < 60; ++i) ASSERT_EQ(app().m_hiScores[i], 0) << "score " << i;
}

TEST_F(SaveData, ASavedTextHas98NumbersAndLoadsBackEveryValue) {
    for (int i = 0; i < 25; ++i) app().m_settings[i] = 3 * i - 7;
    app().m_settings[10] = 70;
    app().m_settings[11] = 80;
    app().m_settings[12] = 12;
    app().m_settings[14] = 1;
    app().m_settings[1] = 2;
    app().m_badges[0] = true;
    app().m_badges[31] = true;   // bit 31: a negative word
    app().m_badges[200] = true;
    FillScores();
    app().p_Save();
    const std::string text = ReadFile();
    std::vector<long long> fields = Fields(text);
    ASSERT_EQ(fields.size(), 98u);
    EXPECT_EQ(text.back(), '|');
    EXPECT_LT(fields[26], 0) << "badge word 0 carries its sign";

    std::vector<int> settings(25);
    for (int i = 0; i < 25; ++i) settings[i] = app().m_settings[i];
    for (int i = 0; i < 25; ++i) app().m_settings[i] = 0;
    for (int i = 0; i < 256; ++i) app().m_badges[i] = false;
    for (int i = 0; i < 60; ++i) app().m_hiScores[i] = 0;

    EXPECT_EQ(Load(),
              "Settings Loaded\nBadges Loaded\nHighscore 0 Loaded\nHighscore 1 Loaded\nHighscore 2 Loaded\n");
    for (int i = 0; i < 25; ++i) EXPECT_EQ(app().m_settings[i], settings[i]) << "setting " << i;
    for (int i = 0; i < 256; ++i) EXPECT_EQ(app().m_badges[i], i == 0 || i == 31 || i == 200) << "badge " << i;
    for (int i = 0; i < 60; ++i) EXPECT_EQ(app().m_hiScores[i], 1000 - 7 * i) << "score " << i;
}

TEST_F(SaveData, AllZeroSettingsSaveAsZeros) {
    for (int i = 0; i < 25; ++i) app().m_settings[i] = 0;
    app().p_Save();
    std::string zeros;
    for (int i = 0; i < 26; ++i) zeros += "0|";
    EXPECT_EQ(ReadFile().substr(0, zeros.size()), zeros);
}

TEST_F(SaveData, EachBlockIsJudgedByItsOwnChecksum) {
    FillScores();
    app().p_Save();
    std::vector<long long> fields = Fields(ReadFile());
    fields[56 + 4] += 1;   // one best score of table 1, checksum untouched
    WriteFile(Join(fields));
    for (int i = 0; i < 60; ++i) app().m_hiScores[i] = -1;
    const std::string out = Load();
    EXPECT_NE(out.find("Highscore 1 Checksum Invalid"), std::string::npos) << out;
    EXPECT_NE(out.find("Highscore 0 Loaded"), std::string::npos) << out;
    EXPECT_NE(out.find("Highscore 2 Loaded"), std::string::npos) << out;
    for (int j = 0; j < 10; ++j) {
        EXPECT_EQ(app().m_hiScores[10 + j], 0) << "table 1 best " << j;
        EXPECT_EQ(app().m_hiScores[40 + j], 0) << "table 1 last " << j;
        EXPECT_EQ(app().m_hiScores[j], 1000 - 7 * j) << "table 0 kept";
        EXPECT_EQ(app().m_hiScores[20 + j], 1000 - 7 * (20 + j)) << "table 2 kept";
    }

    // A damaged settings block resets the settings but the badges still load.
    app().m_badges[3] = true;
    app().p_Save();
    fields = Fields(ReadFile());
    fields[7] += 1;
    WriteFile(Join(fields));
    const std::string out2 = Load();
    EXPECT_EQ(out2.substr(0, 26), "Settings Checksum Invalid\n");
    EXPECT_NE(out2.find("Badges Loaded"), std::string::npos);
    EXPECT_TRUE(app().m_badges[3]);
    EXPECT_EQ(app().m_settings[5], 1) << "sound back on";
    EXPECT_EQ(app().m_settings[1], 1) << "fixed up to the one-button scheme";
}

TEST_F(SaveData, ForeignOrDamagedTextsNeverCrash) {
    const std::string good = [&] {
        FillScores();
        app().p_Save();
        return ReadFile();
    }();
    std::vector<std::string> texts = {"", "|", "||||", "abc|def|", "1|2|3", std::string(100000, '9'),
                                      std::string("\xff\xfe\x00\x41", 4), "\xc3\x28|\xe2\x82|"};
    for (size_t cut = 0; cut < good.size(); cut += 7) texts.push_back(good.substr(0, cut));
    std::mt19937 rng(7);
    for (int n = 0; n < 20; ++n) {
        std::string noise(static_cast<size_t>(rng() % 600), '\0');
        for (char& c : noise) c = static_cast<char>(rng());
        texts.push_back(noise);
    }
    for (const std::string& t : texts) {
        WriteFile(t);
        Load();
        EXPECT_EQ(app().m_settings[14], 1) << "fix-ups always run";
        EXPECT_GE(app().m_settings[10], 64);
    }
    // A truncated text still reads every block that is whole.
    size_t cut = 0;
    for (int bars = 0; bars < 96; ++bars) cut = good.find('|', cut) + 1;
    WriteFile(good.substr(0, cut));
    const std::string out = Load();
    EXPECT_NE(out.find("Highscore 1 Loaded"), std::string::npos) << out;
    EXPECT_EQ(out.find("Highscore 2"), std::string::npos) << "the cut block is skipped silently";
}

struct RankCase {
    std::vector<int> best;
    int score;
    const char* rank;
    std::vector<int> after;
};

TEST_F(SaveData, ScoresEnterTheTablesBelowEqualEntries) {
    const std::vector<int> tens = {100, 90, 80, 70, 60, 50, 40, 30, 20, 10};
    const RankCase cases[] = {
        {tens, 55, "6th", {100, 90, 80, 70, 60, 55, 50, 40, 30, 20}},
        {tens, 100, "1st!", {100, 100, 90, 80, 70, 60, 50, 40, 30, 20}},
        {tens, 5, "", tens},
        {std::vector<int>(10, 0), 0, "1st!", std::vector<int>(10, 0)},
    };
    for (const RankCase& c : cases) {
        app().m_gameType = 1;
        for (int i = 0; i < 10; ++i) app().m_hiScores[i] = c.best[i];
        for (int i = 0; i < 10; ++i) app().m_hiScores[30 + i] = 1 + i;
        app().m_score = c.score;
        EXPECT_TRUE(app().p_MyNth() == String(c.rank)) << "score " << c.score;
        app().p_LoadMenu();
        for (int i = 0; i < 10; ++i) EXPECT_EQ(app().m_hiScores[i], c.after[i]) << "score " << c.score << " entry " << i;
        EXPECT_EQ(app().m_hiScores[30], c.score) << "every game enters the last ten";
        EXPECT_EQ(app().m_hiScores[31], 1);
        EXPECT_EQ(Fields(ReadFile()).size(), 98u) << "and is saved";
    }
}

TEST_F(SaveData, ClosingTheWindowSavesAChangedSettingFirst) {
    h_.FinishLoading();
    app().p_Save();
    ASSERT_EQ(Fields(ReadFile())[5], 1);
    app().m_settings[5] = 0;  // sound switched off on the menu, not yet saved
    EXPECT_EXIT(
        {
            h_.host().CloseWindow();
            h_.Step();
        },
        testing::ExitedWithCode(0), "");
    EXPECT_EQ(Fields(ReadFile())[5], 0) << "the close request saved the new setting";
}

TEST(Badges, NamesAndDetails) {
    ShellHarness h;
    EXPECT_TRUE(h.app().p_BadgeName(0) == String("Test Badge"));
    EXPECT_TRUE(h.app().p_BadgeDetail(0) == String("This is a Test Badge which has no purpose."));
    EXPECT_EQ(h.app().p_BadgeID(1).Length(), 0);
    EXPECT_EQ(h.app().p_BadgeName(5).Length(), 0);
}

}  // namespace
