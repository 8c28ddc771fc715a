// What the host needs of the operating system: files named by UTF-16 paths,
// the local time, the data folder, and opening a URL in the user's browser.
// One implementation per system (platform_posix.cpp with open_url_posix.cpp,
// platform_win32.cpp).
#pragma once

#include <cstdio>
#include <ctime>

#include "runtime/string.h"

// Opens a file with the C library's modes ("rb", "wb"...). Null when it
// cannot be opened or when path or mode hold a NUL (which would shorten them).
FILE* kp_platform_OpenFile(const String& path, const String& mode);

// The local time of `when`; false when the system cannot convert it.
bool kp_platform_LocalTime(std::time_t when, std::tm* out);

// The folder "zephyr://data/" stands for, ending in a slash: "./data/",
// except where an installed game runs in the player's own folder and finds
// its data beside the program (Windows).
String kp_platform_DataFolder();

// Hands a URL to the desktop's opener; the result is not reported.
void kp_platform_OpenUrl(const String& url);
