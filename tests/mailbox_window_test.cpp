// The Qt window as the user meets it: start-up, the settings file, the menu
// with the information box, and a start without sockets.
#include <sys/stat.h>

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include "app/mail_check_app.h"
#include "res/resource.h"
#include "tests/support/qt_test.h"
#include "ui/info_dialog.h"
#include "ui/mailbox_dialog.h"
#include "ui/settings_store.h"

namespace {

TEST(WindowTest, StartUpFillsTheFieldsFromTheStore) {
    PrivateSettings settings;
    for (const char* stored : {"", "pop.example.de|jürgen|geh eim"}) {
        if (*stored != '\0') {
            QSettings store;
            store.setValue("settings/server", "pop.example.de");
            store.setValue("settings/user", QString::fromUtf8("jürgen"));
            store.setValue("settings/password", "geh eim");
        }
        CMailboxDialog dialog;
        dialog.OnInitDialog();
        EXPECT_EQ(dialog.GetDlgItemText(IDC_SERVER) + "|" + dialog.GetDlgItemText(IDC_USER) + "|" +
                      dialog.GetDlgItemText(IDC_PASSWORD),
                  *stored ? stored : "||");
        EXPECT_EQ(dialog.GetDlgItemText(IDC_STATUS), "Status-Meldungen");
        EXPECT_EQ(dialog.IsDlgButtonChecked(IDC_REMEMBER), 0);
    }
}

TEST(WindowTest, TheStoreIsForItsOwnerOnly) {
    PrivateSettings settings;
    const std::string path = settings::FilePath().toStdString();
    const mode_t saved = umask(0);  // the most careless setting a user can have
    struct stat info {};
    for (const char* value : {"geheim", "again"}) {
        ASSERT_EQ(settings::WriteProfileString("settings", "password", value), 1);
        stat(path.c_str(), &info);
        EXPECT_EQ(info.st_mode & 0777, 0600u);
        chmod(path.c_str(), 0644);  // and when it was opened up by hand
    }
    umask(saved);
    EXPECT_EQ(settings::GetProfileString("settings", "password", "-"), "again");
}

TEST(WindowTest, TheMenuOpensTheInformationBox) {
    PrivateSettings settings;
    CMailboxDialog dialog;
    dialog.OnInitDialog();
    const QList<QAction*> items = dialog.m_systemMenu.actions();
    ASSERT_EQ(items.size(), 2);
    EXPECT_TRUE(items[0]->isSeparator());
    EXPECT_EQ(items[1]->text(), QString::fromUtf8("Inf&o über Tarvik..."));
    QString seen;
    WhenModalShows([&](QWidget* modal) {
        auto* info = static_cast<CInfoDialog*>(modal);
        seen = info->windowTitle() + "|" + info->findChild<QLabel*>()->text();
        static_cast<QPushButton*>(info->GetDlgItem(IDOK))->click();
    });
    items[1]->trigger();
    EXPECT_EQ(seen, QString::fromUtf8("Info über Tarvik|Tarvik Version 1.0 - tarvikon?"));
    for (int id : {15, 32, 0xF060}) {
        dialog.OnSysCommand(id);  // a box would block here, with nobody to close it
    }
}

TEST(WindowTest, WithoutSocketsOnlyTheMessageShows) {
    PrivateSettings settings;
    QString text;
    WhenModalShows([&](QWidget* modal) {
        text = static_cast<QMessageBox*>(modal)->text();
        EXPECT_EQ(QApplication::topLevelWidgets().size(), 1);
        static_cast<QMessageBox*>(modal)->button(QMessageBox::Ok)->click();
    });
    CMailCheckApp app([] { return 0; });
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(text, "Fehler beim Initialisieren der Windows-Sockets.");
    EXPECT_FALSE(QFile::exists(settings::FilePath()));
}

}  // namespace
