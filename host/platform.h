// What a platform supplies, and which backend supplies it: the one map of the
// platform layer. Shared code names no backend; it calls what is declared
// here and in the headers the table names, and each backend folder under
// host/ defines it. host/platform.cmake picks a build's folders.
//
//   Supply                            Declared in             Linux       Windows     Browser
//   window, main loop, input, the     host/loop_game.h        host/glfw   host/glfw   host/web
//     buffer swap, program entry      (key codes: host/key_codes.h)
//   GL pipeline                       host/gl_pipeline.h      host/glfw   host/glfw   host/web
//   audio: OpenAL, Vorbis decoding    audio/vorbis_decode.h   system libraries        emscripten's OpenAL;
//                                                                                     libvorbis built for it
//   files, local time, data folder,   here                    host/posix  host/win32  host/posix, and
//     the state file's system calls                                                   host/web keeps saves
//   opening URLs                      here                    host/posix  host/win32  host/web
//   sockets                           here                    host/posix  host/win32  (none)
//   threads                           services/thread.h       std::thread (services)  services/thread_none.cpp
//   fault handlers                    runtime/errors.h        host/posix  host/win32  host/web (none)
//
// A windowless host for the tests and tools, on the system backend's files,
// is host/headless (the library host_headless): the caller's clock, no GL
// context. Nothing under host/ includes a header of the layers above it
// (the engine, the framework, the game); the program's start-up above is
// reached through kp_std_main (host/game_host.h).
//
// A backend folder names each file for the supply it implements, the same
// name in every folder (system.cpp, url_opener.cpp, state_file_io.cpp,
// sockets.cpp, fault_handlers.cpp, game.cpp, input.cpp, gl_pipeline.cpp,
// main.cpp). The browser's file system is POSIX (emscripten's), so the
// browser build uses host/posix for files and the state file. The one
// platform test of the C++ is host/platform_sockets.h, which picks the
// system's socket headers.
#pragma once

#include <cstddef>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "runtime/string.h"

// ---- Files and the clock (system.cpp) ----

// Opens a file with the C library's modes ("rb", "wb"...). Null when it
// cannot be opened or when path or mode hold a NUL (which would shorten them).
FILE* kp_platform_OpenFile(const String& path, const String& mode);
// The local time of `when`; false when the system cannot convert it.
bool kp_platform_LocalTime(std::time_t when, std::tm* out);
// The folder "zephyr://data/" stands for, ending in a slash: "./data/",
// except where an installed game runs in the player's own folder and finds
// its data beside the program (Windows).
String kp_platform_DataFolder();

// ---- Opening URLs (url_opener.cpp) ----

// Hands a URL to the desktop's opener (a new tab in the browser); the result is not reported.
void kp_platform_OpenUrl(const String& url);

// ---- The state file's system calls (state_file_io.cpp) ----
// host/state_file.h builds the atomic save on these. Paths are UTF-8 (the
// state file refuses any that is not); a backend whose system names files
// otherwise refuses text that does not convert, never maps it to another name.

constexpr size_t kMaxFileWrite = size_t{1} << 30;  // the most one kp_file_Write call writes
extern const char* const kPathSeparators;         // "/", and "\\" too on Windows

int kp_file_CreateForWrite(const std::string& path);        // new or truncated, not inherited; handle or -1
int kp_file_Write(int handle, const void* data, size_t size);  // bytes written (at most kMaxFileWrite) or -1
int kp_file_Sync(int handle);                                // contents on disk: 0 or -1
int kp_file_Close(int handle);                               // 0 or -1
bool kp_file_Replace(const std::string& from, const std::string& to);  // atomic rename over `to`, on disk
bool kp_file_Remove(const std::string& path);
bool kp_file_MakeFolder(const std::string& path);           // made, or a folder there already
std::vector<std::string> kp_file_List(const std::string& folder);      // entry names; empty when unreadable
unsigned long kp_process_Id();                               // this process
bool kp_process_Runs(unsigned long pid);                     // true when unsure

// ---- Sockets (sockets.cpp; the system's headers: host/platform_sockets.h) ----
// Handles are ints, -1 when invalid; every other socket call is the same
// Berkeley socket API on every system.

void kp_socket_Startup();                      // the system's socket library, started once per process
int kp_socket_Create(int type, int protocol);  // an IPv4 socket children do not inherit, or -1
int kp_socket_Accept(int handle);              // a connection taken from a listening socket, or -1
int kp_socket_Close(int handle);               // 0 or -1
extern const int kSocketSendFlags;             // a peer that has gone gives -1 from send, never a signal
