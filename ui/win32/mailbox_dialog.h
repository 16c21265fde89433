// The mailbox window on Windows: a native dialog from the same template as
// the Qt window, with the system menu's information item, the icons and the
// minimised painting, handing the two commands the operations they use.
#pragma once

#include "ui/mailbox_commands.h"
#include "ui/mailbox_view.h"
#include "ui/win32/dialog.h"

class CMailboxDialog : public CDialog, public MailboxView {
public:
    explicit CMailboxDialog(HWND parent = nullptr, int port = MailboxCommands::kPort);
    // The small icon was loaded for this window alone; the big one is shared.
    ~CMailboxDialog() override { DestroyIcon(m_hSmallIcon); }
    CMailboxDialog(const CMailboxDialog&) = delete;
    CMailboxDialog& operator=(const CMailboxDialog&) = delete;

    // Adds the information item to the system menu, sets the icons, and
    // fills the fields from the settings store.
    BOOL OnInitDialog() override;
    // Commands 16 to 31 open the information box; false for the others,
    // which are the system's.
    bool OnSysCommand(WPARAM id);
    void OnPaint();
    // "Jetzt nachsehen ...": lists the mailbox.
    void OnCheckNow();
    // "Ausgewählte Mail löschen": deletes the selected message on the server.
    void OnDeleteSelected();

    std::string GetDlgItemText(int id) const override { return CDialog::GetDlgItemText(id); }
    void SetDlgItemText(int id, const std::string& text) override {
        CDialog::SetDlgItemText(id, text);
    }
    int IsDlgButtonChecked(int id) const override;
    // Paints at once.
    void SetStatus(const std::string& text) override;
    void ResetContent() override;
    int AddString(const std::string& row) override;
    int GetCurSel() const override;
    void DeleteString(int row) override;
    void MessageBox(const std::string& text) override { ::MessageBox(m_hWnd, text); }

    HICON m_hIcon;       // icon 128, 32 pixels
    HICON m_hSmallIcon;  // and 16

protected:
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    LRESULT ListMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

    MailboxCommands m_commands;
};

// The information box: program name and version, and an OK button.
class CInfoDialog : public CDialog {
public:
    explicit CInfoDialog(HWND parent) : CDialog(InfoDialogTemplate(), parent) {}
};
