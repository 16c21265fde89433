// The POP3 commands of one conversation, in the order a session uses them:
// greeting, USER, PASS, STAT, LIST, TOP, DELE, RSET, QUIT, and UIDL.
#include "pop3/pop3_client.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/ascii.h"
#include "platform/last_error.h"

namespace {

// Reads a number the way the C library's atoi does (white space, sign,
// digits), but saturates instead of overflowing on a server's huge numbers.
int ToInt(const char* text) {
    while (ascii::IsSpace(*text)) {
        ++text;
    }
    const bool negative = *text == '-';
    if (*text == '-' || *text == '+') {
        ++text;
    }
    long long value = 0;
    while (*text >= '0' && *text <= '9') {
        value = std::min<long long>(value * 10 + (*text - '0'), 1LL + INT_MAX);
        ++text;
    }
    if (negative) {
        return static_cast<int>(-value);
    }
    return static_cast<int>(std::min<long long>(value, INT_MAX));
}

}  // namespace

CPop3Client::CPop3Client()
    : m_nMessageCount(0),
      m_bListLoaded(0),
      m_bStatDone(0),
      m_bConnected(0),
      m_dwTimeout(kIdleTimeoutMs),
      m_bIdsAsked(0),
      m_bIdsLoaded(0) {}

CPop3Client::~CPop3Client() {
    if (m_bConnected) {
        Disconnect();
    }
}

int CPop3Client::SendCommand(const std::string& command) {
    if (command.find_first_of("\r\n") != std::string::npos) {
        platform::SetLastError(platform::kInvalidArgument);
        return 0;
    }
    // Closed, abandoned, or the server has hung up: nothing more goes out.
    if (m_connection.m_socket == platform::kInvalidSocket || !DropUnasked()) {
        Abandon();
        platform::SetLastError(platform::kNotConnected);
        return 0;
    }
    const std::string line = command + "\r\n";
    return m_connection.Send(line.data(), static_cast<int>(line.size()));
}

// A server says nothing before it hears a command: what waits now is what it
// sent behind an earlier reply, more than the reader took in. Read after the
// next command, it would pass for that command's reply, a QUIT's too.
bool CPop3Client::DropUnasked() {
    char rest[4096];
    int dropped = 0;
    int waiting = 0;
    while (dropped < kMaxReplySize && m_connection.IsReadable(waiting) && waiting) {
        const int received = m_connection.Receive(rest, sizeof rest);
        if (received <= 0) {
            return false;
        }
        dropped += received;
    }
    return true;
}

void CPop3Client::Abandon() {
    m_connection.Close();
    ClearConversation();
}

void CPop3Client::ClearConversation() {
    m_bConnected = 0;
    m_bListLoaded = 0;
    m_bStatDone = 0;
    m_bIdsAsked = 0;
    m_bIdsLoaded = 0;
}

int CPop3Client::Connect(const char* server, const char* user, const char* password, int port) {
    ClearConversation();
    if (!m_connection.Create() || !m_connection.Connect(server, port)) {
        return 0;
    }
    m_bConnected = 1;
    const bool greeted = ReadResponse();
    const bool userAccepted = greeted && SendCommand(std::string("USER ") + user) && ReadResponse();
    if (userAccepted && SendCommand(std::string("PASS ") + password) && ReadResponse()) {
        return 1;
    }
    Disconnect();  // QUIT, even after a refused login
    return 0;
}

int CPop3Client::Disconnect() {
    int result = 0;
    if (m_bConnected) {
        SendCommand("QUIT");
        result = ReadResponse();
    }
    m_connection.Close();
    ClearConversation();
    return result;
}

int CPop3Client::Stat(int& count, int& total) {
    if (!SendCommand("STAT")) {
        return 0;
    }
    return ParseStat(count, total);
}

// "+OK count total": the number after the first blank is the count, the one
// after the second the total size.
int CPop3Client::ParseStat(int& count, int& total) {
    char buffer[100];
    char* grown = nullptr;
    int parsed = 0;
    if (ReadUntil(buffer, sizeof buffer, "\r\n", &grown, 4096)) {
        const char* text = grown != nullptr ? grown : buffer;
        // Stricter than the reader: only "+OK" in upper case is a statistics reply.
        if (std::strncmp(text, "+OK", 3) == 0) {
            int blanks = 0;
            for (const char* p = text; *p != '\0' && !parsed; ++p) {
                if (!ascii::IsBlank(*p)) {
                    continue;
                }
                if (++blanks == 1) {
                    count = ToInt(p);
                    m_nMessageCount = count;
                } else {
                    total = ToInt(p);
                    parsed = 1;
                }
            }
        }
    }
    std::free(grown);
    return parsed;
}

int CPop3Client::LoadList() {
    int expectedCount = m_nMessageCount;
    // A STAT of the list's own, even right after the caller's: the list sizes
    // its buffer by it, and servers have always seen STAT twice per listing.
    if (!m_bStatDone) {
        int total = 0;
        if (!Stat(expectedCount, total)) {
            return 0;
        }
        m_bStatDone = 1;
    }
    if (!SendCommand("LIST")) {
        return 0;
    }
    m_bListLoaded = ParseList(expectedCount);
    return m_bListLoaded;
}

int CPop3Client::ReadListing(int expectedCount, char*& first, char*& grown) {
    const int capacity = FirstBufferSize(14LL * expectedCount);
    first = static_cast<char*>(std::malloc(capacity));
    grown = nullptr;
    if (first == nullptr) {
        platform::SetLastError(platform::kNoBufferSpace);
        return 0;
    }
    return ReadUntil(first, capacity, "\r\n.\r\n", &grown, 4096);
}

// Each listing line is "number size". The walk takes the number after every
// blank or tab, so entry n-1 is the size of the n-th line; it ends at the
// end of the reply or at its first dot.
int CPop3Client::ParseList(int expectedCount) {
    char* first;
    char* grown;
    const int read = ReadListing(expectedCount, first, grown);
    if (read) {
        m_sizes.clear();
        m_sizes.reserve(std::clamp(expectedCount, 0, 1 << 16));
        for (const char* p = SkipLine(grown != nullptr ? grown : first); *p != '\0' && *p != '.';
             ++p) {
            if (ascii::IsBlank(*p)) {
                m_sizes.push_back(static_cast<uint32_t>(ToInt(p)));
            }
        }
    }
    std::free(grown);
    std::free(first);
    return read;
}

// Each listing line is "number id"; the id, the second word, goes to m_ids.
// An id may hold dots (Cyrus makes them of two numbers and a dot): only the
// reader's cut, at the terminating dot line, ends the listing.
int CPop3Client::ParseUidl(int expectedCount) {
    char* first;
    char* grown;
    const int read = ReadListing(expectedCount, first, grown);
    if (read) {
        m_ids.clear();
        m_ids.reserve(std::clamp(expectedCount, 0, 1 << 16));
        char* line = const_cast<char*>(SkipLine(grown != nullptr ? grown : first));
        while (*line != '\0') {
            char* end = line + std::strcspn(line, "\n");
            const bool last = *end == '\0';
            *end = '\0';
            char number[16];
            char id[1000];
            // An id counts only on the line of its message's number, so that a
            // server listing them out of order cannot pass one message's id off
            // as another's.
            if (std::sscanf(line, "%15s %999s", number, id) == 2 &&
                std::strtoul(number, nullptr, 10) == m_ids.size() + 1) {
                m_ids.emplace_back(id);
            }
            line = last ? end : end + 1;
        }
    }
    std::free(grown);
    std::free(first);
    return read;
}

int CPop3Client::GetMessageSize(int n, int& size) {
    if (!m_bListLoaded && !LoadList()) {
        return 0;
    }
    if (n < 1 || static_cast<size_t>(n) > m_sizes.size()) {
        return 0;
    }
    size = static_cast<int>(m_sizes[n - 1]);
    return 1;
}

int CPop3Client::GetTop(int n, char*& text) {
    int size = 0;
    if (!GetMessageSize(n, size)) {
        return 0;
    }
    if (!SendCommand("TOP " + std::to_string(n) + " 0")) {
        return 0;
    }
    return ReadMultiLine(text, size);
}

int CPop3Client::Delete(int n) {
    // LIST before DELE, as servers have always seen it; a failed LIST does
    // not stop the DELE.
    if (!m_bListLoaded) {
        LoadList();
    }
    if (!SendCommand("DELE " + std::to_string(n))) {
        return 0;
    }
    return ReadResponse();
}

int CPop3Client::Reset() {
    if (!SendCommand("RSET")) {
        return 0;
    }
    return ReadResponse();
}

int CPop3Client::LoadIds() {
    if (m_bIdsAsked) {
        return m_bIdsLoaded;
    }
    m_bIdsAsked = 1;
    if (!SendCommand("UIDL") || !ParseUidl(m_nMessageCount) ||
        static_cast<int64_t>(m_ids.size()) != m_nMessageCount) {
        return 0;
    }
    // An id that two messages share names neither.
    std::vector<std::string> sorted(m_ids);
    std::sort(sorted.begin(), sorted.end());
    m_bIdsLoaded = std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end();
    return m_bIdsLoaded;
}

int CPop3Client::GetMessageId(int n, std::string& id) {
    if (!LoadIds() || n < 1 || static_cast<size_t>(n) > m_ids.size()) {
        return 0;
    }
    id = m_ids[n - 1];
    return 1;
}

int CPop3Client::FindMessage(const std::string& id) {
    if (!LoadIds()) {
        return 0;
    }
    const auto found = std::find(m_ids.begin(), m_ids.end(), id);
    return found != m_ids.end() ? static_cast<int>(found - m_ids.begin()) + 1 : 0;
}
