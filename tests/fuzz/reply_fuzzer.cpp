// Feeds arbitrary server bytes through the reply reader and the STAT, LIST and
// UIDL parsers. The first byte picks the reader; the rest is what the server
// sends before it closes the connection.
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "pop3/pop3_client.h"
#include "tests/support/fake_clock.h"

namespace {

size_t CountBlanks(const uint8_t* data, size_t size) {
    size_t blanks = 0;
    for (size_t i = 0; i < size; ++i) {
        blanks += data[i] == ' ' || data[i] == '\t';
    }
    return blanks;
}

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "property broken: %s\n", what);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2 || size > 32768) {
        return 0;
    }
    const int reader = data[0] % 5;
    const int expected = static_cast<int8_t>(data[1]) * 1000003;
    data += 2;
    size -= 2;

    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, ends) != 0) {
        return 0;
    }
    if (size > 0 && write(ends[1], data, size) != static_cast<ssize_t>(size)) {
        std::abort();
    }
    close(ends[1]);

    FakeClock clock;  // the closed peer then times out at once
    CPop3Client client;
    client.m_connection.m_socket = ends[0];
    int count = 0, total = 0;
    char* text = nullptr;
    int result = 0;
    switch (reader) {
        case 0:
            result = client.ReadResponse();
            break;
        case 1:
            result = client.ParseStat(count, total);
            break;
        case 2:
            result = client.ParseList(expected);
            Check(!result || client.m_sizes.size() <= CountBlanks(data, size),
                  "one size per blank");
            break;
        case 3:
            result = client.ParseUidl(expected);
            Check(!result || client.m_ids.size() <= size / 4, "one id per line");
            break;
        case 4:
            result = client.ReadMultiLine(text, expected);
            Check(result == (text != nullptr), "the slot is filled exactly on success");
            Check(!text || std::strlen(text) < size, "the body is part of the reply");
            break;
    }
    if (result) {
        Check(size >= 5 && data[0] == '+', "a positive reply begins with +OK");
    } else {
        Check(client.m_strLastReply.size() <= size, "the kept reply is part of the reply");
    }
    std::free(text);
    return 0;
}
