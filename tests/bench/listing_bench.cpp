// Lists mailboxes of 20 and 200 messages from a real Dovecot through the
// window's listing command and reports wall time, wall time per command, CPU
// time per message, peak memory and the commands sent (n + 7 for n messages).
// A relay between window and server counts the command lines.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QListWidget>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "res/resource.h"
#include "tests/support/dovecot_server.h"
#include "tests/support/qt_test.h"
#include "ui/mailbox_dialog.h"

namespace {

// Relays one connection to a server port and counts the lines the client sent.
class CountingRelay {
public:
    explicit CountingRelay(int serverPort) : m_serverPort(serverPort) {
        m_listener = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address = Loopback(0);
        socklen_t length = sizeof address;
        bind(m_listener, reinterpret_cast<sockaddr*>(&address), length);
        listen(m_listener, 1);
        getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { Run(); });
    }
    ~CountingRelay() {
        m_thread.join();
        close(m_listener);
    }
    int Port() const { return m_port; }
    int Lines() const { return m_lines; }

private:
    static sockaddr_in Loopback(int port) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<uint16_t>(port));
        return address;
    }

    void Run() {
        const int client = accept(m_listener, nullptr, nullptr);
        const int server = socket(AF_INET, SOCK_STREAM, 0);
        const sockaddr_in address = Loopback(m_serverPort);
        connect(server, reinterpret_cast<const sockaddr*>(&address), sizeof address);
        pollfd ends[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
        char buffer[65536];
        for (bool open = true; open && poll(ends, 2, 30000) > 0;) {
            for (int i = 0; i < 2 && open; ++i) {
                if (!(ends[i].revents & (POLLIN | POLLHUP | POLLERR))) {
                    continue;
                }
                const ssize_t n = recv(ends[i].fd, buffer, sizeof buffer, 0);
                if (n <= 0) {
                    open = false;
                    break;
                }
                if (i == 0) {
                    for (ssize_t k = 0; k < n; ++k) {
                        m_lines += buffer[k] == '\n';
                    }
                }
                send(ends[1 - i].fd, buffer, static_cast<size_t>(n), MSG_NOSIGNAL);
            }
        }
        close(client);
        close(server);
    }

    int m_serverPort;
    int m_listener;
    int m_port;
    std::atomic<int> m_lines{0};
    std::thread m_thread;
};

std::vector<std::string> Messages(int count) {
    std::vector<std::string> messages;
    for (int i = 1; i <= count; ++i) {
        messages.push_back("From: sender" + std::to_string(i) +
                           "@example.org\nTo: alice@example.org\n"
                           "Subject: Message number " +
                           std::to_string(i) +
                           "\n\tfolded onto a second line\nReceived: from relay.example.org\n\n" +
                           std::string(2000 + i * 10, 'b') + "\n");
    }
    return messages;
}

double Seconds(const timeval& t) {
    return t.tv_sec + t.tv_usec / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    PrivateSettings settings;
    std::printf("%9s %7s %9s %10s %12s %14s %10s\n", "messages", "rows", "commands", "wall s",
                "wall/cmd ms", "cpu/message ms", "peak MiB");
    for (int count : {20, 200}) {
        DovecotServer dovecot(Messages(count));
        if (!dovecot.Problem().empty()) {
            std::fprintf(stderr, "%s\n", dovecot.Problem().c_str());
            return 1;
        }
        int commands = 0;
        int rows = 0;
        double wall = 0;
        rusage before{}, after{};
        {
            CountingRelay relay(dovecot.Port());
            CMailboxDialog dialog(nullptr, relay.Port());
            dialog.SetDlgItemText(IDC_SERVER, "127.0.0.1");
            dialog.SetDlgItemText(IDC_USER, DovecotServer::kUser);
            dialog.SetDlgItemText(IDC_PASSWORD, DovecotServer::kPassword);
            getrusage(RUSAGE_THREAD, &before);
            const auto start = std::chrono::steady_clock::now();
            dialog.OnCheckNow();
            wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            getrusage(RUSAGE_THREAD, &after);
            rows = dialog.m_listBox->count();
            commands = relay.Lines();  // QUIT was counted before its reply came back
        }
        rusage self{};
        getrusage(RUSAGE_SELF, &self);
        const double cpu = Seconds(after.ru_utime) + Seconds(after.ru_stime) -
                           Seconds(before.ru_utime) - Seconds(before.ru_stime);
        std::printf("%9d %7d %9d %10.2f %12.1f %14.3f %10.1f\n", count, rows, commands, wall,
                    wall * 1000 / commands, cpu * 1000 / count, self.ru_maxrss / 1024.0);
    }
    return 0;
}
