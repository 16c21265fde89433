// The window against a real Dovecot, in real time: list the messages of
// tests/data, delete the second row twice, list again.
#include <QListWidget>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "res/resource.h"
#include "tests/support/qt_test.h"
#include "tests/support/transcript.h"
#include "ui/qt/mailbox_dialog.h"

namespace {

std::vector<std::string> Rows(const CMailboxDialog& dialog) {
    std::vector<std::string> rows;
    for (int i = 0; i < dialog.m_listBox->count(); ++i) {
        rows.push_back(dialog.m_listBox->item(i)->text().toStdString());
    }
    return rows;
}

TEST(DovecotTest, ListDeleteTheSecondRowTwiceListAgain) {
    const std::string dovecot = TESTS_DIR "/support/dovecot.sh ", folder = "/tmp/tvk.e2e",
                      port = std::to_string(UnusedPort());
    FILE* start = popen(
        (dovecot + "start " + folder + " " + port + " " TESTS_DIR "/data/*.eml").c_str(), "r");
    char why[200] = "";
    while (std::fgets(why, sizeof why, start) != nullptr) {  // the last line says why not
    }
    const std::shared_ptr<void> stop(
        nullptr, [&](void*) { EXPECT_EQ(std::system((dovecot + "stop " + folder).c_str()), 0); });
    if (pclose(start) != 0) {
        if (std::getenv("CI") != nullptr) {
            FAIL() << "Dovecot did not start: " << why;
        }
        GTEST_SKIP() << why;
    }
    CMailboxDialog dialog(nullptr, std::stoi(port));
    dialog.SetDlgItemText(IDC_SERVER, "127.0.0.1");
    dialog.SetDlgItemText(IDC_USER, "alice");
    dialog.SetDlgItemText(IDC_PASSWORD, "secret");
    dialog.OnCheckNow();
    EXPECT_EQ(dialog.GetDlgItemText(IDC_STATUS), "Erfrage Statistik...");
    EXPECT_EQ(Rows(dialog),
              (std::vector<std::string>{"(001) Hello Alice von Bob <bob@example.org>: 84 bytes",
                                        "(002) A long subject folded with a tab von "
                                        "=?UTF-8?Q?J=C3=BCrgen?= <j@example.org>: 129 bytes",
                                        "(003) Mail # 3 von carol@example.org: 5029 bytes",
                                        "(004) \xc3\xbc"
                                        "berweisung von : 35 bytes"}));
    for (int press = 0; press < 2; ++press) {  // the second row is the third message next time
        dialog.m_listBox->item(1)->setSelected(true);
        dialog.OnDeleteSelected();
        EXPECT_EQ(dialog.GetDlgItemText(IDC_STATUS), "Mail gelöscht");
    }
    dialog.OnCheckNow();
    EXPECT_EQ(Rows(dialog),
              (std::vector<std::string>{"(001) Hello Alice von Bob <bob@example.org>: 84 bytes",
                                        "(002) \xc3\xbc"
                                        "berweisung von : 35 bytes"}));
}

}  // namespace
