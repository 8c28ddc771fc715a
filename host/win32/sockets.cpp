// Sockets on Windows: Winsock, started once per process; handles not inherited.
#include <mutex>

#include "host/platform_sockets.h"

namespace {

// Windows has no broken-pipe signal to suppress.
constexpr int kNoFlags = 0;
// The version the runtime has always asked for; every call it makes exists there.
constexpr WORD kWinsockVersion = MAKEWORD(1, 1);

// Windows socket handles are kernel handles, small enough for an int.
int ToHandle(SOCKET socket) {
    if (socket == INVALID_SOCKET) return -1;
    SetHandleInformation(reinterpret_cast<HANDLE>(socket), HANDLE_FLAG_INHERIT, 0);
    return static_cast<int>(socket);
}

}  // namespace

const int kSocketSendFlags = kNoFlags;

// Every caller returns only once WSAStartup has finished, so no thread makes a
// socket call before the library is up. A failed start is not retried: the
// calls that follow fail and report it as their result.
void kp_socket_Startup() {
    static std::once_flag started;
    std::call_once(started, [] {
        WSADATA data;
        WSAStartup(kWinsockVersion, &data);
    });
}

int kp_socket_Create(int type, int protocol) { return ToHandle(::socket(AF_INET, type, protocol)); }

int kp_socket_Accept(int handle) { return ToHandle(::accept(static_cast<SOCKET>(handle), nullptr, nullptr)); }

int kp_socket_Close(int handle) { return ::closesocket(static_cast<SOCKET>(handle)) == 0 ? 0 : -1; }
