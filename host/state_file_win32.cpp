#include "host/state_file.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr const char* kTempInfix = ".tmp.";

KpStateFileIo g_io = kp_state_DefaultIo();

// Paths arrive as UTF-8; Windows names files in UTF-16.
std::wstring Widen(const std::string& text) {
    if (text.empty()) return std::wstring();
    int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

// Splits a file path into its folder ("." when there is none) and its name.
void SplitPath(const std::wstring& path, std::wstring* folder, std::wstring* name) {
    size_t slash = path.find_last_of(L"/\\");
    if (slash == std::wstring::npos) {
        *folder = L".";
        *name = path;
    } else {
        *folder = slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
        *name = path.substr(slash + 1);
    }
}

bool WriteAll(int fd, const unsigned char* data, size_t size) {
    while (size > 0) {
        ssize_t n = g_io.write(fd, data, size);
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// True when `text` is a non-empty run of decimal digits that fits a process id.
bool ParsePid(const wchar_t* text, DWORD* pid) {
    if (!*text) return false;
    unsigned long long value = 0;
    for (const wchar_t* p = text; *p; ++p) {
        if (*p < L'0' || *p > L'9') return false;
        value = value * 10 + static_cast<unsigned>(*p - L'0');
        if (value > 0xffffffffull) return false;
    }
    *pid = static_cast<DWORD>(value);
    return value > 0;
}

bool ProcessRuns(DWORD pid) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    // A process we may not open still exists.
    if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
    bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
}

}  // namespace

KpStateFileIo kp_state_DefaultIo() {
    KpStateFileIo io{};
    io.write = [](int fd, const void* data, size_t size) -> ssize_t {
        constexpr size_t kMaxWrite = 1u << 30;  // _write counts in unsigned int
        return _write(fd, data, static_cast<unsigned>(size < kMaxWrite ? size : kMaxWrite));
    };
    io.fsync = [](int fd) { return _commit(fd); };
    return io;
}

KpStateFileIo kp_state_SetIo(KpStateFileIo io) {
    KpStateFileIo previous = g_io;
    g_io = io;
    return previous;
}

std::string kp_state_TempName(const char* path) {
    return std::string(path) + kTempInfix + std::to_string(GetCurrentProcessId());
}

int kp_state_Save(const char* path, const String& state) {
    const std::wstring target = Widen(path);
    const std::wstring temp = Widen(kp_state_TempName(path));
    int fd = _wopen(temp.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
    if (fd < 0) return kStateCannotCreate;

    std::vector<unsigned char> bytes;
    state.Save(bytes);
    bool complete = WriteAll(fd, bytes.data(), bytes.size()) && g_io.fsync(fd) == 0;
    if (_close(fd) != 0) complete = false;
    if (!complete) {
        DeleteFileW(temp.c_str());
        return kStateShortWrite;
    }
    // Replaces the old save in one step, on disk before the call returns.
    if (!MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temp.c_str());
        return kStateCannotCreate;
    }
    return kStateSaved;
}

int kp_state_RemoveStaleTemps(const char* path) {
    std::wstring folder;
    std::wstring name;
    SplitPath(Widen(path), &folder, &name);
    const std::wstring prefix = name + Widen(kTempInfix);

    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((folder + L"\\" + prefix + L"*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return 0;
    std::vector<std::wstring> stale;
    do {
        // The pattern may also match by a file's short name.
        if (std::wcsncmp(entry.cFileName, prefix.c_str(), prefix.size()) != 0) continue;
        DWORD pid = 0;
        if (!ParsePid(entry.cFileName + prefix.size(), &pid)) continue;
        // Another running copy of the program may be saving right now.
        if (pid != GetCurrentProcessId() && ProcessRuns(pid)) continue;
        stale.push_back(folder + L"\\" + entry.cFileName);
    } while (FindNextFileW(search, &entry));
    FindClose(search);

    int removed = 0;
    for (const std::wstring& file : stale) {
        if (DeleteFileW(file.c_str())) ++removed;
    }
    return removed;
}
