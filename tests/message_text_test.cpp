// Header fields by name: lines, folds, case, blanks and the header's end,
// each against a header text written out; the queries of one text share a line.
#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

#include "mail/message_text.h"

TEST(MessageTextTest, Fields) {
    const std::tuple<const char*, const char*, int, const char*> cases[] = {
        // clang-format off
        {"Subject: Hello\r\nFrom: x y", "From", 0, "x y"}, {"Subject: Hello\r\nFrom: x y", "Subject", 0, "Hello"},
        {"Subject: Hello\r\n World", "Subject", 0, "Hello World"}, {"Subject: Hello\r\n\tWorld", "Subject", 0, "Hello World"},
        {"Subject: Hello\r\n  World", "Subject", 0, "Hello  World"}, {"Subject:\ta\t\tb\t", "Subject", 0, "a  b"},
        {"Subject:   \r\nFrom: x", "Subject", 0, ""}, {"sUBJECT:hI", "Subject", 0, "hI"}, {"X-Zahl: Hi", "x-zAhL", 0, "Hi"}, {"Subject : Hi", "Subject", 0, ""},
        {"X-From: a\r\nFrom: b", "From", 0, "b"}, {"Resent-From: a", "From", 0, ""}, {"X-Note: a\r\n Subject: fake\r\nSubject: real", "Subject", 0, "real"},
        {"Subject: one\r\nSubject: two", "Subject", 1, "two"}, {"Subject: one\r\nSubject: two", "Subject", 2, ""},
        {"Subject: one\r\nSubject: two", "Subject", -1, "one"}, {"From: a\r\n\r\nSubject: b", "Subject", 0, ""},
        {"\r\n\r\nSubject: b", "Subject", 0, ""}, {"Subject: a\r\nFrom: b\r\n", "From", 0, "b"},
        {"Subject: a\r\n \r\nFrom: b", "Subject", 0, "a"}, {"Subject: a\r\n \r\nFrom: b", "From", 0, "b"},
        {"Subject: a\nFrom: b", "Subject", 0, "a\nFrom: b"}, {"Subject: a\nFrom: b", "From", 0, ""}, {"Subject: a\r-From: b", "From", 0, ""},
        {"X: y\r\r\nSubject: a\rb\r\r\n c\r\n", "Subject", 0, "a\rb\r c"}, {"Subject: \xdc" "ber \xe4\v\r\nFrom: J\xc3\xbcrgen", "Subject", 0, "\xdc" "ber \xe4"},
        {"\xfc" "From: a\r\nFROM: =?UTF-8?Q?J=C3=BCrgen?= <j@x>", "From", 0, "=?UTF-8?Q?J=C3=BCrgen?= <j@x>"}, {nullptr, "Subject", 0, ""},
        {"Subject:\r Hi\r\r\nFrom: x", "Subject", 0, "Hi"},  // a stray CR is blank like the others
        // clang-format on
    };
    for (const auto& [text, name, occurrence, value] : cases) {
        SCOPED_TRACE(text ? text : "(no text)");
        CMessageText message;
        message.m_pszText = text ? strdup(text) : nullptr;
        EXPECT_EQ(message.GetField(name, occurrence), value);
        EXPECT_STREQ(message.m_pszText, text);  // queries only read
    }
}
