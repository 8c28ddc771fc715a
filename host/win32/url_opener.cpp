// Opening URLs on Windows: the shell's "open" verb.
#include "host/platform.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

void kp_platform_OpenUrl(const String& url) {
    // The text as NUL-terminated UTF-16; one holding a NUL would be shortened.
    std::wstring wide(url.Data(), url.Data() + url.Length());
    if (wide.find(L'\0') != std::wstring::npos) return;
    ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
