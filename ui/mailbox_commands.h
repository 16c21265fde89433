// The mailbox window's two commands, written once for every window. Each
// holds one POP3 conversation from connect to QUIT and blocks the window
// until it ends; progress and failures show in the status line.
#pragma once

#include "ui/mailbox_view.h"
#include "ui/settings_store.h"

// At start: the server, user name and password the store remembers, or
// empty fields.
void ShowStoredFields(MailboxView& view, const SettingsStore& settings);
// "Jetzt nachsehen ...": stores the fields when the box is checked, then
// lists every message with its number, subject, sender and size, from its
// header lines only.
void CheckNow(MailboxView& view, SettingsStore& settings, int port);
// "Ausgewählte Mail löschen": deletes the message the selected row stands for.
void DeleteSelected(MailboxView& view, int port);
