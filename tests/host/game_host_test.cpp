// The platform-neutral host: file names in UTF-16, and the guarded entries
// with their conditions, exception guard and collection step.
#include "host/game_host.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <stdexcept>
#include <string>

#include "host/glfw_game.h"
#include "runtime/gc.h"
#include "tests/host/host_test_support.h"

namespace {

TEST(FileAccessTest, Utf16NamesOpenAndOthersGiveNull) {
    ScopedWorkFolder folder;
    KpGlfwGame host;
    WriteFileBytes(u8"gr\u00fc\u00dfe_\u2603_\U0001F384.txt", "snow");
    EXPECT_TRUE(host.LoadString(Utf16(u"gr\u00fc\u00dfe_\u2603_\U0001F384.txt")) == String("snow"))
        << "a UTF-16 name reaches the file system as UTF-8";
    WriteFileBytes("real", "x");
    const std::u16string unopenable[] = {u"zephyr://other/real", u"missing.txt", u"",
                                         std::u16string(u"real\0.txt", 9)};  // a NUL would shorten the name to "real"
    for (const std::u16string& path : unopenable) {
        int length = -1;
        EXPECT_EQ(host.LoadData(Utf16(path), &length), nullptr) << "path of " << path.size() << " units";
    }
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

}  // namespace
