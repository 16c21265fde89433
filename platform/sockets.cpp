#include "platform/sockets.h"

#include <cerrno>

#include "platform/last_error.h"
#include "platform/socket_api.h"

#ifndef _WIN32
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <unistd.h>
#endif

namespace platform {

#ifdef _WIN32

int StartSockets() {
    WSADATA data;
    const int error = WSAStartup(MAKEWORD(2, 2), &data);
    SetLastError(error);
    return error == 0 ? 1 : 0;
}

// Winsock's numbers are the ones this program reports.
void SaveSocketError() {
    SetLastError(WSAGetLastError());
}

int CloseSocketHandle(SocketHandle socket) {
    return closesocket(socket) == 0 ? 0 : -1;
}

int SetBlocking(SocketHandle socket, bool blocking) {
    u_long nonBlocking = blocking ? 0 : 1;
    return ioctlsocket(socket, FIONBIO, &nonBlocking) == 0;
}

int SendBytes(SocketHandle socket, const char* data, int count) {
    return send(socket, data, count, 0);  // Winsock raises no signal
}

// select() is Winsock's own poll; its descriptor count is ignored.
int PollReadable(SocketHandle socket, int& dataWaiting) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(socket, &readable);
    timeval noWait{0, 0};
    const int ready = select(0, &readable, nullptr, nullptr, &noWait);
    dataWaiting = ready > 0 ? 1 : 0;
    return ready == SOCKET_ERROR ? -1 : 1;
}

#else

int StartSockets() {
    return 1;
}

// Winsock numbers for the errors a client socket meets; others pass through.
void SaveSocketError() {
    static const struct {
        int posix, winsock;
    } kNumbers[] = {
        {EBADF, kBadHandle},
        {EINVAL, kInvalidArgument},
        {EWOULDBLOCK, kWouldBlock},
        {EINPROGRESS, kInProgress},
        {ENOTSOCK, kNotASocket},
        {EAFNOSUPPORT, kAddressFamilyNotSupported},
        {EADDRNOTAVAIL, kAddressNotAvailable},
        {ENETDOWN, kNetworkDown},
        {ENETUNREACH, kNetworkUnreachable},
        {ECONNABORTED, kConnectionAborted},
        {ECONNRESET, kConnectionReset},
        {ENOBUFS, kNoBufferSpace},
        {ENOTCONN, kNotConnected},
        {EPIPE, kShutDown},
        {ETIMEDOUT, kTimedOut},
        {ECONNREFUSED, kConnectionRefused},
        {EHOSTUNREACH, kHostUnreachable},
    };
    const int error = errno;
    SetLastError(error);
    for (const auto& number : kNumbers) {
        if (number.posix == error) {
            SetLastError(number.winsock);
        }
    }
}

int CloseSocketHandle(SocketHandle socket) {
    return close(socket) == 0 ? 0 : -1;
}

int SetBlocking(SocketHandle socket, bool blocking) {
    const int flags = fcntl(socket, F_GETFL, 0);
    if (flags == -1) {
        return 0;
    }
    return fcntl(socket, F_SETFL, blocking ? flags & ~O_NONBLOCK : flags | O_NONBLOCK) != -1;
}

int SendBytes(SocketHandle socket, const char* data, int count) {
    // A peer that has gone must not end the program with SIGPIPE.
    return static_cast<int>(send(socket, data, static_cast<size_t>(count), MSG_NOSIGNAL));
}

// poll rather than select: select cannot watch descriptors past FD_SETSIZE.
int PollReadable(SocketHandle socket, int& dataWaiting) {
    pollfd entry{socket, POLLIN, 0};
    const int ready = poll(&entry, 1, 0);
    dataWaiting = ready > 0 ? 1 : 0;
    return ready == -1 ? -1 : 1;
}

#endif

int ReceiveBytes(SocketHandle socket, char* buffer, int room) {
    return static_cast<int>(recv(socket, buffer, room, 0));
}

int ResolveIPv4(const char* host, in_addr& address) {
    const auto dotted = inet_addr(host);
    if (dotted != INADDR_NONE) {
        address.s_addr = dotted;
        return 1;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host, nullptr, &hints, &found) != 0 || found == nullptr) {
        SetLastError(kInvalidArgument);
        return 0;
    }
    address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
    freeaddrinfo(found);
    return 1;
}

}  // namespace platform
