// Header fields by name: the rules for lines, folds, case, blanks and the
// header's end, each against a header text written out.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "mail/message_text.h"
#include "tests/support/reference_fields.h"

namespace {

void Fill(CMessageText& message, const std::string& text) {
    std::free(message.m_pszText);
    message.m_pszText = static_cast<char*>(std::malloc(text.size() + 1));
    std::memcpy(message.m_pszText, text.c_str(), text.size() + 1);
}

struct FieldCase {
    const char* name;
    std::string text;
    const char* field;
    int occurrence;
    std::string value;
};

class FieldTest : public ::testing::TestWithParam<FieldCase> {};

TEST_P(FieldTest, ValueAsTheRulesGiveIt) {
    const FieldCase& c = GetParam();
    CMessageText message;
    Fill(message, c.text);
    EXPECT_EQ(message.GetField(c.field, c.occurrence), c.value);
    EXPECT_EQ(ReferenceField(message.m_pszText, c.field, c.occurrence), c.value);
    if (c.occurrence == 0 && std::string(c.field) == "Subject") {
        EXPECT_EQ(message.GetSubject(), c.value);
    }
    if (c.occurrence == 0 && std::string(c.field) == "From") {
        EXPECT_EQ(message.GetFrom(), c.value);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Headers, FieldTest,
    ::testing::Values(
        FieldCase{"LastLineRunsToTheEnd", "Subject: Hello\r\nFrom: x y", "From", 0, "x y"},
        FieldCase{"FirstLine", "Subject: Hello\r\nFrom: x y", "Subject", 0, "Hello"},
        FieldCase{"OnlyLine", "From: x", "From", 0, "x"},
        FieldCase{"FoldedWithBlank", "Subject: Hello\r\n World", "Subject", 0, "Hello World"},
        FieldCase{"FoldedWithTab", "Subject: Hello\r\n\tWorld", "Subject", 0, "Hello World"},
        FieldCase{"FoldKeepsBothBlanks", "Subject: Hello\r\n  World", "Subject", 0, "Hello  World"},
        FieldCase{"TabsBecomeBlanks", "Subject:\ta\t\tb", "Subject", 0, "a  b"},
        FieldCase{"EmptyValue", "Subject:\r\nFrom: x", "Subject", 0, ""},
        FieldCase{"BlankValue", "Subject:   \r\nFrom: x", "Subject", 0, ""},
        FieldCase{"NoBlankAfterColon", "Subject:Hi", "Subject", 0, "Hi"},
        FieldCase{"LowerCaseName", "subject: Hi", "Subject", 0, "Hi"},
        FieldCase{"UpperCaseName", "SUBJECT: Hi", "Subject", 0, "Hi"},
        FieldCase{"ValueKeepsItsCase", "Subject: hI", "Subject", 0, "hI"},
        FieldCase{"BlankBeforeColon", "Subject : Hi", "Subject", 0, ""},
        FieldCase{"LongerNameEndingInTheName", "X-From: a\r\nFrom: b", "From", 0, "b"},
        FieldCase{"OnlyALongerName", "Resent-From: a", "From", 0, ""},
        FieldCase{"NotOnAContinuationLine", "X-Note: a\r\n Subject: fake\r\nSubject: real",
                  "Subject", 0, "real"},
        FieldCase{"FirstOccurrence", "Subject: one\r\nSubject: two", "Subject", 0, "one"},
        FieldCase{"SecondOccurrence", "Subject: one\r\nSubject: two", "Subject", 1, "two"},
        FieldCase{"NoThirdOccurrence", "Subject: one\r\nSubject: two", "Subject", 2, ""},
        FieldCase{"NegativeOccurrence", "Subject: one\r\nSubject: two", "Subject", -1, "one"},
        FieldCase{"NothingAfterTheEmptyLine", "From: a\r\n\r\nSubject: b", "Subject", 0, ""},
        FieldCase{"EmptyHeader", "\r\n\r\nSubject: b", "Subject", 0, ""},
        FieldCase{"TrailingLineEnd", "Subject: a\r\nFrom: b\r\n", "From", 0, "b"},
        FieldCase{"BlankContinuationLine", "Subject: a\r\n \r\nFrom: b", "Subject", 0, "a"},
        FieldCase{"AfterABlankContinuationLine", "Subject: a\r\n \r\nFrom: b", "From", 0, "b"},
        FieldCase{"LoneLineFeedEndsNoLine", "Subject: a\nFrom: b", "Subject", 0, "a\nFrom: b"},
        FieldCase{"NoFieldAfterALoneLineFeed", "Subject: a\nFrom: b", "From", 0, ""},
        FieldCase{"LoneCarriageReturnStays", "Subject: a\rb\r\n c", "Subject", 0, "a\rb c"},
        FieldCase{"EightBitBytesPassThrough",
                  "Subject: \xdc"
                  "ber \xe4\r\nFrom: J\xc3\xbcrgen",
                  "Subject", 0,
                  "\xdc"
                  "ber \xe4"},
        FieldCase{"EncodedWordsStay", "From: =?UTF-8?Q?J=C3=BCrgen?= <j@x>", "From", 0,
                  "=?UTF-8?Q?J=C3=BCrgen?= <j@x>"},
        FieldCase{"EightBitNameBytesAreNotLetters",
                  "\xfc"
                  "From: a\r\nFrom: b",
                  "From", 0, "b"},
        FieldCase{"CrBeforeAFold", "Subject: a\r\r\n b", "Subject", 0, "a\r b"}),
    [](const ::testing::TestParamInfo<FieldCase>& info) { return info.param.name; });

TEST(MessageTextTest, HeaderBlockEndsBeforeTheEmptyLine) {
    CMessageText message;
    Fill(message, "From: a\r\n\r\nSubject: b");
    EXPECT_EQ(message.GetHeaderBlock(), "From: a");
    Fill(message, "\r\n\r\nSubject: b");
    EXPECT_EQ(message.GetHeaderBlock(), "");
    Fill(message, "Subject: a\r\nFrom: b\r\n");
    EXPECT_EQ(message.GetHeaderBlock(), "Subject: a\r\nFrom: b\r\n");
}

TEST(MessageTextTest, AnEmptyHolderAnswersEmptyStrings) {
    CMessageText message;
    EXPECT_EQ(message.m_pszText, nullptr);
    EXPECT_EQ(message.GetHeaderBlock(), "");
    EXPECT_EQ(message.GetSubject(), "");
    EXPECT_EQ(message.GetFrom(), "");
    Fill(message, "");
    EXPECT_EQ(message.GetSubject(), "");
}

TEST(MessageTextTest, QueriesLeaveTheTextAlone) {
    CMessageText message;
    const std::string text = "subject: \tMixed Case\r\n folded\r\nFROM: x\r\n\r\nbody";
    Fill(message, text);
    message.GetSubject();
    message.GetFrom();
    message.GetHeaderBlock();
    EXPECT_EQ(std::string(message.m_pszText), text);
    EXPECT_EQ(message.GetSubject(), "Mixed Case folded");  // and again the same
}

TEST(MessageTextTest, ALongFoldedSubjectIsJoinedWhole) {
    std::string text = "Subject: start";
    std::string expected = "start";
    for (int i = 0; i < 20000; ++i) {
        text += "\r\n\tw" + std::to_string(i);
        expected += " w" + std::to_string(i);
    }
    CMessageText message;
    Fill(message, text + "\r\nFrom: f\r\n");
    EXPECT_EQ(message.GetSubject(), expected);
    EXPECT_EQ(message.GetFrom(), "f");
}

}  // namespace
