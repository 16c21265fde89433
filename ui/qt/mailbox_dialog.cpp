#include "ui/qt/mailbox_dialog.h"

#include <QAbstractButton>
#include <QContextMenuEvent>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>

#include "res/resource.h"
#include "res/tarvik16.xpm"
#include "res/tarvik32.xpm"
#include "ui/mailbox_commands.h"
#include "ui/minimized_icon.h"
#include "ui/qt/eight_bit_text.h"
#include "ui/qt/info_dialog.h"

namespace {

constexpr int kIconSize = 32;  // the platform's big icon

}  // namespace

CMailboxDialog::CMailboxDialog(QWidget* parent, int port)
    : CDialog(MailboxDialogTemplate(), parent),
      m_listBox(qobject_cast<QListWidget*>(GetDlgItem(IDC_MESSAGES))),
      m_commands(*this, UserSettings(), port) {
    m_icon.addPixmap(QPixmap(tarvik32_xpm));
    m_icon.addPixmap(QPixmap(tarvik16_xpm));
    const auto onClick = [this](int id, void (CMailboxDialog::*command)()) {
        auto* button = qobject_cast<QAbstractButton*>(GetDlgItem(id));
        Q_ASSERT_X(button, "CMailboxDialog", "the template's command is no button");
        connect(button, &QAbstractButton::clicked, this, command);
    };
    onClick(IDC_CHECK_NOW, &CMailboxDialog::OnCheckNow);
    onClick(IDC_DELETE, &CMailboxDialog::OnDeleteSelected);
}

bool CMailboxDialog::OnInitDialog() {
    CDialog::OnInitDialog();

    // The window manager owns the system menu here; the window's own menu
    // takes its place.
    const std::string about = LoadString(IDS_ABOUTBOX);
    if (!about.empty()) {
        m_systemMenu.addSeparator();
        QAction* item = m_systemMenu.addAction(FromEightBit(about));
        connect(item, &QAction::triggered, this, [this] { OnSysCommand(IDM_ABOUTBOX); });
    }

    setWindowIcon(m_icon);

    m_commands.ShowStoredFields();
    return true;
}

void CMailboxDialog::OnSysCommand(int id) {
    if ((id & 0xFFF0) == IDM_ABOUTBOX) {
        CInfoDialog about(this);
        about.DoModal();
    }
}

void CMailboxDialog::OnCheckNow() {
    m_commands.CheckNow();
}

void CMailboxDialog::OnDeleteSelected() {
    m_commands.DeleteSelected();
}

void CMailboxDialog::SetStatus(const std::string& text) {
    SetDlgItemText(IDC_STATUS, text);
    repaint();
}

void CMailboxDialog::ResetContent() {
    m_listBox->clear();
}

int CMailboxDialog::AddString(const std::string& row) {
    m_listBox->addItem(QString::fromStdString(row));
    return 1;
}

int CMailboxDialog::GetCurSel() const {
    const QList<QListWidgetItem*> selected = m_listBox->selectedItems();
    return selected.isEmpty() ? -1 : m_listBox->row(selected.first());
}

void CMailboxDialog::DeleteString(int row) {
    delete m_listBox->takeItem(row);
    // Qt moves the selection to the row that took the deleted one's place; a
    // second press would then delete that message too. Like a list box,
    // leave nothing selected.
    m_listBox->selectionModel()->clear();
}

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
    const IconPlace place = MinimizedIconPlace(width(), height(), kIconSize, kIconSize);
    painter.drawPixmap(place.x, place.y, m_icon.pixmap(kIconSize));
}
