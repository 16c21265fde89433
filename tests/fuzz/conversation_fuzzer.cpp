// Whole conversations with a hostile server: the window's two commands, as a
// user presses them, against the scripted server playing the input. The
// first byte: bit 0 a delete (else a listing), bit 1 the remember box, bits
// 2-3 the selected row + 1 of three, bit 4 a line break in the user name,
// bit 5 a delete's rows listed by a server without ids. A delete's three rows
// come from a plain listing first: ids u1, u2, u3, sizes 100, 200, 300. The
// rest is the server's transcript, rows ended by '|' (see transcript.h);
// rows of another kind do nothing. Only what the user and the server would
// see is checked, never a second copy of the commands. The seeds in
// tests/fuzz/seeds/ are inputs of this form: when it changes, so must they.
#include <sys/socket.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <utility>
#include <vector>

#include "tests/support/fake_window.h"
#include "tests/support/transcript.h"
#include "ui/mailbox_commands.h"

namespace {

// The scripted server on one end of a socket pair made for each
// conversation, the client on the other: no handshake, and the server
// answers once the client has connected, as a fast one on the same machine
// would; each silence passes in a sleep or two instead of forty.
class PairedServer : public ScriptedServer {
public:
    platform::SocketHandle Open() {
        int ends[2];
        if (socketpair(AF_UNIX, SOCK_STREAM, 0, ends) != 0) {
            return platform::kInvalidSocket;
        }
        m_waiting = ends[1];
        return ends[0];
    }
    platform::SocketHandle Accept() override {
        return std::exchange(m_waiting, platform::kInvalidSocket);
    }
    void Play(const std::string& transcript) {
        ScriptedServer::Play(transcript);
        after.clear();
    }
    // Notes, for the rows it gets through, what it sent after the client's
    // latest line: all the client could take for that line's reply.
    void Pump() override {
        size_t row = m_next;
        ScriptedServer::Pump();
        after.resize(std::count(m_inbox.begin(), m_inbox.end(), '\n') + 1);
        for (size_t end; row < m_next; row = end + 1) {
            end = m_rows.find('|', row);
            const std::string text = m_rows.substr(row + 1, end - row - 1);
            after.back() += m_rows[row] == 'S' ? text + "\r\n" : m_rows[row] == '=' ? text : "";
        }
    }
    // A sleep in which the server said nothing lasts as long as it will go on
    // saying nothing, as far as the client can tell: the rest of a silence,
    // or, while it waits for the client or has nothing more to say, an idle
    // time-out.
    void Sleep(uint32_t ms) override {
        const size_t row = m_next, sent = m_sent;
        ScriptedServer::Sleep(ms);
        if (row == m_next && sent == m_sent) {
            uint32_t rest = CPop3Client::kIdleTimeoutMs;
            if (m_client != platform::kInvalidSocket && m_next < m_rows.size() &&
                m_rows[m_next] != 'C') {
                const uint32_t silence = m_rows[m_next] == 'W' ? Silence() : 0;
                rest = std::min(silence - std::min(silence, m_waited), rest);
            }
            now += rest;
            m_waited += rest;
        }
    }

    // What the server sent after the client's k-th line, before its next.
    std::vector<std::string> after;

private:
    platform::SocketHandle m_waiting = platform::kInvalidSocket;
};

PairedServer& Server() {
    static PairedServer server;
    return server;
}

// The id a UIDL reply, as the server sent it, gives message n (from 1): on
// the line that names it when the lines name messages 1, 2, ... in turn,
// each with a number and an id of at most 15 and 999 bytes.
std::string IdOf(const std::string& reply, int n) {
    std::istringstream lines(reply.substr(0, reply.find("\r\n.\r\n")));
    std::string line;
    char number[16], id[1000] = "";
    std::getline(lines, line);  // the status line
    int next = 1;
    while (next <= n && std::getline(lines, line)) {
        next += std::sscanf(line.c_str(), "%15s %999s", number, id) == 2 &&
                std::strtoul(number, nullptr, 10) == static_cast<unsigned long>(next);
    }
    return next > n ? id : "";
}

}  // namespace

// The client's streams, in place of the system's TCP (platform/tcp_streams.cpp).
namespace platform {
SocketHandle OpenStream() {
    return Server().Open();
}
int ConnectWithTimeout(SocketHandle, const sockaddr*, int, uint32_t) {
    Server().Pump();
    return 1;
}
}  // namespace platform

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::vector<std::string> kRows = {
        "(001) a von : 100 bytes", "(002) b von : 200 bytes", "(003) c von : 300 bytes"};
    PairedServer& server = Server();
    // The window, and the commands as a listing left them, once for each
    // kind of server; each input starts from a copy.
    static FakeWindow window;
    static const auto listed = [&server](bool withIds) {
        MailboxCommands commands(window, window, server.port);
        server.Play(kLogin + Stat(3) + Stat(3) + ListOf({1, 2, 3}, withIds) + Top(1, "Subject: a") +
                    Top(2, "Subject: b") + Top(3, "Subject: c") + "CRSET|S+OK|" + kQuit);
        commands.CheckNow();
        server.Finish();
        return std::pair(window, commands);
    };
    static const std::pair<FakeWindow, MailboxCommands> kListed[] = {listed(false), listed(true)};
    if (size < 1 || size > 8192) {
        return 0;
    }
    const bool deleting = data[0] & 1;
    const bool ids = !(data[0] & 32);
    window = deleting ? kListed[ids].first : FakeWindow();
    window.log.clear();
    MailboxCommands commands = kListed[ids].second;
    window.remember = data[0] >> 1 & 1;
    const int selected = deleting ? (data[0] >> 2 & 3) - 1 : -1;
    window.selected = selected;
    window.fields[IDC_USER] = data[0] & 16 ? "al\r\nice" : "alice";
    server.Play(std::string(data + 1, data + size) + "|");
    const uint32_t start = server.now;
    deleting ? commands.DeleteSelected() : commands.CheckNow();
    const std::string sent = server.Finish();

    // Commands only, each a line of its own.
    std::vector<std::string> lines;
    bool holds = true;
    for (size_t at = 0, end; at < sent.size() && holds; at = end + 2) {
        end = sent.find("\r\n", at);
        holds = end != std::string::npos && sent.find_first_of("\r\n", at) == end;
        lines.push_back(sent.substr(at, end - at));
    }
    // What the server sent after the client's line, before its next.
    const auto after = [&](size_t k) { return k < server.after.size() ? server.after[k] : ""; };
    const auto reply = [&](const std::string& line) {
        return after(std::find(lines.begin(), lines.end(), line) - lines.begin() + 1);
    };
    // Each wait ends: one idle time-out per row and per reply, and no spin.
    holds &= server.spins == 0 &&
             server.now - start <= (std::count(data, data + size, '|') + lines.size() + 3) *
                                       (CPop3Client::kIdleTimeoutMs + CPop3Client::kPollIntervalMs);
    const auto dele = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
        return line.rfind("DELE ", 0) == 0;
    });
    if (!deleting) {
        // Rows of unfolded fields without tabs, and a subject only from its
        // own message's header.
        holds &= dele == lines.end();
        for (const std::string& text : window.rows) {
            const size_t from = text.find(") ") + 2;
            const std::string subject = text.substr(from, text.find(' ', from) - from);
            const std::string top = "TOP " + std::to_string(std::atoi(text.c_str() + 1)) + " 0";
            holds &= text.find_first_of("\t\r\n") == std::string::npos;
            holds &= text.compare(from, 7, "Mail # ") == 0 ||
                     std::any_of(subject.begin(), subject.end(), [](char c) { return c & 0x80; }) ||
                     reply(top).find(subject) != std::string::npos;
        }
    } else {
        // No connection without a row; a row goes only once the server said
        // yes to QUIT (in what it sent after the QUIT came). With ids, rows
        // stay; without, they may go all at once when the mailbox moved.
        const bool deleted = window.log.back() == "Mail gelöscht" && selected >= 0;
        std::vector<std::string> kept = kRows;
        kept.erase(kept.begin() + std::max(selected, 0));
        holds &=
            (selected >= 0 || sent.empty()) &&
            (deleted ? window.rows == kept : window.rows == kRows || (!ids && window.rows.empty()));
        holds &=
            !deleted || (!lines.empty() && lines.back() == "QUIT" && after(lines.size())[0] == '+');
        // One DELE at most, and only for the selected row's message: the one
        // that holds its id, or without ids the one of its number.
        const std::string row = std::to_string(selected + 1);
        holds &= deleted <= (dele != lines.end()) &&
                 std::count_if(dele, lines.end(), [&](const std::string& line) {
                     return line.rfind("DELE ", 0) == 0;
                 }) <= 1;
        holds &= dele == lines.end() ||
                 (ids ? IdOf(reply("UIDL"), std::atoi(dele->c_str() + 5)) == "u" + row
                      : *dele == "DELE " + row);
    }
    if (!holds) {
        std::abort();
    }
    return 0;
}
