// The mailbox window: server, user name and password, the list of waiting
// messages, a one-line status, and the two commands, listing the mailbox and
// deleting the selected message. Each command holds one POP3 conversation
// and blocks the window until it ends, so status changes repaint at once.
#pragma once

#include <QIcon>
#include <QMenu>
#include <string>

#include "pop3/pop3_client.h"
#include "ui/dialog.h"

class QListWidget;

class CMailboxDialog : public CDialog {
    Q_OBJECT
public:
    // port is the server's POP3 port; the window always uses 110, tests
    // pass their own server's.
    explicit CMailboxDialog(QWidget* parent = nullptr, int port = CPop3Client::kPort);

    // Adds the information box to the window's menu, sets the icons, and
    // fills the fields from the settings store.
    bool OnInitDialog() override;
    // Shows text in the status line and paints it at once: the commands
    // block the window while they talk to the server.
    void SetStatus(const std::string& text);
    // Menu commands 16 to 31 open the information box.
    void OnSysCommand(int id);
    // "Jetzt nachsehen ...": lists the mailbox.
    void OnCheckNow();
    // "Ausgewählte Mail löschen": deletes the selected message on the server.
    void OnDeleteSelected();

    QListWidget* m_listBox;  // control 1002
    QIcon m_hIcon;           // icon 128
    QMenu m_systemMenu;      // the window's own menu, opened by a right click

protected:
    // The string table; tests replace it.
    virtual std::string LoadString(int id) const;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
#ifdef Q_OS_WIN
    bool nativeEvent(const QByteArray& type, void* message, qintptr* result) override;
#endif

private:
    static constexpr int kRowSize = 1024;
    static constexpr int kListAttempts = 2;  // per press

    void AddRow(int number, const std::string& text);
    // printf into a row of at most kRowSize - 1 bytes.
    static std::string FormatRow(const char* format, ...)
#ifdef __GNUC__
        __attribute__((format(printf, 1, 2)))
#endif
        ;

    int m_port;
};

// Where a minimised window draws its icon: centred in the client area.
QPoint MinimizedIconPosition(const QSize& client, const QSize& icon);
