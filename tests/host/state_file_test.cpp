// The persisted state file: byte-exact round trips, the atomic replacement
// that keeps the previous file when a save fails, and paths that are refused.
#include "host/state_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>

#include "host/game_host.h"
#include "host/headless/game.h"
#include "host/platform.h"
#include "tests/host/host_test_support.h"

namespace {

const std::string kState = ".zephyrstate";
const std::string kTemp = kp_state_TempName("./.zephyrstate");

TEST(StateFileTest, SavedAsUtf8AndReadBack) {
    ScratchFolder folder{"host", true};
    KpGame host;
    const struct { std::u16string text; std::string bytes; } cases[] = {
        {u"\u00e9", "\xc3\xa9"},
        {u"", ""},  // an empty state still writes an (empty) file
        {u"1|\n\t\u20ac \U0001F384", "1|\n\t\xe2\x82\xac \xed\xa0\xbc\xed\xbe\x84"},  // a surrogate pair as two units
        {std::u16string(100000, u'7'), std::string(100000, '7')}};
    for (const auto& c : cases) {
        ASSERT_EQ(host.SaveState(Utf16(c.text)), kStateSaved);
        ASSERT_TRUE(FileExists(kState));
        EXPECT_EQ(ReadFile(kState), c.bytes) << c.text.size() << " units";
        EXPECT_TRUE(host.LoadState() == Utf16(c.text)) << c.text.size() << " units";
    }
    std::remove(kState.c_str());
    EXPECT_EQ(host.LoadState().Length(), 0) << "a missing file loads as empty";
}

// Replacement I/O calls: a full disk, a disk that fills up after three bytes,
// a write that takes one byte at a time, a failing sync.
int g_writes = 0;
int NoSpace(int, const void*, size_t) { return errno = ENOSPC, -1; }
int ThreeBytesThenNoSpace(int fd, const void* data, size_t size) {
    return g_writes++ == 0 ? kp_file_Write(fd, data, std::min<size_t>(size, 3)) : NoSpace(fd, data, size);
}
int OneByteAtATime(int fd, const void* data, size_t size) { return kp_file_Write(fd, data, std::min<size_t>(size, 1)); }
int FailingSync(int) { return errno = EIO, -1; }

TEST(StateFileTest, FailedSavesKeepThePreviousFileAndRemoveTheTemporary) {
    ScratchFolder folder{"host", true};
    KpGame host;
    const KpStateFileIo real = kp_state_DefaultIo();
    const struct { const char* name; KpStateFileIo io; int result; } cases[] = {
        {"disk full", {NoSpace, real.sync}, kStateShortWrite},
        {"disk full after three bytes", {ThreeBytesThenNoSpace, real.sync}, kStateShortWrite},
        {"sync fails", {real.write, FailingSync}, kStateShortWrite},
        {"partial writes are resumed", {OneByteAtATime, real.sync}, kStateSaved}};
    for (const auto& c : cases) {
        ASSERT_EQ(host.SaveState(String("old settings")), kStateSaved);
        g_writes = 0;
        const KpStateFileIo previous = kp_state_SetIo(c.io);
        EXPECT_EQ(host.SaveState(String("new settings")), c.result) << c.name;
        kp_state_SetIo(previous);
        EXPECT_EQ(ReadFile(kState), c.result == kStateSaved ? "new settings" : "old settings") << c.name;
        EXPECT_FALSE(FileExists(kTemp)) << c.name;
    }
    // The temporary name is taken by a folder: the file cannot be created.
    ASSERT_EQ(mkdir(kTemp.c_str(), 0700), 0);
    EXPECT_EQ(host.SaveState(String("lost")), kStateCannotCreate);
    EXPECT_EQ(ReadFile(kState), "new settings");
    rmdir(kTemp.c_str());
    // The state name is a folder with contents: the rename cannot replace it.
    std::remove(kState.c_str());
    ASSERT_EQ(mkdir(kState.c_str(), 0700), 0);
    WriteFile(kState + "/inside", "x");
    EXPECT_EQ(host.SaveState(String("lost")), kStateCannotCreate);
    EXPECT_FALSE(FileExists(kTemp));
}

// On Windows a file another program holds open cannot be replaced; elsewhere
// the replacement goes ahead. Either way the save stays whole and no
// temporary file is left.
TEST(StateFileTest, AFileHeldOpenKeepsAWholeSave) {
    ScratchFolder folder{"host", true};
    KpGame host;
    ASSERT_EQ(host.SaveState(String("old settings")), kStateSaved);
    FILE* held = std::fopen(kState.c_str(), "rb");
    ASSERT_NE(held, nullptr);
    const int result = host.SaveState(String("new settings"));
    std::fclose(held);
    EXPECT_EQ(result, kHeldFilesCannotBeReplaced ? kStateCannotCreate : kStateSaved);
    EXPECT_EQ(ReadFile(kState), kHeldFilesCannotBeReplaced ? "old settings" : "new settings");
    EXPECT_FALSE(FileExists(kTemp));
}

// A path that is not UTF-8 names no file: it is refused, never turned into
// another name (which Windows would do by replacing the bad bytes).
TEST(StateFileTest, PathsThatAreNotUtf8AreRefused) {
    ScratchFolder folder{"host", true};
    const char* const bad[] = {"save\xff", "save\xc3", "save\xc0\xaf", "save\xed\xa0\x80", "save\xf4\x90\x80\x80"};
    for (const char* path : bad) {
        EXPECT_EQ(kp_state_Save(path, String("settings")), kStateCannotCreate) << path;
        EXPECT_EQ(kp_state_RemoveStaleTemps(path), 0) << path;
    }
    EXPECT_TRUE(kp_file_List(".").size() <= 2) << "no file was made";  // "." and ".." at most
    EXPECT_EQ(kp_state_Save("s\xc3\xa9\xf0\x9f\x8e\x84", String("settings")), kStateSaved) << "valid UTF-8 is kept";
}

#ifdef _WIN32
// A process of this program, created suspended: it exists until it is ended.
PROCESS_INFORMATION SuspendedProcess() {
    char program[MAX_PATH];
    GetModuleFileNameA(nullptr, program, MAX_PATH);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    CreateProcessA(program, nullptr, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &startup, &process);
    return process;
}

void EndProcess(const PROCESS_INFORMATION& process) {
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, INFINITE);
}
#endif

TEST(StateFileTest, StaleTemporariesAreRemovedAtTheNextStart) {
    ScratchFolder folder{"host", true};
#ifdef _WIN32
    const PROCESS_INFORMATION ended = SuspendedProcess(), running = SuspendedProcess();
    EndProcess(ended);
    const unsigned long child = ended.dwProcessId, parent = running.dwProcessId;
#else
    const pid_t child = fork();  // a pid that certainly belongs to no running process: a child that has exited
    if (child == 0) _exit(0);
    waitpid(child, nullptr, 0);
    const pid_t parent = getppid();
#endif
    const std::string dead = kState + ".tmp." + std::to_string(child);
    const std::string kept[] = {kState + ".tmp." + std::to_string(parent),  // a process that still runs
                                kState + ".tmp.notapid", kState + ".bak", "other.tmp.1"};
    WriteFile(kState, "settings");
    WriteFile(dead, "half a save");
    for (const std::string& name : kept) WriteFile(name, "x");
    KpGame restarted;
    restarted.LoadState();
    EXPECT_FALSE(FileExists(dead)) << "left by a killed process";
    for (const std::string& name : kept) EXPECT_TRUE(FileExists(name)) << name;
    EXPECT_EQ(ReadFile(kState), "settings");

    // A tool's private folder, left by a tool killed before it could remove it
    // (the editor stops a route search so), goes when the next one starts.
    const std::filesystem::path temp = std::filesystem::temp_directory_path();
    const std::filesystem::path killed = temp / ("glimmer-sweeptest-" + std::to_string(child));
    const std::filesystem::path others[] = {temp / ("glimmer-sweeptest-" + std::to_string(parent)),
                                            temp / "glimmer-sweeptest-notapid",
                                            temp / ("glimmer-sweeptest2-" + std::to_string(child))};
    std::filesystem::create_directories(killed / "inside");
    for (const auto& other : others) std::filesystem::create_directories(other);
    KpHeadlessGame tool;
    const std::string own = tool.UsePrivateFolder("sweeptest");
    EXPECT_TRUE(std::filesystem::is_directory(own));
    EXPECT_FALSE(std::filesystem::exists(killed)) << "left by a killed tool";
    for (const auto& other : others) {
        EXPECT_TRUE(std::filesystem::is_directory(other)) << other;
        std::filesystem::remove_all(other);
    }
#ifdef _WIN32
    EndProcess(running);
#endif
}

}  // namespace
