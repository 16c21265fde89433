// A real Dovecot POP3 server for end-to-end tests, started with a
// configuration of its own in a temporary folder: loopback only, a free port,
// no TLS, one passwd-file user and a Maildir filled with the given messages.
// Never the system service. Stopped by its PID.
#pragma once

#include <sys/types.h>
#include <string>
#include <vector>

class DovecotServer {
public:
    static constexpr const char* kUser = "alice";
    static constexpr const char* kPassword = "secret";

    // Messages are whole RFC 5322 texts with LF line ends; the server
    // numbers them in the given order.
    explicit DovecotServer(const std::vector<std::string>& messages);
    ~DovecotServer();
    DovecotServer(const DovecotServer&) = delete;
    DovecotServer& operator=(const DovecotServer&) = delete;

    // Empty when the server runs; otherwise why it could not be started.
    const std::string& Problem() const { return m_problem; }
    int Port() const { return m_port; }
    // The number of message files left in the mailbox.
    int MessagesOnDisk() const;
    // The size POP3 reports for a message: its text with CR LF line ends.
    static size_t WireSize(const std::string& message);

private:
    void Start(const std::vector<std::string>& messages);

    std::string m_folder;
    std::string m_problem;
    pid_t m_pid = -1;
    int m_port = 0;
};
