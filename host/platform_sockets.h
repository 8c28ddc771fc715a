// The system's Berkeley socket declarations for the socket module, its
// backends and its tests: Winsock on Windows, the POSIX headers elsewhere.
// Part of the platform map (host/platform.h): the one platform test of the C++.
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

#include "host/platform.h"
