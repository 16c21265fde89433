#include "platform/sockets.h"

#include <cerrno>
#include <cstring>

#include "platform/last_error.h"

#ifdef _WIN32
#pragma comment(lib, "ws2_32.lib")
#else
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <unistd.h>
#endif

namespace platform {

#ifdef _WIN32

int StartSockets() {
    WSADATA data;
    return WSAStartup(MAKEWORD(1, 1), &data) == 0 ? 1 : 0;
}

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

static bool ConnectInProgress() {
    return WSAGetLastError() == WSAEWOULDBLOCK;
}

static int WaitWritable(SocketHandle socket, uint32_t timeoutMs) {
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
    const int error = errno;
    switch (error) {
        case EBADF:
            SetLastError(10009);
            break;
        case EINVAL:
            SetLastError(10022);
            break;
        case EWOULDBLOCK:
            SetLastError(10035);
            break;
        case EINPROGRESS:
            SetLastError(10036);
            break;
        case ENOTSOCK:
            SetLastError(10038);
            break;
        case EAFNOSUPPORT:
            SetLastError(10047);
            break;
        case EADDRNOTAVAIL:
            SetLastError(10049);
            break;
        case ENETDOWN:
            SetLastError(10050);
            break;
        case ENETUNREACH:
            SetLastError(10051);
            break;
        case ECONNABORTED:
            SetLastError(10053);
            break;
        case ECONNRESET:
            SetLastError(10054);
            break;
        case ENOBUFS:
            SetLastError(10055);
            break;
        case ENOTCONN:
            SetLastError(10057);
            break;
        case EPIPE:
            SetLastError(10058);
            break;
        case ETIMEDOUT:
            SetLastError(10060);
            break;
        case ECONNREFUSED:
            SetLastError(10061);
            break;
        case EHOSTUNREACH:
            SetLastError(10065);
            break;
        default:
            SetLastError(error);
            break;
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

static bool ConnectInProgress() {
    return errno == EINPROGRESS;
}

static int WaitWritable(SocketHandle socket, uint32_t timeoutMs) {
    pollfd entry{socket, POLLOUT, 0};
    int ready;
    do {
        ready = poll(&entry, 1, static_cast<int>(timeoutMs));
    } while (ready == -1 && errno == EINTR);
    return ready;
}

#endif

int ResolveIPv4(const char* host, in_addr& address) {
    const in_addr_t dotted = inet_addr(host);
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
        const int ready = WaitWritable(socket, timeoutMs);
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
#ifdef _WIN32
                WSASetLastError(error);
#else
                errno = error;
#endif
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
