// The receiving half of the POP3 client: collecting one reply, deciding when
// it is complete and whether it is positive.
//
// Waiting is a zero-time-out poll and a short sleep, never a blocking receive,
// and the idle time-out counts from the last data that arrived, so a long
// reply that keeps trickling in is never cut off.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/clock.h"
#include "platform/last_error.h"
#include "pop3/pop3_client.h"

namespace {

constexpr char kLineEnd[] = "\r\n";

// POP3 marks a positive reply with "+OK"; servers differ in the case of "OK".
bool IsPositive(const char* text) {
    return text[0] == '+' && std::toupper(static_cast<unsigned char>(text[1])) == 'O' &&
           std::toupper(static_cast<unsigned char>(text[2])) == 'K';
}

}  // namespace

int CPop3Client::ReadUntil(char* buffer, int capacity, const char* terminator, char** grown,
                           int step) {
    if (buffer == nullptr || capacity < 1 || terminator == nullptr || *terminator == '\0' ||
        grown == nullptr) {
        platform::SetLastError(platform::kInvalidArgument);
        return 0;
    }
    step = std::max(step, 1);
    const std::string_view wanted(terminator);
    // A multi-line reply that fails is a single "-ERR" line with no dot line
    // behind it: its status line decides as soon as it is complete.
    const bool multiLine = wanted != kLineEnd;
    bool statusJudged = !multiLine;

    char* text = buffer;
    int length = 0;      // bytes received
    int textLength = 0;  // bytes before the first NUL: the searches see only these
    bool nulSeen = false;
    size_t searchFrom = 0;  // neither search looks again at bytes it has ruled out
    size_t statusFrom = 0;
    uint32_t lastData = platform::GetTickCount();

    // A negative reply is complete: the conversation goes on.
    auto refused = [&] {
        text[length] = '\0';
        platform::SetLastError(platform::kProtocolNotSupported);
        m_strLastReply = text;
        return 0;
    };
    // Any other failure leaves the reply unfinished, and where the next one
    // would begin unknown: the conversation ends here. Without error, the
    // socket library's reason stays.
    auto outOfStep = [&](int error) {
        text[length] = '\0';
        if (error != 0) {
            platform::SetLastError(error);
        }
        m_strLastReply = text;
        Abandon();
        return 0;
    };

    for (;;) {
        if (platform::GetTickCount() - lastData > m_dwTimeout) {
            return outOfStep(platform::kTimedOut);
        }
        int dataWaiting = 0;
        if (!m_connection.IsReadable(dataWaiting)) {
            return outOfStep(0);
        }
        if (!dataWaiting) {
            platform::Sleep(kPollIntervalMs);
            continue;
        }

        const int room = std::max(capacity - length - 1, 0);
        const int received = m_connection.Receive(text + length, room);
        if (received < 0) {
            return outOfStep(0);
        }
        if (received > 0) {
            lastData = platform::GetTickCount();
            length += received;
        }
        text[length] = '\0';

        if (received == room) {
            if (capacity >= kMaxReplySize) {
                return outOfStep(platform::kNoBufferSpace);
            }
            // At least the caller's step, and half again for a reply that
            // keeps growing: where realloc copies, as it does on Windows, a
            // long reply must not cost quadratic time.
            const int larger = static_cast<int>(
                std::min<int64_t>(int64_t{capacity} + std::max(step, capacity / 2), kMaxReplySize));
            char* next;
            if (*grown == nullptr) {
                next = static_cast<char*>(std::malloc(larger));
                if (next != nullptr) {
                    std::memcpy(next, text, length + 1);
                }
            } else {
                next = static_cast<char*>(std::realloc(*grown, larger));
            }
            if (next == nullptr) {
                return outOfStep(platform::kNoBufferSpace);
            }
            *grown = next;
            text = next;
            capacity = larger;
        }

        if (!nulSeen) {
            const void* nul = std::memchr(text + textLength, '\0', length - textLength);
            nulSeen = nul != nullptr;
            textLength = nulSeen ? static_cast<int>(static_cast<const char*>(nul) - text) : length;
        }
        const std::string_view replyText(text, textLength);

        if (!statusJudged) {
            const size_t lineEnd = replyText.find(kLineEnd, statusFrom);
            statusFrom = textLength > 0 ? textLength - 1 : 0;
            if (lineEnd != std::string_view::npos) {
                statusJudged = true;
                if (!IsPositive(text)) {
                    length = static_cast<int>(lineEnd);
                    return refused();
                }
            }
        }

        const size_t found = replyText.find(wanted, searchFrom);
        if (found == std::string_view::npos) {
            searchFrom =
                textLength >= static_cast<int>(wanted.size()) ? textLength - wanted.size() + 1 : 0;
            if (received == 0 && room > 0) {
                // The peer has closed: nothing more will come, but the wait for
                // the time-out must not spin.
                platform::Sleep(kPollIntervalMs);
            }
            continue;
        }

        // The reply ends with its terminator; a server that sent more behind it
        // is out of step, and those bytes are dropped (what did not fit this
        // read goes before the next command is sent). The terminator's first
        // byte becomes the text's end: no parser reads past it.
        text[found] = '\0';
        if (IsPositive(text)) {
            return 1;
        }
        return refused();
    }
}

int CPop3Client::FirstBufferSize(int64_t expected) {
    return static_cast<int>(std::clamp<int64_t>(expected + 100, 100, kMaxFirstBuffer));
}

int CPop3Client::ReadResponse() {
    char buffer[1000];
    char* grown = nullptr;
    const int positive = ReadUntil(buffer, sizeof buffer, kLineEnd, &grown, 4096);
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
