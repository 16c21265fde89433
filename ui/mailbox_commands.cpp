#include "ui/mailbox_commands.h"

#include <algorithm>
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

#ifdef __GNUC__
#define PRINTF_LIKE __attribute__((format(printf, 2, 3)))
#else
#define PRINTF_LIKE
#endif

// A row of the list: the program's own text, formatted by Printf, and the
// fields a server sent, each shown on its own terms by Field (RowField). It
// keeps the first kRowSize - 1 bytes of them all, as a row buffer of kRowSize
// bytes always kept them.
class Row {
public:
    PRINTF_LIKE Row& Printf(const char* format, ...) {
        char text[kRowSize];
        va_list values;
        va_start(values, format);
        const int length = std::vsnprintf(text, sizeof text, format, values);
        va_end(values);
        const size_t kept =
            std::min({static_cast<size_t>(std::max(length, 0)), sizeof text - 1, m_room});
        m_shown.append(text, kept);
        m_room -= kept;
        return *this;
    }
    Row& Field(const std::string& serverText) {
        const size_t kept = std::min(serverText.size(), m_room);
        m_shown += RowField(serverText, kept);
        m_room -= kept;
        return *this;
    }
    const std::string& Shown() const { return m_shown; }

private:
    std::string m_shown;
    size_t m_room = kRowSize - 1;  // bytes the row buffer has left
};

// The three fields, read afresh by each command and used exactly as typed.
struct Fields {
    explicit Fields(const MailboxView& view)
        : user(view.GetDlgItemText(IDC_USER)),
          password(view.GetDlgItemText(IDC_PASSWORD)),
          server(view.GetDlgItemText(IDC_SERVER)) {}
    const std::string user, password, server;
};

}  // namespace

const int MailboxCommands::kPort = CPop3Client::kPort;

MailboxCommands::MailboxCommands(MailboxView& view, SettingsStore& settings, int port)
    : m_view(view), m_settings(settings), m_port(port) {}

void MailboxCommands::ShowStoredFields() {
    const std::string server = m_settings.GetProfileString(kSection, "server", "");
    const std::string user = m_settings.GetProfileString(kSection, "user", "");
    const std::string password = m_settings.GetProfileString(kSection, "password", "");
    m_view.SetDlgItemText(IDC_USER, user);
    m_view.SetDlgItemText(IDC_PASSWORD, password);
    m_view.SetDlgItemText(IDC_SERVER, server);
}

// One conversation from connect to QUIT: STAT for the count, then for each
// message its size (from LIST, loaded once), its unique id (from UIDL, right
// after LIST) and its header lines (TOP n 0), never a body.
void MailboxCommands::CheckNow() {
    CPop3Client client;
    const Fields typed(m_view);
    if (m_view.IsDlgButtonChecked(IDC_REMEMBER)) {
        m_settings.WriteProfileString(kSection, "server", typed.server);
        m_settings.WriteProfileString(kSection, "user", typed.user);
        m_settings.WriteProfileString(kSection, "password", typed.password);
    }

    // The last outcome goes at once, before a connect that may take ten
    // seconds; the one English text among the German is what users have
    // always read here.
    SetStatus("");
    Forget();
    SetStatus("Connecting to: " + typed.server + "...");
    if (!client.Connect(typed.server.c_str(), typed.user.c_str(), typed.password.c_str(), m_port)) {
        SetStatus("Verbindung mit dem Server fehlgeschlagen.");
        return;
    }
    SetStatus("Erfrage Statistik...");
    int count = 0;
    int total = 0;
    if (!client.Stat(count, total)) {
        SetStatus("Erfragen der Statistik fehlgeschlagen.");
        return;  // the client's destructor ends the conversation
    }
    m_nExpectedCount = count;
    if (count == 0) {
        SetStatus("Keine Mails auf dem Server");
        client.Disconnect();
        return;
    }

    int listFailures = 0;
    for (int i = 1; i <= count; ++i) {
        int size = 0;
        if (!client.GetMessageSize(i, size)) {
            SetStatus("Info über Message-Größe nicht verfügbar");
            // A server may announce two billion messages: beyond a loaded size
            // list no number gets a size, and a list that failed to load twice
            // is not asked for again and again.
            if (client.IsListLoaded() || ++listFailures == kListAttempts) {
                break;
            }
            continue;
        }
        std::string id;  // stays empty on a server without ids
        client.GetMessageId(i, id);
        // The rows users have always read: "(%03d) %s von %s: %d bytes", with
        // "Mail # %d" for an empty subject, and "(%03d) Mail # %d: %d bytes"
        // when the header could not be fetched.
        CMessageText message;
        Row row;
        if (client.GetTop(i, message.m_pszText)) {
            const std::string subject = message.GetSubject();
            if (subject.empty()) {
                row.Printf("(%03d) Mail # %d von ", i, i);
            } else {
                row.Printf("(%03d) ", i).Field(subject).Printf(" von ");
            }
            row.Field(message.GetFrom()).Printf(": %d bytes", size);
        } else {
            row.Printf("(%03d) Mail # %d: %d bytes", i, i, size);
        }
        if (m_view.AddString(row.Shown())) {
            m_listed.push_back({i, id, size});
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
void MailboxCommands::DeleteSelected() {
    const int row = m_view.GetCurSel();
    if (row < 0 || static_cast<size_t>(row) >= m_listed.size()) {
        m_view.MessageBox("Keine Mail zu löschen ausgewählt");
        return;
    }

    CPop3Client client;
    const Fields typed(m_view);
    SetStatus("");  // as in the listing
    SetStatus("Connecting to: " + typed.server + "...");
    if (!client.Connect(typed.server.c_str(), typed.user.c_str(), typed.password.c_str(), m_port)) {
        SetStatus("Verbindung mit dem Server fehlgeschlagen.");
        return;
    }
    SetStatus("Versuche die Mail zu löschen");
    int number = 0;
    const Lookup found = Locate(client, m_listed[row], number);
    if (found != Lookup::kFound) {
        SetStatus("Mail konnte nicht gelöscht werden");
        if (found == Lookup::kGone) {
            ForgetRowsWithoutIds();
        }
        return;
    }
    // A refused DELE marked nothing; one whose reply did not come whole ended
    // the conversation without QUIT, which leaves the mailbox as it was.
    if (!client.Delete(number)) {
        SetStatus("Mail konnte nicht gelöscht werden");
        return;
    }
    // QUIT went out, but without its yes nobody knows whether the server
    // carried the deletion out.
    if (!client.Disconnect()) {
        SetStatus("Mail konnte nicht gelöscht werden");
        ForgetRowsWithoutIds();
        return;
    }
    SetStatus("Mail gelöscht");

    // The server numbers the messages after the deleted one one lower now.
    const int deleted = m_listed[row].number;
    m_view.DeleteString(row);
    m_listed.erase(m_listed.begin() + row);
    for (ListedMessage& later : m_listed) {
        later.number -= later.number > deleted ? 1 : 0;
    }
    --m_nExpectedCount;
}

MailboxCommands::Lookup MailboxCommands::Locate(CPop3Client& client, const ListedMessage& message,
                                                int& number) {
    if (!client.LoadList()) {
        return Lookup::kUnknown;
    }
    const bool ids = client.LoadIds();
    if (!message.id.empty()) {
        if (!ids) {
            return Lookup::kUnknown;
        }
        number = client.FindMessage(message.id);
        return number != 0 ? Lookup::kFound : Lookup::kGone;
    }
    int size = 0;
    if (client.GetMessageCount() != m_nExpectedCount ||
        !client.GetMessageSize(message.number, size) || size != message.size) {
        return Lookup::kGone;
    }
    number = message.number;
    return Lookup::kFound;
}

void MailboxCommands::SetStatus(const std::string& text) {
    if (text != m_status) {
        m_status = text;
        m_view.SetStatus(text);
    }
}

void MailboxCommands::Forget() {
    m_view.ResetContent();
    m_listed.clear();
}

void MailboxCommands::ForgetRowsWithoutIds() {
    for (const ListedMessage& listed : m_listed) {
        if (listed.id.empty()) {
            Forget();
            return;
        }
    }
}
