// The receiving half of the POP3 client: collecting one reply, deciding when
// it is complete and whether it is positive.
//
// Waiting is a zero-time-out poll and a short sleep, never a blocking receive,
// and the idle time-out counts from the last data that arrived, so a long
// reply that keeps trickling in is never cut off.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/ascii.h"
#include "platform/clock.h"
#include "platform/last_error.h"
#include "pop3/pop3_client.h"

namespace {

// POP3 marks a positive reply with "+OK"; servers differ in the case of "OK".
bool IsPositive(const char* text) {
    return text[0] == '+' && ascii::Upper(text[1]) == 'O' && ascii::Upper(text[2]) == 'K';
}

// What a failed reply leaves in m_strLastReply: its first line, which says
// why. A hostile server's megabytes behind it would only double the memory
// held while the client fends it off.
std::string FirstLine(const char* reply) {
    const std::string_view text(reply);
    return std::string(
        text.substr(0, std::min(text.find(ascii::kLineEnd), CPop3Client::kKeptReply)));
}

// The reply as received so far, always NUL-terminated: in the caller's first
// buffer until it outgrows it, then in a heap buffer handed back through
// grown, which the caller frees.
class ReplyBuffer {
public:
    ReplyBuffer(char* first, int capacity, char** grown)
        : m_text(first), m_capacity(capacity), m_grown(grown) {
        m_text[0] = '\0';
    }

    char* Text() const { return m_text; }
    int Length() const { return m_length; }
    char* End() const { return m_text + m_length; }
    // What a receive may add: one byte stays free for the NUL.
    int Room() const { return std::max(m_capacity - m_length - 1, 0); }
    void Add(int received) {
        m_length += received;
        m_text[m_length] = '\0';
    }

    // At least the caller's step, and half again for a reply that keeps
    // growing: where realloc copies, as it does on Windows, a long reply must
    // not cost quadratic time. False past kMaxReplySize or without memory.
    bool Grow(int step) {
        if (m_capacity >= CPop3Client::kMaxReplySize) {
            return false;
        }
        const int larger = static_cast<int>(std::min<int64_t>(
            int64_t{m_capacity} + std::max({step, m_capacity / 2, 1}), CPop3Client::kMaxReplySize));
        const bool first = *m_grown == nullptr;
        char* next =
            static_cast<char*>(first ? std::malloc(larger) : std::realloc(*m_grown, larger));
        if (next == nullptr) {
            return false;
        }
        if (first) {
            std::memcpy(next, m_text, m_length + 1);
        }
        *m_grown = m_text = next;
        m_capacity = larger;
        return true;
    }

private:
    char* m_text;
    int m_capacity;
    int m_length = 0;
    char** m_grown;
};

// Decides where a reply ends: at its terminator, or, for a multi-line reply
// that fails, at the end of its status line, since a "-ERR" line has no dot
// line behind it. It sees the text up to its first NUL, as the parsers do,
// and never looks again at bytes it has ruled out, so that a reply that
// trickles in byte by byte costs linear time.
class ReplyEnd {
public:
    explicit ReplyEnd(const char* terminator)
        : m_terminator(terminator), m_statusJudged(m_terminator == ascii::kLineEnd) {}

    // Where the reply received so far ends, or npos while it goes on.
    size_t Find(const char* text, int length) {
        const std::string_view seen = Seen(text, length);
        if (!m_statusJudged) {
            const size_t statusEnd = seen.find(ascii::kLineEnd, m_statusFrom);
            m_statusFrom = seen.empty() ? 0 : seen.size() - 1;
            if (statusEnd != std::string_view::npos) {
                m_statusJudged = true;
                if (!IsPositive(text)) {
                    return statusEnd;
                }
            }
        }
        const size_t end = seen.find(m_terminator, m_searchFrom);
        if (end == std::string_view::npos && seen.size() >= m_terminator.size()) {
            m_searchFrom = seen.size() - m_terminator.size() + 1;
        }
        return end;
    }

private:
    std::string_view Seen(const char* text, int length) {
        if (!m_nulSeen) {
            const void* nul = std::memchr(text + m_seen, '\0', length - m_seen);
            m_nulSeen = nul != nullptr;
            m_seen = m_nulSeen ? static_cast<int>(static_cast<const char*>(nul) - text) : length;
        }
        return std::string_view(text, m_seen);
    }

    const std::string_view m_terminator;
    bool m_statusJudged;
    bool m_nulSeen = false;
    int m_seen = 0;  // bytes before the first NUL, as far as received
    size_t m_statusFrom = 0;
    size_t m_searchFrom = 0;
};

}  // namespace

int CPop3Client::ReadUntil(char* buffer, int capacity, const char* terminator, char** grown,
                           int step) {
    if (buffer == nullptr || capacity < 1 || terminator == nullptr || *terminator == '\0' ||
        grown == nullptr || *grown != nullptr) {
        platform::SetLastError(platform::kInvalidArgument);
        return 0;
    }
    if (m_connection.m_socket == platform::kInvalidSocket) {
        platform::SetLastError(platform::kNotConnected);  // the conversation has ended
        return 0;
    }
    ReplyBuffer reply(buffer, capacity, grown);
    ReplyEnd end(terminator);
    uint32_t lastData = platform::GetTickCount();
    for (;;) {
        // Poll.
        if (platform::GetTickCount() - lastData > m_dwTimeout) {
            return Unfinished(reply.Text(), platform::kTimedOut);
        }
        int dataWaiting = 0;
        if (!m_connection.IsReadable(dataWaiting)) {
            return Unfinished(reply.Text(), 0);
        }
        if (!dataWaiting) {
            platform::Sleep(kPollIntervalMs);
            continue;
        }

        // Receive.
        const int room = reply.Room();
        const int received = m_connection.Receive(reply.End(), room);
        reply.Add(std::max(received, 0));  // and the NUL again, whatever a failed receive left
        if (received < 0) {
            return Unfinished(reply.Text(), 0);
        }
        if (received > 0) {
            lastData = platform::GetTickCount();
        }

        // Grow, whenever the room was filled, even if the reply is complete.
        if (received == room && !reply.Grow(step)) {
            return Unfinished(reply.Text(), platform::kNoBufferSpace);
        }

        // Judge.
        const size_t cut = end.Find(reply.Text(), reply.Length());
        if (cut == std::string_view::npos) {
            if (received == 0 && room > 0) {
                // The peer has closed: nothing more will come, but the wait for
                // the time-out must not spin.
                platform::Sleep(kPollIntervalMs);
            }
            continue;
        }
        // A server that sent more behind the reply is out of step, and those
        // bytes are dropped (what did not fit this read goes before the next
        // command is sent). The cut becomes the text's end: no parser reads
        // past it.
        reply.Text()[cut] = '\0';
        return IsPositive(reply.Text()) ? 1 : Refused(reply.Text());
    }
}

// A negative reply is complete: the conversation goes on.
int CPop3Client::Refused(const char* reply) {
    platform::SetLastError(platform::kProtocolNotSupported);
    m_strLastReply = FirstLine(reply);
    return 0;
}

// Any other failure leaves the reply unfinished, and where the next one would
// begin unknown: the conversation ends here. Without error, the socket
// library's reason stays.
int CPop3Client::Unfinished(const char* reply, int error) {
    if (error != 0) {
        platform::SetLastError(error);
    }
    m_strLastReply = FirstLine(reply);
    Abandon();
    return 0;
}

int CPop3Client::FirstBufferSize(int64_t expected) {
    return static_cast<int>(std::clamp<int64_t>(expected + 100, 100, kMaxFirstBuffer));
}

int CPop3Client::ReadResponse() {
    char buffer[1000];
    char* grown = nullptr;
    const int positive = ReadUntil(buffer, sizeof buffer, ascii::kLineEnd, &grown, 4096);
    std::free(grown);
    return positive;
}

int CPop3Client::ReadMultiLine(char*& text, int expectedSize) {
    const int capacity = FirstBufferSize(expectedSize);
    char* first = static_cast<char*>(std::malloc(capacity));
    if (first == nullptr) {
        platform::SetLastError(platform::kNoBufferSpace);
        return 0;
    }
    char* grown = nullptr;
    int stored = 0;
    if (ReadUntil(first, capacity, "\r\n.\r\n", &grown, 32000)) {
        const char* body = SkipLine(grown != nullptr ? grown : first);
        const size_t bodyLength = std::strlen(body);
        char* copy = static_cast<char*>(std::malloc(bodyLength + 1));
        if (copy != nullptr) {
            std::memcpy(copy, body, bodyLength + 1);
            std::free(text);
            text = copy;
            stored = 1;
        } else {
            platform::SetLastError(platform::kNoBufferSpace);
        }
    }
    std::free(grown);
    std::free(first);
    return stored;
}

const char* CPop3Client::SkipLine(const char* text) {
    const char* lineFeed = std::strchr(text, '\n');
    return lineFeed != nullptr ? lineFeed + 1 : text + std::strlen(text);
}
