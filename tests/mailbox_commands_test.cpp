// The window's two commands against the scripted server: the rows, what the
// user sees along the way and at the end, and the bytes on the wire.
#include "ui/mailbox_commands.h"

#include <gtest/gtest.h>

#include <tuple>

#include "res/resource.h"
#include "tests/support/fake_window.h"
#include "tests/support/transcript.h"
#include "ui/display_text.h"

namespace {

const std::string kEnd = "CRSET|S+OK|" + kQuit;

const std::string kDeleteTwo = kLogin + Stat(3) + ListOf({1, 2, 3}) + "CDELE 2|S+OK|";  // of three

// A listing of three, with ids or from a server without.
std::string ListThree(bool ids) {
    return kLogin + Stat(3) + Stat(3) + ListOf({1, 2, 3}, ids) + Top(1, "Subject: one") +
           Top(2, "Subject: two") + Top(3, "Subject: three") + kEnd;
}

class CommandsTest : public ::testing::Test {
protected:
    // "Jetzt nachsehen ...", or with a row selected "Ausgewählte Mail
    // löschen"; the rows after it, a line each.
    std::string Press(const std::string& transcript, int selected = -1) {
        server.Play(transcript);
        window.selected = selected;
        window.log.clear();
        selected < 0 ? commands.CheckNow() : commands.DeleteSelected();
        EXPECT_EQ(server.Finish(), server.expected);
        std::string rows;
        for (const std::string& row : window.rows) {
            rows += row + "\n";
        }
        return rows;
    }

    ScriptedServer server;
    FakeWindow window;
    MailboxCommands commands{window, window, server.port};
};

// One press after another on the same window, as a user makes them: a listing
// (row -1) or the delete of a row, the rows after it and the last status.
TEST_F(CommandsTest, Presses) {
    const std::string one = "(001) one von : 100 bytes\n", two = "(002) two von : 200 bytes\n",
                      three = "(003) three von : 300 bytes\n";
    const char *info = "Info über Message-Größe nicht verfügbar", *asked = "Erfrage Statistik...",
               *refused = "Verbindung mit dem Server fehlgeschlagen.", *deleted = "Mail gelöscht",
               *kept = "Mail konnte nicht gelöscht werden";
    std::string utf8, umlauts, emoji, latin1(2000, '\xfc');
    for (int i = 0; i < 600; ++i) {
        utf8 += "\xe2\x82\xac";       // €: the cut splits one
        umlauts += "\xc3\xbc";        // ü: the cut falls between two
        emoji += "\xf0\x9f\x98\x80";  // four bytes: the cut splits one
    }
    // The ends of the ranges of controls, each shown as U+FFFD (a line separator first, which
    // would make one row look like two), and the characters just outside them, which stay.
    const std::string
        ends = "\xe2\x80\xa8\xe2\x80\x8e\xe2\x80\x8f\xe2\x81\xa6\xe2\x81\xa9\xc2\x9f",
        outside = "\xe2\x80\xa7\xe2\x80\x8d\xe2\x80\x90\xc2\xa0\xe2\x80\xaf\xe2\x81\xaa",
        shownEnds = "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd";
    const std::string unread = one + two + "(003) Mail # 3: 300 bytes\n";
    std::string shared = ListThree(true);  // message 2 has the id of message 1
    shared.replace(shared.find("S2 u2"), 5, "S2 u1");
    std::string partial = ListThree(true);  // no id for message 3
    partial.erase(partial.find("S3 u3|"), 6);
    const std::tuple<std::string, int, std::string, const char*> cases[] = {
        // clang-format off
        {kLogin + Stat(3) + Stat(3) + ListOf({1, 2, 3}) + Top(1, "Subject: Hallo|SFrom: Bob <b@x.org>") +
             Top(2, "Subject: \t |SFrom: carol") + "CTOP 3 0|S-ERR no such message|CRSET|S-ERR|" + kQuit, -1,
         "(001) Hallo von Bob <b@x.org>: 100 bytes\n(002) Mail # 2 von carol: 200 bytes\n(003) Mail # 3: 300 bytes\n", asked},
        {"S+OK|CUSER alice|S+OK|CPASS secret|S-ERR|" + kQuit, -1, "", refused},
        {"S+OK|CUSER alice|S+OK|CPASS secret|S-ERR|X|", -1, "", refused},  // and hung up: no QUIT, no wait
        {"S+OK|!|", -1, "", refused},  // a peer that has gone: sends fail, and no signal ends the process
        {"W10500|S+OK|", -1, "", refused},  // a greeting too late: not even QUIT follows
        // An absurd count: no absurd first buffer, and no size past the list.
        {kLogin + "CSTAT|S-ERR busy|" + kQuit, -1, "", "Erfragen der Statistik fehlgeschlagen."},
        {kLogin + "CSTAT|S+ok 1 0|" + kQuit, -1, "", "Erfragen der Statistik fehlgeschlagen."},
        {kLogin + Stat(0) + kQuit, -1, "", "Keine Mails auf dem Server"},
        {kLogin + Stat(-3) + kEnd, -1, "", asked},
        {kLogin + Stat(2147483647) + Stat(2147483647) + ListOf({1, 2}) + Top(1, "Subject: a") + Top(2, "Subject: b") + kEnd, -1,
         "(001) a von : 100 bytes\n(002) b von : 200 bytes\n", info},
        {kLogin + Stat(2000000000) + Stat(2000000000) + "CLIST|S-ERR|CLIST|S-ERR|" + kEnd, -1, "", info},
        // Server text shows as UTF-8 where it is, else as Latin-1; rows are
        // cut at 1023 bytes, and never inside a UTF-8 character.
        {kLogin + Stat(7) + Stat(7) + ListOf({1, 2, 3, 4, 5, 6, 7}) + Top(1, "Subject: x" + utf8) + Top(2, "Subject: " + latin1) +
             Top(3, "Subject: \xc3\x9c" "ber|SFrom: J\xc3\xbcrgen") + Top(4, "Subject: xy" + emoji) +
             Top(5, "Subject: " + std::string(1001, 's')) + Top(6, "Subject: x" + umlauts) + Top(7, "Subject: \xc3(") + kEnd, -1,
         "(001) x" + utf8.substr(0, 1014) + "\n(002) " + DisplayText(latin1.substr(0, 1017)) + "\n(003) \xc3\x9c" "ber von J\xc3\xbcrgen: 300 bytes\n"
             "(004) xy" + emoji.substr(0, 1012) + "\n(005) " + std::string(1001, 's') + " von : 500 bytes\n(006) x" + umlauts.substr(0, 1016) + "\n(007) \xc3\x83( von : 700 bytes\n", asked},
        // Each field in its own charset; controls, those of bidirectional text among them, shown as U+FFFD.
        {kLogin + Stat(2) + Stat(2) + ListOf({1, 2}) + Top(1, "Subject: Rechnung \xe2\x80\xaegro.knab\x01\xd8\x9c" + ends + outside + "|SFrom: J\xfcrgen") +
             Top(2, "Subject: \xe4\x85\x7f\t!") + kEnd, -1,
         "(001) Rechnung \xef\xbf\xbdgro.knab\xef\xbf\xbd\xef\xbf\xbd" + shownEnds + outside + " von J\xc3\xbcrgen: 100 bytes\n(002) \xc3\xa4\xef\xbf\xbd\xef\xbf\xbd ! von : 200 bytes\n", asked},
        // A delete finds the row's message by its id, and a row goes only once
        // the server has confirmed QUIT.
        {ListThree(true), -1, one + two + three, asked},
        {kLogin + Stat(3) + ListOf({1, 2, 3}) + "CDELE 2|S-ERR locked|" + kQuit, 1, one + two + three, kept},
        {kDeleteTwo + "CQUIT|S-ERR could not expunge|", 1, one + two + three, kept},
        // QUIT carried out, its answer lost: the retry finds the message gone
        // and deletes no other.
        {kDeleteTwo + "CQUIT|X|", 1, one + two + three, kept},
        {kLogin + Stat(2) + ListOf({1, 3}) + kQuit, 1, one + two + three, kept},
        // A STAT reply with more behind it than the reader takes in: what is left is dropped, or
        // the replies would run one behind, and the server's yes to DELE pass for one to QUIT.
        {kLogin + "CSTAT|=+OK 3 600\r\n" + std::string(88, ' ') + "+OK\r\n1 100\r\n2 200\r\n3 300\r\n.\r\n|" + ListOf({1, 2, 3}) + "CDELE 2|S+OK|CQUIT|", 1,
         one + two + three, kept},
        {kDeleteTwo + kQuit, 1, one + three, deleted},
        // Another mail program took message 1: the row of message 3 is number 1 now.
        {kLogin + Stat(1) + ListOf({3}) + "CDELE 1|S+OK|" + kQuit, 1, one, deleted},
        {kLogin + Stat(2) + "CLIST|S-ERR|" + kQuit, 0, one, kept},
        // The size list fails to load the first time: message 1 is left out.
        {kLogin + Stat(3) + Stat(3) + "CLIST|S-ERR later|" + ListOf({1, 2, 3}) + Top(2, "Subject: two") + Top(3, "Subject: three") + kEnd, -1,
         two + three, info},
        {kDeleteTwo + kQuit, 0, three, deleted},
        // A reply after the idle time-out is no other command's: the conversation
        // ends without another word, and nothing it did not finish is changed.
        {kLogin + Stat(3) + Stat(3) + ListOf({1, 2, 3}) + Top(1, "Subject: one") + Top(2, "Subject: two") + "CTOP 3 0|W10500|S+OK|SSubject: three|S|S.|", -1, unread, asked},
        {kLogin + Stat(3) + ListOf({1, 2, 3}) + "CDELE 2|W10500|S+OK|", 1, unread, kept},
        {kLogin + Stat(3) + ListOf({1, 2, 3}) + "CDELE 2|S+OK|" + kQuit, 1, one + "(003) Mail # 3: 300 bytes\n", deleted},
        // Without ids, a delete goes only while the count and the size are
        // as the listing and the deletions since leave them; once they are
        // not, or the outcome is unknown, no row is offered any more.
        {shared, -1, one + two + three, asked},  // ids two messages share count as none
        {kLogin + Stat(3) + ListOf({1, 2, 3}, false) + "CDELE 2|S+OK|" + kQuit, 1, one + three, deleted},
        {kLogin + Stat(2) + ListOf({1, 3}, false) + "CDELE 2|S+OK|" + kQuit, 1, one, deleted},
        {kLogin + Stat(1) + ListOf({1}, false) + "CDELE 1|S+OK|" + kQuit, 0, "", deleted},  // the rows above keep theirs
        {partial, -1, one + two + three, asked},  // ids not every message has count as none too
        {kLogin + Stat(3) + ListOf({1, 4, 3}, false) + kQuit, 1, "", kept},  // a size not the row's
        {ListThree(false), -1, one + two + three, asked},
        {kLogin + Stat(3) + ListOf({1, 2, 3}, false) + "!|", 1, one + two + three, kept},  // no DELE went
        {kLogin + Stat(3) + "!|", 1, one + two + three, kept},  // nor a LIST: nothing is known
        {kLogin + "CSTAT|S-ERR busy|" + kQuit, 1, one + two + three, kept},  // nor a STAT
        {"S+OK|CUSER alice|S+OK|CPASS secret|S-ERR|" + kQuit, 1, one + two + three, refused},
        {kLogin + Stat(3) + ListOf({1, 2, 3}, false) + "CDELE 2|S+OK|CQUIT|X|", 1, "", kept},
        {ListThree(false), -1, one + two + three, asked},
        {kLogin + Stat(2) + ListOf({1, 2}, false) + kQuit, 1, "", kept},  // a count not the listing's
        // clang-format on
    };
    for (const auto& [transcript, row, rows, status] : cases) {
        SCOPED_TRACE(transcript.substr(0, 160));
        EXPECT_EQ(Press(transcript, row), rows);
        EXPECT_EQ(window.log.back(), status);
        EXPECT_EQ(window.log.front(), "");  // with the box unchecked, nothing is stored
    }
}

// Server text is taken for UTF-8 only where it is valid, else for Latin-1:
// valid text with a DEL and each length, then each way to be invalid on its own: overlong
// (twice), a surrogate, past U+10FFFF, a lead byte past F4, cut short, a
// continuation byte without its lead.
TEST(DisplayTextTest, Utf8OnlyWhereValid) {
    for (const std::string text :
         {"a\x7f\xc3\xbc\xe0\xa0\x80\xf0\x9f\x98\x80\xf4\x8f\xbf\xbf", "\xe0\x80\xaf", "\xc1\xbf",
          "\xed\xa0\x80", "\xf4\x90\x80\x80", "\xf5\x80\x80\x80", "\xe2\x82", "\x80"}) {
        EXPECT_EQ(DisplayText(text) == text, text[0] == 'a') << text;
    }
    EXPECT_EQ(DisplayText("\x80\xff\x7f"), "\xc2\x80\xc3\xbf\x7f");  // Latin-1, ASCII and DEL kept
}

// What the user sees along the way, and when the fields are stored: before
// anything else, and only by a listing; and fields that go on the wire whole
// and alone.
TEST_F(CommandsTest, AlongTheWay) {
    window.remember = 1;
    Press(kLogin + Stat(0) + kQuit);
    EXPECT_EQ(window.log, (std::vector<std::string>{
                              "settings/server=127.0.0.1", "settings/user=alice",
                              "settings/password=secret", "", "Connecting to: 127.0.0.1...",
                              "Erfrage Statistik...", "Keine Mails auf dem Server"}));
    // A row the list did not take stands for no message.
    window.full = "one";
    Press(ListThree(true));
    Press(kLogin + Stat(3) + ListOf({1, 2, 3}) + "CDELE 2|S+OK|" + kQuit, 0);
    EXPECT_EQ(window.log,
              (std::vector<std::string>{"", "Connecting to: 127.0.0.1...",
                                        "Versuche die Mail zu löschen", "Mail gelöscht"}));
    EXPECT_EQ(window.rows, std::vector<std::string>{"(003) three von : 300 bytes"});
    // A name, as the resolver gives it for IPv4.
    window.fields[IDC_SERVER] = "localhost";
    Press(kLogin + Stat(0) + kQuit);
    EXPECT_EQ(window.log.back(), "Keine Mails auf dem Server");
    // A line break would smuggle a second command onto the wire.
    for (const char* user : {"alice\r\nDELE 1", "alice\n", "alice\r"}) {
        window.fields[IDC_USER] = user;
        const uint32_t start = server.now;
        Press("S+OK|" + kQuit);
        EXPECT_EQ(window.log.back(), "Verbindung mit dem Server fehlgeschlagen.");
        EXPECT_LT(server.now - start, CPop3Client::kIdleTimeoutMs);  // no wait for a reply
    }
    // An IPv6 address is not read as some IPv4 one (on Linux, 0.0.0.0 is this
    // machine): nothing goes to any server.
    window.fields[IDC_SERVER] = "::1";
    Press("S+OK POP3 ready|");
    EXPECT_EQ(window.log.back(), "Verbindung mit dem Server fehlgeschlagen.");
}

}  // namespace
