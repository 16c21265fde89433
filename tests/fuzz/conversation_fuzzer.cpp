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
#include <set>
#include <vector>

#include "tests/support/fake_window.h"
#include "tests/support/transcript.h"
#include "ui/mailbox_commands.h"

namespace {

void Require(bool property) {
    if (!property) {
        std::abort();
    }
}

// The largest number in the text, saturated: no listing may show a message
// beyond the count the server gave.
int64_t LargestNumber(const std::string& text) {
    int64_t largest = 0, value = 0;
    for (const char c : text) {
        value = c >= '0' && c <= '9' ? std::min<int64_t>(value * 10 + c - '0', INT_MAX) : 0;
        largest = std::max(largest, value);
    }
    return largest;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::set<std::string> kLast[] = {
        {"Verbindung mit dem Server fehlgeschlagen.", "Erfragen der Statistik fehlgeschlagen.",
         "Keine Mails auf dem Server", "Info über Message-Größe nicht verfügbar",
         "Erfrage Statistik..."},
        {"Verbindung mit dem Server fehlgeschlagen.", "Mail konnte nicht gelöscht werden",
         "Mail gelöscht", "box: Keine Mail zu löschen ausgewählt"}};
    static ScriptedServer server;
    if (size < 1 || size > 8192) {
        return 0;
    }
    const bool deleting = data[0] & 1;
    std::string rows;
    std::vector<std::string> sentBefore(1);  // [k]: what the server sends before it reads line k
    size_t steps = 0;
    for (size_t begin = 1, end; begin <= size; begin = end + 1, ++steps) {
        end = std::find(data + begin, data + size, '|') - data;
        const std::string row(data + begin, data + end);
        const bool sends =
            row != "C" && row != "X" && row != "!" && (row.size() != 2 || row[0] != 'W');
        rows += !sends ? row.size() == 1 ? row : "W" + std::to_string(uint8_t(row[1]) * 40 % 10001)
                       : "=" + row;
        rows += "|";
        sentBefore.back() += sends ? row : "";
        if (row == "C") {
            sentBefore.push_back(sentBefore.back());
        }
    }
    FakeWindow window;
    window.remember = data[0] >> 1 & 1;
    window.selected = deleting ? (data[0] >> 2 & 3) - 1 : -1;
    window.fields[IDC_USER] = data[0] & 16 ? "al\r\nice" : "alice";
    for (int n = 1; n <= 3; ++n) {
        window.AddString("(00" + std::to_string(n) + ") x", n);
    }
    const auto before = window.rows;
    server.Play(rows);
    const uint32_t start = server.now;
    deleting ? DeleteSelected(window, server.port) : CheckNow(window, window, server.port);
    const std::string sent = server.Finish();

    Require(!deleting || window.selected >= 0 || sent.empty());  // nothing selected: no connection
    // Commands only, each a line of its own.
    std::vector<std::string> lines;
    for (size_t at = 0, end; at < sent.size(); at = end + 2) {
        end = sent.find("\r\n", at);
        Require(end != std::string::npos && sent.find_first_of("\r\n", at) == end);
        lines.push_back(sent.substr(at, end - at));
    }
    const size_t commands = lines.size(),
                 deletes = std::count_if(lines.begin(), lines.end(),
                                         [](auto&line) { return line.rfind("DELE ", 0) == 0; }),
                 stat = std::find(lines.begin(), lines.end(), "STAT") - lines.begin();
    // Waits end: one idle time-out per row and per reply, and no spin.
    Require(server.now - start <= (steps + commands + 1) * (CPop3Client::kIdleTimeoutMs +
                                                            CPop3Client::kPollIntervalMs) &&
            server.spins == 0);
    Require(kLast[deleting].count(window.log.back()) == 1);
    const int remembered = std::count_if(window.log.begin(), window.log.end(), [](auto& line) {
        return line.rfind("settings/", 0) == 0;
    });
    Require(remembered == (window.remember && !deleting ? 3 : 0));
    Require(!remembered || window.log[1] == "settings/user=" + window.fields[IDC_USER]);
    if (!deleting) {
        // No number past what the server sent up to its STAT reply.
        const int64_t count =
            stat < commands ? LargestNumber(sentBefore[std::min(stat + 1, sentBefore.size() - 1)])
                            : 0;
        int last = 0;
        for (const auto& [row, number] : window.rows) {
            Require(number > last && number <= count);
            last = number;
        }
        Require(deletes == 0);
        return 0;
    }
    auto after = before;
    if (window.selected >= 0 && window.log.back() == "Mail gelöscht") {
        after.erase(after.begin() + window.selected);
        for (size_t later = window.selected; later < after.size(); ++later) {
            --after[later].second;
        }
        Require(sent.size() >= 6 && sent.compare(sent.size() - 6, 6, "QUIT\r\n") == 0);
    }
    Require(window.rows == after && deletes <= 1 &&
            (deletes == 0 || sent.find("DELE " + std::to_string(window.selected + 1) + "\r\n") !=
                                 std::string::npos));
    return 0;
}
