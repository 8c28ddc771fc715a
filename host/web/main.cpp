// Entry of the web build: the browser host in place of the GLFW one.
#include "host/trace.h"
#include "runtime/errors.h"
#include "host/web/game.h"

int main(int argc, char** argv) {
    kpTraceEvent("main");
    // The host lives as long as the page.
    KpWebGame* game = new KpWebGame();
    try {
        kp_std_main(argc, const_cast<const char**>(argv));
    } catch (ThrowableObject* exception) {
        game->Die(exception);
    } catch (...) {
        game->Die(nullptr);
    }
    if (game->Delegate()) game->Run();
    return 0;
}
