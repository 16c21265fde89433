#include "tests/support/scripted_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <stdexcept>

#include "platform/clock.h"

ScriptedServer::ScriptedServer(Transcript transcript) : m_transcript(std::move(transcript)) {
    m_listener = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (m_listener < 0 || bind(m_listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        listen(m_listener, 4) != 0 ||
        getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("scripted server cannot listen on loopback");
    }
    m_port = ntohs(address.sin_port);
}

ScriptedServer::~ScriptedServer() {
    if (m_client >= 0) {
        close(m_client);
    }
    close(m_listener);
}

void ScriptedServer::Restart(Transcript transcript) {
    if (m_client >= 0) {
        close(m_client);
        m_client = -1;
    }
    m_transcript = std::move(transcript);
    m_next = 0;
    m_sent = 0;
    m_clientClosed = false;
    m_waiting = false;
    m_inbox.clear();
    m_received.clear();
}

void ScriptedServer::Pump() {
    if (m_client < 0) {
        m_client = accept4(m_listener, nullptr, nullptr, SOCK_NONBLOCK);
        if (m_client < 0) {
            return;
        }
        // Each step must reach the client at once: the fake clock gives a
        // segment that Nagle's algorithm holds back no real time to arrive.
        const int on = 1;
        setsockopt(m_client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    }
    while (m_next < m_transcript.size()) {
        const Step& step = m_transcript[m_next];
        switch (step.kind) {
            case Step::kSend:
                // A large reply goes out as far as the socket takes it now; the
                // rest at the next turn.
                while (m_sent < step.text.size()) {
                    const ssize_t n = send(m_client, step.text.data() + m_sent,
                                           step.text.size() - m_sent, MSG_NOSIGNAL);
                    if (n <= 0) {
                        if (errno == EAGAIN || errno == EWOULDBLOCK) {
                            return;
                        }
                        break;
                    }
                    m_sent += static_cast<size_t>(n);
                }
                m_sent = 0;
                break;
            case Step::kClose:
                shutdown(m_client, SHUT_WR);
                break;
            case Step::kWait:
                if (!m_waiting) {
                    m_waiting = true;
                    m_waitStart = platform::GetTickCount();
                }
                if (platform::GetTickCount() - m_waitStart < step.milliseconds) {
                    return;
                }
                m_waiting = false;
                break;
            case Step::kClient:
                ReadAvailable();
                if (!TakeLine()) {
                    return;
                }
                break;
        }
        ++m_next;
    }
    ReadAvailable();
    while (TakeLine()) {
    }
}

void ScriptedServer::ReadAvailable() {
    char buffer[4096];
    for (;;) {
        const ssize_t n = recv(m_client, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n > 0) {
            m_inbox.append(buffer, static_cast<size_t>(n));
            continue;
        }
        if (n == 0) {
            m_clientClosed = true;
        }
        return;
    }
}

bool ScriptedServer::TakeLine() {
    const size_t end = m_inbox.find('\n');
    if (end == std::string::npos) {
        return false;
    }
    std::string line = m_inbox.substr(0, end);
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    m_received.push_back(line);
    m_inbox.erase(0, end + 1);
    return true;
}

std::vector<std::string> ScriptedServer::Finish() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!m_clientClosed && std::chrono::steady_clock::now() < deadline) {
        Pump();
        if (m_client < 0) {
            break;  // the client never connected
        }
        if (!m_clientClosed) {
            pollfd entry{m_client, POLLIN, 0};
            poll(&entry, 1, 50);
        }
    }
    if (!m_inbox.empty()) {
        m_received.push_back(m_inbox);
        m_inbox.clear();
    }
    return m_received;
}

std::vector<std::string> ScriptedServer::ClientLines() const {
    std::vector<std::string> lines;
    for (const Step& step : m_transcript) {
        if (step.kind == Step::kClient) {
            lines.push_back(step.text);
        }
    }
    return lines;
}
