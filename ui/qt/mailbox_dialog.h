// The mailbox window in Qt: server, user name and password, the list of
// waiting messages, a one-line status, and the two commands, which it hands
// the window operations they use.
#pragma once

#include <QIcon>
#include <QMenu>
#include <string>

#include "ui/mailbox_commands.h"
#include "ui/mailbox_view.h"
#include "ui/qt/dialog.h"

class QListWidget;

class CMailboxDialog : public CDialog, public MailboxView {
    Q_OBJECT
public:
    // port is the server's POP3 port; the window always uses 110, tests
    // pass their own server's.
    explicit CMailboxDialog(QWidget* parent = nullptr, int port = MailboxCommands::kPort);

    // Adds the information box to the window's menu, sets the icons, and
    // fills the fields from the settings store.
    bool OnInitDialog() override;
    // Menu commands 16 to 31 open the information box.
    void OnSysCommand(int id);
    // "Jetzt nachsehen ...": lists the mailbox.
    void OnCheckNow();
    // "Ausgewählte Mail löschen": deletes the selected message on the server.
    void OnDeleteSelected();

    std::string GetDlgItemText(int id) const override { return CDialog::GetDlgItemText(id); }
    void SetDlgItemText(int id, const std::string& text) override {
        CDialog::SetDlgItemText(id, text);
    }
    int IsDlgButtonChecked(int id) const override { return CDialog::IsDlgButtonChecked(id); }
    // Paints at once.
    void SetStatus(const std::string& text) override;
    void ResetContent() override;
    int AddString(const std::string& row) override;
    int GetCurSel() const override;
    void DeleteString(int row) override;
    void MessageBox(const std::string& text) override { ::MessageBox(text, this); }

    QListWidget* m_listBox;  // control 1002
    QIcon m_icon;            // icon 128, in both sizes: Qt has no icon handles
    QMenu m_systemMenu;      // the window's own menu, opened by a right click

protected:
    // The string table; tests replace it.
    virtual std::string LoadString(int id) const;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    MailboxCommands m_commands;
};
