// The state file's system calls on Windows: UTF-16 names, _commit, and
// MoveFileExW, which replaces the old file in one step, on disk before it
// returns (and fails, keeping it, while another program holds it open).
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include "host/platform.h"
#include "host/win32/wide_text.h"

const char* const kPathSeparators = "/\\";

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
