// Process entry of the game.
#include <GLFW/glfw3.h>

#include <cstdio>
#include <cstdlib>

#include "host/glfw/game.h"
#include "host/trace.h"
#include "runtime/errors.h"

void KpZephyrGame::Main(int argc, const char** argv) {
    if (!glfwInit()) {
        std::puts("glfwInit failed");
        std::fflush(stdout);
        std::exit(-1);
    }
    // The host lives until the process ends.
    KpZephyrGame* game = new KpZephyrGame();
    try {
        kp_std_main(argc, argv);
    } catch (ThrowableObject* exception) {
        glfwTerminate();
        game->Die(exception);
    } catch (...) {
        glfwTerminate();
        game->Die(nullptr);
    }
    if (game->Delegate()) game->Run();
    glfwTerminate();
}

int main(int argc, char** argv) {
    kpTraceEvent("main");
    KpZephyrGame::Main(argc, const_cast<const char**>(argv));
    return 0;
}
