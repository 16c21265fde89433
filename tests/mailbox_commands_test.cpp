// The window's two commands against the scripted server: the rows, what the
// user sees along the way and at the end, and the bytes on the wire.
#include "ui/mailbox_commands.h"
#include "tests/support/fake_window.h"
#include "tests/support/transcript.h"

namespace {

using Texts = std::vector<std::string>;

const std::string kEnd = "CRSET|S+OK|" + kQuit;

class CommandsTest : public Pop3Test {
protected:
    Texts Rows() const {
        Texts rows;
        for (const auto& row : window.rows) {
            rows.push_back(row.first);
        }
        return rows;
    }
    std::string Status() const { return window.fields.at(IDC_STATUS); }
    // "Jetzt nachsehen ...", or with a row selected "Ausgewählte Mail löschen".
    void Press(const std::string& transcript, int selected = -1) {
        server.Play(transcript);
        window.selected = selected;
        window.log.clear();
        if (selected < 0) {
            CheckNow(window, window, server.port);
        } else {
            DeleteSelected(window, server.port);
        }
        ExpectWire();
    }
    void ListThree() {
        Press(kLogin + Stat(3) + Stat(3) + List(3) + Top(1, "Subject: one") +
              Top(2, "Subject: two") + Top(3, "Subject: three") + kEnd);
    }
    static std::string Deletion(int number, int count) {
        return kLogin + Stat(count) + List(count) + "CDELE " + std::to_string(number) +
               "|S+OK marked|";
    }

    FakeWindow window;
};

TEST_F(CommandsTest, Listing) {
    const char* info = "Info über Message-Größe nicht verfügbar";
    const char* asked = "Erfrage Statistik...";
    std::string utf8, latin1(2000, '\xfc');
    for (int i = 0; i < 600; ++i) {
        utf8 += "\xc3\xbc";
    }
    struct Case {
        std::string transcript;
        Texts rows;
        const char* status;
    } cases[] = {
        // clang-format off
        {kLogin + Stat(3) + Stat(3) + List(3) + Top(1, "Subject: Hallo|SFrom: Bob <b@x.org>") +
             Top(2, "Subject: \t |SFrom: carol") + "CTOP 3 0|S-ERR no such message|CRSET|S-ERR|" + kQuit,
         {"(001) Hallo von Bob <b@x.org>: 100 bytes", "(002) Mail # 2 von carol: 200 bytes", "(003) Mail # 3: 300 bytes"}, asked},
        {"S+OK|CUSER alice|S+OK|CPASS secret|S-ERR|" + kQuit, {}, "Verbindung mit dem Server fehlgeschlagen."},
        {kLogin + "CSTAT|S-ERR busy|" + kQuit, {}, "Erfragen der Statistik fehlgeschlagen."},
        {kLogin + "CSTAT|S+ok 1 0|" + kQuit, {}, "Erfragen der Statistik fehlgeschlagen."},
        {kLogin + Stat(0) + kQuit, {}, "Keine Mails auf dem Server"},
        {kLogin + Stat(-3) + kEnd, {}, asked},
        {kLogin + Stat(3) + Stat(3) + "CLIST|S-ERR later|" + List(3) + Top(2, "Subject: two") + Top(3, "Subject: three") + kEnd,
         {"(002) two von : 200 bytes", "(003) three von : 300 bytes"}, info},
        {kLogin + Stat(2147483647) + Stat(2) + List(2) + Top(1, "Subject: a") + Top(2, "Subject: b") + kEnd,
         {"(001) a von : 100 bytes", "(002) b von : 200 bytes"}, info},
        {kLogin + Stat(2000000000) + Stat(2000000000) + "CLIST|S-ERR|CLIST|S-ERR|" + kEnd, {}, info},
        // Server text shows as UTF-8 where it is, else as Latin-1; rows are
        // cut at 1023 bytes, and never inside a UTF-8 character.
        {kLogin + Stat(4) + Stat(4) + List(4) + Top(1, "Subject: xy" + utf8) + Top(2, "Subject: " + latin1) +
             Top(3, "Subject: \xc3\x9c" "ber|SFrom: J\xc3\xbcrgen") + Top(4, "Subject: \xe0\x80\xaf \xed\xa0\x80") + kEnd,
         {"(001) xy" + utf8.substr(0, 1014), "(002) " + DisplayText(latin1.substr(0, 1017)),
          "(003) \xc3\x9c" "ber von J\xc3\xbcrgen: 300 bytes", "(004) \xc3\xa0\xc2\x80\xc2\xaf \xc3\xad\xc2\xa0\xc2\x80 von : 400 bytes"},
         asked},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.transcript.substr(0, 160));
        window.AddString("from an earlier press", 9);
        Press(c.transcript);
        EXPECT_EQ(Rows(), c.rows);
        EXPECT_EQ(Status(), c.status);
    }
}

// What the user sees along the way, and when the fields are stored: before
// anything else, and only with the box checked.
TEST_F(CommandsTest, AlongTheWay) {
    window.remember = 1;
    window.fields[IDC_USER] = "";
    Press("S+OK|CUSER |S+OK|CPASS secret|S+OK|" + Stat(0) + kQuit);
    EXPECT_EQ(window.log, (Texts{"settings/server=127.0.0.1", "settings/user=",
                                 "settings/password=secret", "", "Connecting to: 127.0.0.1...",
                                 "Erfrage Statistik...", "Keine Mails auf dem Server"}));
    window.AddString("(001) x", 1);
    window.remember = 0;
    window.fields[IDC_USER] = "alice";
    Press(kLogin + Stat(1) + "CLIST|S+OK|S1 100|S.|CDELE 1|S+OK|" + kQuit, 0);
    EXPECT_EQ(window.log, (Texts{"", "Connecting to: 127.0.0.1...", "Versuche die Mail zu löschen",
                                 "Mail gelöscht"}));
}

TEST_F(CommandsTest, FieldsGoOnTheWireWholeAndAlone) {
    // A line break would smuggle a second command onto the wire.
    for (const char* user : {"alice\r\nDELE 1", "alice\n", "alice\r"}) {
        window.fields[IDC_USER] = user;
        Press("S+OK|" + kQuit);
        EXPECT_EQ(Status(), "Verbindung mit dem Server fehlgeschlagen.");
    }
    window.fields[IDC_USER] = std::string(300, 'u');
    Press("S+OK|CUSER " + std::string(300, 'u') + "|S-ERR|" + kQuit);
}

TEST_F(CommandsTest, DeletingRows) {
    ListThree();
    window.remember = 1;  // the delete stores nothing all the same
    Press(Deletion(1, 3) + kQuit, 0);
    EXPECT_EQ(Status(), "Mail gelöscht");
    EXPECT_EQ(Rows(), (Texts{"(002) two von : 200 bytes", "(003) three von : 300 bytes"}));
    Press(kLogin + Stat(2) + "CLIST|S-ERR|CDELE 2|S+OK|" + kQuit, 1);  // the former message 3
    EXPECT_EQ(Rows(), Texts{"(002) two von : 200 bytes"});
    EXPECT_TRUE(window.stored.empty());
}

TEST_F(CommandsTest, AFailedDeleteKeepsTheRowAndItsNumber) {
    ListThree();
    const char* failed = "Mail konnte nicht gelöscht werden";
    const std::pair<std::string, const char*> cases[] = {
        {"S+OK|CUSER alice|S+OK|CPASS secret|S-ERR|" + kQuit,
         "Verbindung mit dem Server fehlgeschlagen."},
        {kLogin + Stat(3) + List(3) + "CDELE 2|S-ERR locked|" + kQuit, failed},
        {Deletion(2, 3) + "CQUIT|S-ERR could not expunge|", failed},  // not carried out
    };
    for (const auto& [transcript, status] : cases) {
        Press(transcript, 1);
        EXPECT_EQ(Status(), status);
        EXPECT_EQ(Rows().size(), 3u);
    }
    Press(Deletion(2, 3) + kQuit, 1);
    EXPECT_EQ(Rows(), (Texts{"(001) one von : 100 bytes", "(003) three von : 300 bytes"}));
}

TEST_F(CommandsTest, ARowAfterALeftOutMessageDeletesItsOwnMessage) {
    Press(kLogin + Stat(3) + Stat(3) + "CLIST|S-ERR later|" + List(3) + Top(2, "Subject: two") +
          Top(3, "Subject: three") + kEnd);
    Press(Deletion(2, 3) + kQuit, 0);
    Press(Deletion(2, 2) + kQuit, 0);  // and message 3 is number 2 now
    EXPECT_EQ(Rows(), Texts{});
}

TEST_F(CommandsTest, WithoutASelectionOnlyTheMessageShows) {
    for (int rows = 0; rows < 2; ++rows) {
        server.Play("");
        DeleteSelected(window, server.port);
        window.AddString("(001) x", 1);
    }
    EXPECT_EQ(window.log, Texts(2, "box: Keine Mail zu löschen ausgewählt"));
    EXPECT_EQ(server.Finish(), "");  // nobody connected
}

}  // namespace
