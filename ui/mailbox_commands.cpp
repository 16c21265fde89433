#include "ui/mailbox_commands.h"

#include <cstdarg>
#include <cstdio>

#include "mail/message_text.h"
#include "pop3/pop3_client.h"
#include "res/resource.h"
#include "ui/display_text.h"

namespace {

constexpr char kSection[] = "settings";
constexpr int kRowSize = 1024;
constexpr int kListAttempts = 2;  // per press

// printf into a row of at most kRowSize - 1 bytes, never cut inside a
// UTF-8 character.
__attribute__((format(printf, 1, 2))) std::string FormatRow(const char* format, ...) {
    char row[kRowSize];
    va_list values;
    va_start(values, format);
    const int length = std::vsnprintf(row, sizeof row, format, values);
    va_end(values);
    return length < kRowSize ? row : DropCutCharacter(row);
}

// The fields as typed, read in the order both commands read them: user name,
// password, server.
struct Fields {
    explicit Fields(const MailboxView& view)
        : user(view.GetDlgItemText(IDC_USER)),
          password(view.GetDlgItemText(IDC_PASSWORD)),
          server(view.GetDlgItemText(IDC_SERVER)) {}
    const std::string user, password, server;
};

}  // namespace

void ShowStoredFields(MailboxView& view, const SettingsStore& settings) {
    const std::string server = settings.GetProfileString(kSection, "server", "");
    const std::string user = settings.GetProfileString(kSection, "user", "");
    const std::string password = settings.GetProfileString(kSection, "password", "");
    view.SetDlgItemText(IDC_USER, user);
    view.SetDlgItemText(IDC_PASSWORD, password);
    view.SetDlgItemText(IDC_SERVER, server);
}

// One conversation from connect to QUIT: STAT for the count, then for each
// message its size (from LIST, loaded once) and its header lines (TOP n 0),
// never a body.
void CheckNow(MailboxView& view, SettingsStore& settings, int port) {
    CPop3Client client;
    const Fields typed(view);
    if (view.IsDlgButtonChecked(IDC_REMEMBER)) {
        settings.WriteProfileString(kSection, "server", typed.server);
        settings.WriteProfileString(kSection, "user", typed.user);
        settings.WriteProfileString(kSection, "password", typed.password);
    }

    // The last outcome goes at once, before a connect that may take ten
    // seconds; the one English text among the German is what users have
    // always read here.
    view.SetStatus("");
    view.ResetContent();
    view.SetStatus("Connecting to: " + typed.server + "...");
    if (!client.Connect(typed.server.c_str(), typed.user.c_str(), typed.password.c_str(), port)) {
        view.SetStatus("Verbindung mit dem Server fehlgeschlagen.");
        return;
    }
    view.SetStatus("Erfrage Statistik...");
    int count = 0;
    int total = 0;
    if (!client.Stat(count, total)) {
        view.SetStatus("Erfragen der Statistik fehlgeschlagen.");
        return;  // the client's destructor ends the conversation
    }
    if (count == 0) {
        view.SetStatus("Keine Mails auf dem Server");
        client.Disconnect();
        return;
    }

    int listFailures = 0;
    for (int i = 1; i <= count; ++i) {
        int size = 0;
        if (!client.GetMessageSize(i, size)) {
            view.SetStatus("Info über Message-Größe nicht verfügbar");
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
                view.AddString(
                    FormatRow("(%03d) Mail # %d von %s: %d bytes", i, i, sender.c_str(), size), i);
            } else {
                view.AddString(FormatRow("(%03d) %s von %s: %d bytes", i, subject.c_str(),
                                         sender.c_str(), size),
                               i);
            }
        } else {
            view.AddString(FormatRow("(%03d) Mail # %d: %d bytes", i, i, size), i);
        }
    }
    // Nothing was marked, but RSET makes sure the QUIT changes nothing on the
    // server.
    client.Reset();
    client.Disconnect();
}

// Deletes the message the selected row stands for. POP3 removes a message
// marked with DELE only when the conversation ends with QUIT, so the row goes
// only once QUIT was confirmed.
void DeleteSelected(MailboxView& view, int port) {
    const int row = view.GetCurSel();
    if (row < 0) {
        view.MessageBox("Keine Mail zu löschen ausgewählt");
        return;
    }
    const int number = view.GetItemData(row);

    CPop3Client client;
    const Fields typed(view);
    view.SetStatus("");  // as in the listing
    view.SetStatus("Connecting to: " + typed.server + "...");
    if (!client.Connect(typed.server.c_str(), typed.user.c_str(), typed.password.c_str(), port)) {
        view.SetStatus("Verbindung mit dem Server fehlgeschlagen.");
        return;
    }
    view.SetStatus("Versuche die Mail zu löschen");
    if (!client.Delete(number) || !client.Disconnect()) {
        view.SetStatus("Mail konnte nicht gelöscht werden");
        return;
    }
    view.SetStatus("Mail gelöscht");

    // The server numbers the messages after the deleted one one lower now.
    view.DeleteString(row);
    for (int later = row; later < view.GetCount(); ++later) {
        view.SetItemData(later, view.GetItemData(later) - 1);
    }
}
