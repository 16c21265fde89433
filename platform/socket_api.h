// The system's socket API, for the code that calls it directly: the platform
// layer, the TCP connection and the tests' own servers. On Windows that is
// Winsock 2, whose headers bring in windows.h.
#pragma once

#ifdef _WIN32
#include "platform/windows_api.h"
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#endif
