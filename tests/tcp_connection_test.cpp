// The TCP connection against real loopback sockets.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <vector>

#include "platform/last_error.h"
#include "platform/sockets.h"
#include "pop3/tcp_connection.h"

namespace {

// A loopback listener that never accepts unless asked to.
class Listener {
public:
    explicit Listener(int backlog = 4) {
        m_fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        bind(m_fd, reinterpret_cast<sockaddr*>(&address), length);
        listen(m_fd, backlog);
        getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
    }
    ~Listener() { close(m_fd); }
    int Port() const { return m_port; }
    int Accept() { return accept(m_fd, nullptr, nullptr); }

private:
    int m_fd;
    int m_port;
};

sockaddr_in Loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    return address;
}

TEST(TcpConnectionTest, ConnectSendReceiveClose) {
    Listener listener;
    CTcpConnection connection;
    ASSERT_EQ(connection.Create(), 1);
    ASSERT_EQ(connection.Connect("127.0.0.1", listener.Port()), 1);
    const int peer = listener.Accept();

    int waiting = -1;
    EXPECT_EQ(connection.IsReadable(waiting), 1);
    EXPECT_EQ(waiting, 0);

    ASSERT_EQ(send(peer, "+OK\r\n", 5, 0), 5);
    char buffer[16];
    while (connection.IsReadable(waiting) == 1 && !waiting) {
    }
    EXPECT_EQ(connection.Receive(buffer, sizeof buffer), 5);

    EXPECT_EQ(connection.Send("QUIT\r\n", 6), 1);
    EXPECT_EQ(recv(peer, buffer, sizeof buffer, 0), 6);

    close(peer);
    while (connection.IsReadable(waiting) == 1 && !waiting) {
    }
    EXPECT_EQ(connection.Receive(buffer, sizeof buffer), 0);  // closed, not an error

    EXPECT_EQ(connection.Close(), 0);
    EXPECT_EQ(connection.m_socket, platform::kInvalidSocket);
    EXPECT_EQ(connection.Close(), -1);
}

TEST(TcpConnectionTest, WithoutASocketOperationsFail) {
    CTcpConnection connection;
    EXPECT_EQ(connection.m_socket, platform::kInvalidSocket);
    int waiting = 7;
    EXPECT_EQ(connection.IsReadable(waiting), 0);
    EXPECT_EQ(waiting, 7);
    char buffer[4];
    EXPECT_EQ(connection.Receive(buffer, sizeof buffer), -1);
    EXPECT_EQ(connection.Send("x", 1), 0);
    EXPECT_EQ(connection.Close(), -1);
}

TEST(TcpConnectionTest, HostNames) {
    in_addr address{};
    ASSERT_EQ(platform::ResolveIPv4("127.0.0.1", address), 1);
    EXPECT_EQ(ntohl(address.s_addr), 0x7F000001u);
    ASSERT_EQ(platform::ResolveIPv4("localhost", address), 1);
    EXPECT_EQ(ntohl(address.s_addr) >> 24, 127u);
    // inet_addr cannot tell this address from its error value; the resolver
    // still reads it.
    ASSERT_EQ(platform::ResolveIPv4("255.255.255.255", address), 1);
    EXPECT_EQ(address.s_addr, 0xFFFFFFFFu);

    CTcpConnection connection;
    ASSERT_EQ(connection.Create(), 1);
    platform::SetLastError(0);
    EXPECT_EQ(connection.Connect("", 110), 0);
    EXPECT_EQ(platform::GetLastError(), platform::kInvalidArgument);
}

TEST(TcpConnectionTest, RefusedConnectKeepsTheSocketOpen) {
    int port;
    {
        Listener gone;
        port = gone.Port();
    }
    CTcpConnection connection;
    ASSERT_EQ(connection.Create(), 1);
    const sockaddr_in address = Loopback(port);
    EXPECT_EQ(
        connection.ConnectAddress(reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(platform::GetLastError(), 10061);  // WSAECONNREFUSED
    EXPECT_NE(connection.m_socket, platform::kInvalidSocket);
}

TEST(TcpConnectionTest, SendingToAClosedPeerFailsWithoutASignal) {
    Listener listener;
    CTcpConnection connection;
    ASSERT_EQ(connection.Create(), 1);
    ASSERT_EQ(connection.Connect("127.0.0.1", listener.Port()), 1);
    close(listener.Accept());
    int result = 1;
    for (int i = 0; i < 100 && result == 1; ++i) {
        result = connection.Send("NOOP\r\n", 6);
        usleep(1000);
    }
    EXPECT_EQ(result, 0);  // and the process is still alive
}

// Fills the listener's queue so that further connection attempts go unanswered,
// like a host that drops them.
std::vector<int> FillBacklog(const Listener& listener) {
    std::vector<int> fillers;
    for (int i = 0; i < 4; ++i) {
        const int fd = socket(AF_INET, SOCK_STREAM, 0);
        const sockaddr_in address = Loopback(listener.Port());
        platform::ConnectWithTimeout(fd, reinterpret_cast<const sockaddr*>(&address),
                                     sizeof address, 100);
        fillers.push_back(fd);
    }
    return fillers;
}

TEST(TcpConnectionTest, ConnectGivesUpWhenNobodyAnswers) {
    Listener listener(0);
    const std::vector<int> fillers = FillBacklog(listener);
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in address = Loopback(listener.Port());
    platform::SetLastError(0);
    EXPECT_EQ(platform::ConnectWithTimeout(fd, reinterpret_cast<const sockaddr*>(&address),
                                           sizeof address, 200),
              0);
    EXPECT_EQ(platform::GetLastError(), platform::kTimedOut);
    close(fd);
    for (int filler : fillers) {
        close(filler);
    }
}

// Real time: the connection's own bound is ten seconds.
TEST(TcpConnectionSlowTest, ConnectGivesUpAfterTenSeconds) {
    Listener listener(0);
    const std::vector<int> fillers = FillBacklog(listener);
    CTcpConnection connection;
    ASSERT_EQ(connection.Create(), 1);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(connection.Connect("127.0.0.1", listener.Port()), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(9900));
    EXPECT_EQ(platform::GetLastError(), platform::kTimedOut);
    for (int filler : fillers) {
        close(filler);
    }
}

}  // namespace
