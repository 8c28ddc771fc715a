#include "host/game_host.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>

#include "host/platform.h"
#include "host/state_file.h"
#include "runtime/errors.h"
#include "runtime/gc.h"

const char* const kStateFileName = "./.zephyrstate";

int kpGraphicsSeq = 0;

KpGame* KpGame::_game = nullptr;

namespace {

constexpr int kReadBlock = 4096;
constexpr size_t kMaxDataBytes = 0x7fffffff;   // the length is reported as an int
constexpr int kDateFields = 7;

// Runs the delegate call of a guarded entry: an exception escaping it ends
// the program through Die; one collection step follows.
template <class Call>
void RunGuarded(KpGame* game, KpGameDelegate* delegate, Call call) {
    try {
        if (delegate) call(delegate);
    } catch (ThrowableObject* exception) {
        game->Die(exception);
    } catch (...) {
        game->Die(nullptr);
    }
    game->gc_collect();
}

}  // namespace

KpGame::KpGame() { _game = this; }

KpGame::~KpGame() {
    if (_game == this) _game = nullptr;
}

void KpGame::SetDelegate(KpGameDelegate* delegate) { delegate_ = delegate; }

void KpGame::GetDate(Array<int> date) {
    int n = date.Length();
    if (n == 0) return;
    std::time_t now = std::time(nullptr);
    std::tm local{};
    if (!kp_platform_LocalTime(now, &local)) return;
    const int fields[kDateFields] = {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                     local.tm_hour,        local.tm_min,     local.tm_sec, 0};
    for (int i = 0; i < n && i < kDateFields; ++i) date[i] = fields[i];
}

int KpGame::SaveState(const String& state) { return kp_state_Save(StateFilePath().c_str(), state); }

String KpGame::LoadState() {
    // A save interrupted by a crash or a kill leaves its temporary file behind.
    kp_state_RemoveStaleTemps(StateFilePath().c_str());
    return LoadString(String(StateFilePath().c_str()));
}

std::string KpGame::BesideStatePath(const std::string& name) {
    const std::string state = StateFilePath();
    const size_t slash = state.find_last_of(kPathSeparators);
    return (slash == std::string::npos ? std::string("./") : state.substr(0, slash + 1)) + name;
}

int KpGame::SaveBesideState(const std::string& name, const std::vector<unsigned char>& bytes) {
    const std::string path = BesideStatePath(name);
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        if (!kp_file_MakeFolder(path.substr(0, slash))) return kStateNoFolder;
    }
    return kp_state_SaveBytes(path.c_str(), bytes.data(), bytes.size());
}

int KpGame::RemoveStaleTempsBeside(const std::string& name) {
    const std::string path = BesideStatePath(name);
    if (!path.empty() && path.back() == '/') return kp_state_RemoveStaleTempsIn(path.substr(0, path.size() - 1).c_str());
    return kp_state_RemoveStaleTemps(path.c_str());
}

bool KpGame::LoadBesideState(const std::string& name, std::vector<unsigned char>* bytes) {
    bytes->clear();
    FILE* file = kp_platform_OpenFile(String(BesideStatePath(name).c_str()), String("rb"));
    if (!file) return false;
    unsigned char block[kReadBlock];
    for (size_t n; (n = std::fread(block, 1, sizeof block, file)) > 0;) bytes->insert(bytes->end(), block, block + n);
    const bool read = std::ferror(file) == 0;
    std::fclose(file);
    return read;
}

String KpGame::LoadString(const String& path) {
    FILE* file = OpenFile(path, String("rb"));
    if (!file) return String();
    String text = String::Load(file);
    std::fclose(file);
    return text;
}

bool KpGame::PollJoystick(int port, Array<float> joyx, Array<float> joyy, Array<float> joyz, Array<bool> buttons) {
    (void)port;
    (void)joyx;
    (void)joyy;
    (void)joyz;
    (void)buttons;
    return false;
}

FILE* KpGame::OpenFile(const String& path, const String& mode) {
    String filePath = PathToFilePath(path);
    if (filePath.Length() == 0) return nullptr;
    return kp_platform_OpenFile(filePath, mode);
}

bool KpGame::LoadFileBytes(const String& path, size_t limit, std::vector<unsigned char>* bytes) {
    bytes->clear();
    FILE* file = OpenFile(path, String("rb"));
    if (!file) return false;
    unsigned char block[kReadBlock];
    bool fits = true;
    for (size_t n; fits && (n = std::fread(block, 1, sizeof block, file)) > 0;) {
        fits = n <= limit - bytes->size();
        if (fits) bytes->insert(bytes->end(), block, block + n);
    }
    const bool read = fits && std::ferror(file) == 0;
    std::fclose(file);
    if (!read) bytes->clear();
    return read;
}

// The same as a malloc'd block with an int length, as the data buffers take it.
unsigned char* KpGame::LoadData(const String& path, int* length) {
    std::vector<unsigned char> bytes;
    if (!LoadFileBytes(path, kMaxDataBytes, &bytes)) return nullptr;
    unsigned char* data = static_cast<unsigned char*>(std::malloc(bytes.empty() ? 1 : bytes.size()));
    if (!data) return nullptr;
    std::copy(bytes.begin(), bytes.end(), data);
    *length = static_cast<int>(bytes.size());
    return data;
}

void KpGame::Die(ThrowableObject* exception) {
    (void)exception;
    kpPrint(String("Zephyr Runtime Error : Uncaught Zephyr Exception"));
    std::exit(-1);
}

void KpGame::gc_collect() {
    gc_mark_q(delegate_);
    ::gc_collect();
}

void KpGame::StartGame() {
    if (started_) return;
    started_ = true;
    RunGuarded(this, delegate_, [&](KpGameDelegate* d) { d->StartGame(); });
}

void KpGame::SuspendGame() {
    if (!started_ || suspended_) return;
    suspended_ = true;
    RunGuarded(this, delegate_, [&](KpGameDelegate* d) { d->SuspendGame(); });
}

void KpGame::ResumeGame() {
    if (!started_ || !suspended_) return;
    suspended_ = false;
    RunGuarded(this, delegate_, [&](KpGameDelegate* d) { d->ResumeGame(); });
}

void KpGame::UpdateGame() {
    if (!started_ || suspended_) return;
    RunGuarded(this, delegate_, [&](KpGameDelegate* d) { d->UpdateGame(); });
}

void KpGame::RenderGame() {
    if (!started_) return;
    RunGuarded(this, delegate_, [&](KpGameDelegate* d) { d->RenderGame(); });
}

void KpGame::KeyEvent(int event, int data) {
    if (!started_) return;
    RunGuarded(this, delegate_, [&](KpGameDelegate* d) { d->KeyEvent(event, data); });
}

void KpGame::MouseEvent(int event, int data, float x, float y) {
    if (!started_) return;
    RunGuarded(this, delegate_, [&](KpGameDelegate* d) { d->MouseEvent(event, data, x, y); });
}

void KpGame::TouchEvent(int event, int data, float x, float y) {
    if (!started_) return;
    RunGuarded(this, delegate_, [&](KpGameDelegate* d) { d->TouchEvent(event, data, x, y); });
}

void KpGame::MotionEvent(int event, int data, float x, float y, float z) {
    if (!started_) return;
    RunGuarded(this, delegate_, [&](KpGameDelegate* d) { d->MotionEvent(event, data, x, y, z); });
}

void KpGame::DiscardGraphics() {
    if (!started_) return;
    RunGuarded(this, delegate_, [&](KpGameDelegate* d) { d->DiscardGraphics(); });
}

