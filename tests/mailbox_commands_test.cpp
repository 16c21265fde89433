// The window's two commands against the scripted server: what the user sees
// (rows, status line, message box) and what goes over the wire.
#include <QCheckBox>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>

#include "res/resource.h"
#include "tests/support/pop3_test.h"
#include "tests/support/qt_test.h"
#include "ui/mailbox_dialog.h"
#include "ui/settings_store.h"

namespace {

class MailboxCommandsTest : public Pop3Test {
protected:
    // A window with its fields filled in, talking to the scripted server.
    CMailboxDialog& Window(const char* password = "secret") {
        dialog = std::make_unique<CMailboxDialog>(nullptr, server->Port());
        dialog->SetDlgItemText(IDC_SERVER, "127.0.0.1");
        dialog->SetDlgItemText(IDC_USER, "alice");
        dialog->SetDlgItemText(IDC_PASSWORD, password);
        return *dialog;
    }
    std::vector<std::string> Rows() const {
        std::vector<std::string> rows;
        for (int i = 0; i < dialog->m_listBox->count(); ++i) {
            rows.push_back(dialog->m_listBox->item(i)->text().toStdString());
        }
        return rows;
    }
    std::string Status() const { return dialog->GetDlgItemText(IDC_STATUS); }
    void Select(int row) { dialog->m_listBox->item(row)->setSelected(true); }

    PrivateSettings settings;
    std::unique_ptr<CMailboxDialog> dialog;
};

// A LIST reply for sizes 100, 200, ...
Transcript List(int count) {
    Transcript t = {C("LIST"), S("+OK")};
    for (int i = 1; i <= count; ++i) {
        t.push_back(S(std::to_string(i) + " " + std::to_string(i * 100)));
    }
    t.push_back(S("."));
    return t;
}

Transcript Top(int n, const std::vector<std::string>& header) {
    Transcript t = {C("TOP " + std::to_string(n) + " 0"), S("+OK")};
    for (const std::string& line : header) {
        t.push_back(S(line));
    }
    t.push_back(S(""));
    t.push_back(S("."));
    return t;
}

const Transcript kQuit = {C("QUIT"), S("+OK")};
const Transcript kResetAndQuit = {C("RSET"), S("+OK"), C("QUIT"), S("+OK")};

Transcript Stat(int count) {
    return {C("STAT"), S("+OK " + std::to_string(count) + " 0")};
}

TEST_F(MailboxCommandsTest, ListsOneRowPerMessage) {
    Play(Login() + Stat(3) + Stat(3) + List(3) +
         Top(1, {"Subject: Hallo", "From: Bob <bob@example.org>"}) +
         Top(2, {"From: carol@example.org"}) +                  // no Subject
         Transcript{C("TOP 3 0"), S("-ERR no such message")} +  // failed header fetch
         kResetAndQuit);
    Window().OnCheckNow();
    EXPECT_EQ(Rows(), (std::vector<std::string>{
                          "(001) Hallo von Bob <bob@example.org>: 100 bytes",
                          "(002) Mail # 2 von carol@example.org: 200 bytes",
                          "(003) Mail # 3: 300 bytes",
                      }));
    EXPECT_EQ(Status(), "Erfrage Statistik...");
    EXPECT_EQ(server->Finish(), server->ClientLines());
}

TEST_F(MailboxCommandsTest, RowFormatsForMissingFieldsAndEightBitText) {
    Play(Login() + Stat(3) + Stat(3) + List(3) + Top(1, {"Subject: \t ", "X-From: nobody"}) +
         Top(2, {"Subject: \xc3\x9c"
                 "berweisung",
                 "From: J\xc3\xbcrgen"}) +
         Top(3, {"Subject: Gr\xfc\xdf"
                 "e"}) +
         kResetAndQuit);
    Window().OnCheckNow();
    ASSERT_EQ(Rows().size(), 3u);
    EXPECT_EQ(Rows()[0], "(001) Mail # 1 von : 100 bytes");  // blank Subject, no From
    // UTF-8 shows as UTF-8, other 8-bit text byte by byte as Latin-1.
    EXPECT_EQ(Rows()[1],
              "(002) \xc3\x9c"
              "berweisung von J\xc3\xbcrgen: 200 bytes");
    EXPECT_EQ(Rows()[2],
              "(003) Gr\xc3\xbc\xc3\x9f"
              "e von : 300 bytes");
}

TEST_F(MailboxCommandsTest, HowEachRunEnds) {
    struct Ending {
        const char* name;
        Transcript transcript;
        const char* status;
    } endings[] = {
        {"login fails",
         {S("+OK"), C("USER alice"), S("+OK"), C("PASS secret"), S("-ERR no"), C("QUIT"), S("+OK")},
         "Verbindung mit dem Server fehlgeschlagen."},
        {"statistics fail", Login() + Transcript{C("STAT"), S("-ERR busy")} + kQuit,
         "Erfragen der Statistik fehlgeschlagen."},
        {"empty mailbox", Login() + Stat(0) + kQuit, "Keine Mails auf dem Server"},
        {"negative count", Login() + Transcript{C("STAT"), S("+OK -3 0")} + kResetAndQuit,
         "Erfrage Statistik..."},
        {"one message",
         Login() + Stat(1) + Stat(1) + List(1) + Top(1, {"Subject: a"}) + kResetAndQuit,
         "Erfrage Statistik..."},
    };
    for (const Ending& e : endings) {
        SCOPED_TRACE(e.name);
        Play(e.transcript);
        Window().OnCheckNow();
        EXPECT_EQ(Status(), e.status);
        EXPECT_EQ(server->Finish(), server->ClientLines());
    }
}

TEST_F(MailboxCommandsTest, AFailedConnectionEmptiesTheList) {
    Play(Login() + Stat(1) + Stat(1) + List(1) + Top(1, {"Subject: a"}) + kResetAndQuit);
    Window().OnCheckNow();
    ASSERT_EQ(Rows().size(), 1u);
    server.reset();  // nobody listens on the window's port any more
    dialog->OnCheckNow();
    EXPECT_EQ(Rows().size(), 0u);
    EXPECT_EQ(Status(), "Verbindung mit dem Server fehlgeschlagen.");
}

TEST_F(MailboxCommandsTest, AMessageWithoutSizeGetsNoRow) {
    // The first LIST fails, so message 1 has no size; the second brings them.
    Play(Login() + Stat(3) + Stat(3) + Transcript{C("LIST"), S("-ERR later")} + List(3) +
         Top(2, {"Subject: two"}) + Top(3, {"Subject: three"}) + kResetAndQuit);
    Window().OnCheckNow();
    EXPECT_EQ(Rows(), (std::vector<std::string>{"(002) two von : 200 bytes",
                                                "(003) three von : 300 bytes"}));
    EXPECT_EQ(Status(), "Info über Message-Größe nicht verfügbar");
    EXPECT_EQ(server->Finish(), server->ClientLines());
}

TEST_F(MailboxCommandsTest, NumbersFromAThousandPrintWhole) {
    Transcript t = Login() + Stat(1000) + Stat(1000) + List(1000);
    for (int i = 1; i <= 1000; ++i) {
        t = t + Transcript{C("TOP " + std::to_string(i) + " 0"), S("-ERR")};
    }
    Play(t + kResetAndQuit);
    Window().OnCheckNow();
    ASSERT_EQ(Rows().size(), 1000u);
    EXPECT_EQ(Rows()[8], "(009) Mail # 9: 900 bytes");
    EXPECT_EQ(Rows()[999], "(1000) Mail # 1000: 100000 bytes");
}

TEST_F(MailboxCommandsTest, ALongRowIsCutAt1023Bytes) {
    const std::string subject(2000, 's');
    Play(Login() + Stat(1) + Stat(1) + List(1) + Top(1, {"Subject: " + subject}) + kResetAndQuit);
    Window().OnCheckNow();
    ASSERT_EQ(Rows().size(), 1u);
    EXPECT_EQ(Rows()[0], "(001) " + subject.substr(0, 1017));
}

TEST_F(MailboxCommandsTest, AnAbsurdCountStopsAfterTheListedMessages) {
    Play(Login() + Transcript{C("STAT"), S("+OK 2147483647 0"), C("STAT"), S("+OK 2147483647 0")} +
         List(2) + Top(1, {"Subject: a"}) + Top(2, {"Subject: b"}) + kResetAndQuit);
    Window().OnCheckNow();
    EXPECT_EQ(Rows().size(), 2u);
    EXPECT_EQ(Status(), "Info über Message-Größe nicht verfügbar");
    EXPECT_EQ(server->Finish(), server->ClientLines());
}

TEST_F(MailboxCommandsTest, TheBoxStoresTheFieldsBeforeConnecting) {
    Play({});
    const int port = server->Port();
    server.reset();  // unreachable
    dialog = std::make_unique<CMailboxDialog>(nullptr, port);
    dialog->SetDlgItemText(IDC_SERVER, "127.0.0.1");
    dialog->SetDlgItemText(IDC_USER, "");
    dialog->SetDlgItemText(IDC_PASSWORD, "pw");
    static_cast<QCheckBox*>(dialog->GetDlgItem(IDC_REMEMBER))->setChecked(true);
    dialog->OnCheckNow();
    EXPECT_EQ(Status(), "Verbindung mit dem Server fehlgeschlagen.");
    EXPECT_EQ(settings::GetProfileString("settings", "server", "x"), "127.0.0.1");
    EXPECT_EQ(settings::GetProfileString("settings", "user", "x"), "");
    EXPECT_EQ(settings::GetProfileString("settings", "password", "x"), "pw");

    static_cast<QCheckBox*>(dialog->GetDlgItem(IDC_REMEMBER))->setChecked(false);
    dialog->SetDlgItemText(IDC_PASSWORD, "other");
    dialog->OnCheckNow();
    EXPECT_EQ(settings::GetProfileString("settings", "password", "x"), "pw");
}

class DeleteTest : public MailboxCommandsTest {
protected:
    // Rows for messages 1, 2 and 3.
    void ListThree() {
        Play(Login() + Stat(3) + Stat(3) + List(3) + Top(1, {"Subject: one"}) +
             Top(2, {"Subject: two"}) + Top(3, {"Subject: three"}) + kResetAndQuit);
        Window().OnCheckNow();
        ASSERT_EQ(Rows().size(), 3u);
    }
    Transcript Deletion(int number, int count) {
        return Login() + Stat(count) + List(count) +
               Transcript{C("DELE " + std::to_string(number)), S("+OK marked")};
    }
    void PressDelete() {
        dialog->OnDeleteSelected();
        EXPECT_EQ(server->Finish(), server->ClientLines());
    }
};

TEST_F(DeleteTest, WithoutASelectionOnlyTheMessageShows) {
    Play({});
    Window().SetStatus("vorher");
    for (bool withRows : {false, true}) {
        if (withRows) {
            dialog->m_listBox->addItem("(001) x");
        }
        QString text;
        WhenModalShows([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_NE(box, nullptr);
            text = box->text();
            box->button(QMessageBox::Ok)->click();
        });
        dialog->OnDeleteSelected();
        EXPECT_EQ(text, QString::fromUtf8("Keine Mail zu löschen ausgewählt"));
        EXPECT_EQ(Status(), "vorher");
    }
    server->Pump();
    EXPECT_EQ(server->Finish(), std::vector<std::string>{});  // nobody connected
}

TEST_F(DeleteTest, TheFirstRowDeletesMessageOne) {
    ListThree();
    Play(Deletion(1, 3) + kQuit);
    Select(0);
    PressDelete();
    EXPECT_EQ(Status(), "Mail gelöscht");
    EXPECT_EQ(Rows(), (std::vector<std::string>{"(002) two von : 200 bytes",
                                                "(003) three von : 300 bytes"}));
}

TEST_F(DeleteTest, TheSecondRowTwiceInTwoPresses) {
    ListThree();
    Play(Deletion(2, 3) + kQuit);
    Select(1);
    PressDelete();
    EXPECT_EQ(Rows(), (std::vector<std::string>{"(001) one von : 100 bytes",
                                                "(003) three von : 300 bytes"}));
    Play(Deletion(2, 2) + kQuit);  // the former message 3
    Select(1);
    PressDelete();
    EXPECT_EQ(Rows(), (std::vector<std::string>{"(001) one von : 100 bytes"}));
}

TEST_F(DeleteTest, AWrongPasswordLeavesTheRow) {
    ListThree();
    Play({S("+OK"), C("USER alice"), S("+OK"), C("PASS wrong"), S("-ERR no"), C("QUIT"), S("+OK")});
    dialog->SetDlgItemText(IDC_PASSWORD, "wrong");
    Select(0);
    PressDelete();
    EXPECT_EQ(Status(), "Verbindung mit dem Server fehlgeschlagen.");
    EXPECT_EQ(Rows().size(), 3u);
}

TEST_F(DeleteTest, ARefusedDeletionLeavesTheRow) {
    ListThree();
    Play(Login() + Stat(3) + List(3) + Transcript{C("DELE 3"), S("-ERR locked")} + kQuit);
    Select(2);
    PressDelete();
    EXPECT_EQ(Status(), "Mail konnte nicht gelöscht werden");
    EXPECT_EQ(Rows().size(), 3u);
}

TEST_F(DeleteTest, AFailedQuitKeepsTheRowAndItsNumber) {
    ListThree();
    Play(Deletion(2, 3) + Transcript{C("QUIT"), S("-ERR could not expunge")});
    Select(1);
    PressDelete();
    EXPECT_EQ(Status(), "Mail konnte nicht gelöscht werden");
    EXPECT_EQ(Rows().size(), 3u);
    // The server kept message 2, so the next try addresses it again.
    Play(Deletion(2, 3) + kQuit);
    Select(1);
    PressDelete();
    EXPECT_EQ(Status(), "Mail gelöscht");
    EXPECT_EQ(Rows().size(), 2u);
}

TEST_F(DeleteTest, ARowAfterALeftOutMessageDeletesItsOwnMessage) {
    Play(Login() + Stat(3) + Stat(3) + Transcript{C("LIST"), S("-ERR later")} + List(3) +
         Top(2, {"Subject: two"}) + Top(3, {"Subject: three"}) + kResetAndQuit);
    Window().OnCheckNow();
    ASSERT_EQ(Rows().size(), 2u);
    Play(Deletion(2, 3) + kQuit);  // row 0 stands for message 2
    Select(0);
    PressDelete();
    EXPECT_EQ(Rows(), (std::vector<std::string>{"(003) three von : 300 bytes"}));
    Play(Deletion(2, 2) + kQuit);  // and message 3 is number 2 now
    Select(0);
    PressDelete();
    EXPECT_EQ(Rows().size(), 0u);
}

TEST_F(DeleteTest, TheDeleteStoresNothing) {
    ListThree();
    static_cast<QCheckBox*>(dialog->GetDlgItem(IDC_REMEMBER))->setChecked(true);
    Play(Deletion(1, 3) + kQuit);
    Select(0);
    PressDelete();
    EXPECT_EQ(settings::GetProfileString("settings", "server", "none"), "none");
}

}  // namespace
