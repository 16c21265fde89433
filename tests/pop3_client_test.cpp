// The POP3 client on its own: how long it waits for a reply, what a reply
// that did not come whole ends, and, in real time, that an unanswered connect
// costs ten seconds, no more.
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <thread>
#include <tuple>

#include <gtest/gtest.h>

#include "platform/last_error.h"
#include "tests/support/transcript.h"

namespace {

// The idle time-out counts from the last data, so a reply that trickles in is
// never cut off; and every wait is one poll interval's sleep, never a spin.
TEST(Pop3ClientTest, WaitsWhileTheServerIsIdleNoLonger) {
    ScriptedServer server;
    const std::tuple<const char*, std::string, int, uint32_t> cases[] = {
        {"silence ends at the poll after ten seconds", "", 0, 10250},
        {"a trickle is never cut off", "W9750|=+|W9750|=OK|W9750|=\r|W9750|=\n|", 1, 39250},
        {"half a reply, then silence", "=+OK par|W10500|=t\r\n|", 0, 10500},
        {"a server gone mid-reply is waited for asleep", "=+OK par|X|", 0, 10500},
    };
    for (const auto& [name, transcript, result, elapsed] : cases) {
        SCOPED_TRACE(name);
        CPop3Client client;
        ASSERT_TRUE(server.Attach(client, transcript));
        const uint32_t start = server.now;
        EXPECT_EQ(client.ReadResponse(), result);
        EXPECT_EQ(server.now - start, elapsed);
        EXPECT_EQ(server.now - start, server.sleeps * CPop3Client::kPollIntervalMs);
    }
}

// After a reply that did not come whole, where the next one would begin is
// unknown: nothing more goes out, not even QUIT, and nothing is answered from
// what the conversation had loaded.
TEST(Pop3ClientTest, AnUnfinishedReplyEndsTheConversation) {
    ScriptedServer server;
    CPop3Client client;
    ASSERT_TRUE(server.Attach(client, Stat(1) + "CLIST|S+OK|S1 100|S.|"));
    EXPECT_EQ(client.LoadList(), 1);
    EXPECT_EQ(client.ReadResponse(), 0);  // nothing comes
    int size = 0;
    EXPECT_EQ(client.GetMessageSize(1, size), 0);
    EXPECT_EQ(client.Disconnect(), 0);
    EXPECT_EQ(platform::GetLastError(), platform::kNotConnected);
    EXPECT_EQ(server.Finish(), server.expected);
}

// A server that sends without end behind its greeting holds the client for
// one overlong reply's worth of dropped bytes, no more: then the client says
// its first command and finds the reply too long. The server gives up at
// twice what that takes. Its send buffer is large, so that the stream never
// runs dry while its thread waits for its turn.
TEST(Pop3ClientTest, AnEndlessStreamIsDroppedOnlySoFar) {
    const platform::SocketHandle listener = socket(AF_INET, SOCK_STREAM, 0);
    const int port = Listen(listener);
    const int64_t most = 4 * int64_t{CPop3Client::kMaxReplySize};
    int64_t sent = 0;
    std::thread server([&] {
        const platform::SocketHandle peer = accept(listener, nullptr, nullptr);
        const int room = 1 << 26;
        setsockopt(peer, SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&room), sizeof room);
        const std::string stream = "+OK ready\r\n" + std::string(1 << 20, 'x');
        for (int n = 0; n >= 0 && sent < most; sent += std::max(n, 0)) {
            n = platform::SendBytes(peer, stream.data() + (sent > 0 ? 11 : 0), 1 << 20);
        }
        platform::CloseSocketHandle(peer);
    });
    CPop3Client client;
    EXPECT_EQ(client.Connect("127.0.0.1", "alice", "secret", port), 0);
    EXPECT_EQ(platform::GetLastError(), platform::kNoBufferSpace);
    server.join();
    platform::CloseSocketHandle(listener);
    EXPECT_LT(sent, most);
}

// Real time: a host that never answers a connect (here a listener whose
// queue of 4 is full, and the one more Linux lets in) costs ten seconds, no
// more, also when a signal interrupts the wait.
TEST(Pop3ClientSlowTest, TenSecondsForAnUnansweredConnect) {
    ScriptedServer silent;  // never accepts: no one pumps it
    platform::SetClock(nullptr);
    CPop3Client unanswered;
    CTcpConnection queued[5];
    for (CTcpConnection& connection : queued) {
        connection.Create() && connection.Connect("127.0.0.1", silent.port);
    }
#ifndef _WIN32
    std::signal(SIGALRM, [](int) {});  // a signal at one second cuts the wait short
    alarm(1);
#endif
    platform::SetLastError(0);
    const uint32_t start = platform::GetTickCount();
    EXPECT_EQ(unanswered.Connect("127.0.0.1", "a", "b", silent.port), 0);
    EXPECT_EQ(platform::GetLastError(), platform::kTimedOut);
    EXPECT_NEAR(platform::GetTickCount() - start, 10000, 500);
}

}  // namespace
