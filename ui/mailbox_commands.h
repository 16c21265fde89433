// The mailbox window's two commands, written once for every window. Each
// holds one POP3 conversation from connect to QUIT and blocks the window
// until it ends; progress and failures show in the status line.
//
// A POP3 message number names a message within one conversation only: a
// retry, or another mail program on the same mailbox, may give it to another
// message by the next. So the commands keep, for each row, the message it
// stands for: its number, its unique id (UIDL) and its size, and a delete
// finds that message again by its id, or, on a server without ids, deletes
// only while the count and the size show that nothing has moved.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ui/mailbox_view.h"
#include "ui/settings_store.h"

class CPop3Client;

class MailboxCommands {
public:
    // port is the server's POP3 port: kPort in the window, the tests' own in tests.
    MailboxCommands(MailboxView& view, SettingsStore& settings, int port);

    // POP3's port, 110: the only one the window offers.
    static const int kPort;

    // At start: the server, user name and password the store remembers, or
    // empty fields.
    void ShowStoredFields();
    // "Jetzt nachsehen ...": stores the fields when the box is checked, then
    // lists every message with its number, subject, sender and size, from its
    // header lines only.
    void CheckNow();
    // "Ausgewählte Mail löschen": deletes the message the selected row stands
    // for, and no other.
    void DeleteSelected();

private:
    // What one row stands for, as the listing found it.
    struct ListedMessage {
        int number;  // in the conversation that listed it, less the deletions since
        std::string id;
        int size;
    };
    enum class Lookup { kFound, kGone, kUnknown };

    // Where the row's message is in this conversation (STAT, LIST, UIDL): by
    // its id, or without one only while the count and its size are as the
    // listing and the deletions since leave them. kFound with its number,
    // kGone when the mailbox holds it no more, kUnknown when it cannot tell.
    Lookup Locate(CPop3Client& client, const ListedMessage& message, int& number);
    // The status line, painted only when the text changes: a server that
    // announces two billion messages must not cost two billion paints.
    void SetStatus(const std::string& text);
    void Forget();
    // After a delete whose outcome is unknown, or that found the mailbox
    // changed: rows known by number alone may now point at other messages.
    void ForgetRowsWithoutIds();

    MailboxView& m_view;
    SettingsStore& m_settings;
    const int m_port;
    std::vector<ListedMessage> m_listed;  // one per row, in row order
    int m_nExpectedCount = 0;             // messages the server holds, as far as known
    std::optional<std::string> m_status;  // what the commands last showed
};
