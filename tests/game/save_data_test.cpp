// The save data: what a save writes, what a load makes of good, damaged and
// foreign state files (every block judged by its own checksum, a bad block
// reset to its defaults) and of the files earlier builds wrote, the score
// tables, and the save a close request makes.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "tests/testhost/test_game.h"

namespace {

constexpr int kBadges = 256, kScores = 60, kFields = 98;
constexpr int kBlocks = 5;  // settings, badges, highscore tables 0 to 2
// The field holding each block's checksum.
constexpr int kChecksumField[kBlocks] = {25, 34, 55, 76, 97};
// What a load prints for each block read: its values kept, or reset to the defaults.
const char* const kLoadedLine[kBlocks] = {"Settings Loaded", "Badges Loaded", "Highscore 0 Loaded",
                                          "Highscore 1 Loaded", "Highscore 2 Loaded"};
const char* const kInvalidLine[kBlocks] = {"Settings Checksum Invalid", "Badge Checksum Invalid",
                                           "Highscore 0 Checksum Invalid", "Highscore 1 Checksum Invalid",
                                           "Highscore 2 Checksum Invalid"};

// The state file of a close request's child, named for the test process.
std::string ClosePath(int testPid) {
    return (std::filesystem::temp_directory_path() / ("glimmer-close-" + std::to_string(testPid))).string();
}

class SaveData : public testing::Test {
protected:
    TestGame& game = TestGame::Shared();
    c_MyApp& app = game.app();

    void SetUp() override {
        for (int i = 0; i < kSettingCount; ++i) app.m_settings[i] = 100 + 3 * i;
        app.m_settings[1] = 2;
        app.m_settings[3] = 1;
        app.m_settings[5] = 0;
        app.m_settings[14] = 1;
        for (int i = 0; i < kBadges; ++i) app.m_badges[i] = i % 5 == 1 || i == 31;
        for (int i = 0; i < kScores; ++i) app.m_hiScores[i] = 1000 + 37 * i;
        good_ = Blocks();
        app.p_Save();
        goodText_ = ReadFile(game.stateFile());
        defaults_ = Loaded(std::nullopt, &printed_);
    }
    void TearDown() override { std::remove(game.stateFile().c_str()); }

    // The values of each block: settings; badges; each table's best and last ten.
    std::vector<std::vector<int>> Blocks() const {
        std::vector<std::vector<int>> blocks(kBlocks);
        for (int i = 0; i < kSettingCount; ++i) blocks[0].push_back(app.m_settings.Get(i));
        for (int i = 0; i < kBadges; ++i) blocks[1].push_back(app.m_badges.Get(i));
        for (int t = 0; t < 3; ++t) {
            for (int j = 0; j < 10; ++j) blocks[2 + t].push_back(app.m_hiScores.Get(10 * t + j));
            for (int j = 0; j < 10; ++j) blocks[2 + t].push_back(app.m_hiScores.Get(30 + 10 * t + j));
        }
        return blocks;
    }

    // The values held, a line each: settings; the badges earned; per table its best and last ten.
    std::string Described() const {
        std::ostringstream out;
        out << "settings";
        for (int i = 0; i < kSettingCount; ++i) out << ' ' << app.m_settings.Get(i);
        out << "\nbadges";
        for (int i = 0; i < kBadges; ++i) {
            if (app.m_badges.Get(i)) out << ' ' << i;
        }
        for (int t = 0; t < 3; ++t) {
            out << "\ntable " << t << " best";
            for (int j = 0; j < 10; ++j) out << ' ' << app.m_hiScores.Get(10 * t + j);
            out << " last";
            for (int j = 0; j < 10; ++j) out << ' ' << app.m_hiScores.Get(30 + 10 * t + j);
        }
        out << '\n';
        return out.str();
    }

    // A records file loaded beside the state file: what the game printed, its
    // switches, and each record kept with whether its best run still plays
    // to the same end on this build. A file of these levels is written back
    // unchanged when nothing of it was dropped.
    std::string RecordsLoaded(const std::string& bytes) {
        const std::string path = game.host().BesideStatePath(".zephyrrecords");
        EXPECT_TRUE(WriteFile(path, bytes));
        testing::internal::CaptureStdout();
        app.p_LoadRecords();
        std::ostringstream out;
        out << testing::internal::GetCapturedStdout();
        const GameRecords& r = app.m_records;
        out << "timer " << r.timerShown << " ghost " << r.ghostShown << " game " << r.bestGameUpdates << '\n';
        for (int i = 0; i < kRecordLevels; ++i) {
            const LevelRecord& level = r.levels[i];
            if (level.bestUpdates == 0 && level.replay.empty()) continue;
            Replay replay;
            bool valid = false;
            app.p_CheckReplay(level.replay, &replay, &valid);
            out << "level " << i + 1 << " best " << level.bestUpdates << " deaths " << level.fewestDeaths << " run "
                << (valid ? "plays" : "refused") << '\n';
        }
        if (out.str().find("Records Loaded") != std::string::npos && out.str().find("Records Dropped") == std::string::npos) {
            EXPECT_EQ(ReadFile(path), bytes) << "written back";
        }
        app.m_records = GameRecords();
        return out.str();
    }

    // Loads `text` (no file without one) over the start values, noting what was printed.
    std::vector<std::vector<int>> Loaded(const std::optional<std::string>& text, std::string* printed) {
        std::remove(game.stateFile().c_str());
        if (text) {
            EXPECT_TRUE(WriteFile(game.stateFile(), *text));
        }
        for (int i = 0; i < kSettingCount; ++i) app.m_settings[i] = i == 5;
        for (int i = 0; i < kBadges; ++i) app.m_badges[i] = false;
        for (int i = 0; i < kScores; ++i) app.m_hiScores[i] = 0;
        testing::internal::CaptureStdout();
        app.p_Load();
        *printed = testing::internal::GetCapturedStdout();
        return Blocks();
    }

    // Where field n of the good text ends; the text with field n changed by `delta`; cut after n fields.
    size_t SeparatorAt(int n) const {
        size_t at = 0;
        for (int i = 0; i <= n; ++i) at = goodText_.find('|', at) + 1;
        return at - 1;
    }
    std::string Changed(int n, int delta) const {
        const size_t start = n == 0 ? 0 : SeparatorAt(n - 1) + 1;
        return goodText_.substr(0, start) + std::to_string(std::stoll(goodText_.substr(start)) + delta) +
               goodText_.substr(SeparatorAt(n));
    }
    std::string Cut(int n) const { return goodText_.substr(0, SeparatorAt(n - 1) + 1); }

    // Loads `text` and checks each block: 'L' read and kept, 'I' read and reset by its checksum,
    // '-' not read (the file ends first), '?' either kept or reset.
    void Expect(const std::string& what, const std::optional<std::string>& text, const char* blocks, bool printing = true) {
        std::string printed, lines;
        const std::vector<std::vector<int>> loaded = Loaded(text, &printed);
        for (int b = 0; b < kBlocks; ++b) {
            if (blocks[b] != '?') {
                EXPECT_EQ(loaded[b], blocks[b] == 'L' ? good_[b] : defaults_[b]) << what << ": block " << b;
            }
            if (blocks[b] != '-') lines += std::string(blocks[b] == 'L' ? kLoadedLine[b] : kInvalidLine[b]) + "\n";
        }
        if (printing) {
            EXPECT_EQ(printed, lines) << what;
        }
    }

    std::vector<std::vector<int>> good_, defaults_;
    std::string goodText_, printed_;
};

TEST_F(SaveData, ASaveWrites98NumbersAndADamagedBlockIsResetAlone) {
    ASSERT_EQ(std::count(goodText_.begin(), goodText_.end(), '|'), kFields) << goodText_;
    EXPECT_EQ(goodText_.back(), '|');
    EXPECT_LT(std::stoll(goodText_.substr(SeparatorAt(25) + 1)), 0) << "badge word 0, bit 31 set, is negative";
    EXPECT_EQ(defaults_[0], (std::vector<int>{0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 64, 64, 10, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"LLLLL a good file", goodText_},
        {"----- no file", std::nullopt},
        {"----- an empty file", ""},
        {"LLLL- cut inside table 2", Cut(96)},
        {"-I--- cut inside the settings: the badges are read from its start", Cut(20)},
        {"----- separators only", "||||"},
        {"----- words", "abc|def|"},
        {"----- a huge number", std::string(100000, '9')},
        {"----- UTF-16", std::string("\xff\xfe\x31\x00|\x00", 6)},
        {"----- broken UTF-8", "\xc3\x28|\xe2\x82|"},
    };
    for (const auto& [row, text] : cases) Expect(row + 6, text, row);
}

// A block is read exactly when its checksum is whole in the file; any one
// number changed by one resets exactly its own block (every number counts in
// its block's checksum but setting 0, whose weight is 0); one byte changed
// anywhere (not a separator) loses at most the block it lies in.
TEST_F(SaveData, EveryCutAndEveryDamagedNumberLosesOnlyItsOwnBlock) {
    for (int n = 1; n < kFields; ++n) {
        char blocks[kBlocks + 1] = "LLLLL";
        blocks[std::lower_bound(kChecksumField, kChecksumField + kBlocks, n) - kChecksumField] = 'I';
        Expect("field " + std::to_string(n) + " changed by one", Changed(n, 1), blocks);
    }
    std::mt19937 random(14);
    for (size_t k = 0; k <= goodText_.size(); ++k) {
        char blocks[kBlocks + 1] = {};
        for (int b = 0; b < kBlocks; ++b) blocks[b] = k >= SeparatorAt(kChecksumField[b]) ? 'L' : '-';
        Expect("cut to " + std::to_string(k) + " bytes", goodText_.substr(0, k), blocks, false);
        if (k == goodText_.size() || goodText_[k] == '|') continue;
        std::string damaged = goodText_;
        while (damaged[k] == goodText_[k] || damaged[k] == '|') damaged[k] = static_cast<char>(random());
        for (int b = 0; b < kBlocks; ++b) {
            const size_t first = b == 0 ? 0 : SeparatorAt(kChecksumField[b - 1]) + 1;
            blocks[b] = k >= first && k <= SeparatorAt(kChecksumField[b]) ? '?' : 'L';
        }
        Expect("byte " + std::to_string(k) + " damaged", damaged, blocks, false);
    }
}

// The state files of earlier builds and of the format's edge cases (saves/,
// whose README.md says where each came from), loaded by this build: the status
// lines and every value as saves/expected.txt lists them, and saving them
// again writes the same bytes. A change to the format or a checksum fails here.
TEST_F(SaveData, FilesOfEarlierBuildsLoadWithTheirValues) {
    std::map<std::string, std::string> expected;  // file name: status lines, then the values
    std::istringstream blocks(ReadFile(GLIMMER_SAVES_DIR "/expected.txt"));
    for (std::string line, name; std::getline(blocks, line);) {
        if (line.rfind("file ", 0) == 0) {
            name = line.substr(5);
        } else if (!line.empty() && !name.empty()) {
            expected[name] += line + "\n";
        }
    }
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(GLIMMER_SAVES_DIR)) {
        const std::string name = entry.path().filename().string(), bytes = ReadFile(entry.path().string());
        if (entry.path().extension() == ".zephyrrecords") {
            ++files;
            EXPECT_EQ(RecordsLoaded(bytes), expected[name]) << name;
            continue;
        }
        if (entry.path().extension() != ".zephyrstate") continue;
        ++files;
        std::string printed;
        Loaded(bytes, &printed);
        EXPECT_EQ(printed + Described(), expected[name]) << name;
        app.p_Save();
        EXPECT_EQ(ReadFile(game.stateFile()), bytes) << name << " saved again";
    }
    EXPECT_EQ(files, expected.size()) << "each file in saves/ and its expected values";
}

TEST_F(SaveData, ScoresEnterTheTablesBelowEqualEntriesAndAreSaved) {
    const std::vector<int> tens = {100, 90, 80, 70, 60, 50, 40, 30, 20, 10};
    const struct {
        std::vector<int> best;
        int score, rank;
        std::vector<int> after;
    } cases[] = {
        {tens, 55, 6, {100, 90, 80, 70, 60, 55, 50, 40, 30, 20}},
        {tens, 100, 2, {100, 100, 90, 80, 70, 60, 50, 40, 30, 20}},
        {tens, 5, 0, tens},
        {std::vector<int>(10, 0), 0, 0, std::vector<int>(10, 0)},   // no "New Highscore" for a score of 0
    };
    for (const auto& c : cases) {
        app.m_gameType = 1;
        for (int i = 0; i < 10; ++i) app.m_hiScores[i] = c.best[i];
        for (int i = 0; i < 10; ++i) app.m_hiScores[30 + i] = 1 + i;
        app.m_score = c.score;
        app.p_MyNth();
        EXPECT_EQ(app.m_rank, c.rank) << "score " << c.score;
        app.p_LoadMenu();
        for (int i = 0; i < 10; ++i) EXPECT_EQ(app.m_hiScores[i], c.after[i]) << "score " << c.score << " entry " << i;
        EXPECT_EQ(app.m_hiScores[30], c.score) << "every game enters the last ten";
        EXPECT_EQ(app.m_hiScores[31], 1);
        const std::string saved = ReadFile(game.stateFile());
        EXPECT_EQ(std::count(saved.begin(), saved.end(), '|'), kFields) << "and is saved";
    }
}

TEST_F(SaveData, ACloseRequestEndsTheProgramAndSavesAChangedSettingFirst) {
    app.m_settings[5] = 0;  // sound switched off on the menu, not yet saved
    GTEST_FLAG_SET(death_test_style, "threadsafe");  // no fork beside the sound mixer's thread
    EXPECT_EXIT(
        {
            game.host().SetStateFile(ClosePath(getppid()));
            game.host().CloseWindow();
            game.Step();
        },
        testing::ExitedWithCode(0), "");
    const std::string saved = ReadFile(ClosePath(getpid()));
    std::remove(ClosePath(getpid()).c_str());
    EXPECT_EQ(saved.substr(0, 12), "0|1|0|0|0|0|") << "the close request saved the sound switch: " << saved;
}

}  // namespace
