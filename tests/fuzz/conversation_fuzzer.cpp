// Whole conversations with a hostile server: the window's two commands, as a
// user presses them, against a scripted server that plays the input. The
// first byte: bit 0 a delete (else a listing), bit 1 the remember box, bits
// 2-3 the selected row + 1 of three, bit 4 a line break in the user name.
// The rest are rows split at '|': "C" waits for the client's next line, "X"
// closes, "!" resets, "W" and a byte is a silence of that many 40 ms, and any
// other row is sent as it is. Only what the user and the server would see is
// checked, never a second copy of the commands.
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <vector>

#include "tests/support/fake_window.h"
#include "tests/support/transcript.h"
#include "ui/mailbox_commands.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string kOwnTexts[] = {
        "|Verbindung mit dem Server fehlgeschlagen.|Erfragen der Statistik fehlgeschlagen.|Keine "
        "Mails auf dem Server|Info über Message-Größe nicht verfügbar|Erfrage Statistik...|",
        "|Verbindung mit dem Server fehlgeschlagen.|Mail konnte nicht gelöscht werden|box: Keine "
        "Mail zu löschen ausgewählt|Mail gelöscht|"};
    using Rows = decltype(FakeWindow::rows);
    static const Rows kRows = {{"a", 1}, {"b", 2}, {"c", 3}},
                      kKept[] = {{{"b", 1}, {"c", 2}}, {{"a", 1}, {"c", 2}}, {{"a", 1}, {"b", 2}}};
    static ScriptedServer server;
    if (size < 1 || size > 8192) {
        return 0;
    }
    const bool deleting = data[0] & 1;
    std::string rows;
    std::vector<std::string> sentBefore(1);  // [k]: what the server sends before it reads line k
    for (size_t begin = 1, end; begin <= size; begin = end + 1) {
        end = std::find(data + begin, data + size, '|') - data;
        const std::string row(data + begin, data + end);
        const bool sends =
            row != "C" && row != "X" && row != "!" && (row.size() != 2 || row[0] != 'W');
        rows += (sends             ? "=" + row
                 : row.size() == 1 ? row
                                   : "W" + std::to_string(uint8_t(row[1]) * 40 % 10001)) +
                "|";
        sentBefore.back() += sends ? row : "";
        sentBefore.resize(sentBefore.size() + (row == "C"), sentBefore.back());
    }
    FakeWindow window;
    window.remember = data[0] >> 1 & 1;
    window.selected = deleting ? (data[0] >> 2 & 3) - 1 : -1;
    window.fields[IDC_USER] = data[0] & 16 ? "al\r\nice" : "alice";
    window.rows = kRows;
    server.Play(rows);
    const uint32_t start = server.now;
    deleting ? DeleteSelected(window, server.port) : CheckNow(window, window, server.port);
    const std::string sent = server.Finish(), status = "|" + window.log.back() + "|";

    // Commands only, each a line of its own.
    std::vector<std::string> lines;
    bool holds = kOwnTexts[deleting].find(status) != std::string::npos;
    for (size_t at = 0, end; at < sent.size() && holds; at = end + 2) {
        end = sent.find("\r\n", at);
        holds = end != std::string::npos && sent.find_first_of("\r\n", at) == end;
        lines.push_back(sent.substr(at, end - at));
    }
    // Each wait ends: one idle time-out per row and per reply, and no spin.
    holds &= server.spins == 0 &&
             server.now - start <= (std::count(data, data + size, '|') + lines.size() + 2) *
                                       (CPop3Client::kIdleTimeoutMs + CPop3Client::kPollIntervalMs);
    // Stored only when asked, and as typed.
    holds &= window.remember && !deleting
                 ? window.log[1] == "settings/user=" + window.fields[IDC_USER]
                 : window.log[0].rfind("settings/", 0) == std::string::npos;
    // No DELE but one for the selected row's message.
    const size_t dele = sent.find("DELE ");
    holds &= dele == std::string::npos ||
             (deleting && dele == sent.rfind("DELE ") &&
              sent.find("DELE " + std::to_string(window.selected + 1) + "\r\n") == dele);
    if (!deleting) {
        // Rows in order of their numbers, none past what the server sent up
        // to its STAT reply, the fields in them unfolded and without tabs.
        const size_t stat = std::find(lines.begin(), lines.end(), "STAT") - lines.begin();
        int64_t count = 0, value = 0, last = 0;
        for (const char c :
             stat < lines.size() ? sentBefore[std::min(stat + 1, sentBefore.size() - 1)] : "") {
            value = c >= '0' && c <= '9' ? std::min<int64_t>(value * 10 + c - '0', INT_MAX) : 0;
            count = std::max(count, value);
        }
        for (const auto& [text, number] : window.rows) {
            holds &= number > last && number <= count && text.find('\t') == std::string::npos &&
                     text.find("\r\n") == std::string::npos;
            last = number;
        }
    } else {
        // No connection without a row; a row goes only once the server said
        // yes to QUIT (in what it sent after the QUIT came), and the rows
        // below move up.
        const bool deleted = status == "|Mail gelöscht|" && window.selected >= 0;
        holds &= (window.selected >= 0 || sent.empty()) &&
                 window.rows == (deleted ? kKept[window.selected] : kRows);
        holds &= !deleted || (!lines.empty() && lines.back() == "QUIT" && server.answer[0] == '+');
    }
    if (!holds) {
        std::abort();
    }
    return 0;
}
