// The Qt window as the user meets it, on Qt's offscreen platform: the start-up,
// the settings file it keeps private, fields named for screen readers, the
// menu with the information box, the message boxes; and one run against a
// real Dovecot: list and remember, delete by id after another program
// deleted, list again.
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

// Opens a modal box, closes it with its first button once it shows (its loop
// blocks the test), and gives its title, first text and what look adds. A
// menu that opens first gets its last item chosen, as a user chooses it.
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

// Counts what a widget is painted, as a user would see it.
struct PaintCounter : QObject {
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint;
        return false;
    }
    int paints = 0;
};

// The start as main runs it, in a network of its own: the settings file that
// the application's own name finds under $XDG_CONFIG_HOME fills the fields,
// the first control in Tab order has the focus, the window has its icons and
// its information item, and its button lists the mailbox on port 110,
// painting the status line at each change while the press holds the window,
// and storing nothing typed while the box is unchecked.
TEST(StartTest, StoredFieldsFocusIconsMenuPort110) {
    QTemporaryDir config;
    setenv("XDG_CONFIG_HOME", config.path().toUtf8().constData(), 1);
    QDir(config.path()).mkdir("Tarvik");
    std::ofstream(config.path().toStdString() + "/Tarvik/Tarvik.conf")
        << "[settings]\nserver=127.0.0.1\nuser=alice\npassword=secret\n";
    StartQt();
    ScriptedServer server(110);
    server.Play(kLogin + Stat(0) + kQuit);
    PaintCounter status;
    EXPECT_EQ(BoxOf([] { CMailCheckApp([] { return 1; }).InitInstance(); },
                    [&](QWidget* modal) {
                        auto* dialog = static_cast<CMailboxDialog*>(modal);
                        dialog->activateWindow();  // as the window manager does
                        QApplication::processEvents();
                        QString shown = QApplication::focusWidget() == dialog->GetDlgItem(IDCANCEL)
                                            ? ""
                                            : "|focus elsewhere";
                        for (int id : {IDC_SERVER, IDC_USER, IDC_PASSWORD}) {
                            shown += "|" + QString::fromStdString(dialog->GetDlgItemText(id));
                        }
                        dialog->SetDlgItemText(IDC_SERVER, "localhost");  // the box unchecked
                        dialog->GetDlgItem(IDC_STATUS)->installEventFilter(&status);
                        qobject_cast<QPushButton*>(dialog->GetDlgItem(IDC_CHECK_NOW))->click();
                        return shown + "|" +
                               QString::fromStdString(dialog->GetDlgItemText(IDC_STATUS)) + "|" +
                               QString::number(dialog->m_systemMenu.actions()[0]->isSeparator()) +
                               dialog->m_systemMenu.actions().last()->text() + "|" +
                               QString::number(dialog->windowIcon().availableSizes().size());
                    }),
              QString::fromUtf8("tarvikon|Mailserver (z.b.: pop.example.de):|127.0.0.1|alice|"
                                "secret|Keine Mails auf dem Server|1Inf&o über Tarvik...|2"));
    EXPECT_EQ(status.paints, 4);  // empty, connecting, asking, no mails
    EXPECT_EQ(UserSettings().GetProfileString("settings", "server", ""),
              "127.0.0.1");  // not stored
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

// Start-up without sockets, what only the Qt window does, and the
// settings file it keeps private.
TEST_F(WindowTest, WhatOnlyTheQtWindowDoes) {
    EXPECT_EQ(BoxOf([] { CMailCheckApp([] { return 0; }).InitInstance(); }),
              "Tarvik|Fehler beim Initialisieren der Windows-Sockets.");
    CMailboxDialog dialog;
    dialog.OnInitDialog();
    // Return presses the focused button, as a Windows dialog does, and else
    // the default one.
    dialog.GetDlgItem(IDC_DELETE)->setFocus();
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    EXPECT_EQ(
        BoxOf([&] { QApplication::sendEvent(dialog.GetDlgItem(IDC_DELETE), &key); },
              [&](QWidget* box) { return box->parentWidget() == &dialog ? "" : "|no parent"; }),
        QString::fromUtf8("Tarvik|Keine Mail zu löschen ausgewählt"));
    QString n;  // each field is named by the text before it, the list by what it shows
    for (int id : {IDC_SERVER, IDC_USER, IDC_PASSWORD, IDC_MESSAGES}) {
        n += QAccessible::queryAccessibleInterface(dialog.GetDlgItem(id))->text(QAccessible::Name);
    }
    EXPECT_EQ(n, "Mailserver (z.b.: pop.example.de):Username:Passwort:Mails auf dem Server");
    // A right click opens the window's menu, whose item opens the box.
    EXPECT_EQ(BoxOf([&] {
                  QContextMenuEvent click(QContextMenuEvent::Mouse, {9, 9},
                                          dialog.mapToGlobal(QPoint(9, 9)));
                  QApplication::sendEvent(&dialog, &click);
              }),
              QString::fromUtf8("Info über Tarvik|Tarvik Version 1.0 - tarvikon?"));
    // Laid out in the template's font at a fixed size; in a font of known
    // widths, a dialog unit is a quarter of its average letter, whose double
    // is cut to a whole pixel and then halved rounding up: 33 at 28 pixels, 34
    // at 29, both 17.
    QFont mono("DejaVu Sans Mono");
    mono.setPixelSize(28);
    EXPECT_TRUE(dialog.font() == QFont("MS Sans Serif", 8) &&
                dialog.minimumSize() == dialog.maximumSize());
    EXPECT_EQ(DialogUnits::ForFont(mono).Map(4, 8, 10, 3), QRect(17, 33, 43, 12));
    mono.setPixelSize(29);
    EXPECT_EQ(DialogUnits::ForFont(mono).baseX, 17);
    EXPECT_EQ(dialog.GetDlgItem(IDC_SERVER)->geometry(), dialog.Units().Map(133, 7, 113, 14));
    EXPECT_EQ(dialog.findChild<QLabel*>()->textFormat(),
              Qt::PlainText);  // server text is no markup
    // The default button, and fields framed as their border style asks.
    EXPECT_TRUE(qobject_cast<QPushButton*>(dialog.GetDlgItem(IDC_CHECK_NOW))->isDefault() &&
                qobject_cast<QLineEdit*>(dialog.GetDlgItem(IDC_USER))->hasFrame());
    // Rows stay in the order they came in (sorted, row 1000 would come before
    // row 101); rows past the list's end scroll; a row wider than the list is
    // cut, as in the Windows list, with no scroll bar beneath.
    dialog.m_listBox->addItems(QStringList(30, QString(300, 'x')) << "(1000)");
    dialog.show();
    QApplication::processEvents();
    EXPECT_TRUE(dialog.m_listBox->verticalScrollBar()->isVisible() &&
                !dialog.m_listBox->horizontalScrollBar()->isVisible() &&
                dialog.m_listBox->item(30)->text() == "(1000)");
    const std::filesystem::path file = SettingsFile::FilePath().toStdString(),
                                tarvik = file.parent_path(), above = tarvik.parent_path();
    const auto mode = [](auto path) { return int(std::filesystem::status(path).permissions()); };
    const mode_t saved = umask(0);  // the most careless setting a user can have
    // The first write makes the folders; the store's own is private at once.
    ASSERT_EQ(UserSettings().WriteProfileString("settings", "user", "bob"), 1);
    EXPECT_EQ(mode(tarvik), 0700);
    std::ofstream(file) << "[settings]\nuser=@ByteArray(bob)\n";  // not text: none stored
    EXPECT_EQ(UserSettings().GetProfileString("settings", "user", "-"), "-");
    chmod(above.c_str(), 0755);
    // As made, then opened up by hand: to the group, to others; read by the
    // group only, as the user may like it.
    for (const mode_t opened : {0700, 0770, 0707, 0750}) {
        chmod(file.c_str(), 0644);
        chmod(tarvik.c_str(), opened);
        ASSERT_EQ(UserSettings().WriteProfileString("settings", "user", "bob"), 1);
        // The folder above is not ours.
        EXPECT_EQ((std::vector{mode(file), mode(tarvik), mode(above)}),
                  (std::vector<int>{0600, opened == 0750 ? 0750 : 0700, 0755}));
    }
    umask(saved);
}

// Dovecot is started by a script with a configuration of its own and stopped
// by its PID; without it the run is skipped, but not in CI.
TEST_F(WindowTest, AgainstDovecotListDeleteByIdListAgain) {
    const std::string dovecot = SOURCE_DIR "/scripts/dovecot.sh ",
                      port = std::to_string(UnusedPort()),
                      run = std::filesystem::temp_directory_path() / ("tvk." + port);
    const std::shared_ptr<void> stop(
        nullptr, [&](void*) { EXPECT_EQ(std::system((dovecot + "stop " + run).c_str()), 0); });
    // The script says why when it cannot start Dovecot.
    if (std::system(
            (dovecot + "start " + run + " " + port + " " SOURCE_DIR "/tests/data/*.eml").c_str())) {
        ASSERT_EQ(std::getenv("CI"), nullptr) << "Dovecot did not start";
        GTEST_SKIP() << "Dovecot did not start";
    }
    CMailboxDialog dialog(nullptr, std::stoi(port));
    dialog.OnInitDialog();
    for (const auto& [id, text] :
         {std::pair{IDC_SERVER, "127.0.0.1"}, {IDC_USER, "alice"}, {IDC_PASSWORD, "secret"}}) {
        dialog.SetDlgItemText(id, text);
    }
    qobject_cast<QCheckBox*>(dialog.GetDlgItem(IDC_REMEMBER))->setChecked(true);
    auto rows = [&] {
        std::string text = dialog.GetDlgItemText(IDC_STATUS) + "\n";
        for (int i = 0; i < dialog.m_listBox->count(); ++i) {
            text += dialog.m_listBox->item(i)->text().toStdString() + "\n";
        }
        return text;
    };
    const std::string hello = "(001) Hello Alice von Bob <bob@example.org>: 84 bytes\n",
                      folded =
                          "A long subject folded with a tab von =?UTF-8?Q?J=C3=BCrgen?= "
                          "<j@example.org>: 129 bytes\n",
                      ueber = "überweisung von : 35 bytes\n";
    dialog.OnCheckNow();
    EXPECT_EQ(rows(), "Erfrage Statistik...\n" + hello + "(002) " + folded +
                          "(003) Mail # 3 von carol@example.org: 5029 bytes\n(004) " + ueber);
    // Another mail program takes message 1, and closes at QUIT: the row of
    // message 3 stands for number 2 now, and its id finds it.
    CPop3Client other;
    ASSERT_TRUE(other.Connect("127.0.0.1", "alice", "secret", std::stoi(port)) && other.Delete(1) &&
                other.Disconnect());
    EXPECT_EQ(other.m_connection.m_socket, platform::kInvalidSocket);
    dialog.m_listBox->setCurrentRow(2);  // as a click selects it
    dialog.OnDeleteSelected();           // and leaves no row selected for a second press
    EXPECT_EQ(rows(), "Mail gelöscht\n" + hello + "(002) " + folded + "(004) " + ueber);
    EXPECT_EQ(BoxOf([&] { dialog.OnDeleteSelected(); }),
              QString::fromUtf8("Tarvik|Keine Mail zu löschen ausgewählt"));
    dialog.OnCheckNow();  // and exactly that message is gone
    EXPECT_EQ(rows(), "Erfrage Statistik...\n(001) " + folded + "(002) " + ueber);
    EXPECT_EQ(UserSettings().GetProfileString("settings", "user", ""), "alice");  // remembered
}

}  // namespace
