// The POSIX calls of the test suites and test tools that mingw's C library
// lacks, for the Windows test build only (force-included there).
#pragma once

#ifdef _WIN32
#include <direct.h>
#include <io.h>
#include <stdlib.h>
#include <windows.h>
#include <tlhelp32.h>
#undef LoadString  // the name of KpGame::LoadString, not the resource call

inline int setenv(const char* name, const char* value, int overwrite) {
    if (!overwrite && getenv(name)) return 0;
    return _putenv_s(name, value) == 0 ? 0 : -1;
}

inline char* mkdtemp(char* pattern) { return _mktemp(pattern) && _mkdir(pattern) == 0 ? pattern : nullptr; }

inline int mkdir(const char* path, int /*mode: Windows has none*/) { return _mkdir(path); }

// The process that created this one (a death test's child asks for its parent).
inline int getppid() {
    const DWORD self = GetCurrentProcessId();
    DWORD parent = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more && !parent; more = Process32Next(snapshot, &entry)) {
        if (entry.th32ProcessID == self) parent = entry.th32ParentProcessID;
    }
    CloseHandle(snapshot);
    return static_cast<int>(parent);
}
#endif
