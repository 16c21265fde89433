#include "ui/mailbox_dialog.h"

#include <QAbstractButton>
#include <QContextMenuEvent>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>

#include <cstdarg>
#include <cstdio>

#include "mail/message_text.h"
#include "res/resource.h"
#include "res/tarvik16.xpm"
#include "res/tarvik32.xpm"
#include "ui/display_text.h"
#include "ui/info_dialog.h"
#include "ui/settings_store.h"

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

constexpr char kSection[] = "settings";
constexpr int kIconSize = 32;  // the platform's big icon
// Each row keeps the number of the message it stands for.
constexpr int kMessageNumberRole = Qt::UserRole;

}  // namespace

CMailboxDialog::CMailboxDialog(QWidget* parent, int port)
    : CDialog(MailboxDialogTemplate(), parent),
      m_listBox(qobject_cast<QListWidget*>(GetDlgItem(IDC_MESSAGES))),
      m_port(port) {
    m_hIcon.addPixmap(QPixmap(tarvik32_xpm));
    m_hIcon.addPixmap(QPixmap(tarvik16_xpm));
    connect(static_cast<QAbstractButton*>(GetDlgItem(IDC_CHECK_NOW)), &QAbstractButton::clicked,
            this, &CMailboxDialog::OnCheckNow);
    connect(static_cast<QAbstractButton*>(GetDlgItem(IDC_DELETE)), &QAbstractButton::clicked, this,
            &CMailboxDialog::OnDeleteSelected);
}

bool CMailboxDialog::OnInitDialog() {
    CDialog::OnInitDialog();

    const std::string about = LoadString(IDS_ABOUTBOX);
    if (!about.empty()) {
#ifdef Q_OS_WIN
        HMENU menu = GetSystemMenu(reinterpret_cast<HWND>(winId()), FALSE);
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX,
                    reinterpret_cast<LPCWSTR>(FromEightBit(about).utf16()));
#else
        // The window manager owns the system menu here; the window's own menu
        // takes its place.
        m_systemMenu.addSeparator();
        QAction* item = m_systemMenu.addAction(FromEightBit(about));
        connect(item, &QAction::triggered, this, [this] { OnSysCommand(IDM_ABOUTBOX); });
#endif
    }

    setWindowIcon(m_hIcon);

    const std::string server = settings::GetProfileString(kSection, "server", "");
    const std::string user = settings::GetProfileString(kSection, "user", "");
    const std::string password = settings::GetProfileString(kSection, "password", "");
    SetDlgItemText(IDC_USER, user);
    SetDlgItemText(IDC_PASSWORD, password);
    SetDlgItemText(IDC_SERVER, server);
    return true;
}

void CMailboxDialog::SetStatus(const std::string& text) {
    if (GetDlgItemText(IDC_STATUS) == text) {
        return;  // nothing new to paint
    }
    SetDlgItemText(IDC_STATUS, text);
    repaint();
}

void CMailboxDialog::OnSysCommand(int id) {
    if ((id & 0xFFF0) == IDM_ABOUTBOX) {
        CInfoDialog about(this);
        about.DoModal();
    }
}

// One conversation from connect to QUIT: STAT for the count, then for each
// message its size (from LIST, loaded once) and its header lines (TOP n 0),
// never a body.
void CMailboxDialog::OnCheckNow() {
    CPop3Client client;
    const std::string user = GetDlgItemText(IDC_USER);
    const std::string password = GetDlgItemText(IDC_PASSWORD);
    const std::string server = GetDlgItemText(IDC_SERVER);
    if (IsDlgButtonChecked(IDC_REMEMBER)) {
        settings::WriteProfileString(kSection, "server", server);
        settings::WriteProfileString(kSection, "user", user);
        settings::WriteProfileString(kSection, "password", password);
    }

    SetStatus("");
    m_listBox->clear();
    SetStatus("Connecting to: " + server + "...");
    if (!client.Connect(server.c_str(), user.c_str(), password.c_str(), m_port)) {
        SetStatus("Verbindung mit dem Server fehlgeschlagen.");
        return;
    }
    SetStatus("Erfrage Statistik...");
    int count = 0;
    int total = 0;
    if (!client.Stat(count, total)) {
        SetStatus("Erfragen der Statistik fehlgeschlagen.");
        return;  // the client's destructor ends the conversation
    }
    if (count == 0) {
        SetStatus("Keine Mails auf dem Server");
        client.Disconnect();
        return;
    }

    int listFailures = 0;
    for (int i = 1; i <= count; ++i) {
        int size = 0;
        if (!client.GetMessageSize(i, size)) {
            SetStatus("Info über Message-Größe nicht verfügbar");
            // A server may announce two billion messages: beyond a loaded size
            // list no number gets a size, and a list that failed to load twice
            // is not asked for again and again.
            if (client.m_bListLoaded ? static_cast<size_t>(i) > client.m_sizes.size()
                                     : ++listFailures == kListAttempts) {
                break;
            }
            continue;
        }
        CMessageText message;
        if (client.GetTop(i, message.m_pszText)) {
            const std::string subject = message.GetSubject();
            const std::string sender = message.GetFrom();
            if (subject.empty()) {
                AddRow(i,
                       FormatRow("(%03d) Mail # %d von %s: %d bytes", i, i, sender.c_str(), size));
            } else {
                AddRow(i, FormatRow("(%03d) %s von %s: %d bytes", i, subject.c_str(),
                                    sender.c_str(), size));
            }
        } else {
            AddRow(i, FormatRow("(%03d) Mail # %d: %d bytes", i, i, size));
        }
    }
    client.Reset();
    client.Disconnect();
}

// Deletes the message the selected row stands for. POP3 removes a message
// marked with DELE only when the conversation ends with QUIT, so the row goes
// only once QUIT was confirmed.
void CMailboxDialog::OnDeleteSelected() {
    const QList<QListWidgetItem*> selected = m_listBox->selectedItems();
    if (selected.isEmpty()) {
        MessageBox("Keine Mail zu löschen ausgewählt");
        return;
    }
    QListWidgetItem* row = selected.first();
    const int number = row->data(kMessageNumberRole).toInt();

    CPop3Client client;
    const std::string user = GetDlgItemText(IDC_USER);
    const std::string password = GetDlgItemText(IDC_PASSWORD);
    const std::string server = GetDlgItemText(IDC_SERVER);
    SetStatus("");
    SetStatus("Connecting to: " + server + "...");
    if (!client.Connect(server.c_str(), user.c_str(), password.c_str(), m_port)) {
        SetStatus("Verbindung mit dem Server fehlgeschlagen.");
        return;
    }
    SetStatus("Versuche die Mail zu löschen");
    if (!client.Delete(number) || !client.Disconnect()) {
        SetStatus("Mail konnte nicht gelöscht werden");
        return;
    }
    SetStatus("Mail gelöscht");

    // The server numbers the messages after the deleted one one lower now.
    const int removed = m_listBox->row(row);
    delete m_listBox->takeItem(removed);
    for (int r = removed; r < m_listBox->count(); ++r) {
        QListWidgetItem* later = m_listBox->item(r);
        later->setData(kMessageNumberRole, later->data(kMessageNumberRole).toInt() - 1);
    }
}

void CMailboxDialog::AddRow(int number, const std::string& text) {
    auto* row = new QListWidgetItem(FromEightBit(text));
    row->setData(kMessageNumberRole, number);
    m_listBox->addItem(row);
}

std::string CMailboxDialog::FormatRow(const char* format, ...) {
    char row[kRowSize];
    va_list values;
    va_start(values, format);
    const int length = std::vsnprintf(row, sizeof row, format, values);  // cut at 1023 bytes
    va_end(values);
    return length < kRowSize ? row : DropCutCharacter(row);
}

#ifdef Q_OS_WIN
bool CMailboxDialog::nativeEvent(const QByteArray& type, void* message, qintptr* result) {
    const MSG* msg = static_cast<const MSG*>(message);
    if (msg->message == WM_SYSCOMMAND && (msg->wParam & 0xFFF0) == IDM_ABOUTBOX) {
        OnSysCommand(static_cast<int>(msg->wParam));
        *result = 0;
        return true;
    }
    return CDialog::nativeEvent(type, message, result);
}
#endif

std::string CMailboxDialog::LoadString(int id) const {
    return LoadResourceString(id);
}

void CMailboxDialog::contextMenuEvent(QContextMenuEvent* event) {
    if (!m_systemMenu.isEmpty()) {
        m_systemMenu.exec(event->globalPos());
    }
}

void CMailboxDialog::paintEvent(QPaintEvent* event) {
    if (!isMinimized()) {
        CDialog::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.eraseRect(rect());
    const QSize icon(kIconSize, kIconSize);
    painter.drawPixmap(MinimizedIconPosition(size(), icon), m_hIcon.pixmap(icon));
}

QPoint MinimizedIconPosition(const QSize& client, const QSize& icon) {
    return QPoint((client.width() - icon.width() + 1) / 2,
                  (client.height() - icon.height() + 1) / 2);
}
