// The Qt window as the user meets it: start-up, the settings file, the menu
// with the information box, and a start without sockets.
#include <sys/stat.h>

#include <QAccessible>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include "app/qt/mail_check_app.h"
#include "res/resource.h"
#include "tests/support/qt_test.h"
#include "ui/qt/info_dialog.h"
#include "ui/qt/mailbox_dialog.h"
#include "ui/qt/settings_file.h"

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

TEST(WindowTest, TheStoreAndItsFolderAreForTheOwnerOnly) {
    PrivateSettings settings;
    const std::string path = SettingsFile::FilePath().toStdString();
    const std::string folder = path.substr(0, path.rfind('/'));
    chmod(settings.folder.path().toUtf8(), 0755);
    const mode_t saved = umask(0);  // the most careless setting a user can have
    auto mode = [](const std::string& name) {
        struct stat info {};
        stat(name.c_str(), &info);
        return info.st_mode & 0777;
    };
    for (const char* value : {"geheim", "again"}) {
        ASSERT_EQ(UserSettings().WriteProfileString("settings", "password", value), 1);
        EXPECT_EQ(mode(path), 0600u);
        EXPECT_EQ(mode(folder), 0700u);
        EXPECT_EQ(mode(settings.folder.path().toStdString()), 0755u);  // not Tarvik's to change
        chmod(path.c_str(), 0644);  // and when they were opened up by hand
        chmod(folder.c_str(), 0777);
    }
    umask(saved);
    EXPECT_EQ(UserSettings().GetProfileString("settings", "password", "-"), "again");
}

TEST(WindowTest, FieldsAreNamedAfterTheirLabelsAndTabKeepsTemplateOrder) {
    CMailboxDialog dialog;
    const std::pair<int, const char*> fields[] = {
        {IDC_SERVER, "Mailserver (z.b.: pop.example.de):"},
        {IDC_USER, "Username:"},
        {IDC_PASSWORD, "Passwort:"}};
    for (const auto& [id, label] : fields) {
        QAccessibleInterface* field = QAccessible::queryAccessibleInterface(dialog.GetDlgItem(id));
        EXPECT_EQ(field->text(QAccessible::Name), QString::fromUtf8(label));
    }
    QWidget* widget = dialog.GetDlgItem(IDCANCEL);
    for (int id : {IDC_MESSAGES, IDC_CHECK_NOW, IDC_SERVER, IDC_USER, IDC_PASSWORD, IDC_REMEMBER,
                   IDC_DELETE, IDCANCEL}) {
        do {
            widget = widget->nextInFocusChain();
        } while (widget->focusPolicy() == Qt::NoFocus || widget->parentWidget() != &dialog);
        EXPECT_EQ(widget, dialog.GetDlgItem(id)) << id;
    }
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

TEST(WindowTest, DeletingWithoutASelectionShowsTheMessageBox) {
    CMailboxDialog dialog;
    QString text;
    WhenModalShows([&](QWidget* modal) {
        text = static_cast<QMessageBox*>(modal)->text();
        static_cast<QMessageBox*>(modal)->button(QMessageBox::Ok)->click();
    });
    dialog.OnDeleteSelected();
    EXPECT_EQ(text, QString::fromUtf8("Keine Mail zu löschen ausgewählt"));
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
    EXPECT_FALSE(QFile::exists(SettingsFile::FilePath()));
}

}  // namespace
