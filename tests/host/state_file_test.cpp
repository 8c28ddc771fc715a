// The persisted state file: byte-exact round trips, hostile contents, and the
// atomic replacement that keeps the previous file when a save fails.
#include "host/state_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "host/game_host.h"
#include "tests/host/host_test_support.h"

namespace {

const std::string kState = ".zephyrstate";

// Makes the Nth write call (counting from 1) fail after writing `partial`
// bytes of it, as a full disk does.
int g_writeCalls = 0;
int g_failingWrite = 0;
size_t g_partial = 0;

ssize_t FailingWrite(int fd, const void* data, size_t size) {
    ++g_writeCalls;
    if (g_writeCalls == g_failingWrite) {
        if (g_partial > 0) return ::write(fd, data, std::min(size, g_partial));
        errno = ENOSPC;
        return -1;
    }
    if (g_writeCalls > g_failingWrite && g_failingWrite > 0) {
        errno = ENOSPC;
        return -1;
    }
    return ::write(fd, data, size);
}

int FailingFsync(int) {
    errno = EIO;
    return -1;
}

// Installs replacement I/O calls for one test and restores the real ones.
class ScopedStateIo {
public:
    explicit ScopedStateIo(KpStateFileIo io) : previous_(kp_state_SetIo(io)) {}
    ~ScopedStateIo() { kp_state_SetIo(previous_); }

private:
    KpStateFileIo previous_;
};

class StateFileTest : public ::testing::Test {
protected:
    ScopedWorkFolder folder;
    KpGame host;
};

TEST_F(StateFileTest, NonAsciiStateIsWrittenAsUtf8AndReadBack) {
    EXPECT_EQ(host.SaveState(Utf16(u"\u00e9")), 0);
    std::string bytes = ReadFileBytes(kState);
    ASSERT_EQ(bytes.size(), 2u);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 195);
    EXPECT_EQ(static_cast<unsigned char>(bytes[1]), 169);
    EXPECT_TRUE(host.LoadState() == Utf16(u"\u00e9"));
}

TEST_F(StateFileTest, RoundTripsKeepEveryUnit) {
    const std::u16string cases[] = {
        u"1|2|3|",
        u"line\nbreak\r\ttab",
        u"\u20ac \u4e2d \U0001F384",  // three-byte and surrogate-pair characters
        std::u16string(100000, u'7'),
    };
    for (const std::u16string& text : cases) {
        ASSERT_EQ(host.SaveState(Utf16(text)), 0);
        String loaded = host.LoadState();
        EXPECT_EQ(loaded.Length(), static_cast<int>(text.size()));
        EXPECT_TRUE(loaded == Utf16(text)) << "round trip of a " << text.size() << "-unit state";
    }
}

TEST_F(StateFileTest, EmptyStateGivesAnEmptyFile) {
    EXPECT_EQ(host.SaveState(String()), 0);
    ASSERT_TRUE(FileExists(kState));
    EXPECT_EQ(ReadFileBytes(kState).size(), 0u);
    EXPECT_EQ(host.LoadState().Length(), 0);
}

TEST_F(StateFileTest, MissingFileLoadsAsEmpty) { EXPECT_EQ(host.LoadState().Length(), 0); }

TEST_F(StateFileTest, HostileContentsLoadWithoutFailing) {
    struct Case {
        const char* what;
        std::string bytes;
        int units;  // expected length of the loaded text
    };
    std::string binary;
    for (int i = 0; i < 256; ++i) binary.push_back(static_cast<char>(i));
    std::string huge(6 * 1024 * 1024 + 17, 'x');
    const Case cases[] = {
        {"invalid UTF-8 keeps the raw bytes", "ab\xff\xfe\xc3", 5},
        {"a truncated sequence keeps the raw bytes", "\xe2\x82", 2},
        {"binary bytes, one unit each", binary, 256},
        {"a file of several megabytes", huge, static_cast<int>(huge.size())},
        {"a UTF-8 signature is skipped", "\xef\xbb\xbfok", 2},
    };
    for (const Case& c : cases) {
        WriteFileBytes(kState, c.bytes);
        String loaded = host.LoadState();
        EXPECT_EQ(loaded.Length(), c.units) << c.what;
    }
    WriteFileBytes(kState, "ab\xff");
    String raw = host.LoadState();
    ASSERT_EQ(raw.Length(), 3);
    EXPECT_EQ(raw[2], 0xff) << "invalid UTF-8 loads one unit per byte";
}

TEST_F(StateFileTest, FailedWriteKeepsThePreviousFileAndRemovesTheTemporary) {
    ASSERT_EQ(host.SaveState(String("old settings")), 0);
    const size_t partials[] = {0, 3};
    for (size_t partial : partials) {
        g_writeCalls = 0;
        g_failingWrite = 1;
        g_partial = partial;
        {
            KpStateFileIo io = kp_state_DefaultIo();
            io.write = FailingWrite;
            ScopedStateIo scoped(io);
            EXPECT_EQ(host.SaveState(String("new settings that do not fit")), -2)
                << "a write that stops after " << partial << " bytes is a short write";
        }
        EXPECT_EQ(ReadFileBytes(kState), "old settings") << "the previous file stays";
        EXPECT_FALSE(FileExists(kp_state_TempName("./.zephyrstate")));
    }
}

TEST_F(StateFileTest, FailedSyncKeepsThePreviousFile) {
    ASSERT_EQ(host.SaveState(String("old")), 0);
    KpStateFileIo io = kp_state_DefaultIo();
    io.fsync = FailingFsync;
    {
        ScopedStateIo scoped(io);
        EXPECT_EQ(host.SaveState(String("new")), -2);
    }
    EXPECT_EQ(ReadFileBytes(kState), "old");
    EXPECT_FALSE(FileExists(kp_state_TempName("./.zephyrstate")));
}

TEST_F(StateFileTest, PartialWritesAreResumed) {
    // A write that takes only part of the buffer is not a failure.
    KpStateFileIo io = kp_state_DefaultIo();
    io.write = [](int fd, const void* data, size_t size) { return ::write(fd, data, size > 1 ? 1 : size); };
    ScopedStateIo scoped(io);
    EXPECT_EQ(host.SaveState(String("complete")), 0);
    EXPECT_EQ(ReadFileBytes(kState), "complete");
}

TEST_F(StateFileTest, UncreatableFilesReportMinusOne) {
    ASSERT_EQ(host.SaveState(String("kept")), 0);
    // The temporary name is taken by a folder: the file cannot be created.
    std::string temp = kp_state_TempName("./.zephyrstate");
    ASSERT_EQ(mkdir(temp.c_str(), 0700), 0);
    EXPECT_EQ(host.SaveState(String("lost")), -1);
    EXPECT_EQ(ReadFileBytes(kState), "kept");
    rmdir(temp.c_str());

    // The state name is a folder with contents: the rename cannot replace it.
    ScopedWorkFolder other;
    KpGame otherHost;
    ASSERT_EQ(mkdir(kState.c_str(), 0700), 0);
    WriteFileBytes(kState + "/inside", "x");
    EXPECT_EQ(otherHost.SaveState(String("lost")), -1);
    EXPECT_FALSE(FileExists(kp_state_TempName("./.zephyrstate")));
}

// A pid that certainly belongs to no running process: a child that has exited.
pid_t DeadPid() {
    pid_t child = fork();
    if (child == 0) _exit(0);
    waitpid(child, nullptr, 0);
    return child;
}

TEST_F(StateFileTest, StaleTemporariesAreRemovedAtTheNextStart) {
    const std::string dead = kState + ".tmp." + std::to_string(DeadPid());
    const std::string running = kState + ".tmp." + std::to_string(getppid());
    const std::string unrelated[] = {kState + ".tmp.notapid", kState + ".bak", "other.tmp.1"};
    WriteFileBytes(kState, "settings");
    WriteFileBytes(dead, "half a save");
    WriteFileBytes(running, "another copy saving now");
    for (const std::string& name : unrelated) WriteFileBytes(name, "x");

    KpGame restarted;

    EXPECT_FALSE(FileExists(dead)) << "left by a killed process";
    EXPECT_TRUE(FileExists(running)) << "belongs to a process that still runs";
    for (const std::string& name : unrelated) EXPECT_TRUE(FileExists(name)) << name;
    EXPECT_EQ(ReadFileBytes(kState), "settings");
}

}  // namespace
