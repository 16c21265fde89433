// The POP3 client against a real Dovecot on loopback, in real time.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/last_error.h"
#include "pop3/pop3_client.h"
#include "tests/support/dovecot_server.h"
#include "tests/support/mailbox_samples.h"

namespace {

class DovecotClientTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!dovecot.Problem().empty()) {
            GTEST_SKIP() << dovecot.Problem();
        }
    }
    int Connect(CPop3Client& client, const char* password = DovecotServer::kPassword) {
        return client.Connect("127.0.0.1", DovecotServer::kUser, password, dovecot.Port());
    }

    const std::vector<std::string> messages = SampleMessages();
    DovecotServer dovecot{messages};
};

TEST_F(DovecotClientTest, ListsSizesAndHeaders) {
    CPop3Client client;
    ASSERT_EQ(Connect(client), 1);
    int count = 0, total = 0;
    ASSERT_EQ(client.Stat(count, total), 1);
    ASSERT_EQ(count, static_cast<int>(messages.size()));
    size_t sum = 0;
    for (const std::string& m : messages) {
        sum += DovecotServer::WireSize(m);
    }
    EXPECT_EQ(total, static_cast<int>(sum));

    for (int i = 1; i <= count; ++i) {
        SCOPED_TRACE(i);
        int size = 0;
        ASSERT_EQ(client.GetMessageSize(i, size), 1);
        EXPECT_EQ(size, static_cast<int>(DovecotServer::WireSize(messages[i - 1])));
        char* text = nullptr;
        ASSERT_EQ(client.GetTop(i, text), 1);
        EXPECT_EQ(std::string(text), HeaderWithCrLf(messages[i - 1]));
        std::free(text);
    }
    char* text = nullptr;
    EXPECT_EQ(client.GetTop(count + 1, text), 0);  // no such size: nothing sent
    EXPECT_EQ(client.Reset(), 1);
    EXPECT_EQ(client.Disconnect(), 1);
}

TEST_F(DovecotClientTest, DeletionTakesEffectAtQuit) {
    {
        CPop3Client client;
        ASSERT_EQ(Connect(client), 1);
        ASSERT_EQ(client.Delete(2), 1);
        EXPECT_EQ(dovecot.MessagesOnDisk(), 4);  // only marked so far
    }
    EXPECT_EQ(dovecot.MessagesOnDisk(), 3);
    CPop3Client client;
    ASSERT_EQ(Connect(client), 1);
    int count = 0, total = 0;
    ASSERT_EQ(client.Stat(count, total), 1);
    EXPECT_EQ(count, 3);
    char* text = nullptr;
    ASSERT_EQ(client.GetTop(2, text), 1);  // the former third message
    EXPECT_EQ(std::string(text), HeaderWithCrLf(messages[2]));
    std::free(text);
}

TEST_F(DovecotClientTest, WrongPasswordFailsCleanly) {
    CPop3Client client;
    EXPECT_EQ(Connect(client, "wrong"), 0);
    EXPECT_EQ(platform::GetLastError(), platform::kProtocolNotSupported);
    EXPECT_EQ(client.m_strLastReply.rfind("-ERR", 0), 0u) << client.m_strLastReply;
    EXPECT_EQ(client.m_bConnected, 0);
    EXPECT_EQ(client.m_connection.m_socket, platform::kInvalidSocket);
}

TEST_F(DovecotClientTest, FailedTopKeepsTheConversationInStep) {
    CPop3Client client;
    ASSERT_EQ(Connect(client), 1);
    client.m_bListLoaded = 1;  // ask for a message the server does not have
    client.m_sizes.assign(10, 100);
    char* text = nullptr;
    EXPECT_EQ(client.GetTop(9, text), 0);
    EXPECT_EQ(client.m_strLastReply.rfind("-ERR", 0), 0u) << client.m_strLastReply;
    ASSERT_EQ(client.GetTop(1, text), 1);
    EXPECT_EQ(std::string(text), HeaderWithCrLf(messages[0]));
    std::free(text);
}

}  // namespace
