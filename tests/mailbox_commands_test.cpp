// The window's two commands against the scripted server: the rows, the status
// line along the way ("?" rows) and at the end, and the bytes on the wire.
#include <QCheckBox>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>

#include "res/resource.h"
#include "tests/support/qt_test.h"
#include "tests/support/transcript.h"
#include "ui/display_text.h"
#include "ui/mailbox_dialog.h"
#include "ui/settings_store.h"

namespace {

using Rows = std::vector<std::string>;

const std::string kConnecting = "?Connecting to: 127.0.0.1...|", kEnd = "CRSET|S+OK|" + kQuit;
const std::string kAsking = kConnecting + kLogin + "CSTAT|?Erfrage Statistik...|";

class CommandsTest : public Pop3Test {
protected:
    CommandsTest() {
        window.SetDlgItemText(IDC_SERVER, "127.0.0.1");
        window.SetDlgItemText(IDC_USER, "alice");
        window.SetDlgItemText(IDC_PASSWORD, "secret");
        server.onCheck = [this](const std::string& status) { EXPECT_EQ(Status(), status); };
    }
    Rows Listed() const {
        Rows rows;
        for (int i = 0; i < window.m_listBox->count(); ++i) {
            rows.push_back(window.m_listBox->item(i)->text().toStdString());
        }
        return rows;
    }
    std::string Status() const { return window.GetDlgItemText(IDC_STATUS); }
    void Remember(bool on) {
        static_cast<QCheckBox*>(window.GetDlgItem(IDC_REMEMBER))->setChecked(on);
    }
    // "Jetzt nachsehen ...", or with a row selected "Ausgewählte Mail löschen".
    void Press(const std::string& transcript, int selected = -1) {
        server.Play(transcript);
        if (selected < 0) {
            window.OnCheckNow();
        } else {
            window.m_listBox->item(selected)->setSelected(true);
            window.OnDeleteSelected();
        }
        ExpectWire();
    }
    void ListThree() {
        Press(kLogin + Stat(3) + Stat(3) + List(3) + Top(1, "Subject: one") +
              Top(2, "Subject: two") + Top(3, "Subject: three") + kEnd);
    }
    static std::string Deletion(int number, int count) {
        return kConnecting + kLogin + Stat(count) + "?Versuche die Mail zu löschen|" + List(count) +
               "CDELE " + std::to_string(number) + "|S+OK marked|";
    }

    PrivateSettings settings;
    CMailboxDialog window{nullptr, server.port};
};

TEST_F(CommandsTest, Listing) {
    const char* info = "Info über Message-Größe nicht verfügbar";
    std::string utf8, latin1(2000, '\xfc');
    for (int i = 0; i < 600; ++i) {
        utf8 += "\xc3\xbc";
    }
    struct Case {
        std::string transcript;
        Rows rows;
        const char* status;
    } cases[] = {
        // clang-format off
        {kAsking + "S+OK 3 0|" + Stat(3) + List(3) + Top(1, "Subject: Hallo|SFrom: Bob <b@x.org>") +
             Top(2, "Subject: \t |SFrom: carol") + "CTOP 3 0|S-ERR no such message|" + kEnd,
         {"(001) Hallo von Bob <b@x.org>: 100 bytes", "(002) Mail # 2 von carol: 200 bytes", "(003) Mail # 3: 300 bytes"},
         "Erfrage Statistik..."},
        {kAsking + "S+OK 2 0|" + Stat(2) + List(2) + Top(1, "Subject: \xc3\x9c" "ber|SX-From: x") +
             Top(2, "Subject: Gr\xfc\xdf" "e") + kEnd,  // UTF-8 where it is valid, else Latin-1
         {"(001) \xc3\x9c" "ber von : 100 bytes", "(002) Gr\xc3\xbc\xc3\x9f" "e von : 200 bytes"}, "Erfrage Statistik..."},
        {kConnecting + "S+OK|CUSER alice|S+OK|CPASS secret|S-ERR|" + kQuit, {}, "Verbindung mit dem Server fehlgeschlagen."},
        {kAsking + "S-ERR busy|" + kQuit, {}, "Erfragen der Statistik fehlgeschlagen."},
        {kAsking + "S+OK 0 0|" + kQuit, {}, "Keine Mails auf dem Server"},
        {kAsking + "S+OK -3 0|" + kEnd, {}, "Erfrage Statistik..."},
        {kAsking + "S+OK 3 0|" + Stat(3) + "CLIST|S-ERR later|" + List(3) + Top(2, "Subject: two") +
             Top(3, "Subject: three") + kEnd,
         {"(002) two von : 200 bytes", "(003) three von : 300 bytes"}, info},
        {kAsking + "S+OK 2147483647 0|" + Stat(2) + List(2) + Top(1, "Subject: a") + Top(2, "Subject: b") + kEnd,
         {"(001) a von : 100 bytes", "(002) b von : 200 bytes"}, info},
        {kAsking + "S+OK 2000000000 0|" + Stat(2000000000) + "CLIST|S-ERR|CLIST|S-ERR|" + kEnd, {}, info},
        // Rows are cut at 1023 bytes, and never inside a UTF-8 character.
        {kAsking + "S+OK 2 0|" + Stat(2) + List(2) + Top(1, "Subject: xy" + utf8) + Top(2, "Subject: " + latin1) + kEnd,
         {"(001) xy" + utf8.substr(0, 1014), "(002) " + DisplayText(latin1.substr(0, 1017))}, "Erfrage Statistik..."},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.transcript.substr(0, 160));
        window.m_listBox->addItem("from an earlier press");
        Press(c.transcript);
        EXPECT_EQ(Listed(), c.rows);
        EXPECT_EQ(Status(), c.status);
    }
}

TEST_F(CommandsTest, TheBoxStoresTheFieldsBeforeConnectingAndOnlyThen) {
    window.SetDlgItemText(IDC_USER, "");
    Remember(true);
    server.onCheck = [](const std::string&) {
        EXPECT_EQ(settings::GetProfileString("settings", "server", "-"), "127.0.0.1");
        EXPECT_EQ(settings::GetProfileString("settings", "user", "-"), "");
        EXPECT_EQ(settings::GetProfileString("settings", "password", "-"), "secret");
    };
    Press("?|S-ERR|" + kQuit);
    Remember(false);
    window.SetDlgItemText(IDC_PASSWORD, "other");
    Press("?|S-ERR|" + kQuit);
}

TEST_F(CommandsTest, DeletingRows) {
    ListThree();
    Remember(true);  // the delete stores nothing all the same
    Press(Deletion(1, 3) + kQuit, 0);
    EXPECT_EQ(Status(), "Mail gelöscht");
    EXPECT_EQ(Listed(), (Rows{"(002) two von : 200 bytes", "(003) three von : 300 bytes"}));
    Press(Deletion(2, 2) + kQuit, 1);  // the former message 3
    EXPECT_EQ(Listed(), Rows{"(002) two von : 200 bytes"});
    EXPECT_EQ(settings::GetProfileString("settings", "server", "none"), "none");
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
        EXPECT_EQ(Listed().size(), 3u);
    }
    Press(Deletion(2, 3) + kQuit, 1);
    EXPECT_EQ(Listed(), (Rows{"(001) one von : 100 bytes", "(003) three von : 300 bytes"}));
}

TEST_F(CommandsTest, ARowAfterALeftOutMessageDeletesItsOwnMessage) {
    Press(kLogin + Stat(3) + Stat(3) + "CLIST|S-ERR later|" + List(3) + Top(2, "Subject: two") +
          Top(3, "Subject: three") + kEnd);
    Press(Deletion(2, 3) + kQuit, 0);
    Press(Deletion(2, 2) + kQuit, 0);  // and message 3 is number 2 now
    EXPECT_EQ(Listed(), Rows{});
}

TEST_F(CommandsTest, WithoutASelectionOnlyTheMessageShows) {
    window.SetStatus("vorher");
    server.Play("");
    for (const char* row : {"", "(001) x"}) {
        if (*row != '\0') {
            window.m_listBox->addItem(row);  // not selected
        }
        QString text;
        WhenModalShows([&](QWidget* modal) {
            text = static_cast<QMessageBox*>(modal)->text();
            static_cast<QMessageBox*>(modal)->button(QMessageBox::Ok)->click();
        });
        window.OnDeleteSelected();
        EXPECT_EQ(text, QString::fromUtf8("Keine Mail zu löschen ausgewählt"));
        EXPECT_EQ(Status(), "vorher");
    }
    EXPECT_EQ(server.Finish(), "");  // nobody connected
}

}  // namespace
