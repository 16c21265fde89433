// One IPv4 TCP stream socket, without buffering and without any POP3 knowledge.
//
// Every operation goes straight to the socket library. Results follow the
// house convention: 1 for success, 0 for failure with the reason in
// platform::GetLastError(); Receive and Close return what the library returns.
#pragma once

#include <cstdint>

#include "platform/sockets.h"

class CTcpConnection {
public:
    CTcpConnection();
    ~CTcpConnection();
    CTcpConnection(const CTcpConnection&) = delete;
    CTcpConnection& operator=(const CTcpConnection&) = delete;

    // Obtains a socket; one that was still open is closed first.
    int Create();
    // Resolves host (dotted address first, then by name; 10022 when neither
    // works) and connects to port. Gives up after kConnectTimeoutMs with 10060.
    // A failed connect leaves the socket open for Close.
    int Connect(const char* host, int port);
    int ConnectAddress(const sockaddr* address, int length);
    // One send; a partial send counts as success. Never raises SIGPIPE.
    int Send(const char* data, int count);
    // Bytes received (> 0), 0 when the peer has closed, -1 on error.
    int Receive(char* buffer, int room);
    // Polls without waiting. 1 when the poll worked, with dataWaiting set to 1
    // when a Receive would not block (data, or a closed peer).
    int IsReadable(int& dataWaiting);
    // -1 when there was no socket, else 0 or -1 from closing it.
    int Close();

    static constexpr uint32_t kConnectTimeoutMs = 10000;

    platform::SocketHandle m_socket;
};
