// The socket library as this program uses it: start-up, IPv4 name
// resolution, a connect that gives up, sends that never raise a signal,
// a poll that never waits, and the library's errors in Winsock numbering.
// What differs between Windows and the others lives in sockets.cpp; this
// header brings in no system header.
#pragma once

#include <cstdint>

struct in_addr;
struct sockaddr;

namespace platform {

#ifdef _WIN32
using SocketHandle = uintptr_t;  // SOCKET
#else
using SocketHandle = int;
#endif
constexpr SocketHandle kInvalidSocket = static_cast<SocketHandle>(-1);

// Makes the socket library usable; 1 on success. Call once at start-up.
int StartSockets();

// A new IPv4 TCP socket, kInvalidSocket with last-error on failure. This and
// ConnectWithTimeout live in tcp_streams.cpp, which the fuzzer replaces.
SocketHandle OpenStream();

// A dotted IPv4 address first, then the resolver: 1 with the address in
// network byte order, or 0 with last-error kInvalidArgument.
int ResolveIPv4(const char* host, in_addr& address);

// connect() that gives up after timeoutMs without an answer (last-error
// kTimedOut). The socket is left in blocking mode. 1 on success.
int ConnectWithTimeout(SocketHandle socket, const sockaddr* address, int length,
                       uint32_t timeoutMs);

// send() and recv() as the library gives them (-1 on failure); a send to a
// peer that has gone fails instead of raising a signal.
int SendBytes(SocketHandle socket, const char* data, int count);
int ReceiveBytes(SocketHandle socket, char* buffer, int room);

// Polls without waiting: 1 with dataWaiting set when a receive would not
// block (data, or a closed peer), -1 when the poll failed.
int PollReadable(SocketHandle socket, int& dataWaiting);

// Switches a socket between blocking and non-blocking mode; 1 on success.
int SetBlocking(SocketHandle socket, bool blocking);

// Copies the socket library's error of the last failed call into last-error,
// in Winsock numbering.
void SaveSocketError();

// 0 when closed, -1 on failure.
int CloseSocketHandle(SocketHandle socket);

}  // namespace platform
