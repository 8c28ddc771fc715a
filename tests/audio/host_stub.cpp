// A minimal KpGame and data-path mapping for building the audio tests where
// the host library is not part of the build; only opening files is real.
#include <cstdlib>

#include "host/data_paths.h"
#include "host/game_host.h"

KpGame* KpGame::_game = nullptr;

KpGame::KpGame() { _game = this; }
KpGame::~KpGame() {
    if (_game == this) _game = nullptr;
}
void KpGame::SetDelegate(KpGameDelegate* delegate) { delegate_ = delegate; }
void KpGame::GetDate(Array<int>) {}
int KpGame::SaveState(const String&) { return -1; }
String KpGame::LoadState() { return String(); }
String KpGame::LoadString(const String&) { return String(); }
bool KpGame::PollJoystick(int, Array<float>, Array<float>, Array<float>, Array<bool>) { return false; }
FILE* KpGame::OpenFile(const String& path, const String& mode) {
    std::string name = PathToFilePath(path).ToUtf8();
    if (name.empty()) return nullptr;
    return std::fopen(name.c_str(), mode.ToUtf8().c_str());
}
unsigned char* KpGame::LoadData(const String&, int*) { return nullptr; }
void KpGame::Die(ThrowableObject*) { std::abort(); }
void KpGame::gc_collect() {}
void KpGame::StartGame() {}
void KpGame::SuspendGame() {}
void KpGame::ResumeGame() {}
void KpGame::UpdateGame() {}
void KpGame::RenderGame() {}
void KpGame::KeyEvent(int, int) {}
void KpGame::MouseEvent(int, int, float, float) {}
void KpGame::TouchEvent(int, int, float, float) {}
void KpGame::MotionEvent(int, int, float, float, float) {}
void KpGame::DiscardGraphics() {}
unsigned char* KpGame::LoadImageData(const String&, int*, int*, int*) { return nullptr; }

String kp_data_FixDataPath(const String& path) {
    int colon = path.Find(String(":/"));
    if (colon != -1 && path.Find(String("/")) == colon + 1) return path;
    if (path.StartsWith(String("./")) || path.StartsWith(String("/"))) return path;
    return String("zephyr://data/") + path;
}

String kp_data_MapVirtualPath(const String& path) {
    const char* const roots[][2] = {{"zephyr://data/", "./data/"},
                                    {"zephyr://internal/", "./internal/"},
                                    {"zephyr://external/", "./external/"}};
    if (!path.StartsWith(String("zephyr:"))) return path;
    for (const auto& root : roots) {
        String prefix(root[0]);
        if (path.StartsWith(prefix)) return String(root[1]) + path.Slice(prefix.Length());
    }
    return String();
}
