// The parsers of the STAT, LIST and UIDL replies, with their rules for blanks.
#include <string>
#include <vector>

#include "tests/support/pop3_test.h"

namespace {

class ReplyParsersTest : public Pop3Test {
protected:
    void Attach(CPop3Client& client, const std::string& reply) {
        Play({Raw(reply)});
        ASSERT_EQ(client.m_connection.Create(), 1);
        ASSERT_EQ(client.m_connection.Connect("127.0.0.1", server->Port()), 1);
    }
};

TEST_F(ReplyParsersTest, Stat) {
    struct Case {
        const char* reply;
        int result, count, total;
    } cases[] = {
        {"+OK 3 420\r\n", 1, 3, 420},
        {"+OK\t3\t420\r\n", 1, 3, 420},
        {"+OK  3 420\r\n", 1, 3, 3},  // the second blank starts the total
        {"+OK 3\r\n", 0, 3, -1},      // the count is stored all the same
        {"+OK\r\n", 0, -1, -1},
        {"+ok 3 420\r\n", 0, -1, -1},  // only upper case counts here
        {"+OK -7 x\r\n", 1, -7, 0},
        {"+OK 99999999999 -99999999999\r\n", 1, 2147483647, -2147483647 - 1},
    };
    for (const Case& c : cases) {
        CPop3Client client;
        Attach(client, c.reply);
        int count = -1, total = -1;
        EXPECT_EQ(client.ParseStat(count, total), c.result) << c.reply;
        EXPECT_EQ(count, c.count) << c.reply;
        EXPECT_EQ(total, c.total) << c.reply;
        if (c.count != -1) {
            EXPECT_EQ(client.m_nMessageCount, c.count) << c.reply;
        }
    }
}

TEST_F(ReplyParsersTest, List) {
    struct Case {
        const char* name;
        std::string reply;
        std::vector<uint32_t> sizes;
    } cases[] = {
        {"empty mailbox", "+OK\r\n.\r\n", {}},
        {"two messages", "+OK 2 messages (320 octets)\r\n1 120\r\n2 200\r\n.\r\n", {120, 200}},
        {"tab", "+OK\r\n1\t120\r\n.\r\n", {120}},
        {"two blanks append twice", "+OK\r\n1  120\r\n2 200\r\n.\r\n", {120, 120, 200}},
        {"blank and tab append twice", "+OK\r\n1 \t120\r\n.\r\n", {120, 120}},
        {"trailing blank takes the next line's number",
         "+OK\r\n1 120 \r\n2 200\r\n.\r\n",
         {120, 2, 200}},
        {"garbage counts as zero", "+OK\r\n1 abc\r\n.\r\n", {0}},
        {"status line words are not read", "+OK 9 9\r\n.\r\n", {}},
        {"a dot in a line ends the walk", "+OK\r\n1 1.5\r\n2 7\r\n.\r\n", {1}},
        {"bytes behind the dot line are dropped", "+OK\r\n1 5\r\n.\r\n3 7\r\n", {5}},
    };
    for (const Case& c : cases) {
        CPop3Client client;
        Attach(client, c.reply);
        client.m_sizes = {99};
        EXPECT_EQ(client.ParseList(2), 1) << c.name;
        EXPECT_EQ(client.m_sizes, c.sizes) << c.name;
    }
}

TEST_F(ReplyParsersTest, ListBufferIsCappedForAbsurdCounts) {
    for (int expected : {2147483647, -2147483647 - 1, -7, 0}) {
        CPop3Client client;
        Attach(client, "+OK\r\n1 5\r\n.\r\n");
        EXPECT_EQ(client.ParseList(expected), 1) << expected;
        EXPECT_EQ(client.m_sizes, std::vector<uint32_t>{5}) << expected;
    }
}

TEST_F(ReplyParsersTest, Uidl) {
    struct Case {
        const char* name;
        std::string reply;
        std::vector<std::string> ids;
    } cases[] = {
        {"empty", "+OK\r\n.\r\n", {}},
        {"two ids", "+OK\r\n1 abc\r\n2 def\r\n.\r\n", {"abc", "def"}},
        {"one word is skipped", "+OK\r\n1\r\n2 def\r\n.\r\n", {"def"}},
        {"a dot starts a new line", "+OK\r\n1 a.b c\r\n2 d\r\n.\r\n", {"c", "d"}},
        {"bytes behind the dot line are dropped", "+OK\r\n1 abc\r\n2 d.e\r\n.\r\n\xd9", {"abc"}},
        {"long id is cut to 999",
         "+OK\r\n1 " + std::string(1200, 'i') + "\r\n.\r\n",
         {std::string(999, 'i')}},
    };
    for (const Case& c : cases) {
        CPop3Client client;
        Attach(client, c.reply);
        EXPECT_EQ(client.ParseUidl(2), 1) << c.name;
        EXPECT_EQ(client.m_ids, c.ids) << c.name;
    }
}

}  // namespace
