// Header fields by name, as a real mailbox's headers have them.
#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

#include "mail/message_text.h"

TEST(MessageTextTest, FieldsByName) {
    const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
        {"the last line, to the end", "Subject: Hello\r\nFrom: x y", "From", "x y"},
        {"folded with a blank", "Subject: Hello\r\n World", "Subject", "Hello World"},
        {"folded with a tab", "Subject: Hello\r\n\tWorld", "Subject", "Hello World"},
        {"tabs as blanks, trimmed", "Subject:\ta\t\tb\t", "Subject", "a  b"},
        {"any case, the value's kept", "sUBJECT:hI", "Subject", "hI"},
        {"a blank before the colon", "Subject : Hi", "Subject", ""},
        {"a name that ends another", "X-From: a\r\nFrom: b", "From", "b"},
        {"a continuation line", "X: a\r\n Subject: fake\r\nSubject: real", "Subject", "real"},
        {"the body", "From: a\r\n\r\nSubject: b", "Subject", ""},
        {"a blank line that folds", "Subject: a\r\n \r\nFrom: b", "From", "b"},
        {"a lone line feed", "Subject: a\nFrom: b", "Subject", "a\nFrom: b"},
        {"nothing decoded", "From: =?UTF-8?Q?J=C3=BCrgen?= <j@x>", "From",
         "=?UTF-8?Q?J=C3=BCrgen?= <j@x>"},
        {"no text", nullptr, "Subject", ""},
    };
    for (const auto& [name, text, field, value] : cases) {
        SCOPED_TRACE(name);
        CMessageText message;
        message.m_pszText = text != nullptr ? strdup(text) : nullptr;
        EXPECT_EQ(message.GetField(field, 0), value);
    }
}
