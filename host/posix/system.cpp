// Files and the clock on POSIX systems (and in the browser, whose file system
// is emscripten's POSIX one): UTF-8 file names, localtime_r, "./data/".
#include "host/platform.h"

#include <string>

namespace {

// Appends the UTF-8 encoding of one code point.
void AppendUtf8(std::string* out, unsigned int c) {
    if (c < 0x80) {
        out->push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out->push_back(static_cast<char>(0xc0 | (c >> 6)));
        out->push_back(static_cast<char>(0x80 | (c & 0x3f)));
    } else if (c < 0x10000) {
        out->push_back(static_cast<char>(0xe0 | (c >> 12)));
        out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3f)));
        out->push_back(static_cast<char>(0x80 | (c & 0x3f)));
    } else {
        out->push_back(static_cast<char>(0xf0 | (c >> 18)));
        out->push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3f)));
        out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3f)));
        out->push_back(static_cast<char>(0x80 | (c & 0x3f)));
    }
}

// A UTF-16 path or mode as the NUL-terminated UTF-8 text the POSIX file API
// takes. Surrogate pairs become one four-byte sequence, as file names on disk
// hold them. False when the text holds a NUL, which would silently shorten it.
bool ToFileSystemText(const String& text, std::string* out) {
    out->clear();
    int n = text.Length();
    for (int i = 0; i < n; ++i) {
        unsigned int c = text[i];
        if (c == 0) return false;
        bool highSurrogate = c >= 0xd800 && c < 0xdc00;
        if (highSurrogate && i + 1 < n && text[i + 1] >= 0xdc00 && text[i + 1] < 0xe000) {
            c = 0x10000 + ((c - 0xd800) << 10) + (text[i + 1] - 0xdc00);
            ++i;
        }
        AppendUtf8(out, c);
    }
    return true;
}

}  // namespace

FILE* kp_platform_OpenFile(const String& path, const String& mode) {
    std::string nativePath;
    std::string nativeMode;
    if (!ToFileSystemText(path, &nativePath) || !ToFileSystemText(mode, &nativeMode)) return nullptr;
    return std::fopen(nativePath.c_str(), nativeMode.c_str());
}

bool kp_platform_LocalTime(std::time_t when, std::tm* out) { return localtime_r(&when, out) != nullptr; }

String kp_platform_DataFolder() { return String("./data/"); }
