// UTF-8 text and the UTF-16 text of the Windows API, both ways, for the
// Windows backends of the host (file names, command lines).
#pragma once

#include <windows.h>

#include <string>

// False for text that is not valid UTF-8 or that holds a NUL: converting it
// anyway would name another file or cut an argument short.
inline bool Widen(const std::string& text, std::wstring* out) {
    out->clear();
    if (text.empty()) return true;
    const int size = static_cast<int>(text.size());
    const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    if (n <= 0) return false;
    out->resize(static_cast<size_t>(n));
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, &(*out)[0], n) == n &&
           out->find(L'\0') == std::wstring::npos;
}

// Back to UTF-8; false for text that is not valid UTF-16.
inline bool Narrow(const wchar_t* text, std::string* out) {
    const int n = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return false;
    out->resize(static_cast<size_t>(n));
    if (WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text, -1, &(*out)[0], n, nullptr, nullptr) != n) return false;
    out->pop_back();  // the NUL
    return true;
}
