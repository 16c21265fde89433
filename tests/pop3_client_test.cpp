// The POP3 client and its connection: how they judge and parse replies, the
// idle time-out, what a hostile server cannot do, and, in real time, that a
// wait sleeps and an unanswered connect costs ten seconds, no more.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <thread>
#include <tuple>

#include <gtest/gtest.h>

#include "platform/last_error.h"
#include "tests/support/transcript.h"

namespace {

// What fails without a conversation, and a reply too long to keep.
TEST(Pop3ClientTest, FailuresAndAnOverlongReply) {
    ScriptedServer server;
    CPop3Client client;
    EXPECT_EQ(client.Connect("no-such-host.invalid", "alice", "secret", 110), 0);
    EXPECT_EQ(platform::GetLastError(), platform::kInvalidArgument);
    platform::SocketHandle left;
    {
        CPop3Client refused;
        EXPECT_EQ(refused.Connect("127.0.0.1", "alice", "secret", UnusedPort()), 0);
        EXPECT_EQ(platform::GetLastError(), platform::kConnectionRefused);
        left = refused.m_connection.m_socket;
    }
    EXPECT_EQ(platform::CloseSocketHandle(left), -1);  // closed when the client went
    // A dotted address is the one typed: 127.0.0.2 is not this server's. A
    // name is the address the resolver gives, here one no server has, never
    // this machine's.
    server.Play(kLogin);
    EXPECT_EQ(client.Connect("127.0.0.2", "alice", "secret", server.port), 0);
    EXPECT_EQ(client.Connect("255.255.255.255", "alice", "secret", server.port), 0);
    ASSERT_TRUE(
        server.Attach(client, "=+OK " + std::string(CPop3Client::kMaxReplySize + 8192, 'x') + "|"));
    EXPECT_EQ(client.ReadResponse(), 0);
    EXPECT_EQ(platform::GetLastError(), platform::kNoBufferSpace);
    EXPECT_LE(client.m_strLastReply.size(), static_cast<size_t>(CPop3Client::kMaxReplySize));
    // The abandoned socket is closed once (the next one may get its number),
    // and nothing goes out on it: no QUIT or STAT is taken for answered.
    CTcpConnection next;
    ASSERT_TRUE(next.Create());
    EXPECT_EQ(client.Disconnect(), 0);
    EXPECT_EQ(client.m_connection.Send("QUIT\r\n", 6), 0);
    int count = 0, total = 0;
    EXPECT_EQ(client.Stat(count, total), 0);
    EXPECT_EQ(next.Close(), 0);
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
        int n = 0;
        while (n >= 0 && sent < most) {
            n = platform::SendBytes(peer, stream.data() + (sent > 0 ? 11 : 0), 1 << 20);
            sent += std::max(n, 0);
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

// What each reader makes of a reply: the verdict, the reason, and what it
// keeps. 'r' ReadResponse keeps a failing reply, 'm' ReadMultiLine fills the
// slot, 's' ParseStat gives count and total, 'l' ParseList the sizes, 'u'
// FindMessage the number of the one message of twelve whose id is 1700000000.2,
// 'g' GetMessageSize(1) after a list that loaded and a read that went unanswered.
std::string Read(CPop3Client& client, char reader, int& result) {
    char* text = strdup("old");
    int count = -1, total = -1;
    client.m_sizes = {99};
    client.m_nMessageCount = 12;
    result = reader == 'r'   ? client.ReadResponse()
             : reader == 'm' ? client.ReadMultiLine(text, 0)
             : reader == 's' ? client.ParseStat(count, total)
             : reader == 'u' ? client.FindMessage("1700000000.2")
             : reader == 'g'
                 ? client.LoadList() && !client.ReadResponse() && client.GetMessageSize(1, count)
                 : client.ParseList(2);
    std::string kept = reader == 'r'   ? client.m_strLastReply
                       : reader == 'm' ? text + ("|" + client.m_strLastReply)
                       : reader == 's' ? std::to_string(count) + " " + std::to_string(total)
                                       : "";
    for (uint32_t size : client.m_sizes) {
        kept += reader == 'l' ? std::to_string(size) + " " : "";
    }
    std::free(text);
    return kept;
}

TEST(Pop3ClientTest, Replies) {
    ScriptedServer server;
    const std::string big = "Subject: " + std::string(300000, 'h') + "\r\n";
    std::string middle;  // the id lines of messages 2 to 11, longer than the first buffer holds
    for (int n = 2; n <= 11; ++n) {
        middle += "S" + std::to_string(n) + " " + std::string(30, 'm') + std::to_string(n) + "|";
    }
    // The reader, the bytes the server sends (or a transcript where time
    // matters), the result, the error, what the reader kept, and the fake
    // time it took: 0 for the one poll before bytes that come at once.
    const std::tuple<char, std::string, int, int, std::string, uint32_t> cases[] = {
        // clang-format off
        {'r', "", 0, platform::kTimedOut, "", 10250},  // silence: noticed at the poll after 10000 ms
        {'r', "W9750|=+|W9750|=O|W9750|=K|W9750|=\r|W9750|=\n|", 1, 0, "", 49000},  // the idle time counts from the last data
        {'r', "=+OK par|W10500|=t\r\n|", 0, platform::kTimedOut, "+OK par", 10500},
        {'r', "=+OK " + std::string(994, 'm') + "|X|", 0, platform::kTimedOut, "+OK " + std::string(508, 'm'), 10500},  // no busy loop when the peer has gone, even with one byte of room left
        {'r', "+ok fine\r\n", 1, 0, "", 0}, {'r', "-ERR no\r\n", 0, platform::kProtocolNotSupported, "-ERR no", 0},
        {'r', "+O\r\n", 0, platform::kProtocolNotSupported, "+O", 0}, {'r', "-ERR x\r\n+OK y\r\n", 0, platform::kProtocolNotSupported, "-ERR x", 0},
        {'r', "+OK " + std::string(993, 'x') + "\r\n", 1, 0, "", 0},  // 999 bytes: one growth
        {'r', std::string("-ERR a\0b\r\n", 10), 0, platform::kTimedOut, "-ERR a", 10500},  // a NUL hides the end
        {'r', std::string("\0+OK\r\n", 6), 0, platform::kTimedOut, "", 10500},  // even as the first byte
        {'r', "\r\n", 0, platform::kProtocolNotSupported, "", 0},  // an empty line: a reply, and no yes
        {'m', "+OK 2\r\nSubject: a\r\n\r\n.\r\n", 1, 0, "Subject: a\r\n|", 0}, {'m', "+OK\r\nA: a\r\n\r\n.\r\n-ERR x\r\n", 1, 0, "A: a\r\n|", 0},
        {'m', "-ERR no such message\r\n", 0, platform::kProtocolNotSupported, "old|-ERR no such message", 0},
        {'m', "+OK\r\nSubject: cut", 0, platform::kTimedOut, "old|+OK", 10500},
        {'m', "=-ERR no\r|W100|=\n|", 0, platform::kProtocolNotSupported, "old|-ERR no", 500},  // CR and LF apart
        {'m', "=-|W100|=ERR no\r\n|", 0, platform::kProtocolNotSupported, "old|-ERR no", 500},  // one byte first
        {'m', "+OK\r\n" + big + ".\r\n", 1, 0, big.substr(0, big.size() - 2) + "|", 0},
        {'s', "+OK 3 420\r\n", 1, 0, "3 420", 0}, {'s', "+OK 3\r\n", 0, 0, "3 -1", 0}, {'s', "+Ok 3 316\r\n", 0, 0, "-1 -1", 0},
        {'s', "+OK 99999999999 -99999999999\r\n", 1, 0, "2147483647 -2147483648", 0},
        {'l', "+OK 2 (320)\r\n1 120\r\n2 200\r\n.\r\n", 1, 0, "120 200 ", 0}, {'l', "+OK\r\n1  120\r\n2\t200\r\n.\r\n", 1, 0, "120 120 200 ", 0},
        {'l', "+OK\r\n1 120 \r\n2 200\r\n.\r\n", 1, 0, "120 2 200 ", 0}, {'l', "+OK\r\n1 1.5\r\n2 7\r\n.\r\n", 1, 0, "1 ", 0},
        {'l', "+OK\r\n1 4294967295\r\n2 -5\r\n.\r\n", 1, 0, "2147483647 4294967291 ", 0}, {'l', "+OK\r\n1 5\r\n.\r\n3 7\r\n", 1, 0, "5 ", 0},
        {'l', "+OK " + big + "1 7\r\n.\r\n", 1, 0, "7 ", 0}, {'l', "-ERR\r\n", 0, platform::kProtocolNotSupported, "99 ", 0},
        // Ids name messages one to one: one per message of the last STAT, each on its number's line
        // (in decimal), none twice; an id may hold dots, as Cyrus makes them.
        {'u', "CUIDL|S+OK|S1 a|" + middle + "S12 1700000000.2|S.|", 12, 0, "", 0},
        {'u', "CUIDL|S+OK|S1 a|S2 1700000000.2|S.|", 0, 0, "", 0},
        {'u', "CUIDL|S+OK|S1 1700000000.2|" + middle + "S12 1700000000.2|S.|", 0, 0, "", 0},
        {'u', "CUIDL|S+OK|S12 1700000000.2|S1 a|" + middle + "S.|", 0, 0, "", 0},  // out of order: no id is sure
        {'u', "CUIDL|S-ERR|", 0, platform::kProtocolNotSupported, "", 0},
        // An abandoned conversation's list answers for no other: STAT and LIST would have to go again.
        {'g', "CSTAT|S+OK 1 0|CLIST|S+OK|S1 100|S.|", 0, platform::kNotConnected, "", 10750},
        // clang-format on
    };
    for (const auto& [reader, rows, result, error, kept, elapsed] : cases) {
        SCOPED_TRACE(rows.substr(0, 40));
        CPop3Client client;
        ASSERT_TRUE(
            server.Attach(client, rows.find('|') != std::string::npos ? rows : "=" + rows + "|"));
        platform::SetLastError(0);
        int got = -1;
        const uint32_t begin = server.now;
        EXPECT_EQ(Read(client, reader, got), kept);
        EXPECT_EQ(got, result);
        EXPECT_EQ(platform::GetLastError(), error);
        // Every wait is one poll interval's sleep: never a spin, and never a
        // sleep while data is waiting.
        EXPECT_EQ(server.now - begin, std::max(elapsed, CPop3Client::kPollIntervalMs));
        EXPECT_EQ(server.now - begin, server.sleeps * CPop3Client::kPollIntervalMs);
    }
}

// The process's CPU time so far, in milliseconds.
double CpuMs() {
#ifdef _WIN32
    FILETIME created, ended, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
    return (kernel.dwLowDateTime + user.dwLowDateTime +
            4294967296.0 * (kernel.dwHighDateTime + user.dwHighDateTime)) /
           10000;
#else
    return 1000.0 * std::clock() / CLOCKS_PER_SEC;
#endif
}

// Real time: a silent server costs the idle time-out asleep, not spinning;
// a host that never answers a connect (here a listener whose queue of 4 is
// full, and the one more Linux lets in) costs the user ten seconds, no more,
// also when a signal interrupts the wait.
// A silent server's ten seconds are the fake clock's above.
TEST(Pop3ClientSlowTest, AsleepWhileSilentTenSecondsForAnUnansweredConnect) {
    ScriptedServer silent, server;  // never accept: no one pumps them
    platform::SetClock(nullptr);
    CPop3Client reader;
    ASSERT_TRUE(reader.m_connection.Create() &&
                reader.m_connection.Connect("127.0.0.1", silent.port));
    reader.m_dwTimeout = 1000;
    const double cpu = CpuMs();
    uint32_t start = platform::GetTickCount();
    EXPECT_EQ(reader.ReadResponse(), 0);
    const uint32_t wall = platform::GetTickCount() - start;
    EXPECT_GE(wall, 1000u);
    EXPECT_LT(CpuMs() - cpu, wall / 4.0);

    CPop3Client unanswered;
    CTcpConnection queued[5];
    for (CTcpConnection& connection : queued) {
        connection.Create() && connection.Connect("127.0.0.1", server.port);
    }
#ifndef _WIN32
    // Blocking once connected, so that a send goes out whole, however long.
    EXPECT_EQ(fcntl(queued[0].m_socket, F_GETFL) & O_NONBLOCK, 0);
    std::signal(SIGALRM, [](int) {});  // a signal at one second cuts the wait short
    alarm(1);
#endif
    platform::SetLastError(0);
    start = platform::GetTickCount();
    EXPECT_EQ(unanswered.Connect("127.0.0.1", "a", "b", server.port), 0);
    EXPECT_EQ(platform::GetLastError(), platform::kTimedOut);
    EXPECT_NEAR(platform::GetTickCount() - start, 10000, 500);
}

}  // namespace
