// The parts of the socket library that differ between platforms.
//
// CTcpConnection calls the BSD socket functions directly; what it cannot call
// the same way everywhere lives here: the handle type, library start-up, IPv4
// name resolution, a connect that gives up, and turning the system's error
// into the last-error value.
#pragma once

#include <cstdint>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#endif

namespace platform {

#ifdef _WIN32
using SocketHandle = SOCKET;
constexpr int kNoSignalFlag = 0;  // Winsock raises no signal on a closed peer
#else
using SocketHandle = int;
constexpr int kNoSignalFlag = MSG_NOSIGNAL;  // a closed peer must not kill the process
#endif
constexpr SocketHandle kInvalidSocket = static_cast<SocketHandle>(-1);

// Makes the socket library usable; 1 on success. Call once at start-up.
int StartSockets();

// A dotted IPv4 address first, then the resolver: 1 with the address in
// network byte order, or 0 with last-error kInvalidArgument.
int ResolveIPv4(const char* host, in_addr& address);

// connect() that gives up after timeoutMs without an answer (last-error
// kTimedOut). The socket is left in blocking mode. 1 on success.
int ConnectWithTimeout(SocketHandle socket, const sockaddr* address, int length,
                       uint32_t timeoutMs);

// Copies the socket library's error of the last failed call into last-error,
// in Winsock numbering.
void SaveSocketError();

int CloseSocketHandle(SocketHandle socket);

// Switches a socket between blocking and non-blocking mode; 1 on success.
int SetBlocking(SocketHandle socket, bool blocking);

}  // namespace platform
