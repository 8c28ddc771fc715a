// The platform-neutral host: the delegate it drives, its update rate and
// run state, guarded event entries, data paths and the persisted state file.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "runtime/array.h"
#include "runtime/object.h"
#include "runtime/string.h"

// Host event codes passed to the delegate's event entries.
enum KpHostEvent {
    kEventKeyDown = 1,
    kEventKeyUp = 2,
    kEventKeyChar = 3,
    kEventMouseDown = 4,
    kEventMouseUp = 5,
    kEventMouseMove = 6,
    kEventTouchDown = 7,
    kEventTouchUp = 8,
    kEventTouchMove = 9,
    kEventMotionAccel = 10,
};

// Name of the persisted state file, relative to the working folder.
extern const char* const kStateFileName;

// The interface the host calls into; implemented by the framework's c_GameDelegate.
class KpGameDelegate : public Object {
public:
    virtual void StartGame() {}
    virtual void SuspendGame() {}
    virtual void ResumeGame() {}
    virtual void UpdateGame() {}
    virtual void RenderGame() {}
    virtual void KeyEvent(int event, int data) { (void)event; (void)data; }
    virtual void MouseEvent(int event, int data, float x, float y) { (void)event; (void)data; (void)x; (void)y; }
    virtual void TouchEvent(int event, int data, float x, float y) { (void)event; (void)data; (void)x; (void)y; }
    virtual void MotionEvent(int event, int data, float x, float y, float z) {
        (void)event; (void)data; (void)x; (void)y; (void)z;
    }
    virtual void DiscardGraphics() {}
};

// A picture for the window's icon: RGBA rows, top first.
struct KpIcon {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgba;
};

// Platform-neutral base of the host object. Exactly one exists; `_game` points at it.
class KpGame {
public:
    KpGame();
    virtual ~KpGame();

    static KpGame* _game;

    virtual void SetDelegate(KpGameDelegate* delegate);
    virtual KpGameDelegate* Delegate() { return delegate_; }
    virtual void SetKeyboardEnabled(bool enabled) { keyboardEnabled_ = enabled; }
    virtual bool KeyboardEnabled() { return keyboardEnabled_; }
    virtual void SetUpdateRate(int hertz) { updateRate_ = hertz; }
    virtual int UpdateRate() { return updateRate_; }
    virtual bool Started() { return started_; }
    virtual bool Suspended() { return suspended_; }
    virtual int Millisecs() { return 0; }
    virtual void GetDate(Array<int> date);
    virtual int SaveState(const String& state);
    virtual String LoadState();
    // The state file; the game's other files (records, replays) live beside
    // it, named relative to its folder ("replays/level01.glimmer-replay").
    virtual std::string StateFilePath() { return kStateFileName; }
    std::string BesideStatePath(const std::string& name);
    // Replaces a file beside the state file as atomically as the state file,
    // making the folders its name holds; kStateSaved or a failure code
    // (kStateNoFolder when a folder cannot be made).
    virtual int SaveBesideState(const std::string& name, const std::vector<unsigned char>& bytes);
    // Removes the temporary files that interrupted saves left of a file beside
    // the state file, or of every file in a folder beside it ("replays/").
    int RemoveStaleTempsBeside(const std::string& name);
    // The bytes of a file beside the state file; false when it cannot be read.
    bool LoadBesideState(const std::string& name, std::vector<unsigned char>* bytes);
    // Handing a file or a link to the player where the platform has a way
    // (the browser: a download, and the page's address with `fragment` after its "#").
    virtual bool OffersFiles() { return false; }
    virtual void OfferDownload(const std::string& name, const std::vector<unsigned char>& bytes) { (void)name; (void)bytes; }
    virtual void OfferLink(const std::string& fragment) { (void)fragment; }
    // The address's fragment the page was opened with, without "#" (browser); empty elsewhere.
    virtual std::string StartFragment() { return std::string(); }
    // Whether the system asks for reduced motion (the browser's media query); false elsewhere.
    virtual bool PrefersReducedMotion() { return false; }
    // Hands a line to the platform's screen reader (the page's live region); nothing elsewhere.
    virtual void Announce(const std::string& text) { (void)text; }
    virtual String LoadString(const String& path);
    virtual bool PollJoystick(int port, Array<float> joyx, Array<float> joyy, Array<float> joyz, Array<bool> buttons);
    virtual void OpenUrl(const String& url) { (void)url; }
    virtual void SetMouseVisible(bool visible) { (void)visible; }
    // Window pixels per millimetre of the screen, for sizing what fingers touch
    // (a 96-dpi screen unless the host knows better).
    virtual float PixelsPerMillimetre() { return 96.0f / 25.4f; }
    virtual String PathToFilePath(const String& path) { return path; }
    virtual FILE* OpenFile(const String& path, const String& mode);
    virtual unsigned char* LoadData(const String& path, int* length);
    [[noreturn]] virtual void Die(ThrowableObject* exception);
    virtual void gc_collect();

    // Guarded entries: each checks its condition, calls the delegate inside an
    // exception guard (an escaping exception ends the program through Die) and
    // then runs one incremental collection step.
    virtual void StartGame();
    virtual void SuspendGame();
    virtual void ResumeGame();
    virtual void UpdateGame();
    virtual void RenderGame();
    virtual void KeyEvent(int event, int data);
    virtual void MouseEvent(int event, int data, float x, float y);
    virtual void TouchEvent(int event, int data, float x, float y);
    virtual void MotionEvent(int event, int data, float x, float y, float z);
    virtual void DiscardGraphics();

    // The bytes of a whole file through the data paths, for the media
    // decoders above (images, sounds): false when it cannot be read or holds
    // more than `limit` bytes, which are never read.
    virtual bool LoadFileBytes(const String& path, size_t limit, std::vector<unsigned char>* bytes);
    // The pictures the window shows as its icon where the platform has one
    // (the desktop), kept for every window the host opens; the framework
    // hands them over at start.
    virtual void SetWindowIcons(const std::vector<KpIcon>& icons) { (void)icons; }

    // The drawable window: its size in pixels, and whether an OpenGL context
    // is current so that the renderer may issue GL calls.
    virtual void WindowSize(int* width, int* height) { *width = 0; *height = 0; }
    virtual bool HasGraphicsContext() { return false; }

protected:
    KpGameDelegate* delegate_ = nullptr;
    bool keyboardEnabled_ = false;
    int updateRate_ = 0;
    bool started_ = false;
    bool suspended_ = false;
};

// The program above the platform, started by each platform's program entry
// (framework/program.cpp): runtime initialisation, the module globals and the
// application object, which hands its delegate to the host.
int kp_std_main(int argc, const char** argv);

// Counts the GL contexts the host has made: incremented every time it opens
// (or reopens) its window or is given a new GL context, so that surfaces and
// the GL pipeline notice that their GL objects belong to a dead context. 0
// before the first.
extern int kpGraphicsSeq;

