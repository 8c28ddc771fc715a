// Files and the clock on Windows: UTF-16 file names, localtime_s, and the
// data folder beside the program for the installed game.
#include "host/platform.h"

#include <windows.h>

#include <string>

namespace {

constexpr const wchar_t* kDataFolderName = L"data";

// The text as NUL-terminated UTF-16 for the wide Windows calls; false when
// it holds a NUL, which would silently shorten it.
bool ToWide(const String& text, std::wstring* out) {
    out->assign(text.Data(), text.Data() + text.Length());
    return out->find(L'\0') == std::wstring::npos;
}

bool IsFolder(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The folder of the running program, with a trailing backslash; empty when
// the system cannot say.
std::wstring ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return std::wstring();
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

}  // namespace

FILE* kp_platform_OpenFile(const String& path, const String& mode) {
    std::wstring widePath;
    std::wstring wideMode;
    if (!ToWide(path, &widePath) || !ToWide(mode, &wideMode)) return nullptr;
    return _wfopen(widePath.c_str(), wideMode.c_str());
}

bool kp_platform_LocalTime(std::time_t when, std::tm* out) { return localtime_s(out, &when) == 0; }

String kp_platform_DataFolder() {
    // The portable game and the tests run beside their data; the installed
    // game runs in the player's folder, so there only the program's folder has it.
    if (IsFolder(kDataFolderName)) return String("./data/");
    static const std::wstring beside = ProgramFolder() + kDataFolderName;
    if (beside.size() > wcslen(kDataFolderName) && IsFolder(beside)) {
        std::u16string units(beside.begin(), beside.end());
        return String(units.data(), static_cast<int>(units.size())) + String("/");
    }
    return String("./data/");
}
