// The reply reader: framing, verdicts, the idle time-out and buffer growth.
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/last_error.h"
#include "tests/support/pop3_test.h"

namespace {

class ReplyReaderTest : public Pop3Test {
protected:
    // Connects the client's socket to the server without any conversation.
    void Attach(CPop3Client& client) {
        ASSERT_EQ(client.m_connection.Create(), 1);
        ASSERT_EQ(client.m_connection.Connect("127.0.0.1", server->Port()), 1);
    }
};

TEST_F(ReplyReaderTest, SilentServerTimesOutAtTheNextPollAfterTenSeconds) {
    Play({});
    CPop3Client client;
    Attach(client);
    EXPECT_EQ(client.ReadResponse(), 0);
    EXPECT_EQ(platform::GetLastError(), platform::kTimedOut);
    EXPECT_EQ(clock.Elapsed(), 10250u);  // strictly more than 10000, noticed in 250 ms steps
    EXPECT_EQ(client.m_strLastReply, "");
}

TEST_F(ReplyReaderTest, TheTimeOutCountsFromTheLastData) {
    Transcript drip;
    const std::string reply = "+OK this reply takes its time\r\n";
    for (char c : reply) {
        drip.push_back(Wait(9750));
        drip.push_back(Raw(std::string(1, c)));
    }
    Play(drip);
    CPop3Client client;
    Attach(client);
    EXPECT_EQ(client.ReadResponse(), 1);
    EXPECT_GT(clock.Elapsed(), 300000u);
}

TEST_F(ReplyReaderTest, AGapLongerThanTheTimeOutEndsTheRead) {
    Play({Raw("+OK par"), Wait(10500), Raw("t\r\n")});
    CPop3Client client;
    Attach(client);
    EXPECT_EQ(client.ReadResponse(), 0);
    EXPECT_EQ(platform::GetLastError(), platform::kTimedOut);
    EXPECT_EQ(client.m_strLastReply, "+OK par");
}

TEST_F(ReplyReaderTest, PeerClosingMidReplyTimesOutWithoutSpinning) {
    Play({Raw("+OK 2 mess"), Close()});
    CPop3Client client;
    Attach(client);
    EXPECT_EQ(client.ReadResponse(), 0);
    EXPECT_EQ(platform::GetLastError(), platform::kTimedOut);
    EXPECT_EQ(client.m_strLastReply, "+OK 2 mess");
    // Every poll after the close slept: the wait took 41 sleeps, not a busy loop.
    EXPECT_LE(clock.Sleeps(), 45);
}

TEST_F(ReplyReaderTest, VerdictIsTheFirstThreeCharactersInAnyCase) {
    struct Case {
        const char* reply;
        int positive;
    } cases[] = {{"+OK\r\n", 1},     {"+ok fine\r\n", 1}, {"+Ok\r\n", 1},
                 {"-ERR no\r\n", 0}, {"+O\r\n", 0},       {"OK\r\n", 0}};
    for (const Case& c : cases) {
        Play({Raw(c.reply)});
        CPop3Client client;
        Attach(client);
        platform::SetLastError(0);
        EXPECT_EQ(client.ReadResponse(), c.positive) << c.reply;
        const std::string line(c.reply, std::strlen(c.reply) - 2);
        EXPECT_EQ(client.m_strLastReply, c.positive ? "" : line) << c.reply;
        EXPECT_EQ(platform::GetLastError(), c.positive ? 0 : platform::kProtocolNotSupported);
    }
}

TEST_F(ReplyReaderTest, ARoomFillingReplyGrowsOnceAndStillCompletes) {
    const std::string reply = "+OK " + std::string(993, 'x') + "\r\n";  // 999 bytes
    Play({Raw(reply), Raw(reply)});
    CPop3Client client;
    Attach(client);
    EXPECT_EQ(client.ReadResponse(), 1);

    char buffer[1000];
    char* grown = nullptr;
    EXPECT_EQ(client.ReadUntil(buffer, sizeof buffer, "\r\n", &grown, 4096), 1);
    ASSERT_NE(grown, nullptr);
    EXPECT_EQ(std::string(grown), reply.substr(0, 997));
    std::free(grown);
}

TEST_F(ReplyReaderTest, ManySmallGrowthStepsKeepEveryByte) {
    std::string reply = "+OK\r\n";
    for (int i = 0; i < 500; ++i) {
        reply += std::to_string(i) + " " + std::to_string(i * 7) + "\r\n";
    }
    Play({Raw(reply + ".\r\n")});
    CPop3Client client;
    Attach(client);
    char buffer[8];
    char* grown = nullptr;
    EXPECT_EQ(client.ReadUntil(buffer, sizeof buffer, "\r\n.\r\n", &grown, 3), 1);
    ASSERT_NE(grown, nullptr);
    EXPECT_EQ(std::string(grown), reply.substr(0, reply.size() - 2));
    std::free(grown);
}

TEST_F(ReplyReaderTest, ANulByteEndsTheTextForTheTerminatorSearch) {
    Play({Raw(std::string("+OK a\0b\r\n", 9))});
    CPop3Client client;
    Attach(client);
    EXPECT_EQ(client.ReadResponse(), 0);
    EXPECT_EQ(platform::GetLastError(), platform::kTimedOut);
    EXPECT_EQ(client.m_strLastReply, "+OK a");
}

TEST_F(ReplyReaderTest, MultiLineBodyDropsStatusLineAndDotLine) {
    struct Case {
        const char* name;
        std::string reply;
        const char* body;
    } cases[] = {
        {"empty", "+OK\r\n.\r\n", ""},
        {"header", "+OK 2 octets\r\nSubject: a\r\n\r\n.\r\n", "Subject: a\r\n"},
        {"dot kept doubled", "+OK\r\n..x\r\n.\r\n", "..x"},
        {"nul hides the terminator", std::string("+OK\r\nab\0cd\r\n.\r\n", 15), "ab"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Play({Raw(c.reply)});
        CPop3Client client;
        Attach(client);
        char* text = static_cast<char*>(std::malloc(4));
        std::strcpy(text, "old");
        const bool complete = client.ReadMultiLine(text, 0) == 1;
        if (std::string(c.name) == "nul hides the terminator") {
            // The terminator lies behind the NUL, so it is never seen.
            EXPECT_FALSE(complete);
            EXPECT_STREQ(text, "old");
        } else {
            EXPECT_TRUE(complete);
            EXPECT_STREQ(text, c.body);
        }
        std::free(text);
    }
}

TEST_F(ReplyReaderTest, AFailedMultiLineReadLeavesTheSlotAlone) {
    Play({Raw("+OK\r\nSubject: cut off"), Close()});
    CPop3Client client;
    Attach(client);
    char* text = nullptr;
    EXPECT_EQ(client.ReadMultiLine(text, 10), 0);
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(client.m_strLastReply, "+OK\r\nSubject: cut off");
}

TEST_F(ReplyReaderTest, ALargeHeaderGrowsPastTheExpectedSize) {
    const std::string header = "Subject: " + std::string(300000, 'h') + "\r\n";
    Play({Raw("+OK\r\n" + header + ".\r\n")});
    CPop3Client client;
    Attach(client);
    char* text = nullptr;
    ASSERT_EQ(client.ReadMultiLine(text, 10), 1);
    EXPECT_EQ(
        std::string(text),
        header.substr(0, header.size() - 2));  // no empty line: its CR LF went with the terminator
    std::free(text);
}

#if !defined(__SANITIZE_ADDRESS__)
TEST_F(ReplyReaderTest, AReplyWithoutEndStopsAtTheSizeLimit) {
    Play({Raw("+OK " + std::string(CPop3Client::kMaxReplySize + 8192, 'x'))});
    CPop3Client client;
    Attach(client);
    EXPECT_EQ(client.ReadResponse(), 0);
    EXPECT_EQ(platform::GetLastError(), platform::kNoBufferSpace);
    EXPECT_LE(client.m_strLastReply.size(), static_cast<size_t>(CPop3Client::kMaxReplySize));
}
#endif

TEST(SkipLineTest, FindsTheSecondLine) {
    EXPECT_STREQ(CPop3Client::SkipLine("+OK\r\nnext"), "next");
    EXPECT_STREQ(CPop3Client::SkipLine("a\nb\nc"), "b\nc");
    EXPECT_STREQ(CPop3Client::SkipLine("no line feed"), "");
    EXPECT_STREQ(CPop3Client::SkipLine(""), "");
}

}  // namespace

namespace {

// Real time, once: a silent server costs the user a little over ten seconds.
TEST(ReplyReaderSlowTest, SilentServerTimesOutInRealTime) {
    ScriptedServer server({});
    CPop3Client client;
    ASSERT_EQ(client.m_connection.Create(), 1);
    ASSERT_EQ(client.m_connection.Connect("127.0.0.1", server.Port()), 1);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(client.ReadResponse(), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(10000));
    EXPECT_EQ(platform::GetLastError(), platform::kTimedOut);
}

}  // namespace
