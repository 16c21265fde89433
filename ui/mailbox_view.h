// What a mailbox window supplies to the two commands: its fields and check
// box, a status line that is painted at once, a list of rows, and a message
// box. What each row stands for the commands keep themselves. Text crosses
// as 8-bit strings: typed text as UTF-8, server text as the server sent it.
#pragma once

#include <string>

class MailboxView {
public:
    virtual ~MailboxView() = default;

    virtual std::string GetDlgItemText(int id) const = 0;
    virtual void SetDlgItemText(int id, const std::string& text) = 0;
    // Non-zero when the check box is checked.
    virtual int IsDlgButtonChecked(int id) const = 0;
    // Sets the status line and paints it before returning: the commands
    // block the window while they talk to the server, and call this only
    // when the text changes.
    virtual void SetStatus(const std::string& text) = 0;
    virtual void ResetContent() = 0;
    // Appends a row, UTF-8 text as it is to be shown, at the end of the
    // list; 1 when the list took it.
    virtual int AddString(const std::string& row) = 0;
    // The selected row, or -1.
    virtual int GetCurSel() const = 0;
    // Removes the row; those below move up, and none is selected.
    virtual void DeleteString(int row) = 0;
    // A modal message box with an OK button.
    virtual void MessageBox(const std::string& text) = 0;
};
