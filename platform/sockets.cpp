#include "platform/sockets.h"

#include <cerrno>

#include "platform/last_error.h"
#include "platform/socket_api.h"

#ifndef _WIN32
#include <algorithm>
#include <chrono>

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <unistd.h>
#endif

namespace platform {

namespace {
Streams* installedStreams = nullptr;
}

void SetStreams(Streams* streams) {
    installedStreams = streams;
}

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

static bool ConnectInProgress() {
    return WSAGetLastError() == WSAEWOULDBLOCK;
}

static void KeepConnectError(int error) {
    WSASetLastError(error);
}

// A failed connect shows in the exception set, a finished one in the write set.
static int WaitConnected(SocketHandle socket, uint32_t timeoutMs) {
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(socket, &writable);
    FD_SET(socket, &failed);
    timeval limit{static_cast<long>(timeoutMs / 1000), static_cast<long>(timeoutMs % 1000) * 1000};
    return select(0, nullptr, &writable, &failed, &limit);
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

static bool ConnectInProgress() {
    return errno == EINPROGRESS;
}

static void KeepConnectError(int error) {
    errno = error;
}

// A signal cuts the wait short; it goes on for what is left of the time-out,
// so that signals coming more often than that cannot keep it waiting for good.
static int WaitConnected(SocketHandle socket, uint32_t timeoutMs) {
    using namespace std::chrono;
    const steady_clock::time_point deadline = steady_clock::now() + milliseconds(timeoutMs);
    pollfd entry{socket, POLLOUT, 0};
    int ready;
    do {
        const milliseconds left = ceil<milliseconds>(deadline - steady_clock::now());
        ready = poll(&entry, 1, static_cast<int>(std::max<milliseconds::rep>(left.count(), 0)));
    } while (ready == -1 && errno == EINTR);
    return ready;
}

#endif

SocketHandle OpenStream() {
    const SocketHandle stream =
        installedStreams != nullptr ? installedStreams->Open() : socket(AF_INET, SOCK_STREAM, 0);
    if (stream == kInvalidSocket) {
        SaveSocketError();
    }
    return stream;
}

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

int ConnectWithTimeout(SocketHandle socket, const sockaddr* address, int length,
                       uint32_t timeoutMs) {
    if (installedStreams != nullptr) {
        return installedStreams->Connect(socket);
    }
    if (!SetBlocking(socket, false)) {
        SaveSocketError();
        return 0;
    }
    int connected = 0;
    if (connect(socket, address, static_cast<socklen_t>(length)) == 0) {
        connected = 1;
    } else if (!ConnectInProgress()) {
        SaveSocketError();
    } else {
        const int ready = WaitConnected(socket, timeoutMs);
        if (ready == 0) {
            SetLastError(kTimedOut);
        } else if (ready < 0) {
            SaveSocketError();
        } else {
            int error = 0;
            socklen_t size = sizeof error;
            getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size);
            if (error == 0) {
                connected = 1;
            } else {
                KeepConnectError(error);
                SaveSocketError();
            }
        }
    }
    if (!SetBlocking(socket, true) && connected) {
        SaveSocketError();
        return 0;
    }
    return connected;
}

}  // namespace platform
