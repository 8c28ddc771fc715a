// The state file under damage, on the whole game booted on the headless host:
// missing, empty, truncated at every byte, one byte damaged anywhere, random
// bytes; a save killed part-way, many times; a disk that fills during a save.
// The game must start from whatever it finds, read every intact block, and
// never leave a partial state file behind.
#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "host/state_file.h"
#include "tests/reliability/game_boot.h"

namespace {

constexpr int kSettings = 25;
constexpr int kBadges = 256;
constexpr int kStoredScores = 60;
constexpr int kTables = 3;
constexpr int kTableSize = 10;
constexpr int kLastOffset = 30;
// Index of the checksum field that closes each block: settings, badges, tables 0..2.
constexpr int kBlockChecksumField[] = {25, 34, 55, 76, 97};
constexpr int kBlocks = 5;
constexpr int kKeyZ = 90;
constexpr int kKeyEscape = 27;
constexpr int kKeyLeft = 37;
constexpr int kKeyUp = 38;

std::string TempPath(const char* tag) {
    return std::string("/tmp/glimmer_reliability_") + tag + "_" + std::to_string(getpid());
}

// Fills every persisted value with something other than its start value,
// keeping the settings as the load's fix-ups leave them.
void FillGoodValues(c_MyApp& app) {
    for (int n = 0; n < kSettings; ++n) app.m_settings[n] = 100 + 3 * n;
    app.m_settings[1] = 2;
    app.m_settings[3] = 1;
    app.m_settings[5] = 0;
    app.m_settings[14] = 1;
    for (int i = 0; i < kBadges; ++i) app.m_badges[i] = (i * 7) % 5 == 1;
    for (int i = 0; i < kStoredScores; ++i) app.m_hiScores[i] = 1000 + 37 * i;
}

// The values of one block, for comparison.
std::vector<int> Block(const PersistedState& s, int block) {
    if (block == 0) return s.settings;
    if (block == 1) return s.badges;
    const int t = block - 2;
    std::vector<int> values;
    for (int j = 0; j < kTableSize; ++j) {
        values.push_back(s.scores[static_cast<size_t>(10 * t + j)]);
        values.push_back(s.scores[static_cast<size_t>(kLastOffset + 10 * t + j)]);
    }
    return values;
}

const char* BlockName(int block) {
    static const char* const names[] = {"settings", "badges", "highscore table 0", "highscore table 1",
                                        "highscore table 2"};
    return names[block];
}

class StateFaults : public ::testing::Test {
protected:
    void SetUp() override {
        game_ = &BootGame();
        app_ = game_->app;
        path_ = TempPath("state");
        game_->host->SetStateFile(path_);
        unlink(path_.c_str());

        // The start values after the load's fix-ups: what a missing file gives.
        ResetToStartValues(*app_);
        app_->p_Load();
        fresh_ = ReadPersisted(*app_);

        FillGoodValues(*app_);
        good_ = ReadPersisted(*app_);
        app_->p_Save();
        goodText_ = ReadWholeFile(path_);
        for (size_t i = 0; i < goodText_.size(); ++i) {
            if (goodText_[i] == '|') separators_.push_back(i);
        }
    }
    void TearDown() override { unlink(path_.c_str()); }

    // Loads `bytes` as the state file into start values.
    PersistedState LoadBytes(const std::string& bytes) {
        EXPECT_TRUE(WriteWholeFile(path_, bytes));
        ResetToStartValues(*app_);
        app_->p_Load();
        return ReadPersisted(*app_);
    }

    // First and last byte (inclusive) of a block's text, separators included.
    size_t BlockStart(int block) const {
        return block == 0 ? 0 : separators_[static_cast<size_t>(kBlockChecksumField[block - 1])] + 1;
    }
    size_t BlockEnd(int block) const { return separators_[static_cast<size_t>(kBlockChecksumField[block])]; }

    BootedGame* game_ = nullptr;
    c_MyApp* app_ = nullptr;
    std::string path_;
    PersistedState fresh_, good_;
    std::string goodText_;
    std::vector<size_t> separators_;
};

TEST_F(StateFaults, GoodStateHasNinetyEightFieldsAndReadsBack) {
    ASSERT_EQ(98u, separators_.size()) << goodText_;
    const PersistedState loaded = LoadBytes(goodText_);
    for (int b = 0; b < kBlocks; ++b) EXPECT_EQ(Block(good_, b), Block(loaded, b)) << BlockName(b);
}

TEST_F(StateFaults, MissingOrEmptyFileStartsFresh) {
    unlink(path_.c_str());
    ResetToStartValues(*app_);
    app_->p_Load();
    const PersistedState missing = ReadPersisted(*app_);
    const PersistedState empty = LoadBytes("");
    for (int b = 0; b < kBlocks; ++b) {
        EXPECT_EQ(Block(fresh_, b), Block(missing, b)) << BlockName(b) << " from a missing file";
        EXPECT_EQ(Block(fresh_, b), Block(empty, b)) << BlockName(b) << " from an empty file";
    }
    EXPECT_EQ(1, fresh_.settings[1]);
    EXPECT_EQ(1, fresh_.settings[5]);
    EXPECT_EQ(64, fresh_.settings[10]);
}

// A block is read exactly when its checksum's digits are all in the file;
// every other block keeps (or is reset to) its start values.
TEST_F(StateFaults, TruncatedAtEveryByteReadsEveryIntactBlock) {
    ASSERT_EQ(98u, separators_.size());
    int failures = 0;
    for (size_t k = 0; k <= goodText_.size(); ++k) {
        const PersistedState loaded = LoadBytes(goodText_.substr(0, k));
        for (int b = 0; b < kBlocks; ++b) {
            const bool intact = k >= BlockEnd(b);
            const std::vector<int> expected = intact ? Block(good_, b) : Block(fresh_, b);
            if (Block(loaded, b) != expected && ++failures <= 10) {
                ADD_FAILURE() << "truncated to " << k << " of " << goodText_.size() << " bytes: "
                              << BlockName(b) << (intact ? " is intact but was not read" : " was not reset");
            }
        }
    }
    EXPECT_EQ(0, failures) << "cases tried: " << goodText_.size() + 1;
}

// One byte (not a separator) replaced anywhere: every other block is still
// read. (The damaged block itself may pass its checksum: setting 0 has weight
// 0 in the settings checksum, so its damage goes unnoticed.)
TEST_F(StateFaults, OneDamagedByteLosesAtMostItsOwnBlock) {
    std::mt19937 random(14);
    int failures = 0;
    int cases = 0;
    for (size_t k = 0; k < goodText_.size(); ++k) {
        if (goodText_[k] == '|') continue;
        std::string damaged = goodText_;
        char byte = goodText_[k];
        while (byte == goodText_[k] || byte == '|') byte = static_cast<char>(random() & 0xff);
        damaged[k] = byte;
        ++cases;
        const PersistedState loaded = LoadBytes(damaged);
        for (int b = 0; b < kBlocks; ++b) {
            const bool hit = k >= BlockStart(b) && k <= BlockEnd(b);
            if (!hit && Block(loaded, b) != Block(good_, b) && ++failures <= 10) {
                ADD_FAILURE() << "byte " << k << " replaced by " << (static_cast<int>(byte) & 0xff) << ": "
                              << BlockName(b) << " lost although intact";
            }
        }
    }
    EXPECT_EQ(0, failures) << "cases tried: " << cases;
}

// Random bytes, and random numbers and separators: the load never fails, the
// fix-ups hold, and the game then runs its menu and a game with those values.
TEST_F(StateFaults, RandomBytesThenTheGameStillPlays) {
    std::mt19937 random(1414);
    const std::string alphabet = "0123456789-|||";
    KpHeadlessGame& host = *game_->host;
    constexpr int kCases = 60;
    for (int c = 0; c < kCases; ++c) {
        std::string bytes(random() % 1200, '\0');
        for (char& ch : bytes) {
            ch = c % 2 ? alphabet[random() % alphabet.size()] : static_cast<char>(random() & 0xff);
        }
        if (c % 3 == 0) bytes = goodText_.substr(0, random() % goodText_.size()) + bytes;
        const PersistedState loaded = LoadBytes(bytes);
        ASSERT_GE(loaded.settings[10], 64) << "case " << c;
        ASSERT_GE(loaded.settings[11], 64) << "case " << c;
        ASSERT_GE(loaded.settings[12], 8) << "case " << c;
        ASSERT_EQ(1, loaded.settings[14]) << "case " << c;
        ASSERT_NE(0, loaded.settings[1]) << "case " << c;

        // Menu, a game of level 1, the pause panel's quit, the menu again.
        host.Step(10);
        for (int key : {kKeyEscape, kKeyLeft, kKeyLeft, kKeyZ}) {
            host.KeyDown(key);
            host.Step(2);
            host.KeyUp(key);
            host.Step(4);
        }
        host.Step(60);
        ASSERT_EQ(kScreenPlaying, app_->m_screen) << "case " << c << ": no game started from the menu";
        ASSERT_EQ(1, app_->m_level) << "case " << c;
        // Up moves the panel's selection to quit (left would also turn the hero,
        // whose turn holds the key latch: the panel does not halt the round).
        for (int key : {kKeyEscape, kKeyUp, kKeyZ}) {
            host.KeyDown(key);
            host.Step(2);
            host.KeyUp(key);
            host.Step(30);
        }
        for (int i = 0; i < 400 && app_->m_screen != kScreenMenu; ++i) host.Step();
        ASSERT_EQ(kScreenMenu, app_->m_screen) << "case " << c << ": not back on the menu after a game (pause panel "
                                               << app_->m_pauseShown << ", selection " << app_->m_pauseSel
                                               << ", quit " << app_->m_quitGame << ")";
    }
}

// A child saves a big state over and over, alternating two contents, and is
// killed at a random moment; the file is always one of the two, never partial,
// and the interrupted saves' temporary files are cleaned up at the next start.
TEST_F(StateFaults, SaveKilledPartWayLeavesTheOldOrTheNewFile) {
    const std::string a(1 << 20, 'a');
    const std::string b = std::string(3 << 19, 'b') + "|end";
    const String sa(a.c_str()), sb(b.c_str());
    // How long one save takes here, so that the kills spread over whole saves.
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 4; ++i) ASSERT_EQ(kStateSaved, kp_state_Save(path_.c_str(), i % 2 ? sa : sb));
    const long saveMicros = std::max<long>(
        1, std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start).count() / 4);
    ASSERT_EQ(kStateSaved, kp_state_Save(path_.c_str(), sa));

    std::mt19937 random(1414);
    constexpr int kKills = 100;
    int partialTemps = 0;
    int sawA = 0, sawB = 0;
    for (int i = 0; i < kKills; ++i) {
        int ready[2] = {-1, -1};
        ASSERT_EQ(0, pipe(ready));
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // Tells the parent once the first save is done, then keeps saving.
            for (int n = 0;; ++n) {
                kp_state_Save(path_.c_str(), n % 2 ? sa : sb);
                if (n == 0 && write(ready[1], "x", 1) != 1) _exit(1);
            }
        }
        close(ready[1]);
        char byte = 0;
        const bool started = read(ready[0], &byte, 1) == 1;
        close(ready[0]);
        usleep(static_cast<useconds_t>(random() % static_cast<unsigned long>(2 * saveMicros)));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(started) << "the saving child did not start";
        const std::string now = ReadWholeFile(path_);
        ASSERT_TRUE(now == a || now == b) << "kill " << i << ": the state file holds " << now.size()
                                          << " bytes, neither the old nor the new state";
        (now == a ? sawA : sawB)++;
        const std::string temp = path_ + ".tmp." + std::to_string(child);
        if (access(temp.c_str(), F_OK) == 0) ++partialTemps;
    }
    // The next start removes what the killed saves left.
    kp_state_RemoveStaleTemps(path_.c_str());
    const std::string folder = "/tmp";
    const std::string prefix = path_.substr(folder.size() + 1) + ".tmp.";
    int left = 0;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* entry = readdir(dir)) left += std::string(entry->d_name).rfind(prefix, 0) == 0;
        closedir(dir);
    }
    EXPECT_EQ(0, left) << "temporary files left after the clean-up";
    std::printf("kills: %d (one save takes %ld us), file held the first state %d times and the second %d times; "
                "%d kills hit a save part-way\n", kKills, saveMicros, sawA, sawB, partialTemps);
    EXPECT_GT(partialTemps, 0) << "no kill landed inside a save: the test proved nothing";
}

// The same with the game's own saves: the child alternates two score tables.
TEST_F(StateFaults, GameSaveKilledPartWayLeavesTheOldOrTheNewFile) {
    const std::string first = goodText_;
    app_->m_hiScores[0] = 999999;
    app_->p_Save();
    const std::string second = ReadWholeFile(path_);
    ASSERT_NE(first, second);
    std::mt19937 random(7);
    for (int i = 0; i < 100; ++i) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int n = 0;; ++n) {
                app_->m_hiScores[0] = n % 2 ? good_.scores[0] : 999999;
                app_->p_Save();
            }
        }
        usleep(static_cast<useconds_t>(random() % 20000));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        const std::string now = ReadWholeFile(path_);
        ASSERT_TRUE(now == first || now == second) << "kill " << i << ": partial state file of " << now.size() << " bytes";
    }
    kp_state_RemoveStaleTemps(path_.c_str());
}

// The working folder is a small tmpfs that fills up: the save fails, the old
// state survives whole and loads, and no temporary file is left on the disk.
TEST_F(StateFaults, DiskFullDuringSaveKeepsTheOldState) {
    const std::string dir = TempPath("tmpfs");
    mkdir(dir.c_str(), 0700);
    if (mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=64k") != 0) {
        rmdir(dir.c_str());
        GTEST_SKIP() << "cannot mount a tmpfs here (needs root): " << std::strerror(errno);
    }
    char cwd[4096] = {};
    ASSERT_NE(nullptr, getcwd(cwd, sizeof cwd));
    ASSERT_EQ(0, chdir(dir.c_str()));
    game_->host->SetStateFile("./.zephyrstate");

    app_->p_Save();
    const std::string old = ReadWholeFile("./.zephyrstate");
    ASSERT_EQ(goodText_, old);

    // Fill the disk to the last byte.
    FILE* filler = std::fopen("filler", "wb");
    ASSERT_NE(nullptr, filler);
    std::setvbuf(filler, nullptr, _IONBF, 0);
    const std::string block(512, 'f');
    while (std::fwrite(block.data(), 1, block.size(), filler) == block.size()) {}
    std::fclose(filler);
    for (char one = 'f'; (filler = std::fopen("filler", "ab")) && std::fwrite(&one, 1, 1, filler) == 1 &&
                         std::fflush(filler) == 0;) {
        std::fclose(filler);
    }
    if (filler) std::fclose(filler);

    // The game saves changed scores, and a large state is saved directly.
    for (int i = 0; i < kStoredScores; ++i) app_->m_hiScores[i] = 5000000 + i;
    app_->p_Save();
    const std::string big(100000, '7');
    const int result = kp_state_Save("./.zephyrstate", String(big.c_str()));

    const std::string after = ReadWholeFile("./.zephyrstate");
    int temps = 0;
    if (DIR* d = opendir(".")) {
        while (dirent* entry = readdir(d)) temps += std::string(entry->d_name).find(".tmp.") != std::string::npos;
        closedir(d);
    }
    ResetToStartValues(*app_);
    app_->p_Load();
    const PersistedState loaded = ReadPersisted(*app_);

    unlink("filler");
    unlink("./.zephyrstate");
    ASSERT_EQ(0, chdir(cwd));
    umount(dir.c_str());
    rmdir(dir.c_str());

    EXPECT_NE(kStateSaved, result) << "a save on a full disk reported success";
    EXPECT_EQ(old, after) << "the old state did not survive the full disk";
    EXPECT_EQ(0, temps) << "temporary files left on the full disk";
    for (int b = 0; b < kBlocks; ++b) EXPECT_EQ(Block(good_, b), Block(loaded, b)) << BlockName(b) << " after the full disk";
}

}  // namespace
