// The platform-neutral host: file access with UTF-16 names, whole-file reads,
// the date, and the guarded entries with their conditions, exception guard
// and collection step.
#include "host/game_host.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/glfw_game.h"
#include "runtime/gc.h"
#include "tests/host/host_test_support.h"

namespace {

class FileAccessTest : public ::testing::Test {
protected:
    ScopedWorkFolder folder;
    KpGlfwGame host;
};

TEST_F(FileAccessTest, NonAsciiNamesOpenThroughUtf8) {
    const std::u16string name = u"gr\u00fc\u00dfe_\u2603_\U0001F384.txt";
    WriteFileBytes(u8"gr\u00fc\u00dfe_\u2603_\U0001F384.txt", "snow");
    FILE* file = host.OpenFile(Utf16(name), String("rb"));
    ASSERT_NE(file, nullptr) << "a UTF-16 name reaches the file system as UTF-8";
    std::fclose(file);
    EXPECT_TRUE(host.LoadString(Utf16(name)) == String("snow"));
}

TEST_F(FileAccessTest, UnopenablePathsGiveNull) {
    WriteFileBytes("real", "x");
    const std::u16string paths[] = {
        u"zephyr://other/real",            // unknown virtual root
        u"missing.txt",
        std::u16string(u"real\0.txt", 9),  // a NUL would shorten the name to "real"
        u"",
    };
    for (const std::u16string& path : paths) {
        FILE* file = host.OpenFile(Utf16(path), String("rb"));
        EXPECT_EQ(file, nullptr) << "path of " << path.size() << " units";
        if (file) std::fclose(file);
        int length = -1;
        EXPECT_EQ(host.LoadData(Utf16(path), &length), nullptr);
        EXPECT_EQ(host.LoadString(Utf16(path)).Length(), 0);
    }
}

TEST_F(FileAccessTest, VirtualPathsReadFromTheDataFolder) {
    ASSERT_EQ(system("mkdir -p data/sub"), 0);
    WriteFileBytes("data/sub/a.txt", "in data");
    EXPECT_TRUE(host.LoadString(String("zephyr://data/sub/a.txt")) == String("in data"));
}

TEST_F(FileAccessTest, LoadDataReadsWholeFilesOfAnySize) {
    const int sizes[] = {0, 1, 4095, 4096, 4097, 3 * 4096, 1000003};
    for (int size : sizes) {
        std::string bytes(static_cast<size_t>(size), '\0');
        for (int i = 0; i < size; ++i) bytes[static_cast<size_t>(i)] = static_cast<char>(i * 31 + 7);
        WriteFileBytes("blob.bin", bytes);
        int length = -1;
        unsigned char* data = host.LoadData(String("blob.bin"), &length);
        ASSERT_NE(data, nullptr) << "size " << size;
        EXPECT_EQ(length, size);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(data), static_cast<size_t>(length)), bytes)
            << "contents of a " << size << "-byte file";
        std::free(data);
    }
}

TEST_F(FileAccessTest, LoadDataReadsStreamsWithoutASize) {
    // A FIFO has no size to query; reading to the short block still works.
    ASSERT_EQ(system("mkfifo pipe && (head -c 10000 /dev/zero > pipe &)"), 0);
    int length = -1;
    unsigned char* data = host.LoadData(String("pipe"), &length);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(length, 10000);
    std::free(data);
}

TEST(GetDateTest, FillsAsManyFieldsAsTheArrayHas) {
    KpGame host;
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);

    Array<int> three(3);
    host.GetDate(three);
    EXPECT_EQ(three[0], local.tm_year + 1900);
    EXPECT_EQ(three[1], local.tm_mon + 1);
    EXPECT_GE(three[2], 1);
    EXPECT_LE(three[2], 31);

    Array<int> eight(8);
    for (int i = 0; i < 8; ++i) eight[i] = -5;
    host.GetDate(eight);
    EXPECT_GE(eight[3], 0);
    EXPECT_LE(eight[5], 60);
    EXPECT_EQ(eight[6], 0) << "milliseconds are always 0";
    EXPECT_EQ(eight[7], -5) << "elements beyond the seventh are left alone";

    Array<int> empty;
    host.GetDate(empty);  // must not touch the shared empty array
    EXPECT_EQ(empty.Length(), 0);
}

// Counts delegate calls; can throw from an update.
class CountingDelegate : public KpGameDelegate {
public:
    std::vector<std::string> calls;
    int throwKind = 0;  // 1 a language exception, 2 a C++ exception

    void StartGame() override { calls.push_back("start"); }
    void SuspendGame() override { calls.push_back("suspend"); }
    void ResumeGame() override { calls.push_back("resume"); }
    void UpdateGame() override {
        calls.push_back("update");
        if (throwKind == 1) throw new ThrowableObject();
        if (throwKind == 2) throw std::runtime_error("native");
    }
    void RenderGame() override { calls.push_back("render"); }
    void KeyEvent(int event, int data) override {
        calls.push_back("key " + std::to_string(event) + " " + std::to_string(data));
    }
};

std::string Join(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& item : items) out += (out.empty() ? "" : ", ") + item;
    return out;
}

TEST(GuardedEntriesTest, EntriesRunOnlyInTheirState) {
    KpGame host;
    CountingDelegate* delegate = new CountingDelegate();
    host.SetDelegate(delegate);

    host.UpdateGame();
    host.RenderGame();
    host.KeyEvent(1, 65);
    host.SuspendGame();
    EXPECT_EQ(Join(delegate->calls), "") << "nothing reaches the delegate before the start";

    host.StartGame();
    host.StartGame();
    host.ResumeGame();
    host.SuspendGame();
    host.SuspendGame();
    host.UpdateGame();
    host.RenderGame();
    host.KeyEvent(1, 65);
    host.ResumeGame();
    host.UpdateGame();
    EXPECT_EQ(Join(delegate->calls), "start, suspend, render, key 1 65, resume, update");
    EXPECT_TRUE(host.Started());
    EXPECT_FALSE(host.Suspended());
}

TEST(GuardedEntriesTest, EveryEntryEndsWithACollectionStep) {
    KpGame host;
    host.SetDelegate(new CountingDelegate());
    host.StartGame();
    // A collection step empties the local-root stack.
    gc_locals_sp = gc_locals + 3;
    host.RenderGame();
    EXPECT_EQ(gc_locals_sp, gc_locals);
}

TEST(GuardedEntriesDeathTest, EscapingExceptionsEndTheProgramThroughDie) {
    for (int kind : {1, 2}) {
        EXPECT_EXIT(
            {
                dup2(2, 1);  // the report goes to standard output; the matcher reads standard error
                KpGame host;
                CountingDelegate* delegate = new CountingDelegate();
                delegate->throwKind = kind;
                host.SetDelegate(delegate);
                host.StartGame();
                host.UpdateGame();
            },
            ::testing::ExitedWithCode(255), "Zephyr Runtime Error : Uncaught Zephyr Exception")
            << "exception kind " << kind;
    }
}

TEST(OpenUrlTest, TheUrlIsOneArgumentOfTheOpenerAndNoShellSeesIt) {
    ScopedWorkFolder folder;
    // A stand-in opener on the PATH that records its arguments.
    WriteFileBytes("xdg-open", "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"" + folder.Path() +
                                   "/args.tmp\"\nmv \"" + folder.Path() + "/args.tmp\" \"" + folder.Path() +
                                   "/args\"\n");
    ASSERT_EQ(system("chmod +x xdg-open"), 0);
    std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", (folder.Path() + ":" + oldPath).c_str(), 1);

    const std::string url = "https://example.org/a b?x=1&y=$(touch pwned);`id` 'q'";
    KpGlfwGame host;
    host.OpenUrl(String(url.c_str()));
    setenv("PATH", oldPath.c_str(), 1);

    std::string args;
    for (int i = 0; i < 500 && !FileExists("args"); ++i) usleep(10000);
    args = ReadFileBytes("args");
    EXPECT_EQ(args, url + "\n") << "exactly one argument, verbatim";
    EXPECT_FALSE(FileExists("pwned")) << "no shell interpreted the URL";
}

}  // namespace
