// The few socket calls that differ between POSIX systems and Windows; every
// other call is the same Berkeley socket API on both. Handles are ints, -1
// when invalid. One implementation per system (socket_system_posix.cpp,
// socket_system_win32.cpp).
#pragma once

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#endif

// Starts the system's socket library once per process (Windows).
void kp_socket_Startup();

// A new socket that child processes do not inherit, or -1.
int kp_socket_Create(int type, int protocol);

// A connection taken from a listening socket (not inherited), or -1.
int kp_socket_Accept(int handle);

// Closes a handle; 0 or -1.
int kp_socket_Close(int handle);

// Flags for send and sendto: a peer that has gone gives -1, never a signal.
extern const int kSocketSendFlags;
