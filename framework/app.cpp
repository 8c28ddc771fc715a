#include "framework/app.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "audio/audio_device.h"
#include "audio/sound.h"
#include "graphics/graphics_module.h"
#include "graphics/image_data.h"
#include "graphics/renderer.h"
#include "host/state_file.h"
#include "input/input_device.h"
#include "runtime/errors.h"

c_App* kp_app__app = nullptr;
c_GameDelegate* kp_app__delegate = nullptr;
KpGame* kp_app__game = nullptr;
int kp_app__updateRate = 0;
c_Stack* kp_asyncevent__sources = nullptr;
c_AsyncEventSource* kp_asyncevent__current = nullptr;
c_AsyncEventSource* c_Stack::m_NIL = nullptr;

namespace {

constexpr int kDefaultFontFirstChar = 32;
// Render modes returned by gxtkGraphics::BeginRender.
constexpr int kRenderNone = 0;
constexpr int kRenderLoading = 2;

// The window's icons, written into the data folder by the icon tool; a
// missing or unusable file leaves the window manager's default icon.
constexpr const char* kWindowIconFiles[] = {"zephyr://data/icon/glimmer-48.png", "zephyr://data/icon/glimmer-32.png"};
constexpr int kIconDepth = 4;

void GiveWindowIcons() {
    std::vector<KpIcon> icons;
    for (const char* file : kWindowIconFiles) {
        std::vector<unsigned char> bytes;
        if (!kp_app__game->LoadFileBytes(String(file), kMaxImageFileBytes, &bytes)) continue;
        KpIcon icon;
        int depth = 0;
        unsigned char* pixels = kpDecodeImage(bytes.data(), bytes.size(), &icon.width, &icon.height, &depth);
        if (pixels && depth == kIconDepth) {
            icon.rgba.assign(pixels, pixels + static_cast<size_t>(icon.width) * icon.height * kIconDepth);
            icons.push_back(icon);
        }
        std::free(pixels);
    }
    if (!icons.empty()) kp_app__game->SetWindowIcons(icons);
}

}  // namespace

// ---- Application ----

c_App* c_App::m_new() {
    if (kp_app__app) kpError(String("App has already been created"));
    gc_assign(kp_app__app, this);
    gc_assign(kp_app__delegate, (new c_GameDelegate())->m_new());
    kp_app__game->SetDelegate(kp_app__delegate);
    return this;
}

int c_App::p_OnClose() { kp_app_EndApp(); }

int c_App::p_OnBack() { kp_app_EndApp(); }

// ---- Delegate ----

void c_GameDelegate::StartGame() {
    GiveWindowIcons();
    gc_assign(m__graphics, new gxtkGraphics());
    kp_graphics_SetGraphicsDevice(m__graphics);
    kp_graphics_SetFont(nullptr, kDefaultFontFirstChar);
    gc_assign(m__audio, new gxtkAudio());
    kp_audio_SetAudioDevice(m__audio);
    gc_assign(m__input, (new c_InputDevice())->m_new());
    kp_input_SetInputDevice(m__input);
    kp_app__app->p_OnCreate();
}

void c_GameDelegate::SuspendGame() {
    // The application hears of a suspend before the sound stops ...
    kp_app__app->p_OnSuspend();
    m__audio->Suspend();
}

void c_GameDelegate::ResumeGame() {
    // ... and of a resume after it restarts.
    m__audio->Resume();
    kp_app__app->p_OnResume();
}

void c_GameDelegate::UpdateGame() {
    m__input->p_BeginUpdate();
    kp_app__app->p_OnUpdate();
    m__input->p_EndUpdate();
}

void c_GameDelegate::RenderGame() {
    int mode = m__graphics->BeginRender();
    if (mode != kRenderNone) kp_graphics_BeginRender();
    if (mode == kRenderLoading) {
        kp_app__app->p_OnLoading();
    } else {
        kp_app__app->p_OnRender();
    }
    if (mode != kRenderNone) kp_graphics_EndRender();
    m__graphics->EndRender();
}

void c_GameDelegate::KeyEvent(int event, int data) {
    m__input->p_KeyEvent(event, data);
    if (event != kEventKeyDown) return;
    if (data == kKeyClose) {
        kp_app__app->p_OnClose();
    } else if (data == kKeyBack) {
        kp_app__app->p_OnBack();
    }
}

void c_GameDelegate::MouseEvent(int event, int data, float x, float y) { m__input->p_MouseEvent(event, data, x, y); }

void c_GameDelegate::TouchEvent(int event, int data, float x, float y) { m__input->p_TouchEvent(event, data, x, y); }

void c_GameDelegate::MotionEvent(int event, int data, float x, float y, float z) {
    m__input->p_MotionEvent(event, data, x, y, z);
}

void c_GameDelegate::DiscardGraphics() { m__graphics->DiscardGraphics(); }

void c_GameDelegate::mark() {
    KpGameDelegate::mark();
    gc_mark_q(m__graphics);
    gc_mark_q(m__audio);
    gc_mark_q(m__input);
}

// ---- Module functions ----

int kp_app_SetUpdateRate(int hertz) {
    kp_app__updateRate = hertz;
    kp_app__game->SetUpdateRate(hertz);
    return 0;
}

int kp_app_UpdateRate() { return kp_app__updateRate; }

int kp_app_Millisecs() { return kp_app__game->Millisecs(); }

String kp_app_LoadState() { return kp_app__game->LoadState(); }

// A save that fails is told on standard output. The previous save is still
// whole (the state file is replaced atomically), the game goes on, and its
// next save writes the whole state again.
int kp_app_SaveState(const String& state) {
    const int result = kp_app__game->SaveState(state);
    if (result != 0) kpPrint(String(kSaveFailedLine));
    return result;
}

int kp_app_SaveBeside(const std::string& name, const std::vector<unsigned char>& bytes) {
    const int result = kp_app__game->SaveBesideState(name, bytes);
    if (result == kStateNoFolder) {
        const std::string folder = name.substr(0, name.rfind('/'));
        kpPrint(String((folder + " Save Failed: the folder cannot be made, " + name + " is not kept").c_str()));
    } else if (result != 0) {
        kpPrint(String((name + " Save Failed: the changes since its last save are not kept").c_str()));
    }
    return result;
}

void kp_app_RemoveStaleTempsBeside(const std::string& name) { kp_app__game->RemoveStaleTempsBeside(name); }

bool kp_app_LoadBeside(const std::string& name, std::vector<unsigned char>* bytes) {
    return kp_app__game->LoadBesideState(name, bytes);
}

void kp_app_EndApp() { kpError(String()); }

// ---- Asynchronous events ----

c_Stack* c_Stack::m_new() { return this; }

c_Stack* c_Stack::m_new2(Array<c_AsyncEventSource*> data) {
    Array<c_AsyncEventSource*> copy(data.Data(), data.Length());
    gc_assign(m_data, copy);
    m_length = data.Length();
    return this;
}

void c_Stack::p_Length(int newLength) {
    if (newLength < m_length) {
        for (int i = newLength; i < m_length; ++i) m_data[i] = m_NIL;
    } else if (newLength > m_data.Length()) {
        gc_assign(m_data, m_data.Resize(std::max(newLength, m_length * 2 + 10)));
    }
    m_length = newLength;
}

void c_Stack::p_Push(c_AsyncEventSource* source) {
    if (m_length == m_data.Length()) gc_assign(m_data, m_data.Resize(m_length * 2 + 10));
    m_data[m_length] = source;
    ++m_length;
}

bool c_Stack::p_Contains(c_AsyncEventSource* source) {
    for (int i = 0; i < m_length; ++i) {
        if (m_data.Get(i) == source) return true;
    }
    return false;
}

void c_Stack::p_RemoveEach(c_AsyncEventSource* source) {
    int kept = 0;
    for (int i = 0; i < m_length; ++i) {
        c_AsyncEventSource* element = m_data.Get(i);
        if (element != source) m_data[kept++] = element;
    }
    p_Length(kept);
}

void c_Stack::mark() {
    Object::mark();
    gc_mark_q(m_data);
}

int kp_asyncevent_UpdateAsyncEvents() {
    // A source that pumps again from inside its own update gets nothing.
    if (kp_asyncevent__current) return 0;
    int i = 0;
    while (i < kp_asyncevent__sources->p_Length2()) {
        gc_assign(kp_asyncevent__current, kp_asyncevent__sources->p_Get(i));
        kp_asyncevent__current->UpdateAsyncEvents();
        // A source that removed itself leaves its successor at index i.
        if (kp_asyncevent__current) ++i;
    }
    kp_asyncevent__current = nullptr;
    return 0;
}

int kp_asyncevent_AddAsyncEventSource(c_AsyncEventSource* source) {
    if (!kp_asyncevent__sources->p_Contains(source)) kp_asyncevent__sources->p_Push(source);
    return 0;
}

int kp_asyncevent_RemoveAsyncEventSource(c_AsyncEventSource* source) {
    // Tells a running pump that the source at its index has gone.
    if (source == kp_asyncevent__current) kp_asyncevent__current = nullptr;
    kp_asyncevent__sources->p_RemoveEach(source);
    return 0;
}
