#include "ui/mailbox_dialog.h"

#include <QAbstractButton>
#include <QContextMenuEvent>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>

#include "res/resource.h"
#include "res/tarvik16.xpm"
#include "res/tarvik32.xpm"
#include "ui/info_dialog.h"
#include "ui/settings_store.h"

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

constexpr char kSection[] = "settings";
constexpr int kIconSize = 32;  // the platform's big icon

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

void CMailboxDialog::OnCheckNow() {}

void CMailboxDialog::OnDeleteSelected() {}

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

std::string CMailboxDialog::LoadString(int id) const { return LoadResourceString(id); }

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
