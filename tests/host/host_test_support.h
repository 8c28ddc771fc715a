// Helpers shared by the host tests: a private working folder and whole-file I/O.
#pragma once

#include <string>

#include "runtime/string.h"

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

// Makes a fresh folder the working folder; restores the old one and removes
// the new one on destruction.
class ScopedWorkFolder {
public:
    ScopedWorkFolder();
    ~ScopedWorkFolder();
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    std::string previous_;
};

std::string ReadFileBytes(const std::string& path);  // empty when missing
void WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
String Utf16(const std::u16string& text);  // a String of UTF-16 units, for texts beyond ASCII
