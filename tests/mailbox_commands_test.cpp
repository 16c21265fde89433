// The window's two commands against the scripted server: the rows, what the
// user sees, what is stored, and the bytes on the wire.
#include "ui/mailbox_commands.h"

#include <gtest/gtest.h>

#include <tuple>

#include "res/resource.h"
#include "tests/support/fake_window.h"
#include "tests/support/transcript.h"

namespace {

const std::string kOne = "(001) one von : 100 bytes\n";
const std::string kTwo = "(002) two von : 200 bytes\n";
const std::string kThree = "(003) three von : 300 bytes\n";
const std::string kAsked = "Erfrage Statistik...";
const std::string kRefused = "Verbindung mit dem Server fehlgeschlagen.";
const std::string kNoSize = "Info über Message-Größe nicht verfügbar";
const std::string kDeleted = "Mail gelöscht";
const std::string kKept = "Mail konnte nicht gelöscht werden";

const std::string kLoginRefused = "S+OK|CUSER alice|S+OK|CPASS secret|S-ERR|";
const std::string kEnd = "CRSET|S+OK|" + kQuit;

// A listing's conversation up to its first TOP: its own STAT, the list's.
std::string Counted(int count) {
    return kLogin + Stat(count) + Stat(count);
}

// A listing of three, with ids or from a server without.
std::string ListThree(bool ids) {
    return Counted(3) + ListOf({1, 2, 3}, ids) + Top(1, "Subject: one") + Top(2, "Subject: two") +
           Top(3, "Subject: three") + kEnd;
}

// A delete's conversation up to DELE of number, with the messages present.
std::string DeleteOf(const std::vector<int>& present, bool ids, int number) {
    return kLogin + Stat(static_cast<int>(present.size())) + ListOf(present, ids) + "CDELE " +
           std::to_string(number) + "|";
}

std::string Repeat(const std::string& text, int times) {
    std::string repeated;
    for (int i = 0; i < times; ++i) {
        repeated += text;
    }
    return repeated;
}

constexpr int kListing = -2;  // no row, for no delete: a listing

class CommandsTest : public ::testing::Test {
protected:
    // "Jetzt nachsehen ...", or with a row selected (-1 for none) "Ausgewählte
    // Mail löschen", against the transcript: the rows after it, a line each,
    // and the last status. The client must have sent what the transcript says.
    std::string Press(const std::string& transcript, int selected = kListing) {
        server.Play(transcript);
        window.selected = selected;
        window.log.clear();
        if (selected == kListing) {
            commands.CheckNow();
        } else {
            commands.DeleteSelected();
        }
        EXPECT_EQ(server.Finish(), server.expected);
        std::string shown;
        for (const std::string& row : window.rows) {
            shown += row + "\n";
        }
        return shown + window.log.back();
    }

    ScriptedServer server;
    FakeWindow window;
    MailboxCommands commands{window, window, server.port};
};

// A row per message whose size is known, in the server's order, from the
// header lines only; or why not. Whatever the server does, the press ends.
TEST_F(CommandsTest, ListingShowsEachMessageOrSaysWhyNot) {
    const std::string huge = "CSTAT|S+OK 99999999999999999999 0|";
    const std::tuple<const char*, std::string, std::string> cases[] = {
        {"the three row formats",
         Counted(3) + ListOf({1, 2, 3}) + Top(1, "Subject: Hallo|SFrom: Bob <b@x.org>") +
             Top(2, "Subject: \t |SFrom: carol") + "CTOP 3 0|S-ERR no such message|CRSET|S-ERR|" +
             kQuit,
         "(001) Hallo von Bob <b@x.org>: 100 bytes\n(002) Mail # 2 von carol: 200 bytes\n"
         "(003) Mail # 3: 300 bytes\n" +
             kAsked},
        {"a refused login ends with QUIT", kLoginRefused + kQuit, kRefused},
        {"a refusal and a hang-up: no QUIT and no wait", kLoginRefused + "X|", kRefused},
        {"a greeting after the time-out: not even QUIT", "W10500|S+OK|", kRefused},
        {"STAT refused", kLogin + "CSTAT|S-ERR busy|" + kQuit,
         "Erfragen der Statistik fehlgeschlagen."},
        {"an empty mailbox", kLogin + Stat(0) + kQuit, "Keine Mails auf dem Server"},
        {"a count past any int, and no size past the list",
         kLogin + huge + huge + ListOf({1, 2}) + Top(1, "Subject: one") + Top(2, "Subject: two") +
             kEnd,
         kOne + kTwo + kNoSize},
        {"a list that keeps failing is asked for twice",
         Counted(2000000000) + "CLIST|S-ERR|CLIST|S-ERR|" + kEnd, kNoSize},
        {"a header after the time-out ends the conversation",
         Counted(3) + ListOf({1, 2, 3}) + "CTOP 1 0|W10500|S+OK|S.|",
         "(001) Mail # 1: 100 bytes\n" + kNoSize},
    };
    for (const auto& [name, transcript, shown] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(Press(transcript), shown);
    }
}

// Server text shows as UTF-8 where it is, else as Latin-1, and every control
// as U+FFFD, the marks of bidirectional text among them, so that a sender can
// neither hide nor reorder what a row says; a row is cut at 1023 bytes, never
// inside a character.
TEST_F(CommandsTest, RowsShowServerTextSafely) {
    const std::string smile = "\xf0\x9f\x98\x80", replaced = "\xef\xbf\xbd";
    const std::tuple<const char*, std::string, std::string> cases[] = {
        {"UTF-8 cut", "Subject: xy" + Repeat(smile, 600), "(001) xy" + Repeat(smile, 253)},
        {"Latin-1 cut", "Subject: " + std::string(2000, '\xfc'), "(001) " + Repeat("ü", 1017)},
        {"controls",
         "Subject: a\xe2\x80\xae"
         "b\x01|SFrom: J\xfcrgen",
         "(001) a" + replaced + "b" + replaced + " von J\xc3\xbcrgen: 100 bytes"},
    };
    for (const auto& [name, header, row] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(Press(Counted(1) + ListOf({1}) + Top(1, header) + kEnd), row + "\n" + kAsked);
    }
}

// A delete finds the row's message by its id, and the row goes only once the
// server has confirmed QUIT; any other end keeps the rows and says so.
TEST_F(CommandsTest, DeleteById) {
    const std::string all = kOne + kTwo + kThree, two = DeleteOf({1, 2, 3}, true, 2);
    const std::string lookAlike =
        "CSTAT|=+OK 3 600\r\n" + std::string(88, ' ') + "+OK\r\n1 100\r\n2 200\r\n3 300\r\n.\r\n|";
    const std::tuple<const char*, std::string, std::string> cases[] = {
        {"the row's message", two + "S+OK|" + kQuit, kOne + kThree + kDeleted},
        {"one that another program left as number 1", DeleteOf({2, 3}, true, 1) + "S+OK|" + kQuit,
         kOne + kThree + kDeleted},
        {"DELE refused", two + "S-ERR locked|" + kQuit, all + kKept},
        {"DELE answered too late", two + "W10500|S+OK|", all + kKept},
        {"QUIT refused", two + "S+OK|CQUIT|S-ERR|", all + kKept},
        {"QUIT unanswered", two + "S+OK|CQUIT|X|", all + kKept},
        {"the message gone", kLogin + Stat(2) + ListOf({1, 3}) + kQuit, all + kKept},
        {"bytes behind a reply pass for no other",
         kLogin + lookAlike + ListOf({1, 2, 3}) + "CDELE 2|S+OK|CQUIT|", all + kKept},
    };
    for (const auto& [name, transcript, shown] : cases) {
        SCOPED_TRACE(name);
        Press(ListThree(true));
        EXPECT_EQ(Press(transcript, 1), shown);
    }
}

// Without ids, a delete goes only while the count and the row's size show that
// nothing has moved. Once they do not, or QUIT's outcome is unknown, any row
// may stand for another message: none is offered any more.
TEST_F(CommandsTest, DeleteWithoutIds) {
    const std::tuple<const char*, std::string, std::string> cases[] = {
        {"a count not the listing's", kLogin + Stat(2) + ListOf({1, 2}, false) + kQuit, kKept},
        {"a size not the row's", kLogin + Stat(3) + ListOf({1, 4, 3}, false) + kQuit, kKept},
        {"QUIT unanswered", DeleteOf({1, 2, 3}, false, 2) + "S+OK|CQUIT|X|", kKept},
        {"nothing known", kLogin + Stat(3) + "X|", kOne + kTwo + kThree + kKept},
    };
    for (const auto& [name, transcript, shown] : cases) {
        SCOPED_TRACE(name);
        Press(ListThree(false));
        EXPECT_EQ(Press(transcript, 1), shown);
    }
}

// Without ids, the rows below a deleted one stand for numbers one lower, and
// the rows above keep theirs.
TEST_F(CommandsTest, DeletesInTurnWithoutIds) {
    Press(ListThree(false));
    EXPECT_EQ(Press(DeleteOf({1, 2, 3}, false, 2) + "S+OK|" + kQuit, 1), kOne + kThree + kDeleted);
    EXPECT_EQ(Press(DeleteOf({1, 3}, false, 2) + "S+OK|" + kQuit, 1), kOne + kDeleted);
    EXPECT_EQ(Press(DeleteOf({1}, false, 1) + "S+OK|" + kQuit, 0), kDeleted);
}

// A row the list did not take stands for no message.
TEST_F(CommandsTest, ARowTheListRefusedStandsForNoMessage) {
    window.full = "one";
    Press(ListThree(true));
    EXPECT_EQ(Press(DeleteOf({1, 2, 3}, true, 2) + "S+OK|" + kQuit, 0), kThree + kDeleted);
}

// Ids name messages one to one: one per message, on its number's line, none
// twice; an id may hold dots, as Cyrus makes them. Where they do not, the rows
// hold none, and a delete after another program took message 1 finds the
// count changed instead of the message.
TEST_F(CommandsTest, IdsThatNameNoMessageOneToOneCountAsNone) {
    const std::string taken = Stat(2) + "CLIST|S+OK|S1 200|S2 300|S.|CUIDL|S+OK|S1 1.2|S2 1.3|S.|";
    const std::tuple<const char*, std::string, std::string, std::string> cases[] = {
        {"ids with dots", "S1 1.1|S2 1.2|S3 1.3|", "CDELE 1|S+OK|" + kQuit,
         kOne + kThree + kDeleted},
        {"an id twice", "S1 1.1|S2 1.1|S3 1.3|", kQuit, kKept},
        {"an id missing", "S1 1.1|S2 1.2|", kQuit, kKept},
        {"ids out of order", "S2 1.2|S1 1.1|S3 1.3|", kQuit, kKept},
    };
    for (const auto& [name, ids, end, shown] : cases) {
        SCOPED_TRACE(name);
        const std::string list = "CLIST|S+OK|S1 100|S2 200|S3 300|S.|CUIDL|S+OK|" + ids + "S.|";
        Press(Counted(3) + list + Top(1, "Subject: one") + Top(2, "Subject: two") +
              Top(3, "Subject: three") + kEnd);
        EXPECT_EQ(Press(kLogin + taken + end, 1), shown);
    }
}

// The password goes to the host typed and nowhere else, and a field goes on
// the wire whole and alone. A client that reached the server would send USER.
TEST_F(CommandsTest, FieldsGoOnlyWhereTyped) {
    const std::tuple<const char*, int, const char*, std::string> cases[] = {
        {"a name, as the resolver gives it", IDC_SERVER, "localhost", kLogin + Stat(0) + kQuit},
        {"an IPv6 address is no IPv4 one", IDC_SERVER, "::1", "S+OK|"},
        {"a dotted address not the server's", IDC_SERVER, "127.0.0.2", "S+OK|"},
        {"a line break would smuggle a command", IDC_USER, "alice\r\nDELE 1", "S+OK|" + kQuit},
        {"a line feed alone", IDC_USER, "alice\n", "S+OK|" + kQuit},
    };
    for (const auto& [name, field, text, transcript] : cases) {
        SCOPED_TRACE(name);
        window.fields = FakeWindow().fields;
        window.fields[field] = text;
        Press(transcript);
    }
}

// What the user sees along the way, and when the fields are stored: before
// anything else, and only by a listing.
TEST_F(CommandsTest, StatusesAndStoredFields) {
    window.remember = 1;
    Press(kLogin + Stat(0) + kQuit);
    EXPECT_EQ(window.log, (std::vector<std::string>{
                              "settings/server=127.0.0.1", "settings/user=alice",
                              "settings/password=secret", "", "Connecting to: 127.0.0.1...",
                              "Erfrage Statistik...", "Keine Mails auf dem Server"}));
    Press(ListThree(true));
    Press(DeleteOf({1, 2, 3}, true, 2) + "S+OK|" + kQuit, 1);
    EXPECT_EQ(window.log,
              (std::vector<std::string>{"", "Connecting to: 127.0.0.1...",
                                        "Versuche die Mail zu löschen", "Mail gelöscht"}));
    // No row selected: a box says so, and no server hears of it.
    EXPECT_EQ(Press("S+OK|", -1), kOne + kThree + "box: Keine Mail zu löschen ausgewählt");
}

}  // namespace
