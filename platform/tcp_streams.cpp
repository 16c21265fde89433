// Where the client's streams come from: the system's TCP, with a connect that
// gives up. The fuzzer links a file of its own in this one's place, whose
// streams are socket pairs with the server it plays at the other end; the
// program has no branch for that.
#include <cerrno>

#include "platform/last_error.h"
#include "platform/socket_api.h"
#include "platform/sockets.h"

#ifndef _WIN32
#include <algorithm>
#include <chrono>

#include <poll.h>
#endif

namespace platform {

namespace {

#ifdef _WIN32

bool ConnectInProgress() {
    return WSAGetLastError() == WSAEWOULDBLOCK;
}

void KeepConnectError(int error) {
    WSASetLastError(error);
}

// A failed connect shows in the exception set, a finished one in the write set.
int WaitConnected(SocketHandle socket, uint32_t timeoutMs) {
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(socket, &writable);
    FD_SET(socket, &failed);
    timeval limit{static_cast<long>(timeoutMs / 1000), static_cast<long>(timeoutMs % 1000) * 1000};
    return select(0, nullptr, &writable, &failed, &limit);
}

#else

bool ConnectInProgress() {
    return errno == EINPROGRESS;
}

void KeepConnectError(int error) {
    errno = error;
}

// A signal cuts the wait short; it goes on for what is left of the time-out,
// so that signals coming more often than that cannot keep it waiting for good.
int WaitConnected(SocketHandle socket, uint32_t timeoutMs) {
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

}  // namespace

SocketHandle OpenStream() {
    const SocketHandle stream = socket(AF_INET, SOCK_STREAM, 0);
    if (stream == kInvalidSocket) {
        SaveSocketError();
    }
    return stream;
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
