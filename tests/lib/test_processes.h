// Whether a process the test started still runs: a stopped tool must be gone
// (ended and reaped), not left behind.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <sys/types.h>
#endif

inline bool ProcessRuns(long id) {
    if (id <= 0) return false;
#ifdef _WIN32
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(id));
    if (!process) return false;
    const bool runs = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return runs;
#else
    return kill(static_cast<pid_t>(id), 0) == 0;   // a child not reaped still answers
#endif
}
