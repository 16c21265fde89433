// Lists mailboxes of 20 and 200 messages from a real Dovecot through the
// window's listing command: wall time, wall time per command, CPU time per
// message, peak memory, and the commands sent (n + 8 for n messages: USER,
// PASS, STAT twice, LIST, UIDL, a TOP each, RSET, QUIT), counted by a relay
// between the window and the server.
#include <poll.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QListWidget>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "res/resource.h"
#include "tests/support/transcript.h"
#include "ui/qt/mailbox_dialog.h"

namespace {

// Relays one connection between the window (on port) and the server, and
// counts the lines the window sent.
class CountingRelay {
public:
    explicit CountingRelay(int serverPort) : m_listener(socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
        socklen_t length = sizeof address;
        bind(m_listener, reinterpret_cast<sockaddr*>(&address), length);
        listen(m_listener, 1);
        getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
        port = ntohs(address.sin_port);
        m_thread = std::thread([this, serverPort] { Run(serverPort); });
    }
    ~CountingRelay() {
        m_thread.join();
        close(m_listener);
    }
    int port = 0;
    int lines = 0;

private:
    void Run(int serverPort) {
        const int client = accept(m_listener, nullptr, nullptr);
        CTcpConnection server;
        server.Create();
        server.Connect("127.0.0.1", serverPort);
        pollfd ends[2] = {{client, POLLIN, 0}, {server.m_socket, POLLIN, 0}};
        char buffer[65536];
        for (ssize_t n = 1; n > 0 && poll(ends, 2, 30000) > 0;) {
            for (int i = 0; i < 2 && n > 0; ++i) {
                if (ends[i].revents != 0 && (n = recv(ends[i].fd, buffer, sizeof buffer, 0)) > 0) {
                    lines += i == 0 ? static_cast<int>(std::count(buffer, buffer + n, '\n')) : 0;
                    send(ends[1 - i].fd, buffer, static_cast<size_t>(n), MSG_NOSIGNAL);
                }
            }
        }
        close(client);
    }

    int m_listener;
    std::thread m_thread;
};

double Cpu(const rusage& r) {
    return r.ru_utime.tv_sec + r.ru_stime.tv_sec + (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    std::printf("%9s %5s %9s %8s %12s %15s %9s\n", "messages", "rows", "commands", "wall s",
                "wall/cmd ms", "cpu/message ms", "peak MiB");
    const std::string dovecot = SOURCE_DIR "/scripts/dovecot.sh ",
                      folder = std::filesystem::temp_directory_path() / "tvk.bench";
    for (int count : {20, 200}) {
        std::string files;
        std::filesystem::create_directories(folder + ".in");
        for (int i = 1; i <= count; ++i) {
            files += " " + folder + ".in/" + std::to_string(i);
            std::ofstream(folder + ".in/" + std::to_string(i))
                << "From: sender" << i << "@example.org\nSubject: Nr. " << i
                << "\n\tfolded\nReceived: from relay\n\n"
                << std::string(2000 + i * 10, 'b') << "\n";
        }
        const int port = UnusedPort();
        if (std::system(
                (dovecot + "start " + folder + " " + std::to_string(port) + files).c_str())) {
            return 1;
        }
        rusage before{}, after{}, self{};
        double wall = 0;
        int rows = 0, commands = 0;
        {
            CountingRelay relay(port);
            CMailboxDialog dialog(nullptr, relay.port);
            dialog.SetDlgItemText(IDC_SERVER, "127.0.0.1");
            dialog.SetDlgItemText(IDC_USER, "alice");
            dialog.SetDlgItemText(IDC_PASSWORD, "secret");
            getrusage(RUSAGE_THREAD, &before);
            const auto start = std::chrono::steady_clock::now();
            dialog.OnCheckNow();
            wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            getrusage(RUSAGE_THREAD, &after);
            rows = dialog.m_listBox->count();
            commands = relay.lines;  // read after the relay's thread has ended
        }
        if (std::system((dovecot + "stop " + folder).c_str()) != 0) {
            return 1;
        }
        std::filesystem::remove_all(folder + ".in");
        getrusage(RUSAGE_SELF, &self);
        std::printf("%9d %5d %9d %8.2f %12.1f %15.3f %9.1f\n", count, rows, commands, wall,
                    wall * 1000 / commands, (Cpu(after) - Cpu(before)) * 1000 / count,
                    self.ru_maxrss / 1024.0);
    }
    return 0;
}
