// The window's commands against a real Dovecot, in real time: list, delete
// the second row, list again.
#include <QListWidget>

#include "res/resource.h"
#include "tests/support/dovecot_server.h"
#include "tests/support/mailbox_samples.h"
#include "tests/support/qt_test.h"
#include "ui/mailbox_dialog.h"

namespace {

std::vector<std::string> Rows(const CMailboxDialog& dialog) {
    std::vector<std::string> rows;
    for (int i = 0; i < dialog.m_listBox->count(); ++i) {
        rows.push_back(dialog.m_listBox->item(i)->text().toStdString());
    }
    return rows;
}

// A window logged in to the server as alice, on the server's port.
std::unique_ptr<CMailboxDialog> OpenWindow(const DovecotServer& dovecot) {
    auto dialog = std::make_unique<CMailboxDialog>(nullptr, dovecot.Port());
    dialog->SetDlgItemText(IDC_SERVER, "127.0.0.1");
    dialog->SetDlgItemText(IDC_USER, DovecotServer::kUser);
    dialog->SetDlgItemText(IDC_PASSWORD, DovecotServer::kPassword);
    return dialog;
}

std::string Bytes(const std::string& message) {
    return std::to_string(DovecotServer::WireSize(message)) + " bytes";
}

TEST(DovecotWindowTest, ListDeleteTheSecondRowAndListAgain) {
    PrivateSettings settings;
    const std::vector<std::string> messages = SampleMessages();
    DovecotServer dovecot(messages);
    if (!dovecot.Problem().empty()) {
        GTEST_SKIP() << dovecot.Problem();
    }
    const auto window = OpenWindow(dovecot);
    CMailboxDialog& dialog = *window;

    dialog.OnCheckNow();
    EXPECT_EQ(dialog.GetDlgItemText(IDC_STATUS), "Erfrage Statistik...");
    const std::vector<std::string> listed = {
        "(001) Hello Alice von Bob <bob@example.org>: " + Bytes(messages[0]),
        "(002) A long subject folded with a tab  and two blanks von "
        "=?UTF-8?Q?J=C3=BCrgen?= <j@example.org>: " +
            Bytes(messages[1]),
        "(003) Mail # 3 von carol@example.org: " + Bytes(messages[2]),
        "(004) \xc3\xbc"
        "berweisung von : " +
            Bytes(messages[3]),
    };
    EXPECT_EQ(Rows(dialog), listed);

    dialog.m_listBox->item(1)->setSelected(true);
    dialog.OnDeleteSelected();
    EXPECT_EQ(dialog.GetDlgItemText(IDC_STATUS), "Mail gelöscht");
    EXPECT_EQ(Rows(dialog), (std::vector<std::string>{listed[0], listed[2], listed[3]}));
    EXPECT_EQ(dovecot.MessagesOnDisk(), 3);

    dialog.OnCheckNow();
    EXPECT_EQ(Rows(dialog), (std::vector<std::string>{
                                listed[0],
                                "(002) Mail # 2 von carol@example.org: " + Bytes(messages[2]),
                                "(003) \xc3\xbc"
                                "berweisung von : " +
                                    Bytes(messages[3]),
                            }));
}

TEST(DovecotWindowTest, AWrongPasswordIsReportedAndTheRowsStay) {
    PrivateSettings settings;
    DovecotServer dovecot(SampleMessages());
    if (!dovecot.Problem().empty()) {
        GTEST_SKIP() << dovecot.Problem();
    }
    const auto window = OpenWindow(dovecot);
    CMailboxDialog& dialog = *window;
    dialog.OnCheckNow();
    ASSERT_EQ(dialog.m_listBox->count(), 4);
    dialog.SetDlgItemText(IDC_PASSWORD, "wrong");
    dialog.m_listBox->item(0)->setSelected(true);
    dialog.OnDeleteSelected();
    EXPECT_EQ(dialog.GetDlgItemText(IDC_STATUS), "Verbindung mit dem Server fehlgeschlagen.");
    EXPECT_EQ(dialog.m_listBox->count(), 4);
    EXPECT_EQ(dovecot.MessagesOnDisk(), 4);
}

}  // namespace
