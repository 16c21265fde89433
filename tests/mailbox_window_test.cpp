// The Qt window as the user meets it, on Qt's offscreen platform: the start
// on port 110 with the remembered fields, the settings file it keeps private,
// keys, names and boxes; and one run against a real Dovecot.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <QtWidgets>
#include <filesystem>
#include <fstream>

#include "app/mail_check_app.h"
#include "res/resource.h"
#include "tests/support/transcript.h"
#include "ui/qt/mailbox_dialog.h"
#include "ui/qt/settings_file.h"

namespace {

// On the platform ctest names: offscreen. Never destroyed: at exit Qt's own
// globals may be gone first.
void StartQt() {
    static int argc = 1;
    static char* argv[] = {const_cast<char*>("tarvik_window_tests"), nullptr};
    [[maybe_unused]] static auto* application = new QApplication(argc, argv);
}

// Opens a modal box, runs look on it once it shows (its loop blocks the
// test), closes it with its first button, and gives its title, first text
// and what look adds. A menu that opens first gets its last item chosen.
QString BoxOf(
    const std::function<void()>& open,
    const std::function<QString(QWidget*)>& look = [](QWidget*) { return ""; }) {
    QString seen;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            menu->setActiveAction(menu->actions().last());
            // Posted: the box the item opens runs its loop, and this timer must tick in it.
            QApplication::postEvent(menu, new QKeyEvent(QEvent::KeyPress, Qt::Key_Return, {}));
        } else if (QWidget* modal = QApplication::activeModalWidget()) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            seen = modal->windowTitle() + "|" +
                   (box ? box->text() : modal->findChild<QLabel*>()->text()) + look(modal);
            modal->findChild<QPushButton*>()->click();  // OK, or Abbrechen
        }
    });
    closer.start(5);
    open();
    return seen;
}

// The start as main runs it, in a network of its own: the settings file found
// under $XDG_CONFIG_HOME by the application's name fills the fields, the
// first control in Tab order has the focus, and the button lists the mailbox
// on port 110, storing nothing typed while the box is unchecked.
TEST(StartTest, RememberedFieldsFocusPort110) {
    QTemporaryDir config;
    setenv("XDG_CONFIG_HOME", config.path().toUtf8().constData(), 1);
    QDir(config.path()).mkdir("Tarvik");
    std::ofstream(config.path().toStdString() + "/Tarvik/Tarvik.conf")
        << "[settings]\nserver=127.0.0.1\nuser=alice\npassword=secret\n";
    StartQt();
    ScriptedServer server(110);
    server.Play(kLogin + Stat(0) + kQuit);
    const auto press = [&](QWidget* modal) {
        auto* dialog = static_cast<CMailboxDialog*>(modal);
        dialog->activateWindow();  // as the window manager does
        QApplication::processEvents();
        QString shown = QApplication::focusWidget() == dialog->GetDlgItem(IDCANCEL) ? "" : "|focus";
        for (int id : {IDC_SERVER, IDC_USER, IDC_PASSWORD}) {
            shown += "|" + QString::fromStdString(dialog->GetDlgItemText(id));
        }
        dialog->SetDlgItemText(IDC_SERVER, "localhost");  // the box unchecked
        qobject_cast<QPushButton*>(dialog->GetDlgItem(IDC_CHECK_NOW))->click();
        return shown + "|" + QString::fromStdString(dialog->GetDlgItemText(IDC_STATUS));
    };
    EXPECT_EQ(BoxOf([] { CMailCheckApp([] { return 1; }).InitInstance(); }, press),
              QString::fromUtf8("tarvikon|Mailserver (z.b.: pop.example.de):|127.0.0.1|alice|"
                                "secret|Keine Mails auf dem Server"));
    EXPECT_EQ(UserSettings().GetProfileString("settings", "server", ""), "127.0.0.1");
}

// Each test has an empty settings store of its own, in a configuration
// folder that does not exist yet, as on a new account.
class WindowTest : public ::testing::Test {
protected:
    WindowTest() {
        StartQt();
        QCoreApplication::setOrganizationName("Tarvik");
        QCoreApplication::setApplicationName("Tarvik");
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder.filePath("conf"));
    }
    QTemporaryDir folder;
};

// The file holds the password: it is the owner's alone, in a folder of the
// owner's alone, under the most careless umask, and again after the user
// opened either up; a folder the user opened to the group for reading only
// stays so. The folder above is not the program's.
TEST_F(WindowTest, TheSettingsFileIsTheOwnersAlone) {
    const std::filesystem::path file = SettingsFile::FilePath().toStdString(),
                                tarvik = file.parent_path(), above = tarvik.parent_path();
    const auto mode = [](auto path) { return int(std::filesystem::status(path).permissions()); };
    const mode_t saved = umask(0);
    ASSERT_EQ(UserSettings().WriteProfileString("settings", "user", "bob"), 1);
    EXPECT_EQ(mode(tarvik), 0700);
    chmod(above.c_str(), 0755);
    for (const mode_t opened : {0700, 0770, 0707, 0750}) {
        SCOPED_TRACE(opened);
        chmod(file.c_str(), 0644);
        chmod(tarvik.c_str(), opened);
        ASSERT_EQ(UserSettings().WriteProfileString("settings", "user", "bob"), 1);
        EXPECT_EQ(mode(file), 0600);
        EXPECT_EQ(mode(tarvik), opened == 0750 ? 0750 : 0700);
        EXPECT_EQ(mode(above), 0755);
    }
    umask(saved);
}

// Keys, names, menus and boxes: no sockets, one box and no window; Return
// presses the focused button, as in a Windows dialog; each field is named by
// the text before it, the list by what it shows; a right click opens the
// window's menu, whose item opens the information box; rows stay in the
// order they came in (sorted, row 1000 would come before row 101).
TEST_F(WindowTest, AsTheUserMeetsIt) {
    EXPECT_EQ(BoxOf([] { CMailCheckApp([] { return 0; }).InitInstance(); }),
              "Tarvik|Fehler beim Initialisieren der Windows-Sockets.");
    CMailboxDialog dialog;
    dialog.OnInitDialog();
    dialog.GetDlgItem(IDC_DELETE)->setFocus();
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    EXPECT_EQ(BoxOf([&] { QApplication::sendEvent(dialog.GetDlgItem(IDC_DELETE), &key); }),
              QString::fromUtf8("Tarvik|Keine Mail zu löschen ausgewählt"));
    QString names;
    for (int id : {IDC_SERVER, IDC_USER, IDC_PASSWORD, IDC_MESSAGES}) {
        names +=
            QAccessible::queryAccessibleInterface(dialog.GetDlgItem(id))->text(QAccessible::Name);
    }
    EXPECT_EQ(names, "Mailserver (z.b.: pop.example.de):Username:Passwort:Mails auf dem Server");
    EXPECT_EQ(BoxOf([&] {
                  QContextMenuEvent click(QContextMenuEvent::Mouse, {9, 9},
                                          dialog.mapToGlobal(QPoint(9, 9)));
                  QApplication::sendEvent(&dialog, &click);
              }),
              QString::fromUtf8("Info über Tarvik|Tarvik Version 1.0 - tarvikon?"));
    dialog.AddString("(101)");
    dialog.AddString("(1000)");
    EXPECT_EQ(dialog.m_listBox->item(1)->text(), "(1000)");
}

// Dovecot is started by a script with a configuration of its own and stopped
// by its PID; without it the run is skipped, but not in CI. List and
// remember; another program deletes message 1; the row of message 3 finds it
// by its id; listing again shows exactly that message gone.
TEST_F(WindowTest, AgainstDovecotListDeleteByIdListAgain) {
    const std::string dovecot = SOURCE_DIR "/scripts/dovecot.sh ",
                      port = std::to_string(UnusedPort()),
                      run = std::filesystem::temp_directory_path() / ("tvk." + port);
    const std::shared_ptr<void> stop(
        nullptr, [&](void*) { EXPECT_EQ(std::system((dovecot + "stop " + run).c_str()), 0); });
    // The script says why when it cannot start Dovecot.
    const std::string mail = " " SOURCE_DIR "/tests/data/*.eml";
    if (std::system((dovecot + "start " + run + " " + port + mail).c_str())) {
        ASSERT_EQ(std::getenv("CI"), nullptr) << "Dovecot did not start";
        GTEST_SKIP() << "Dovecot did not start";
    }
    CMailboxDialog dialog(nullptr, std::stoi(port));
    dialog.OnInitDialog();
    dialog.SetDlgItemText(IDC_SERVER, "127.0.0.1");
    dialog.SetDlgItemText(IDC_USER, "alice");
    dialog.SetDlgItemText(IDC_PASSWORD, "secret");
    qobject_cast<QCheckBox*>(dialog.GetDlgItem(IDC_REMEMBER))->setChecked(true);
    const auto rows = [&] {
        std::string text = dialog.GetDlgItemText(IDC_STATUS) + "\n";
        for (int i = 0; i < dialog.m_listBox->count(); ++i) {
            text += dialog.m_listBox->item(i)->text().toStdString() + "\n";
        }
        return text;
    };
    const std::string hello = "(001) Hello Alice von Bob <bob@example.org>: 84 bytes\n",
                      folded =
                          "A long subject folded with a tab von "
                          "=?UTF-8?Q?J=C3=BCrgen?= <j@example.org>: 129 bytes\n",
                      ueber = "überweisung von : 35 bytes\n";
    dialog.OnCheckNow();
    EXPECT_EQ(rows(), "Erfrage Statistik...\n" + hello + "(002) " + folded +
                          "(003) Mail # 3 von carol@example.org: 5029 bytes\n(004) " + ueber);
    CPop3Client other;
    ASSERT_TRUE(other.Connect("127.0.0.1", "alice", "secret", std::stoi(port)) && other.Delete(1) &&
                other.Disconnect());
    dialog.m_listBox->setCurrentRow(2);  // as a click selects it
    dialog.OnDeleteSelected();           // and leaves no row selected for a second press
    EXPECT_EQ(rows(), "Mail gelöscht\n" + hello + "(002) " + folded + "(004) " + ueber);
    EXPECT_EQ(BoxOf([&] { dialog.OnDeleteSelected(); }),
              QString::fromUtf8("Tarvik|Keine Mail zu löschen ausgewählt"));
    dialog.OnCheckNow();
    EXPECT_EQ(rows(), "Erfrage Statistik...\n(001) " + folded + "(002) " + ueber);
    EXPECT_EQ(UserSettings().GetProfileString("settings", "user", ""), "alice");
}

}  // namespace
