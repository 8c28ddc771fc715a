// Fault handlers on Windows: faults nothing else handled (and stack
// overflows, before anything else) become runtime errors through sighandler,
// reported on a thread of their own, with a limit on how long that may take.
#include <windows.h>

#include <csignal>

#include "runtime/errors.h"

namespace {

constexpr ULONG kStackReserveBytes = 64 * 1024;
// How long the report may take. It normally ends the process at once (no
// debugger answers a window program); it never returns when the fault was
// taken while a lock the report needs was held (the output stream's, the
// heap's), and the process must end all the same.
constexpr DWORD kReportMillis = 5000;
// The status of a runtime error with no debugger to answer.
constexpr UINT kFaultExitStatus = static_cast<UINT>(-1);

// The signal a POSIX system would raise for the same fault, so that the
// report reads the same ("Memory access violation"...).
int SignalFor(DWORD code) {
    switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_STACK_OVERFLOW:
    case EXCEPTION_IN_PAGE_ERROR:
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
    case EXCEPTION_DATATYPE_MISALIGNMENT:
        return SIGSEGV;
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_PRIV_INSTRUCTION:
        return SIGILL;
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_INT_OVERFLOW:
    case EXCEPTION_FLT_DIVIDE_BY_ZERO:
    case EXCEPTION_FLT_INVALID_OPERATION:
    case EXCEPTION_FLT_OVERFLOW:
    case EXCEPTION_FLT_UNDERFLOW:
    case EXCEPTION_FLT_INEXACT_RESULT:
    case EXCEPTION_FLT_DENORMAL_OPERAND:
    case EXCEPTION_FLT_STACK_CHECK:
        return SIGFPE;
    default:
        return 0;
    }
}

DWORD WINAPI Report(void* signal) {
    sighandler(static_cast<int>(reinterpret_cast<intptr_t>(signal)));  // ends the process
    return 0;
}

// Reports the fault on a thread of its own (after a stack overflow the
// faulting thread has almost no stack left); the faulting thread waits for
// the report to end the process, and ends it itself when the report cannot
// be made or has not ended it in time. Nothing after a fault returns to the
// program.
LONG ReportFault(DWORD code) {
    const int signal = SignalFor(code);
    HANDLE reporter = CreateThread(nullptr, 0, Report, reinterpret_cast<void*>(static_cast<intptr_t>(signal)), 0, nullptr);
    if (reporter) WaitForSingleObject(reporter, kReportMillis);
    TerminateProcess(GetCurrentProcess(), kFaultExitStatus);
    return EXCEPTION_CONTINUE_SEARCH;
}

// Faults that nothing else handled.
LONG WINAPI OnUnhandledFault(EXCEPTION_POINTERS* fault) { return ReportFault(fault->ExceptionRecord->ExceptionCode); }

// A stack overflow is taken before the search for handlers, which itself
// needs more stack than is left; no code of the program handles one.
LONG WINAPI OnStackOverflow(EXCEPTION_POINTERS* fault) {
    const DWORD code = fault->ExceptionRecord->ExceptionCode;
    return code == EXCEPTION_STACK_OVERFLOW ? ReportFault(code) : EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

void kpInstallSignalHandlers() {
    // Stack kept in reserve for reporting an overflow of this (the main) thread.
    ULONG reserve = kStackReserveBytes;
    SetThreadStackGuarantee(&reserve);
    AddVectoredExceptionHandler(1, OnStackOverflow);
    SetUnhandledExceptionFilter(OnUnhandledFault);
}
