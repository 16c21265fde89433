// The mailbox window as the user meets it: controls, settings, menu,
// information box and start-up.
#include <sys/stat.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>

#include "app/mail_check_app.h"
#include "res/resource.h"
#include "tests/support/qt_test.h"
#include "ui/info_dialog.h"
#include "ui/mailbox_dialog.h"
#include "ui/settings_store.h"

namespace {

using MailboxWindowTest = WindowTest;

TEST_F(MailboxWindowTest, ControlsByIdWithTheirTextsKindsAndPlaces) {
    CMailboxDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), "tarvikon");
    const DialogUnits& units = dialog.Units();
    EXPECT_EQ(dialog.size(), units.Map(0, 0, 320, 223).size());

    struct Expected {
        int id;
        const char* type;
        const char* text;
    } controls[] = {
        {IDCANCEL, "QPushButton", "Abbrechen"},
        {IDC_MESSAGES, "QListWidget", ""},
        {IDC_CHECK_NOW, "QPushButton", "Jetzt nachsehen ..."},
        {IDC_SERVER, "QLineEdit", ""},
        {IDC_USER, "QLineEdit", ""},
        {IDC_PASSWORD, "QLineEdit", ""},
        {IDC_REMEMBER, "QCheckBox", "Username, Mailserver und Passwort speichern"},
        {IDC_DELETE, "QPushButton", "Ausgewählte Mail löschen"},
        {IDC_STATUS, "QLabel", "Status-Meldungen"},
    };
    for (const Expected& c : controls) {
        QWidget* widget = dialog.GetDlgItem(c.id);
        ASSERT_NE(widget, nullptr) << c.id;
        EXPECT_STREQ(widget->metaObject()->className(), c.type) << c.id;
        EXPECT_EQ(dialog.GetDlgItemText(c.id), c.text) << c.id;
    }
    for (int i = 0; i < dialog.Template().controlCount; ++i) {
        const ControlTemplate& t = dialog.Template().controls[i];
        if (t.id != IDC_STATIC) {
            EXPECT_EQ(dialog.GetDlgItem(t.id)->geometry(), units.Map(t.x, t.y, t.width, t.height))
                << t.id;
        }
    }
    EXPECT_TRUE(static_cast<QPushButton*>(dialog.GetDlgItem(IDC_CHECK_NOW))->isDefault());
    EXPECT_EQ(static_cast<QLineEdit*>(dialog.GetDlgItem(IDC_PASSWORD))->echoMode(),
              QLineEdit::Normal);  // shown in clear
    EXPECT_FALSE(dialog.m_listBox->isSortingEnabled());
    EXPECT_EQ(dialog.m_listBox, dialog.GetDlgItem(IDC_MESSAGES));
}

TEST_F(MailboxWindowTest, TabOrderIsTemplateOrder) {
    CMailboxDialog dialog;
    const int order[] = {IDCANCEL, IDC_MESSAGES, IDC_CHECK_NOW, IDC_SERVER,
                         IDC_USER, IDC_PASSWORD, IDC_REMEMBER,  IDC_DELETE};
    QWidget* widget = dialog.GetDlgItem(order[0]);
    for (int id : order) {
        EXPECT_EQ(widget, dialog.GetDlgItem(id)) << id;
        do {
            widget = widget->nextInFocusChain();
        } while (widget->focusPolicy() == Qt::NoFocus || widget->parentWidget() != &dialog);
    }
    EXPECT_EQ(widget, dialog.GetDlgItem(order[0]));
}

TEST_F(MailboxWindowTest, FirstStartShowsEmptyFields) {
    CMailboxDialog dialog;
    dialog.OnInitDialog();
    for (int id : {IDC_SERVER, IDC_USER, IDC_PASSWORD}) {
        EXPECT_EQ(dialog.GetDlgItemText(id), "") << id;
    }
    EXPECT_EQ(dialog.GetDlgItemText(IDC_STATUS), "Status-Meldungen");
    EXPECT_EQ(dialog.IsDlgButtonChecked(IDC_REMEMBER), 0);
    EXPECT_EQ(dialog.m_listBox->count(), 0);
}

TEST_F(MailboxWindowTest, StoredSettingsFillTheirFields) {
    {
        QSettings store;
        store.setValue("settings/server", "pop.example.de");
        store.setValue("settings/user", QString::fromUtf8("jürgen"));
        store.setValue("settings/password", "geh eim");
    }
    CMailboxDialog dialog;
    dialog.OnInitDialog();
    EXPECT_EQ(dialog.GetDlgItemText(IDC_SERVER), "pop.example.de");
    EXPECT_EQ(dialog.GetDlgItemText(IDC_USER), "jürgen");
    EXPECT_EQ(dialog.GetDlgItemText(IDC_PASSWORD), "geh eim");
    EXPECT_EQ(dialog.IsDlgButtonChecked(IDC_REMEMBER), 0);
}

TEST_F(MailboxWindowTest, AValueThatIsNoTextShowsAsEmpty) {
    {
        QSettings store;
        store.setValue("settings/server", QStringList{"a", "b"});
        store.setValue("settings/user", "bob");
    }
    CMailboxDialog dialog;
    dialog.OnInitDialog();
    EXPECT_EQ(dialog.GetDlgItemText(IDC_SERVER), "");
    EXPECT_EQ(dialog.GetDlgItemText(IDC_USER), "bob");
}

TEST_F(MailboxWindowTest, TheStoreIsReadableByItsOwnerOnly) {
    const QString path = settings::FilePath();
    EXPECT_TRUE(path.endsWith("Tarvik/Tarvik.conf")) << path.toStdString();
    const mode_t saved = umask(0);  // the most careless setting a user can have
    ASSERT_EQ(settings::WriteProfileString("settings", "password", "geheim"), 1);
    struct stat info {};
    ASSERT_EQ(stat(path.toUtf8().constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    chmod(path.toUtf8().constData(), 0644);  // and when it was opened up by hand
    ASSERT_EQ(settings::WriteProfileString("settings", "server", "pop.example.de"), 1);
    ASSERT_EQ(stat(path.toUtf8().constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    umask(saved);
    EXPECT_EQ(settings::GetProfileString("settings", "password", "x"), "geheim");
    EXPECT_EQ(settings::GetProfileString("settings", "missing", "fallback"), "fallback");
}

TEST_F(MailboxWindowTest, TheMenuOffersTheInformationBox) {
    CMailboxDialog dialog;
    dialog.OnInitDialog();
    const QList<QAction*> items = dialog.m_systemMenu.actions();
    ASSERT_EQ(items.size(), 2);
    EXPECT_TRUE(items[0]->isSeparator());
    EXPECT_EQ(items[1]->text(), QString::fromUtf8("Inf&o über Tarvik..."));

    QString title, text;
    WhenModalShows([&](QWidget* modal) {
        auto* info = qobject_cast<CInfoDialog*>(modal);
        ASSERT_NE(info, nullptr);
        title = info->windowTitle();
        text = info->findChild<QLabel*>()->text();
        static_cast<QPushButton*>(info->GetDlgItem(IDOK))->click();
    });
    items[1]->trigger();
    EXPECT_EQ(title, QString::fromUtf8("Info über Tarvik"));
    EXPECT_EQ(text, "Tarvik Version 1.0 - tarvikon?");
    EXPECT_EQ(dialog.GetDlgItemText(IDC_STATUS), "Status-Meldungen");  // unchanged
}

TEST_F(MailboxWindowTest, CommandsSixteenToThirtyOneOpenTheBox) {
    CMailboxDialog dialog;
    for (int id : {15, 16, 31, 32, 0xF060}) {
        bool opened = false;
        WhenModalShows([&](QWidget* modal) {
            opened = true;
            static_cast<QDialog*>(modal)->reject();
        });
        dialog.OnSysCommand(id);
        EXPECT_EQ(opened, id >= 16 && id <= 31) << id;
        if (!opened) {  // the watcher is still waiting: give it a box to close
            QDialog dummy;
            dummy.exec();
        }
    }
}

class WithoutMenuString : public CMailboxDialog {
protected:
    std::string LoadString(int) const override { return ""; }
};

TEST_F(MailboxWindowTest, AnEmptyMenuStringAddsNothing) {
    WithoutMenuString dialog;
    dialog.OnInitDialog();
    EXPECT_TRUE(dialog.m_systemMenu.isEmpty());
}

TEST_F(MailboxWindowTest, CancelEndsTheWindow) {
    CMailboxDialog dialog;
    WhenModalShows([](QWidget* modal) {
        static_cast<QPushButton*>(static_cast<CDialog*>(modal)->GetDlgItem(IDCANCEL))->click();
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

TEST_F(MailboxWindowTest, TheIconIsCentredWhenMinimised) {
    EXPECT_EQ(MinimizedIconPosition(QSize(100, 50), QSize(32, 32)), QPoint(34, 9));
    EXPECT_EQ(MinimizedIconPosition(QSize(33, 33), QSize(32, 32)), QPoint(1, 1));
    EXPECT_EQ(MinimizedIconPosition(QSize(0, 0), QSize(32, 32)), QPoint(-15, -15));
    CMailboxDialog dialog;
    EXPECT_EQ(dialog.m_hIcon.availableSizes().size(), 2);
}

int FailingSockets() {
    return 0;
}

TEST_F(MailboxWindowTest, WithoutSocketsOnlyTheMessageShows) {
    QString text;
    bool windowShown = true;
    WhenModalShows([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        text = box->text();
        windowShown = false;
        for (QWidget* top : QApplication::topLevelWidgets()) {
            windowShown = windowShown || qobject_cast<CMailboxDialog*>(top) != nullptr;
        }
        box->button(QMessageBox::Ok)->click();
    });
    CMailCheckApp app(FailingSockets);
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(text, "Fehler beim Initialisieren der Windows-Sockets.");
    EXPECT_FALSE(windowShown);
    EXPECT_FALSE(QFile::exists(settings::FilePath()));
}

}  // namespace
