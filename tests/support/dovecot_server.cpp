#include "tests/support/dovecot_server.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

namespace {

constexpr uid_t kMailUser = 65534;  // nobody: the mail files belong to it
constexpr const char* kDovecot = "/usr/sbin/dovecot";

int FreePort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), length);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd);
    return ntohs(address.sin_port);
}

bool Accepts(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return ok;
}

void Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

}  // namespace

size_t DovecotServer::WireSize(const std::string& message) {
    size_t size = message.size();
    for (char c : message) {
        size += c == '\n' ? 1 : 0;
    }
    return size;
}

DovecotServer::DovecotServer(const std::vector<std::string>& messages) {
    Start(messages);
}

void DovecotServer::Start(const std::vector<std::string>& messages) {
    if (geteuid() != 0) {
        m_problem = "Dovecot needs root to switch to its users";
        return;
    }
    if (access(kDovecot, X_OK) != 0) {
        m_problem = "Dovecot is not installed (make test installs it)";
        return;
    }
    // Short: Dovecot's socket paths live below it.
    char pattern[] = "/tmp/tvk.XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        m_problem = "no temporary folder";
        return;
    }
    m_folder = pattern;
    chmod(m_folder.c_str(), 0755);
    const std::string mail = m_folder + "/mail";
    for (const char* sub : {"", "/cur", "/new", "/tmp"}) {
        mkdir((mail + sub).c_str(), 0700);
        chown((mail + sub).c_str(), kMailUser, kMailUser);
    }
    for (size_t i = 0; i < messages.size(); ++i) {
        // Dovecot numbers new Maildir files in the order of their names' times.
        const std::string path = mail + "/cur/" + std::to_string(1700000000 + i) + ".M" +
                                 std::to_string(i) +
                                 "P1.tarvik,S=" + std::to_string(messages[i].size()) +
                                 ",W=" + std::to_string(WireSize(messages[i])) + ":2,";
        Write(path, messages[i]);
        chown(path.c_str(), kMailUser, kMailUser);
    }
    Write(m_folder + "/passwd",
          std::string(kUser) + ":{PLAIN}" + kPassword + ":65534:65534::" + mail + "\n");
    m_port = FreePort();
    const std::string config = m_folder + "/dovecot.conf";
    Write(config, "base_dir = " + m_folder +
                      "/run\n"
                      "state_dir = " +
                      m_folder +
                      "/state\n"
                      "log_path = " +
                      m_folder +
                      "/dovecot.log\n"
                      "protocols = pop3\n"
                      "listen = 127.0.0.1\n"
                      "ssl = no\n"
                      "disable_plaintext_auth = no\n"
                      "first_valid_uid = 65534\n"
                      "last_valid_uid = 65534\n"
                      "mail_location = maildir:~\n"
                      "service pop3-login {\n  inet_listener pop3 {\n    port = " +
                      std::to_string(m_port) +
                      "\n  }\n}\n"
                      // Failed logins would otherwise be delayed by up to 17 s each.
                      "passdb {\n  driver = static\n  args = nodelay=yes noauthenticate\n"
                      "  result_success = continue-fail\n}\n"
                      "passdb {\n  driver = passwd-file\n  args = scheme=PLAIN " +
                      m_folder +
                      "/passwd\n}\n"
                      "userdb {\n  driver = passwd-file\n  args = " +
                      m_folder + "/passwd\n}\n");

    m_pid = fork();
    if (m_pid == 0) {
        execl(kDovecot, kDovecot, "-F", "-c", config.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (!Accepts(m_port)) {
        int status;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            m_problem = "Dovecot exited at start-up; see " + m_folder + "/dovecot.log";
            return;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            m_problem = "Dovecot did not listen within 15 s";
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

DovecotServer::~DovecotServer() {
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        int status;
        waitpid(m_pid, &status, 0);
    }
    if (!m_folder.empty() && m_problem.empty()) {
        std::system(("rm -rf '" + m_folder + "'").c_str());
    }
}

int DovecotServer::MessagesOnDisk() const {
    int count = 0;
    for (const char* sub : {"/mail/cur", "/mail/new"}) {
        DIR* dir = opendir((m_folder + sub).c_str());
        if (dir == nullptr) {
            continue;
        }
        while (const dirent* entry = readdir(dir)) {
            count += entry->d_name[0] != '.' ? 1 : 0;
        }
        closedir(dir);
    }
    return count;
}
