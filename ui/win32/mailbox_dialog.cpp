#include "ui/win32/mailbox_dialog.h"

#include "res/resource.h"
#include "ui/mailbox_commands.h"
#include "ui/minimized_icon.h"
#include "ui/win32/wide_text.h"

CMailboxDialog::CMailboxDialog(HWND parent, int port)
    : CDialog(MailboxDialogTemplate(), parent),
      m_hIcon(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME))),
      m_hSmallIcon(
          static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME),
                                        IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR))),
      m_commands(*this, UserSettings(), port) {}

BOOL CMailboxDialog::OnInitDialog() {
    CDialog::OnInitDialog();

    HMENU systemMenu = GetSystemMenu(m_hWnd, FALSE);
    const std::string about = LoadResourceString(IDS_ABOUTBOX);
    if (systemMenu != nullptr && !about.empty()) {
        AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(systemMenu, MF_STRING, IDM_ABOUTBOX, Widen(about).c_str());
    }

    SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hSmallIcon));

    m_commands.ShowStoredFields();
    return TRUE;
}

INT_PTR CMailboxDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SYSCOMMAND:
            return OnSysCommand(wParam) ? TRUE : FALSE;  // else the system's own command
        case WM_PAINT:
            if (!IsIconic(m_hWnd)) {
                return FALSE;
            }
            OnPaint();
            return TRUE;
        case WM_QUERYDRAGICON:
            return reinterpret_cast<INT_PTR>(m_hIcon);
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDC_CHECK_NOW) {
                OnCheckNow();
                return TRUE;
            }
            if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDC_DELETE) {
                OnDeleteSelected();
                return TRUE;
            }
            break;
    }
    return CDialog::OnMessage(message, wParam, lParam);
}

bool CMailboxDialog::OnSysCommand(WPARAM id) {
    if ((id & 0xFFF0) != IDM_ABOUTBOX) {
        return false;
    }
    CInfoDialog about(m_hWnd);
    about.DoModal();
    return true;
}

// Minimised, the window shows its icon in the middle of its client area.
void CMailboxDialog::OnPaint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    SendMessageW(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(m_hWnd, &client);
    const IconPlace place =
        MinimizedIconPlace(client.right - client.left, client.bottom - client.top,
                           GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
    DrawIcon(dc, place.x, place.y, m_hIcon);
    EndPaint(m_hWnd, &paint);
}

void CMailboxDialog::OnCheckNow() {
    m_commands.CheckNow();
}

void CMailboxDialog::OnDeleteSelected() {
    m_commands.DeleteSelected();
}

int CMailboxDialog::IsDlgButtonChecked(int id) const {
    return ::IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED ? 1 : 0;
}

void CMailboxDialog::SetStatus(const std::string& text) {
    SetDlgItemText(IDC_STATUS, text);
    UpdateWindow(GetDlgItem(m_hWnd, IDC_STATUS));
}

LRESULT CMailboxDialog::ListMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return SendDlgItemMessageW(m_hWnd, IDC_MESSAGES, message, wParam, lParam);
}

void CMailboxDialog::ResetContent() {
    ListMessage(LB_RESETCONTENT);
}

// LB_ERR or LB_ERRSPACE when the list is out of memory: the row is not there.
int CMailboxDialog::AddString(const std::string& row) {
    const std::wstring text = Widen(row);
    return ListMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())) >= 0 ? 1 : 0;
}

int CMailboxDialog::GetCurSel() const {
    return static_cast<int>(ListMessage(LB_GETCURSEL));  // LB_ERR is -1
}

void CMailboxDialog::DeleteString(int row) {
    ListMessage(LB_DELETESTRING, static_cast<WPARAM>(row));
}
