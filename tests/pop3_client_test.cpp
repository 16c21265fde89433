// Conversations of the POP3 client with a scripted server: what it sends, in
// which order, and how it judges each reply.
#include <climits>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "platform/last_error.h"
#include "tests/support/pop3_test.h"

namespace {

class Pop3ClientTest : public Pop3Test {};

TEST_F(Pop3ClientTest, ListingConversation) {
    Play(Login() + Transcript{
                       C("STAT"),      S("+OK 2 320"), C("STAT"),
                       S("+OK 2 320"), C("LIST"),      S("+OK 2 messages"),
                       S("1 120"),     S("2 200"),     S("."),
                       C("TOP 1 0"),   S("+OK"),       S("Subject: one"),
                       S("From: a@b"), S(""),          S("."),
                       C("TOP 2 0"),   S("+OK"),       S("Subject: two"),
                       S(""),          S("."),         C("RSET"),
                       S("+OK"),       C("QUIT"),      S("+OK bye"),
                   });
    {
        CPop3Client client;
        ASSERT_EQ(ConnectClient(client), 1);
        int count = 0, total = 0;
        ASSERT_EQ(client.Stat(count, total), 1);
        EXPECT_EQ(count, 2);
        EXPECT_EQ(total, 320);
        const char* expectedHeaders[] = {"Subject: one\r\nFrom: a@b\r\n", "Subject: two\r\n"};
        const int expectedSizes[] = {120, 200};
        for (int i = 1; i <= count; ++i) {
            int size = -1;
            ASSERT_EQ(client.GetMessageSize(i, size), 1);
            EXPECT_EQ(size, expectedSizes[i - 1]);
            char* text = nullptr;
            ASSERT_EQ(client.GetTop(i, text), 1);
            EXPECT_STREQ(text, expectedHeaders[i - 1]);
            std::free(text);
        }
        EXPECT_EQ(client.Reset(), 1);
        EXPECT_EQ(client.Disconnect(), 1);
        EXPECT_EQ(client.m_bConnected, 0);
        EXPECT_EQ(client.m_bListLoaded, 0);
        EXPECT_EQ(client.m_bStatDone, 0);
        EXPECT_EQ(client.m_nMessageCount, 2);  // kept after Disconnect
        EXPECT_EQ(client.m_sizes.size(), 2u);
    }
    EXPECT_EQ(server->Finish(), server->ClientLines());
}

TEST_F(Pop3ClientTest, DeleteLoadsTheListFirstAndTheDestructorQuits) {
    Play(Login() + Transcript{
                       C("STAT"),
                       S("+OK 3 30"),
                       C("LIST"),
                       S("+OK"),
                       S("1 10"),
                       S("2 10"),
                       S("3 10"),
                       S("."),
                       C("DELE 2"),
                       S("+OK marked"),
                       C("QUIT"),
                       S("+OK"),
                   });
    {
        CPop3Client client;
        ASSERT_EQ(ConnectClient(client), 1);
        EXPECT_EQ(client.Delete(2), 1);
        EXPECT_EQ(client.m_sizes.size(), 3u);  // a deletion changes no member
    }
    EXPECT_EQ(server->Finish(), server->ClientLines());
}

TEST_F(Pop3ClientTest, DeleteSendsDeleEvenWhenTheListFails) {
    Play(Login() + Transcript{
                       C("STAT"),
                       S("+OK 1 10"),
                       C("LIST"),
                       S("-ERR no list"),
                       C("DELE 1"),
                       S("+OK"),
                       C("QUIT"),
                       S("+OK"),
                   });
    {
        CPop3Client client;
        ASSERT_EQ(ConnectClient(client), 1);
        EXPECT_EQ(client.Delete(1), 1);
        EXPECT_EQ(client.m_bListLoaded, 0);
    }
    EXPECT_EQ(server->Finish(), server->ClientLines());
}

TEST_F(Pop3ClientTest, RejectedPasswordEndsTheLoginWithQuit) {
    Play({S("+OK ready"), C("USER alice"), S("+OK"), C("PASS wrong"), S("-ERR [AUTH] failed"),
          C("QUIT"), S("+OK")});
    {
        CPop3Client client;
        EXPECT_EQ(ConnectClient(client, "alice", "wrong"), 0);
        EXPECT_EQ(client.m_bConnected, 0);
        EXPECT_EQ(client.m_connection.m_socket, platform::kInvalidSocket);
        EXPECT_EQ(client.m_strLastReply, "-ERR [AUTH] failed");
        EXPECT_EQ(platform::GetLastError(), platform::kProtocolNotSupported);
    }
    EXPECT_EQ(server->Finish(), server->ClientLines());  // the destructor sent nothing more
}

TEST_F(Pop3ClientTest, DestructorQuitsAnOpenConversation) {
    Play(Login() + Transcript{C("QUIT"), S("+OK")});
    {
        CPop3Client client;
        ASSERT_EQ(ConnectClient(client), 1);
    }
    EXPECT_EQ(server->Finish(), server->ClientLines());
}

TEST_F(Pop3ClientTest, DisconnectWithoutConnectSendsNothing) {
    CPop3Client client;
    EXPECT_EQ(client.Disconnect(), 0);
    EXPECT_EQ(client.m_connection.m_socket, platform::kInvalidSocket);
}

TEST_F(Pop3ClientTest, ReconnectKeepsTheOldCountAndSizesUntilAsked) {
    Play(Login() + Transcript{C("STAT"), S("+OK 1 5"), C("LIST"), S("+OK"), S("1 5"), S("."),
                              C("QUIT"), S("+OK")});
    CPop3Client client;
    ASSERT_EQ(ConnectClient(client), 1);
    ASSERT_EQ(client.m_bListLoaded, 0);
    int size = 0;
    ASSERT_EQ(client.GetMessageSize(1, size), 1);
    EXPECT_EQ(client.Disconnect(), 1);
    EXPECT_EQ(server->Finish(), server->ClientLines());

    Play(Login() + Transcript{C("QUIT"), S("+OK")});
    ASSERT_EQ(ConnectClient(client), 1);
    EXPECT_EQ(client.m_nMessageCount, 1);
    EXPECT_EQ(client.m_sizes, std::vector<uint32_t>{5});
    EXPECT_EQ(client.Disconnect(), 1);
}

// A negative reply at each step: the operation fails, the reply is kept, and
// the conversation goes on (or ends with QUIT during the login).
struct NegativeStep {
    const char* name;
    Transcript transcript;
    std::function<bool(CPop3Client&, int port)> drive;
};

void PrintTo(const NegativeStep& step, std::ostream* out) {
    *out << step.name;
}

int ConnectOnly(CPop3Client& c, int port) {
    return c.Connect("127.0.0.1", "alice", "secret", port);
}

class NegativeReplyTest : public Pop3Test, public ::testing::WithParamInterface<NegativeStep> {};

TEST_P(NegativeReplyTest, FailsWithTheServersWords) {
    Play(GetParam().transcript);
    {
        CPop3Client client;
        EXPECT_FALSE(GetParam().drive(client, server->Port()));
        EXPECT_EQ(client.m_strLastReply, "-ERR no");
        EXPECT_EQ(platform::GetLastError(), platform::kProtocolNotSupported);
        EXPECT_EQ(clock.Elapsed() < 5000u, true) << "a negative reply must not wait for more";
    }
    EXPECT_EQ(server->Finish(), server->ClientLines());
}

const Transcript kQuit = {C("QUIT"), S("+OK")};

INSTANTIATE_TEST_SUITE_P(
    EachStep, NegativeReplyTest,
    ::testing::Values(
        NegativeStep{"greeting", {S("-ERR no"), C("QUIT"), S("+OK")}, ConnectOnly},
        NegativeStep{
            "user", {S("+OK"), C("USER alice"), S("-ERR no"), C("QUIT"), S("+OK")}, ConnectOnly},
        NegativeStep{"stat", Login() + Transcript{C("STAT"), S("-ERR no")} + kQuit,
                     [](CPop3Client& c, int port) {
                         int count, total;
                         return ConnectOnly(c, port) && c.Stat(count, total);
                     }},
        NegativeStep{"list",
                     Login() + Transcript{C("STAT"), S("+OK 1 1"), C("LIST"), S("-ERR no")} + kQuit,
                     [](CPop3Client& c, int port) { return ConnectOnly(c, port) && c.LoadList(); }},
        NegativeStep{"top",
                     Login() +
                         Transcript{C("STAT"), S("+OK 1 1"), C("LIST"), S("+OK"), S("1 1"), S("."),
                                    C("TOP 1 0"), S("-ERR no")} +
                         kQuit,
                     [](CPop3Client& c, int port) {
                         char* text = nullptr;
                         return ConnectOnly(c, port) && c.GetTop(1, text);
                     }},
        NegativeStep{"dele",
                     Login() +
                         Transcript{C("STAT"), S("+OK 1 1"), C("LIST"), S("+OK"), S("1 1"), S("."),
                                    C("DELE 1"), S("-ERR no")} +
                         kQuit,
                     [](CPop3Client& c, int port) { return ConnectOnly(c, port) && c.Delete(1); }},
        NegativeStep{"rset", Login() + Transcript{C("RSET"), S("-ERR no")} + kQuit,
                     [](CPop3Client& c, int port) { return ConnectOnly(c, port) && c.Reset(); }},
        NegativeStep{
            "quit", Login() + Transcript{C("QUIT"), S("-ERR no")},
            [](CPop3Client& c, int port) { return ConnectOnly(c, port) && c.Disconnect(); }}),
    [](const ::testing::TestParamInfo<NegativeStep>& info) { return info.param.name; });

TEST_F(Pop3ClientTest, FailedTopKeepsTheConversationInStep) {
    Play(Login() + Transcript{
                       C("STAT"),
                       S("+OK 2 2"),
                       C("LIST"),
                       S("+OK"),
                       S("1 1"),
                       S("2 1"),
                       S("."),
                       C("TOP 1 0"),
                       S("-ERR no such message"),
                       C("TOP 2 0"),
                       S("+OK"),
                       S("Subject: x"),
                       S(""),
                       S("."),
                       C("QUIT"),
                       S("+OK"),
                   });
    {
        CPop3Client client;
        ASSERT_EQ(ConnectClient(client), 1);
        char* text = nullptr;
        EXPECT_EQ(client.GetTop(1, text), 0);
        EXPECT_EQ(text, nullptr);
        EXPECT_EQ(client.m_strLastReply, "-ERR no such message");
        EXPECT_EQ(client.GetTop(2, text), 1);
        EXPECT_STREQ(text, "Subject: x\r\n");
        std::free(text);
    }
    EXPECT_EQ(server->Finish(), server->ClientLines());
}

TEST_F(Pop3ClientTest, LowerCaseOkPassesTheReaderButNotStat) {
    Play(Login() + Transcript{C("RSET"), S("+ok"), C("STAT"), S("+ok 1 2")} + kQuit);
    CPop3Client client;
    ASSERT_EQ(ConnectClient(client), 1);
    EXPECT_EQ(client.Reset(), 1);
    int count = -1, total = -1;
    EXPECT_EQ(client.Stat(count, total), 0);
    EXPECT_EQ(count, -1);
}

TEST_F(Pop3ClientTest, GetMessageSizeOutsideTheListLeavesTheSizeAlone) {
    Play(Login() +
         Transcript{C("STAT"), S("+OK 2 3"), C("LIST"), S("+OK"), S("1 1"), S("2 2"), S(".")} +
         kQuit);
    CPop3Client client;
    ASSERT_EQ(ConnectClient(client), 1);
    for (int n : {0, -1, 3, INT_MAX, INT_MIN}) {
        int size = 77;
        EXPECT_EQ(client.GetMessageSize(n, size), 0) << n;
        EXPECT_EQ(size, 77) << n;
    }
    int size = 0;
    EXPECT_EQ(client.GetMessageSize(2, size), 1);
    EXPECT_EQ(size, 2);
}

TEST_F(Pop3ClientTest, HugeNumbersFromTheServerAreHeldSafely) {
    Play(Login() +
         Transcript{
             C("STAT"),
             S("+OK 2147483647 99999999999999"),
             C("STAT"),
             S("+OK 2147483647 1"),
             C("LIST"),
             S("+OK"),
             S("1 4294967295"),
             S("2 -5"),
             S("."),
             C("TOP 1 0"),
             S("+OK"),
             S("Subject: big"),
             S(""),
             S("."),
         } +
         kQuit);
    CPop3Client client;
    ASSERT_EQ(ConnectClient(client), 1);
    int count = 0, total = 0;
    ASSERT_EQ(client.Stat(count, total), 1);
    EXPECT_EQ(count, INT_MAX);
    EXPECT_EQ(total, INT_MAX);
    int size = 0;
    ASSERT_EQ(client.GetMessageSize(1, size), 1);
    EXPECT_EQ(size, INT_MAX);
    EXPECT_EQ(client.m_sizes[1], static_cast<uint32_t>(-5));
    EXPECT_EQ(client.GetMessageSize(3, size), 0);
    char* text = nullptr;
    ASSERT_EQ(client.GetTop(1, text), 1);
    EXPECT_STREQ(text, "Subject: big\r\n");
    std::free(text);
}

TEST_F(Pop3ClientTest, LineBreaksInNamesNeverReachTheWire) {
    for (const char* user : {"alice\r\nDELE 1", "alice\nDELE 1", "alice\r"}) {
        Play({S("+OK ready"), C("QUIT"), S("+OK")});
        {
            CPop3Client client;
            EXPECT_EQ(ConnectClient(client, user, "secret"), 0) << user;
            EXPECT_EQ(platform::GetLastError(), platform::kInvalidArgument);
        }
        EXPECT_EQ(server->Finish(), server->ClientLines()) << user;
    }
    Play({S("+OK ready"), C("USER alice"), S("+OK"), C("QUIT"), S("+OK")});
    {
        CPop3Client client;
        EXPECT_EQ(ConnectClient(client, "alice", "x\r\nDELE 1"), 0);
    }
    EXPECT_EQ(server->Finish(), server->ClientLines());
}

TEST_F(Pop3ClientTest, LongNamesAndNumbersAreSentWhole) {
    const std::string user(300, 'u');
    const std::string password(500, 'p');
    Play({S("+OK"), C("USER " + user), S("+OK"), C("PASS " + password), S("+OK"), C("STAT"),
          S("+OK 1 1"), C("LIST"), S("+OK"), S("1 1"), S("."), C("DELE 2147483647"),
          S("-ERR no such message"), C("DELE -2147483648"), S("-ERR no such message"), C("QUIT"),
          S("+OK")});
    {
        CPop3Client client;
        ASSERT_EQ(ConnectClient(client, user.c_str(), password.c_str()), 1);
        EXPECT_EQ(client.Delete(INT_MAX), 0);
        EXPECT_EQ(client.Delete(INT_MIN), 0);
    }
    EXPECT_EQ(server->Finish(), server->ClientLines());
}

TEST_F(Pop3ClientTest, TopWithAnEightDigitNumberIsSentWhole) {
    Play(Login() + Transcript{C("TOP 12345678 0"), S("+OK"), S("."), C("QUIT"), S("+OK")});
    {
        CPop3Client client;
        ASSERT_EQ(ConnectClient(client), 1);
        client.m_bListLoaded = 1;  // as if LIST had named that many messages
        client.m_sizes.assign(12345678, 10);
        char* text = nullptr;
        EXPECT_EQ(client.GetTop(12345678, text), 1);
        EXPECT_STREQ(text, "");
        std::free(text);
    }
    EXPECT_EQ(server->Finish(), server->ClientLines());
}

TEST_F(Pop3ClientTest, UnreachableServerSendsNothing) {
    Play({});
    const int port = server->Port();
    server.reset();  // nobody listens there any more
    CPop3Client client;
    EXPECT_EQ(client.Connect("127.0.0.1", "alice", "secret", port), 0);
    EXPECT_EQ(client.m_bConnected, 0);
    EXPECT_NE(client.m_connection.m_socket, platform::kInvalidSocket);  // open until closed
    EXPECT_EQ(client.Disconnect(), 0);
    EXPECT_EQ(client.m_connection.m_socket, platform::kInvalidSocket);
}

}  // namespace
