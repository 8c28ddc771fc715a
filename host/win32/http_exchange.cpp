// One HTTP request through the system's WinHTTP.
#include <windows.h>
#include <winhttp.h>

#include <string>

#include "host/http_client.h"

namespace {

std::wstring Wide(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
    return wide;
}

// Closes the handles it was given in the reverse order.
struct Handles {
    HINTERNET session = nullptr, connection = nullptr, request = nullptr;
    ~Handles() {
        if (request) WinHttpCloseHandle(request);
        if (connection) WinHttpCloseHandle(connection);
        if (session) WinHttpCloseHandle(session);
    }
};

HttpAnswer Failed(const char* what) {
    HttpAnswer answer;
    answer.error = std::string(what) + " (WinHTTP error " + std::to_string(GetLastError()) + ")";
    return answer;
}

}  // namespace

HttpAnswer kp_http_Exchange(const HttpRequest& request) {
    const std::wstring url = Wide(request.url);
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (url.empty() || !WinHttpCrackUrl(url.c_str(), 0, 0, &parts)) return Failed("not an address");
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    const std::wstring path = std::wstring(parts.lpszUrlPath, parts.dwUrlPathLength) +
                              std::wstring(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    Handles h;
    h.session = WinHttpOpen(L"Glimmer", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                            WINHTTP_NO_PROXY_BYPASS, 0);
    if (!h.session) return Failed("no HTTP session");
    const int ms = request.timeoutSeconds * 1000;
    WinHttpSetTimeouts(h.session, 5000, 5000, ms, ms);
    h.connection = WinHttpConnect(h.session, host.c_str(), parts.nPort, 0);
    if (!h.connection) return Failed("no connection");
    const DWORD secure = parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0;
    h.request = WinHttpOpenRequest(h.connection, Wide(request.method).c_str(), path.c_str(), nullptr,
                                   WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, secure);
    if (!h.request) return Failed("no request");
    std::wstring headers;
    for (const auto& [name, value] : request.headers) headers += Wide(name + ": " + value + "\r\n");
    void* body = request.body.empty() ? WINHTTP_NO_REQUEST_DATA : const_cast<unsigned char*>(request.body.data());
    const DWORD size = static_cast<DWORD>(request.body.size());
    if (!WinHttpSendRequest(h.request, headers.empty() ? WINHTTP_NO_ADDITIONAL_HEADERS : headers.c_str(),
                            headers.empty() ? 0 : static_cast<DWORD>(-1), body, size, size, 0) ||
        !WinHttpReceiveResponse(h.request, nullptr)) {
        return Failed("no answer");
    }
    HttpAnswer answer;
    DWORD status = 0, statusSize = sizeof status;
    if (!WinHttpQueryHeaders(h.request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &statusSize, WINHTTP_NO_HEADER_INDEX)) {
        return Failed("no status");
    }
    for (;;) {
        char buffer[8192];
        DWORD got = 0;
        if (!WinHttpReadData(h.request, buffer, sizeof buffer, &got)) return Failed("the answer broke off");
        if (got == 0) break;
        answer.body.insert(answer.body.end(), buffer, buffer + got);
    }
    answer.status = static_cast<int>(status);
    return answer;
}
