#include "framework/program.h"

#include "audio/audio_device.h"
#include "audio/sound.h"
#include "graphics/graphics_module.h"
#include "graphics/renderer.h"
#include "input/input_device.h"
#include "runtime/errors.h"
#include "runtime/gc.h"
#include "runtime/random.h"
#include "services/thread.h"

int argc = 0;
const char** argv = nullptr;

namespace {

constexpr int kInitialSeed = 1234;

}  // namespace

int kp_std_main(int argc, const char** argv) {
    ::argc = argc;
    ::argv = argv;
    kpInstallSignalHandlers();
    gc_init1();
    gc_set_root_marker(kpMarkRoots);
    kpInit();
    gc_init2();
    kpMain();
    return 0;
}

int kpInit() {
    kp_app__app = nullptr;
    kp_app__delegate = nullptr;
    kp_app__game = KpGame::_game;
    kp_graphics_device = nullptr;
    gc_assign(kp_graphics_context, (new c_GraphicsContext())->m_new());
    c_Image::m_DefaultFlags = 0;
    kp_audio_device = nullptr;
    kp_input_device = nullptr;
    kp_graphics_renderDevice = nullptr;
    // The game's own globals: the virtual screen, its switches, the credits.
    kpInitGameGlobals();
    kp_random_Seed = kInitialSeed;
    kp_app__updateRate = 0;
    kp_asyncevent__current = nullptr;
    gc_assign(kp_asyncevent__sources, (new c_Stack())->m_new());
    c_Stack::m_NIL = nullptr;
    return 0;
}

void kpMarkRoots() {
    gc_mark_q(kp_app__app);
    gc_mark_q(kp_app__delegate);
    gc_mark_q(kp_graphics_device);
    gc_mark_q(kp_graphics_context);
    gc_mark_q(kp_audio_device);
    gc_mark_q(kp_input_device);
    gc_mark_q(kp_graphics_renderDevice);
    gc_mark_q(kp_asyncevent__current);
    gc_mark_q(kp_asyncevent__sources);
    gc_mark_q(c_Stack::m_NIL);
    kpMarkGameRoots();
    // Runtime threads stay alive while their body runs.
    kpMarkRunningThreads();
}

int kpMain() {
    kpCreateApplication();
    return 0;
}
