// The state file's system calls on Windows: UTF-16 names, _commit, and
// MoveFileExW, which replaces the old file in one step, on disk before it
// returns (and fails, keeping it, while another program holds it open).
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include "host/platform.h"

const char* const kPathSeparators = "/\\";

namespace {

// UTF-8 to the UTF-16 names Windows gives files. False for text that is not
// valid UTF-8: converting it anyway would name another file.
bool Widen(const std::string& text, std::wstring* out) {
    out->clear();
    if (text.empty()) return true;
    const int size = static_cast<int>(text.size());
    const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    if (n <= 0) return false;
    out->resize(static_cast<size_t>(n));
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, out->data(), n) == n;
}

// A file name back to UTF-8; false for one that is not valid UTF-16.
bool Narrow(const wchar_t* text, std::string* out) {
    const int n = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return false;
    out->resize(static_cast<size_t>(n));
    if (WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text, -1, out->data(), n, nullptr, nullptr) != n) return false;
    out->pop_back();  // the NUL
    return true;
}

}  // namespace

int kp_file_CreateForWrite(const std::string& path) {
    std::wstring name;
    if (!Widen(path, &name)) return -1;
    return _wopen(name.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}

int kp_file_Write(int handle, const void* data, size_t size) {
    return _write(handle, data, static_cast<unsigned>(size < kMaxFileWrite ? size : kMaxFileWrite));
}

int kp_file_Sync(int handle) { return _commit(handle) == 0 ? 0 : -1; }

int kp_file_Close(int handle) { return _close(handle) == 0 ? 0 : -1; }

bool kp_file_Replace(const std::string& from, const std::string& to) {
    std::wstring source;
    std::wstring target;
    if (!Widen(from, &source) || !Widen(to, &target)) return false;
    return MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool kp_file_Remove(const std::string& path) {
    std::wstring name;
    return Widen(path, &name) && DeleteFileW(name.c_str()) != 0;
}

bool kp_file_MakeFolder(const std::string& path) {
    std::wstring name;
    if (!Widen(path, &name)) return false;
    if (CreateDirectoryW(name.c_str(), nullptr) != 0) return true;
    const DWORD attributes = GetFileAttributesW(name.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::vector<std::string> kp_file_List(const std::string& folder) {
    std::vector<std::string> names;
    std::wstring pattern;
    if (!Widen(folder, &pattern)) return names;
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((pattern + L"\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        std::string name;
        if (Narrow(entry.cFileName, &name)) names.push_back(name);
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    return names;
}

unsigned long kp_process_Id() { return GetCurrentProcessId(); }

bool kp_process_Runs(unsigned long pid) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
    // A process we may not open still exists.
    if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
    const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
}
