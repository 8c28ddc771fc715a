// The platform-neutral host's exception guard: an exception that escapes the
// game, of the language or of C++, ends the program through Die.
#include "host/game_host.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <stdexcept>

#include "tests/host/host_test_support.h"

namespace {

class ThrowingDelegate : public KpGameDelegate {
public:
    explicit ThrowingDelegate(bool language) : language_(language) {}
    void UpdateGame() override {
        if (language_) throw new ThrowableObject();
        throw std::runtime_error("native");
    }

private:
    bool language_;
};

TEST(GameHostDeathTest, EscapingExceptionsEndTheProgramThroughDie) {
    for (bool language : {true, false}) {
        EXPECT_EXIT(
            {
                dup2(2, 1);  // the report goes to standard output; the matcher reads standard error
                KpGame host;
                host.SetDelegate(new ThrowingDelegate(language));
                host.StartGame();
                host.UpdateGame();
            },
            ::testing::ExitedWithCode(kExitStatusMinusOne), "Zephyr Runtime Error : Uncaught Zephyr Exception")
            << (language ? "language exception" : "C++ exception");
    }
}

}  // namespace
