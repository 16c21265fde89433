// What a mailbox window supplies to the two commands: its fields and check
// box, a status line that is painted at once, a list of rows that each keep
// the number of the message they stand for, and a message box. Text crosses
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
    // block the window while they talk to the server.
    virtual void SetStatus(const std::string& text) = 0;
    virtual void ResetContent() = 0;
    // Appends a row at the end of the list.
    virtual void AddString(const std::string& row, int messageNumber) = 0;
    // The selected row, or -1.
    virtual int GetCurSel() const = 0;
    virtual int GetCount() const = 0;
    virtual int GetItemData(int row) const = 0;
    virtual void SetItemData(int row, int messageNumber) = 0;
    // Removes the row; those below move up.
    virtual void DeleteString(int row) = 0;
    // A modal message box with an OK button.
    virtual void MessageBox(const std::string& text) = 0;
};
