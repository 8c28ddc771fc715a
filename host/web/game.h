// The browser host: the page's canvas with a WebGL context, the main loop's
// pass run from the browser's frame callback, focus and page visibility,
// the canvas following the page's size and pixel ratio, browser fullscreen,
// gamepads through the Gamepad API, and the state file in IndexedDB.
#pragma once

#include <emscripten/html5.h>

#include "host/loop_game.h"

// A WebGL 1 context on the canvas, made like the desktop window: 8-bit colour
// without alpha, depth or stencil and no multisampling, so the page shows
// exactly the pixels drawn. Made current and counted as a new context
// (kpGraphicsSeq); 0 when the browser has none.
int kpCreateWebGLContext(const char* canvas);

// The one host of the web build; `_webGame` points at it (the same object as `_game`).
class KpWebGame : public KpLoopGame {
public:
    // The state file: in the folder the page mounts on IndexedDB before start-up.
    static constexpr const char* kStateFile = "/save/.zephyrstate";

    KpWebGame();
    ~KpWebGame() override;

    static KpWebGame* _webGame;

    int Millisecs() override;
    // Writes the state file, then has the page keep it in IndexedDB (pre.js),
    // which reports the save once it is stored and shows any failure on the page.
    int SaveState(const String& state) override;
    std::string StateFilePath() override { return kStateFile; }
    // Files beside the save directly in its folder (the records) are kept in IndexedDB too.
    int SaveBesideState(const std::string& name, const std::vector<unsigned char>& bytes) override;
    // A replay as a downloaded file, or as a link in the address bar (replays.js).
    bool OffersFiles() override { return true; }
    void OfferDownload(const std::string& name, const std::vector<unsigned char>& bytes) override;
    void OfferLink(const std::string& fragment) override;
    std::string StartFragment() override;
    // The page's matchMedia('(prefers-reduced-motion: reduce)').
    bool PrefersReducedMotion() override;
    // Into the page's ARIA live region (shell.html's #announce), which screen readers speak.
    void Announce(const std::string& text) override;
    bool PollJoystick(int port, Array<float> joyx, Array<float> joyy, Array<float> joyz, Array<bool> buttons) override;
    void SetMouseVisible(bool visible) override;
    void WindowSize(int* width, int* height) override;
    // Canvas pixels per CSS pixel, at a touch screen's 160 CSS pixels to the inch.
    float PixelsPerMillimetre() override;
    bool HasGraphicsContext() override;

    // Starts the game and hands the main loop to the browser; returns at once.
    void Run();

    // Page events, from the input callbacks (host/web/input.cpp).
    void NoteEvent() { eventsArrived_ = true; }   // something may need showing again
    void SetFocused(bool focused);
    void SetHidden(bool hidden);
    void SetContextLost(bool lost);
    // Mouse position in canvas pixels from a position in CSS pixels of the canvas.
    void CanvasPixels(double cssX, double cssY, float* x, float* y) const;

private:
    static EM_BOOL Frame(double frameMillis, void* self);  // the browser's frame callback

    // The main loop's view of the page: the frame's clock; the loop never
    // blocks (the next frame callback comes back to it) and page events run
    // their callbacks between frames; the page stays open while it is shown.
    double Now() override;
    void Sleep(double) override {}
    void PollEvents() override {}
    void WaitEvents() override {}
    bool WindowOpen() override { return true; }
    bool WindowIconified() override { return hidden_; }
    bool WindowFocused() override { return focused_ && !hidden_; }

    bool CreateContext();
    bool FollowPageSize();          // true when the canvas changed size
    bool Idle();                    // nothing to update: rate 0 or suspended

    int context_ = 0;               // EMSCRIPTEN_WEBGL_CONTEXT_HANDLE
    bool contextLost_ = false;
    bool focused_ = true;           // the page has the keyboard focus
    bool hidden_ = false;           // the tab is hidden or minimised
    bool eventsArrived_ = true;
    int width_ = 0;                 // canvas size in pixels
    int height_ = 0;
    double cssWidth_ = 0;           // canvas size in CSS pixels
    double cssHeight_ = 0;
    double frameStart_ = 0;         // the current frame's time, seconds
    double frameStartNow_ = 0;      // the clock when its callback began
};
