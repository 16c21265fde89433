// The Qt window as the user meets it: its fields filled from the settings
// file, which it keeps private; fields named for screen readers; the menu
// with the information box; the message box; a start without sockets.
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

unsigned Mode(const std::string& path) {
    struct stat info {};
    stat(path.c_str(), &info);
    return info.st_mode & 0777;
}

// Opens a modal box, closes it, and gives its title and text.
QString BoxOf(const std::function<void()>& open) {
    QString seen;
    WhenModalShows([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        seen =
            modal->windowTitle() + "|" + (box ? box->text() : modal->findChild<QLabel*>()->text());
        static_cast<QDialog*>(modal)->accept();
    });
    open();
    return seen;
}

TEST(WindowTest, TheSettingsFileFillsTheFieldsAndStaysPrivate) {
    PrivateSettings settings;
    const std::string path = SettingsFile::FilePath().toStdString();
    const std::string folder = path.substr(0, path.rfind('/'));
    chmod(settings.folder.path().toUtf8(), 0755);
    const mode_t saved = umask(0);  // the most careless setting a user can have
    for (const char* user : {"jürgen", "bob"}) {
        ASSERT_EQ(UserSettings().WriteProfileString("settings", "user", user), 1);
        EXPECT_EQ(Mode(path), 0600u);
        EXPECT_EQ(Mode(folder), 0700u);
        EXPECT_EQ(Mode(settings.folder.path().toStdString()), 0755u);  // not Tarvik's to change
        chmod(path.c_str(), 0644);  // and when they were opened up by hand
        chmod(folder.c_str(), 0777);
    }
    umask(saved);
    QSettings().setValue("settings/server", "pop.example.de");
    QSettings().setValue("settings/password", QStringList{"not", "text"});
    CMailboxDialog dialog;
    dialog.OnInitDialog();
    EXPECT_EQ(dialog.GetDlgItemText(IDC_SERVER) + "|" + dialog.GetDlgItemText(IDC_USER) + "|" +
                  dialog.GetDlgItemText(IDC_PASSWORD) + "|" + dialog.GetDlgItemText(IDC_STATUS),
              "pop.example.de|bob||Status-Meldungen");
}

TEST(WindowTest, WhatOnlyTheQtWindowDoes) {
    PrivateSettings settings;
    CMailboxDialog dialog;
    dialog.OnInitDialog();
    for (auto [id, label] :
         {std::pair<int, const char*>{IDC_SERVER, "Mailserver (z.b.: pop.example.de):"},
          {IDC_USER, "Username:"},
          {IDC_PASSWORD, "Passwort:"}}) {
        QAccessibleInterface* field = QAccessible::queryAccessibleInterface(dialog.GetDlgItem(id));
        EXPECT_EQ(field->text(QAccessible::Name), QString::fromUtf8(label));
    }
    QWidget* widget = dialog.GetDlgItem(IDCANCEL);
    for (int id : {IDC_MESSAGES, IDC_CHECK_NOW, IDC_SERVER, IDC_USER, IDC_PASSWORD, IDC_REMEMBER,
                   IDC_DELETE, IDCANCEL}) {  // Tab goes through the controls in template order
        do {
            widget = widget->nextInFocusChain();
        } while (widget->focusPolicy() == Qt::NoFocus || widget->parentWidget() != &dialog);
        EXPECT_EQ(widget, dialog.GetDlgItem(id)) << id;
    }
    const QList<QAction*> items = dialog.m_systemMenu.actions();
    ASSERT_EQ(items.size(), 2);
    EXPECT_TRUE(items[0]->isSeparator());
    EXPECT_EQ(items[1]->text(), QString::fromUtf8("Inf&o über Tarvik..."));
    EXPECT_EQ(BoxOf([&] { items[1]->trigger(); }),
              QString::fromUtf8("Info über Tarvik|Tarvik Version 1.0 - tarvikon?"));
    for (int id : {15, 32, 0xF060}) {
        dialog.OnSysCommand(id);  // a box would block here, with nobody to close it
    }
    EXPECT_EQ(BoxOf([&] { dialog.OnDeleteSelected(); }),
              QString::fromUtf8("Tarvik|Keine Mail zu löschen ausgewählt"));
}

TEST(WindowTest, WithoutSocketsOnlyTheMessageShows) {
    PrivateSettings settings;
    CMailCheckApp app([] { return 0; });
    EXPECT_EQ(BoxOf([&] {
                  EXPECT_FALSE(app.InitInstance());
                  EXPECT_EQ(QApplication::topLevelWidgets().size(), 0);  // and it is gone
              }),
              "Tarvik|Fehler beim Initialisieren der Windows-Sockets.");
    EXPECT_FALSE(QFile::exists(SettingsFile::FilePath()));
}

}  // namespace
