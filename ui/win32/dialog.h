// A dialog built at run time from a template of res/: the table becomes an
// extended dialog template in memory for the dialog manager, the same table
// the Qt window is built from. Controls are addressed by their ids. Knows
// nothing of mail.
#pragma once

#include <string>
#include <vector>

#include "platform/windows_api.h"
#include "res/dialog_template.h"

class CDialog {
public:
    explicit CDialog(const DialogTemplate& dialogTemplate, HWND parent = nullptr);
    virtual ~CDialog() = default;
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog modally; the id of the button that ended it (IDCANCEL
    // also for Escape and the close box).
    INT_PTR DoModal();
    virtual BOOL OnInitDialog() { return TRUE; }

    std::string GetDlgItemText(int id) const;
    // Text from a server shows as UTF-8 where it is, else as Latin-1.
    void SetDlgItemText(int id, const std::string& text);

    HWND m_hWnd = nullptr;

protected:
    // A message for the dialog; TRUE when it was handled. This one ends the
    // dialog on OK and Cancel.
    virtual INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    std::vector<WORD> m_template;  // DLGTEMPLATEEX and its items
    HWND m_parent;
};

// A modal message box with an OK button, titled with the program's name.
void MessageBox(HWND owner, const std::string& text);
