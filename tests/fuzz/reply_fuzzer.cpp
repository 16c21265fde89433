// Arbitrary server bytes through the reply reader and the STAT, LIST and UIDL
// parsers. The first byte picks the reader, the second the expected size; the
// rest is what the server sends before it closes the connection. Nothing may
// crash, and what a reader keeps must be part of what was sent.
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "pop3/pop3_client.h"
#include "tests/support/transcript.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    int ends[2];
    if (size < 2 || size > 32768 || socketpair(AF_UNIX, SOCK_STREAM, 0, ends) != 0) {
        return 0;
    }
    if (write(ends[1], data + 2, size - 2) != static_cast<ssize_t>(size - 2)) {
        std::abort();
    }
    close(ends[1]);
    FakeClock clock;  // the closed peer then times out at once
    CPop3Client client;
    client.m_connection.m_socket = ends[0];
    const int expected = static_cast<int8_t>(data[1]) * 1000003;
    int count = 0, total = 0, result = 0;
    char* text = nullptr;
    switch (data[0] % 5) {
        case 0:
            result = client.ReadResponse();
            break;
        case 1:
            result = client.ParseStat(count, total);
            break;
        case 2:
            result = client.ParseList(expected);
            break;
        case 3:
            result = client.ParseUidl(expected);
            break;
        case 4:
            result = client.ReadMultiLine(text, expected);
            break;
    }
    const bool kept = text == nullptr || std::strlen(text) < size;
    if ((result && (size < 3 || data[2] != '+')) || !kept || client.m_strLastReply.size() > size ||
        client.m_sizes.size() > size || client.m_ids.size() > size) {
        std::abort();
    }
    std::free(text);
    return 0;
}
