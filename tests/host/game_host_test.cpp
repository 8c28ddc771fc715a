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

TEST(FileAccessTest, NamesAndWholeFiles) {
    ScopedWorkFolder folder;
    KpGlfwGame host;
    WriteFileBytes(u8"gr\u00fc\u00dfe_\u2603_\U0001F384.txt", "snow");
    EXPECT_TRUE(host.LoadString(Utf16(u"gr\u00fc\u00dfe_\u2603_\U0001F384.txt")) == String("snow"))
        << "a UTF-16 name reaches the file system as UTF-8";
    ASSERT_EQ(system("mkdir -p data/sub"), 0);
    WriteFileBytes("data/sub/a.txt", "in data");
    EXPECT_TRUE(host.LoadString(String("zephyr://data/sub/a.txt")) == String("in data"));
    WriteFileBytes("real", "x");
    const std::u16string unopenable[] = {u"zephyr://other/real", u"missing.txt", u"",
                                         std::u16string(u"real\0.txt", 9)};  // a NUL would shorten the name to "real"
    for (const std::u16string& path : unopenable) {
        int length = -1;
        EXPECT_EQ(host.LoadData(Utf16(path), &length), nullptr) << "path of " << path.size() << " units";
    }
    for (int size : {0, 4096, 4097, 1000003}) {  // read in blocks of 4096 bytes
        std::string bytes(static_cast<size_t>(size), '\0');
        for (int i = 0; i < size; ++i) bytes[static_cast<size_t>(i)] = static_cast<char>(i * 31 + 7);
        WriteFileBytes("blob.bin", bytes);
        int length = -1;
        unsigned char* data = host.LoadData(String("blob.bin"), &length);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(data), static_cast<size_t>(data ? length : 0)), bytes) << "size " << size;
        std::free(data);
    }
    // A FIFO has no size to query; reading to the short block still works.
    ASSERT_EQ(system("mkfifo pipe && (head -c 10000 /dev/zero > pipe &)"), 0);
    int length = -1;
    std::free(host.LoadData(String("pipe"), &length));
    EXPECT_EQ(length, 10000);
}

TEST(GetDateTest, FillsAsManyFieldsAsTheArrayHas) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    Array<int> eight(8);
    for (int i = 0; i < 8; ++i) eight[i] = -5;
    KpGame().GetDate(eight);
    EXPECT_EQ((std::vector<int>{eight[0], eight[1], eight[6], eight[7]}), (std::vector<int>{local.tm_year + 1900, local.tm_mon + 1, 0, -5}))
        << "year, month, ..., milliseconds 0; elements beyond the seventh are left alone";
    KpGame().GetDate(Array<int>());  // must not touch the shared empty array
}

// Logs delegate calls; an update can throw a language (1) or C++ (2) exception.
class LoggingDelegate : public KpGameDelegate {
public:
    std::string calls;
    int throwKind = 0;

    void StartGame() override { calls += "start "; }
    void SuspendGame() override { calls += "suspend "; }
    void ResumeGame() override { calls += "resume "; }
    void RenderGame() override { calls += "render "; }
    void UpdateGame() override {
        calls += "update ";
        if (throwKind == 1) throw new ThrowableObject();
        if (throwKind == 2) throw std::runtime_error("native");
    }
};

TEST(GuardedEntriesTest, EntriesRunOnlyInTheirStateAndEndWithACollectionStep) {
    KpGame host;
    LoggingDelegate* delegate = new LoggingDelegate();
    host.SetDelegate(delegate);
    // Before the start nothing reaches the delegate; a second start, a resume
    // while running, a second suspend and an update while suspended are dropped.
    for (void (KpGame::*entry)() : {&KpGame::UpdateGame, &KpGame::RenderGame, &KpGame::SuspendGame, &KpGame::StartGame,
                                    &KpGame::StartGame, &KpGame::ResumeGame, &KpGame::SuspendGame, &KpGame::SuspendGame,
                                    &KpGame::UpdateGame, &KpGame::RenderGame, &KpGame::ResumeGame, &KpGame::UpdateGame}) {
        (host.*entry)();
    }
    EXPECT_EQ(delegate->calls, "start suspend render resume update ");
    gc_locals_sp = gc_locals + 3;
    host.RenderGame();
    EXPECT_EQ(gc_locals_sp, gc_locals) << "a collection step follows the entry and empties the local roots";
}

TEST(GuardedEntriesDeathTest, EscapingExceptionsEndTheProgramThroughDie) {
    for (int kind : {1, 2}) {
        EXPECT_EXIT(
            {
                dup2(2, 1);  // the report goes to standard output; the matcher reads standard error
                KpGame host;
                LoggingDelegate* delegate = new LoggingDelegate();
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
    // A stand-in opener first on the PATH that records its arguments.
    WriteFileBytes("xdg-open", "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > args.tmp\nmv args.tmp args\n");
    ASSERT_EQ(system("chmod +x xdg-open"), 0);
    const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", (folder.Path() + ":" + oldPath).c_str(), 1);
    const std::string url = "https://example.org/a b?x=1&y=$(touch pwned);`id` 'q'";
    KpGlfwGame().OpenUrl(String(url.c_str()));
    setenv("PATH", oldPath.c_str(), 1);
    for (int i = 0; i < 500 && !FileExists("args"); ++i) usleep(10000);
    EXPECT_EQ(ReadFileBytes("args"), url + "\n") << "exactly one argument, verbatim";
    EXPECT_FALSE(FileExists("pwned")) << "no shell interpreted the URL";
}

}  // namespace
