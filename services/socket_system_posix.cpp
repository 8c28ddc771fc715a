#include "services/socket_system.h"

#include <unistd.h>

const int kSocketSendFlags = MSG_NOSIGNAL;

void kp_socket_Startup() {}

int kp_socket_Create(int type, int protocol) { return ::socket(AF_INET, type | SOCK_CLOEXEC, protocol); }

int kp_socket_Accept(int handle) { return ::accept4(handle, nullptr, nullptr, SOCK_CLOEXEC); }

int kp_socket_Close(int handle) { return ::close(handle); }
