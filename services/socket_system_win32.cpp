#include "services/socket_system.h"

#include <atomic>

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

void kp_socket_Startup() {
    static std::atomic<bool> started{false};
    if (started.exchange(true)) return;
    WSADATA data;
    if (WSAStartup(kWinsockVersion, &data) != 0) started = false;
}

int kp_socket_Create(int type, int protocol) { return ToHandle(::socket(AF_INET, type, protocol)); }

int kp_socket_Accept(int handle) { return ToHandle(::accept(static_cast<SOCKET>(handle), nullptr, nullptr)); }

int kp_socket_Close(int handle) { return ::closesocket(static_cast<SOCKET>(handle)) == 0 ? 0 : -1; }
