// A scripted POP3 server on a fake clock. A transcript is a string of rows,
// each ended by '|': "S" and a line the server sends (CR LF added), "=" bytes
// it sends as they are, "C" the line the client must send, "W" milliseconds
// of silence, "X" a close, "!" a reset. All the client sent is compared with
// the "C" rows as one string, CR LF included.
//
// The server is the clock too: time moves only when the code under test
// sleeps, and each sleep gives the server its turn, so a ten-second idle
// time-out passes in no real time. It counts the sleeps, and the clock reads
// without one: past kSpin of them the code is spinning, and each further read
// costs a millisecond so that a spinning wait still ends.
#pragma once

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/socket_api.h"
#include "pop3/pop3_client.h"

const std::string kLogin = "S+OK POP3 ready|CUSER alice|S+OK|CPASS secret|S+OK in|";
const std::string kQuit = "CQUIT|S+OK|";
inline std::string Stat(int count) {
    return "CSTAT|S+OK " + std::to_string(count) + " 0|";
}
// LIST and UIDL as both commands ask for them, of the messages still
// present: the k-th has size present[k] * 100 and id "u" + present[k].
// Without ids the server refuses UIDL.
inline std::string ListOf(const std::vector<int>& present, bool ids = true) {
    std::string sizes = "CLIST|S+OK|", uidl = "CUIDL|S+OK|";
    for (size_t k = 0; k < present.size(); ++k) {
        const std::string number = "S" + std::to_string(k + 1) + " ";
        sizes += number + std::to_string(present[k] * 100) + "|";
        uidl += number + "u" + std::to_string(present[k]) + "|";
    }
    return sizes + "S.|" + (ids ? uidl + "S.|" : "CUIDL|S-ERR|");
}
// TOP n 0, answered with the header lines and the empty line.
inline std::string Top(int n, const std::string& header) {
    return "CTOP " + std::to_string(n) + " 0|S+OK|S" + header + "|S|S.|";
}

// Winsock wants its start-up before any socket, the client's included.
inline const int kSocketsStarted = platform::StartSockets();

// Listens on a loopback port, a free one unless given; its number.
inline int Listen(platform::SocketHandle fd, int port = 0) {
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&on), sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    socklen_t length = sizeof address;
    auto* a = reinterpret_cast<sockaddr*>(&address);
    const bool listening = kSocketsStarted && bind(fd, a, length) == 0 && listen(fd, 4) == 0;
    return listening && getsockname(fd, a, &length) == 0 ? ntohs(address.sin_port) : 0;
}

// A loopback port on which nobody listens.
inline int UnusedPort() {
    const platform::SocketHandle fd = socket(AF_INET, SOCK_STREAM, 0);
    const int port = Listen(fd);
    platform::CloseSocketHandle(fd);
    return port;
}

// Plays its transcript to one client at a time. The clock starts shortly
// before the 32-bit counter wraps, so every wait crosses it.
class ScriptedServer : public platform::Clock {
public:
    explicit ScriptedServer(int fixedPort = 0) : port(Listen(m_listener, fixedPort)) {
        platform::SetBlocking(m_listener, false);
        platform::SetClock(this);
    }
    ~ScriptedServer() override {
        platform::SetClock(nullptr);
        Play("");
        platform::CloseSocketHandle(m_listener);
    }
    uint32_t Ticks() override {
        if (++m_reads > kSpin) {
            ++spins;
            ++now;
        }
        return now;
    }
    void Sleep(uint32_t ms) override {
        now += ms;
        ++sleeps;
        m_reads = 0;
        Pump();
        m_waited += ms;  // a wait row counts from the turn it was reached
    }

    // Lets the current client go; the next one gets this transcript.
    void Play(const std::string& transcript) {
        platform::CloseSocketHandle(m_client);
        m_client = platform::kInvalidSocket;
        m_rows = transcript;
        m_next = m_sent = m_taken = m_waited = sleeps = spins = m_reads = 0;
        gone = false;
        m_inbox = expected = "";
        const std::string rows = "|" + transcript;
        for (size_t at = 0; (at = rows.find("|C", at)) != std::string::npos; ++at) {
            expected += rows.substr(at + 2, rows.find('|', at + 1) - at - 2) + "\r\n";
        }
    }
    // Plays the transcript to the client's connection alone, for the readers;
    // false when it could not connect.
    bool Attach(CPop3Client& client, const std::string& transcript) {
        Play(transcript);
        return client.m_connection.Create() && client.m_connection.Connect("127.0.0.1", port);
    }

    // The client's connection, once it has come.
    virtual platform::SocketHandle Accept() { return accept(m_listener, nullptr, nullptr); }

    // Does what the transcript allows now, without blocking.
    virtual void Pump() {
        if (m_client == platform::kInvalidSocket && !gone) {
            m_client = Accept();
            const int on = 1;  // each row must reach the client at once, not when Nagle lets it
            setsockopt(m_client, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on),
                       sizeof on);
            platform::SetBlocking(m_client, false);
        }
        char buffer[4096];
        for (int n = 1; n > 0 && m_client != platform::kInvalidSocket;) {
            n = platform::ReceiveBytes(m_client, buffer, sizeof buffer);
            m_inbox.append(buffer, n > 0 ? n : 0);
            gone = gone || n == 0;
        }
        size_t end;
        while (m_client != platform::kInvalidSocket &&
               (end = m_rows.find('|', m_next)) != std::string::npos) {
            const char kind = m_rows[m_next];
            const size_t lineEnd = m_inbox.find('\n', m_taken);
            if ((kind == 'C' && lineEnd == std::string::npos) ||
                (kind == 'W' && m_waited < Silence())) {
                return;  // the client's line, or the end of the silence, is still to come
            }
            const std::string text =
                m_rows.substr(m_next + 1, end - m_next - 1) + (kind == 'S' ? "\r\n" : "");
            // Any line moves on; the bytes are compared at the end.
            m_taken = kind == 'C' ? lineEnd + 1 : m_taken;
            for (int n = 0; (kind == 'S' || kind == '=') && m_sent < text.size(); m_sent += n) {
                n = platform::SendBytes(m_client, text.data() + m_sent,
                                        static_cast<int>(text.size() - m_sent));
                if (n <= 0) {
                    return;  // the client's buffer is full: the rest at the next turn
                }
            }
            if (kind == 'X') {
                shutdown(m_client, 1);  // the end of what the server sends
            } else if (kind == '!') {
                const linger abort{1, 0};  // closing now sends RST instead of FIN
                setsockopt(m_client, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abort),
                           sizeof abort);
                platform::CloseSocketHandle(m_client);
                m_client = platform::kInvalidSocket;
                gone = true;
            }
            m_next = end + 1;
            m_waited = 0;
            m_sent = 0;
        }
    }

    // Every byte the client sent; once it has closed its end, that is all.
    std::string Finish() {
        Pump();
        return m_inbox;
    }

    platform::SocketHandle m_listener = socket(AF_INET, SOCK_STREAM, 0);
    int port;
    uint32_t now = 0xFFFFF000u;
    static constexpr int kSpin = 1000;
    int sleeps = 0, spins = 0;
    std::string expected;  // what the client must send
    bool gone = false;     // the client has closed its end

protected:
    // The milliseconds of the silence row at hand.
    uint32_t Silence() const { return std::strtoul(m_rows.c_str() + m_next + 1, nullptr, 10); }

    std::string m_rows, m_inbox;
    size_t m_next = 0, m_sent = 0, m_taken = 0;
    uint32_t m_waited = 0;
    int m_reads = 0;
    platform::SocketHandle m_client = platform::kInvalidSocket;
};
