// The TCP connection on loopback, in real time where real time is the point:
// a silent server and an unanswered connect each cost the user ten seconds.
#include <chrono>

#include "platform/last_error.h"
#include "tests/support/transcript.h"

namespace {

using Clock = std::chrono::steady_clock;

TEST(TcpConnectionTest, AddressesNamesAndAGonePeer) {
    in_addr address{};
    // inet_addr cannot tell this one from its error value; the resolver reads it.
    ASSERT_EQ(platform::ResolveIPv4("255.255.255.255", address), 1);
    EXPECT_EQ(address.s_addr, 0xFFFFFFFFu);
    CTcpConnection connection;
    int waiting = 7;
    EXPECT_EQ(connection.IsReadable(waiting) * 10 + waiting, 7);
    ASSERT_EQ(connection.Create(), 1);
    EXPECT_EQ(connection.Connect("no-such-host.invalid", 110), 0);
    EXPECT_EQ(platform::GetLastError(), platform::kInvalidArgument);

    FakeClock clock;
    ScriptedServer server(clock);
    ASSERT_EQ(connection.Connect("127.0.0.1", server.port), 1);
    server.Pump();
    server.Play("");  // the peer goes
    int sent = 1;
    for (int i = 0; i < 200 && sent; ++i) {
        sent = connection.Send("NOOP\r\n", 6);
        clock.Sleep(1);
    }
    EXPECT_EQ(sent, 0);  // and no signal ended the process
    EXPECT_EQ(connection.Close(), 0);
    EXPECT_EQ(connection.Close(), -1);
}

// A listener whose queue is full drops further attempts, like a host that
// never answers.
TEST(TcpConnectionSlowTest, AnUnansweredConnectGivesUpAfterTenSeconds) {
    const platform::SocketHandle listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(listener, reinterpret_cast<sockaddr*>(&address), length);
    listen(listener, 0);
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    CTcpConnection fillers[4], connection;
    for (CTcpConnection& filler : fillers) {
        filler.Create();
        platform::ConnectWithTimeout(filler.m_socket, reinterpret_cast<sockaddr*>(&address), length,
                                     100);
    }
    ASSERT_EQ(connection.Create(), 1);
    const auto start = Clock::now();
    EXPECT_EQ(connection.Connect("127.0.0.1", ntohs(address.sin_port)), 0);
    EXPECT_EQ(platform::GetLastError(), platform::kTimedOut);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(9900));
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(15000));
    platform::CloseSocketHandle(listener);
}

TEST(TcpConnectionSlowTest, ASilentServerTimesOutInRealTime) {
    FakeClock fake;
    ScriptedServer server(fake);
    platform::SetClock(nullptr);
    CPop3Client client;
    ASSERT_EQ(client.m_connection.Create(), 1);
    ASSERT_EQ(client.m_connection.Connect("127.0.0.1", server.port), 1);
    const auto start = Clock::now();
    EXPECT_EQ(client.ReadResponse(), 0);
    EXPECT_EQ(platform::GetLastError(), platform::kTimedOut);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(10000));
}

}  // namespace
