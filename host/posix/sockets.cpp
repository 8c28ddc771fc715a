// Sockets on POSIX systems: descriptors closed on exec, and sends that never
// raise SIGPIPE (MSG_NOSIGNAL, POSIX.1-2008).
#include <fcntl.h>
#include <unistd.h>

#include "host/platform_sockets.h"

namespace {

// Close-on-exec is set right after the descriptor is made: the only program
// the game starts (the URL opener) is spawned from the main thread.
int NotInherited(int handle) {
    if (handle >= 0) fcntl(handle, F_SETFD, FD_CLOEXEC);
    return handle;
}

}  // namespace

const int kSocketSendFlags = MSG_NOSIGNAL;

void kp_socket_Startup() {}

int kp_socket_Create(int type, int protocol) { return NotInherited(::socket(AF_INET, type, protocol)); }

int kp_socket_Accept(int handle) { return NotInherited(::accept(handle, nullptr, nullptr)); }

int kp_socket_Close(int handle) { return ::close(handle); }
