// The Qt window as the user meets it, on Qt's offscreen platform: the settings
// file it keeps private, fields named for screen readers, the menu with the
// information box, the message boxes, a start without sockets; and one run
// against a real Dovecot: fields from the store, list, delete, list again.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <functional>

#include "app/mail_check_app.h"
#include "res/resource.h"
#include "tests/support/transcript.h"
#include "ui/qt/info_dialog.h"
#include "ui/qt/mailbox_dialog.h"
#include "ui/qt/settings_file.h"

namespace {

// An empty settings store of the test's own.
struct PrivateSettings {
    PrivateSettings() {
        QCoreApplication::setOrganizationName("Tarvik");
        QCoreApplication::setApplicationName("Tarvik");
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder.path());
    }
    QTemporaryDir folder;
};

unsigned Mode(const std::string& path) {
    struct stat info {};
    stat(path.c_str(), &info);
    return info.st_mode & 0777;
}

// Opens a modal box, closes it with its first button once it shows (its loop
// blocks the test), and gives its title and first text.
QString BoxOf(const std::function<void()>& open) {
    QString seen;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            seen = modal->windowTitle() + "|" +
                   (box ? box->text() : modal->findChild<QLabel*>()->text());
            modal->findChild<QPushButton*>()->click();  // its first: OK, or Abbrechen
        }
    });
    closer.start(5);
    open();
    return seen;
}

TEST(WindowTest, TheSettingsFileStaysPrivate) {
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
    QSettings().setValue("settings/server", QStringList{"not", "text"});
    CMailboxDialog dialog;
    dialog.OnInitDialog();
    EXPECT_EQ(dialog.GetDlgItemText(IDC_SERVER) + "|" + dialog.GetDlgItemText(IDC_USER), "|bob");
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

TEST(WindowTest, StartUp) {
    PrivateSettings settings;
    CMailCheckApp withoutSockets([] { return 0; });
    EXPECT_EQ(BoxOf([&] {
                  EXPECT_FALSE(withoutSockets.InitInstance());
                  EXPECT_EQ(QApplication::topLevelWidgets().size(), 0);  // and it is gone
              }),
              "Tarvik|Fehler beim Initialisieren der Windows-Sockets.");
    EXPECT_FALSE(QFile::exists(SettingsFile::FilePath()));
    CMailCheckApp app([] { return 1; });
    EXPECT_EQ(BoxOf([&] { EXPECT_FALSE(app.InitInstance()); }),
              "tarvikon|Mailserver (z.b.: pop.example.de):");
    EXPECT_TRUE(SettingsFile::FilePath().endsWith("/Tarvik/Tarvik.conf"));
}

std::string Rows(const CMailboxDialog& dialog) {
    std::string rows;
    for (int i = 0; i < dialog.m_listBox->count(); ++i) {
        rows += dialog.m_listBox->item(i)->text().toStdString() + "\n";
    }
    return rows;
}

// Dovecot is started by a script with a configuration of its own and stopped
// by its PID; without it the run is skipped, but not in CI.
TEST(WindowTest, AgainstDovecotListDeleteTheSecondRowTwiceListAgain) {
    const std::string dovecot = TESTS_DIR "/support/dovecot.sh ",
                      folder = "/tmp/tvk." + std::to_string(getpid()),
                      port = std::to_string(UnusedPort());
    FILE* start = popen(
        (dovecot + "start " + folder + " " + port + " " TESTS_DIR "/data/*.eml").c_str(), "r");
    char why[200] = "";
    while (std::fgets(why, sizeof why, start) != nullptr) {  // the last line says why not
    }
    const std::shared_ptr<void> stop(
        nullptr, [&](void*) { EXPECT_EQ(std::system((dovecot + "stop " + folder).c_str()), 0); });
    if (pclose(start) != 0) {
        ASSERT_EQ(std::getenv("CI"), nullptr) << "Dovecot did not start: " << why;
        GTEST_SKIP() << why;
    }
    PrivateSettings settings;
    for (auto [key, value] : {std::pair<const char*, const char*>{"server", "127.0.0.1"},
                              {"user", "alice"},
                              {"password", "secret"}}) {
        UserSettings().WriteProfileString("settings", key, value);
    }
    CMailboxDialog dialog(nullptr, std::stoi(port));
    dialog.OnInitDialog();
    dialog.OnCheckNow();
    EXPECT_EQ(dialog.GetDlgItemText(IDC_STATUS), "Erfrage Statistik...");
    const std::string hello = "(001) Hello Alice von Bob <bob@example.org>: 84 bytes\n";
    EXPECT_EQ(Rows(dialog), hello +
                                "(002) A long subject folded with a tab von "
                                "=?UTF-8?Q?J=C3=BCrgen?= <j@example.org>: 129 bytes\n"
                                "(003) Mail # 3 von carol@example.org: 5029 bytes\n(004) \xc3\xbc"
                                "berweisung von : 35 bytes\n");
    for (int press = 0; press < 2; ++press) {  // the second row is the third message next time
        dialog.m_listBox->item(1)->setSelected(true);
        dialog.OnDeleteSelected();
        EXPECT_EQ(dialog.GetDlgItemText(IDC_STATUS), "Mail gelöscht");
    }
    dialog.OnCheckNow();
    EXPECT_EQ(Rows(dialog), hello +
                                "(002) \xc3\xbc"
                                "berweisung von : 35 bytes\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
