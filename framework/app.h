// The application framework: the application base class whose callbacks a
// game overrides, the delegate that turns host events into those callbacks,
// the kp_app_* functions through which a game reaches the host, and the
// asynchronous-event pump.
#pragma once

#include "host/game_host.h"

class gxtkGraphics;
class gxtkAudio;
class c_InputDevice;

// Base of a game's application class; one instance per program.
class c_App : public Object {
public:
    c_App* m_new();
    virtual int p_OnCreate() { return 0; }
    virtual int p_OnSuspend() { return 0; }
    virtual int p_OnResume() { return 0; }
    virtual int p_OnUpdate() { return 0; }
    virtual int p_OnRender() { return 0; }
    int p_OnLoading() { return 0; }
    // The window's close request; ends the program. A game may save first.
    virtual int p_OnClose();
    int p_OnBack();
};

// Creates the devices at start and routes every host event to the application.
class c_GameDelegate : public KpGameDelegate {
public:
    gxtkGraphics* m__graphics = nullptr;
    gxtkAudio* m__audio = nullptr;
    c_InputDevice* m__input = nullptr;

    c_GameDelegate* m_new() { return this; }
    void StartGame() override;
    void SuspendGame() override;
    void ResumeGame() override;
    void UpdateGame() override;
    void RenderGame() override;
    void KeyEvent(int event, int data) override;
    void MouseEvent(int event, int data, float x, float y) override;
    void TouchEvent(int event, int data, float x, float y) override;
    void MotionEvent(int event, int data, float x, float y, float z) override;
    void DiscardGraphics() override;
    void mark() override;
};

// Holder of the host event codes (see KpHostEvent).
class c_KpGameEvent : public Object {};

// A source of asynchronous events, pumped by kp_asyncevent_UpdateAsyncEvents.
class c_AsyncEventSource : public Object {
public:
    virtual void UpdateAsyncEvents() {}
};

// A growable stack of asynchronous event sources.
class c_Stack : public Object {
public:
    static c_AsyncEventSource* m_NIL;
    Array<c_AsyncEventSource*> m_data;
    int m_length = 0;

    c_Stack* m_new();
    c_Stack* m_new2(Array<c_AsyncEventSource*> data);
    int p_Length2() { return m_length; }
    c_AsyncEventSource* p_Get(int index) { return m_data.Get(index); }
    void p_Length(int newLength);
    void p_Push(c_AsyncEventSource* source);
    bool p_Contains(c_AsyncEventSource* source);
    void p_RemoveEach(c_AsyncEventSource* source);
    void mark() override;
};

extern c_App* kp_app__app;
extern c_GameDelegate* kp_app__delegate;
extern KpGame* kp_app__game;
extern int kp_app__updateRate;
extern c_Stack* kp_asyncevent__sources;
extern c_AsyncEventSource* kp_asyncevent__current;

int kp_app_SetUpdateRate(int hertz);
int kp_app_UpdateRate();
int kp_app_Millisecs();
String kp_app_LoadState();
int kp_app_SaveState(const String& state);   // the host's result; a failure is also told
constexpr const char* kSaveFailedLine = "Save Failed: progress since the last save is not kept";
// The game's other files beside the state file (host/game_host.h); a failed save is told as for the state.
int kp_app_SaveBeside(const std::string& name, const std::vector<unsigned char>& bytes);
bool kp_app_LoadBeside(const std::string& name, std::vector<unsigned char>* bytes);
void kp_app_RemoveStaleTempsBeside(const std::string& name);   // a file's, or a folder's with a final "/"
[[noreturn]] void kp_app_EndApp();
int kp_asyncevent_UpdateAsyncEvents();        // pumps every source once; not re-entrant
int kp_asyncevent_AddAsyncEventSource(c_AsyncEventSource* source);
int kp_asyncevent_RemoveAsyncEventSource(c_AsyncEventSource* source);  // safe from the source's own update
