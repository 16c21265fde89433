#include "pop3/tcp_connection.h"

#include <cstring>

#include "platform/last_error.h"
#include "platform/socket_api.h"

CTcpConnection::CTcpConnection() : m_socket(platform::kInvalidSocket) {}

CTcpConnection::~CTcpConnection() {
    Close();
}

int CTcpConnection::Create() {
    Close();
    m_socket = platform::OpenStream();
    return m_socket != platform::kInvalidSocket ? 1 : 0;
}

int CTcpConnection::Connect(const char* host, int port) {
    sockaddr_in address;
    std::memset(&address, 0, sizeof address);
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (!platform::ResolveIPv4(host, address.sin_addr)) {
        return 0;
    }
    return ConnectAddress(reinterpret_cast<const sockaddr*>(&address), sizeof address);
}

int CTcpConnection::ConnectAddress(const sockaddr* address, int length) {
    return platform::ConnectWithTimeout(m_socket, address, length, kConnectTimeoutMs);
}

int CTcpConnection::Send(const char* data, int count) {
    if (platform::SendBytes(m_socket, data, count) == -1) {
        platform::SaveSocketError();
        return 0;
    }
    return 1;
}

int CTcpConnection::Receive(char* buffer, int room) {
    const int received = platform::ReceiveBytes(m_socket, buffer, room);
    if (received == -1) {
        platform::SaveSocketError();
    }
    return received;
}

int CTcpConnection::IsReadable(int& dataWaiting) {
    if (m_socket == platform::kInvalidSocket) {
        platform::SetLastError(platform::kNotASocket);
        return 0;
    }
    int ready = 0;
    if (platform::PollReadable(m_socket, ready) == -1) {
        platform::SaveSocketError();
        return 0;
    }
    dataWaiting = ready;
    return 1;
}

int CTcpConnection::Close() {
    if (m_socket == platform::kInvalidSocket) {
        return -1;
    }
    const int result = platform::CloseSocketHandle(m_socket);
    m_socket = platform::kInvalidSocket;
    return result;
}
