// What the host and framework tests share besides tests/lib: how the system
// reports exit(-1), whether held files block a replacement, UTF-16 texts.
#pragma once

#include <string>

#include "runtime/string.h"
#include "tests/lib/test_files.h"

// exit(-1) as the system reports it to the parent: 255 on POSIX systems, -1
// on Windows; and whether a file held open by another handle blocks its
// replacement (Windows).
#ifdef _WIN32
constexpr int kExitStatusMinusOne = -1;
constexpr bool kHeldFilesCannotBeReplaced = true;
#else
constexpr int kExitStatusMinusOne = 255;
constexpr bool kHeldFilesCannotBeReplaced = false;
#endif

String Utf16(const std::u16string& text);  // a String of UTF-16 units, for texts beyond ASCII
