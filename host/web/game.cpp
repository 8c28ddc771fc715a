#include "host/web/game.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "host/state_file.h"
#include "host/web/input.h"
#include "runtime/errors.h"

KpWebGame* KpWebGame::_webGame = nullptr;

namespace {

constexpr const char* kCanvas = "#canvas";
constexpr double kMsPerSecond = 1000.0;

EM_BOOL OnContextLost(int, const void*, void* self) {
    static_cast<KpWebGame*>(self)->SetContextLost(true);
    return EM_TRUE;  // asks the browser to restore it
}

EM_BOOL OnContextRestored(int, const void*, void* self) {
    static_cast<KpWebGame*>(self)->SetContextLost(false);
    return EM_TRUE;
}

}  // namespace

KpWebGame::KpWebGame() {
    _webGame = this;
    if (!CreateContext()) {
        kpPrint(String("WebGL is not available"));
        std::exit(-1);
    }
    emscripten_set_webglcontextlost_callback(kCanvas, this, EM_FALSE, OnContextLost);
    emscripten_set_webglcontextrestored_callback(kCanvas, this, EM_FALSE, OnContextRestored);
    kpInstallWebInputCallbacks(this);
}

KpWebGame::~KpWebGame() {
    if (_webGame == this) _webGame = nullptr;
}

int kpCreateWebGLContext(const char* canvas) {
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.alpha = EM_FALSE;
    attributes.depth = EM_FALSE;
    attributes.stencil = EM_FALSE;
    attributes.antialias = EM_FALSE;
    attributes.majorVersion = 1;
    attributes.minorVersion = 0;
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_create_context(canvas, &attributes);
    if (context <= 0) return 0;
    emscripten_webgl_make_context_current(context);
    ++kpGraphicsSeq;
    return static_cast<int>(context);
}

bool KpWebGame::CreateContext() {
    context_ = kpCreateWebGLContext(kCanvas);
    return context_ > 0;
}

void KpWebGame::SetContextLost(bool lost) {
    contextLost_ = lost;
    // Textures and buffers of the lost context are gone: they are made again.
    if (!lost) ++kpGraphicsSeq;
    NoteEvent();
}

int KpWebGame::Millisecs() { return static_cast<int>(emscripten_get_now()); }

namespace {

// The file system lives in memory: the page keeps a saved file in IndexedDB
// and tells the player when it cannot (storeSavedFile), or when not even the
// file could be written.
int KeepInPage(int result, const std::string& path) {
    if (result == kStateSaved) {
        EM_ASM({ if (Module.storeSavedFile) Module.storeSavedFile(UTF8ToString($0)); }, path.c_str());
    } else {
        EM_ASM({ if (Module.saveFailed) Module.saveFailed('the save file could not be written'); });
    }
    return result;
}

}  // namespace

int KpWebGame::SaveState(const String& state) { return KeepInPage(kp_state_Save(kStateFile, state), kStateFile); }

int KpWebGame::SaveBesideState(const std::string& name, const std::vector<unsigned char>& bytes) {
    const int result = KpGame::SaveBesideState(name, bytes);
    // The page keeps its files by their path in the save folder in one store:
    // those directly there and the player's levels and their best runs; the
    // replays folder (its runs are also held in the records) lives as long as the page.
    const bool kept = name.find('/') == std::string::npos || name.rfind("levels/", 0) == 0;
    return kept ? KeepInPage(result, BesideStatePath(name)) : result;
}

void KpWebGame::OfferDownload(const std::string& name, const std::vector<unsigned char>& bytes) {
    EM_ASM({ if (Module.offerDownload) Module.offerDownload(UTF8ToString($0), HEAPU8.slice($1, $1 + $2)); },
           name.c_str(), bytes.data(), bytes.size());
}

void KpWebGame::OfferLink(const std::string& fragment) {
    EM_ASM({ if (Module.offerLink) Module.offerLink(UTF8ToString($0)); }, fragment.c_str());
}

std::string KpWebGame::StartFragment() {
    const int length = EM_ASM_INT({ return lengthBytesUTF8(location.hash); });
    std::string hash(static_cast<size_t>(length) + 1, '\0');
    EM_ASM({ stringToUTF8(location.hash, $0, $1); }, hash.data(), length + 1);
    hash.resize(static_cast<size_t>(length));
    return hash.empty() ? hash : hash.substr(1);
}

bool KpWebGame::PrefersReducedMotion() {
    return EM_ASM_INT({ return window.matchMedia && matchMedia('(prefers-reduced-motion: reduce)').matches ? 1 : 0; }) != 0;
}

void KpWebGame::Announce(const std::string& text) {
    EM_ASM({ if (Module.announce) Module.announce(UTF8ToString($0)); }, text.c_str());
}

bool KpWebGame::PollJoystick(int port, Array<float> joyx, Array<float> joyy, Array<float> joyz,
                             Array<bool> buttons) {
    // The input device polls ports 0, 1, ... in one update: one sample serves them all.
    if (port == 0 && emscripten_sample_gamepad_data() != EMSCRIPTEN_RESULT_SUCCESS) return false;
    EmscriptenGamepadEvent pad;
    if (port < 0 || emscripten_get_gamepad_status(port, &pad) != EMSCRIPTEN_RESULT_SUCCESS || !pad.connected) {
        return false;
    }
    kpMapWebGamepad(pad, joyx, joyy, joyz, buttons);
    return true;
}

void KpWebGame::SetMouseVisible(bool visible) {
    EM_ASM({
        var canvas = document.getElementById('canvas');
        if (canvas) canvas.style.cursor = $0 ? "auto" : "none";
    }, visible);
}

void KpWebGame::WindowSize(int* width, int* height) {
    *width = width_;
    *height = height_;
}

float KpWebGame::PixelsPerMillimetre() {
    constexpr float kCssPixelsPerMillimetre = 160.0f / 25.4f;
    const double ratio = cssWidth_ > 0 ? width_ / cssWidth_ : 1.0;
    return static_cast<float>(ratio * kCssPixelsPerMillimetre);
}

bool KpWebGame::HasGraphicsContext() {
    return context_ > 0 && !contextLost_ && emscripten_webgl_get_current_context() == context_;
}

void KpWebGame::SetFocused(bool focused) {
    focused_ = focused;
    NoteEvent();
    // A page that lost the focus may get no frame callback before the player
    // leaves: suspend (the game saves and pauses) right away.
    if (!focused && !Suspended()) SuspendGame();
}

void KpWebGame::SetHidden(bool hidden) {
    hidden_ = hidden;
    NoteEvent();
    // A hidden page gets no frame callbacks at all.
    if (hidden && !Suspended()) SuspendGame();
}

void KpWebGame::CanvasPixels(double cssX, double cssY, float* x, float* y) const {
    *x = static_cast<float>(cssWidth_ > 0 ? cssX * width_ / cssWidth_ : cssX);
    *y = static_cast<float>(cssHeight_ > 0 ? cssY * height_ / cssHeight_ : cssY);
}

bool KpWebGame::FollowPageSize() {
    double cssWidth = 0;
    double cssHeight = 0;
    emscripten_get_element_css_size(kCanvas, &cssWidth, &cssHeight);
    // The page's policy (pre.js): the screen's ratio, within what the pictures at hand suit.
    const double ratio = EM_ASM_DOUBLE({ return Module.canvasRatio ? Module.canvasRatio($0, $1, $2) : $2; },
                                       cssWidth, cssHeight, emscripten_get_device_pixel_ratio());
    const int width = std::max(1, static_cast<int>(std::lround(cssWidth * ratio)));
    const int height = std::max(1, static_cast<int>(std::lround(cssHeight * ratio)));
    cssWidth_ = cssWidth;
    cssHeight_ = cssHeight;
    if (width == width_ && height == height_) return false;
    emscripten_set_canvas_element_size(kCanvas, width, height);
    width_ = width;
    height_ = height;
    return true;
}

bool KpWebGame::Idle() { return UpdateRate() == 0 || Suspended(); }

void KpWebGame::Run() {
    FollowPageSize();
    StartInWindow();
    // The browser calls Frame before each repaint; the program lives on after main.
    emscripten_request_animation_frame_loop(&KpWebGame::Frame, this);
    emscripten_exit_with_live_runtime();
}

EM_BOOL KpWebGame::Frame(double frameMillis, void* self) {
    KpWebGame* game = static_cast<KpWebGame*>(self);
    game->frameStart_ = frameMillis / kMsPerSecond;
    game->frameStartNow_ = emscripten_get_now() / kMsPerSecond;
    if (game->FollowPageSize()) game->NoteEvent();
    // A paused game draws only when something happened (as the desktop loop
    // waits for events): no updates, and no renders of an unchanged picture.
    if (game->Idle() && !game->eventsArrived_) return EM_TRUE;
    game->eventsArrived_ = false;
    game->loop_.Pass();
    return EM_TRUE;
}

// The loop's clock starts each frame at the frame's own time, which steps by
// whole display refreshes: at 60 frames a second each frame then finds
// exactly one update due, rather than one just not yet due and two in the
// next frame as the moment the callback happens to run would give.
double KpWebGame::Now() { return frameStart_ + emscripten_get_now() / kMsPerSecond - frameStartNow_; }
