// Output lines, fatal runtime errors and the debugger stop protocol.
//
// A runtime error prints "Zephyr Runtime Error : <message>" on standard output
// and then waits for a debugger command on standard input; with no debugger
// attached (no input) the process ends with status -1.
#pragma once

#include "runtime/string.h"

class Object;

extern const char* dbg_info;   // current source position for the stop banner; unset in this program
extern String dbg_exstack;     // stack trace captured by dbg_throw
extern int dbg_suspend;        // the debugger's last instruction
extern int dbg_stepmode;

int kpPrint(const String& text);      // UTF-8 line on standard output, flushed
int kpDebugLog(const String& text);   // same as kpPrint
void dbg_print(const String& text);   // low bytes and a line feed on standard error
[[noreturn]] void kpError(const String& message);  // empty message: exit 0
[[noreturn]] void dbg_error(const char* message);
String dbg_stacktrace();
[[noreturn]] void dbg_throw(const char* message);
void dbg_stop();
int kpDebugStop();
void sighandler(int signal);
// Fatal faults (SIGSEGV, SIGILL, SIGFPE, or the Windows faults nothing handled)
// become runtime errors through sighandler, stack overflows included.
void kpInstallSignalHandlers();

// Value formatting for the debugger.
String dbg_type(bool*);
String dbg_type(int*);
String dbg_type(float*);
String dbg_type(String*);
String dbg_value(bool value);
String dbg_value(int value);
String dbg_value(float value);
String dbg_value(const String& value);
