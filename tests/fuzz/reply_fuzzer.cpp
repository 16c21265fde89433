// Arbitrary server bytes through the reply reader and the STAT, LIST and UIDL
// parsers. The first byte picks the reader, the second the expected size; the
// rest is what the server sends before it closes the connection. Nothing may
// crash, a positive reply begins with "+", and what a reader keeps is never
// more than was sent.
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "tests/support/transcript.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    int ends[2];
    if (size < 3 || size > 32768 || socketpair(AF_UNIX, SOCK_STREAM, 0, ends) != 0 ||
        write(ends[1], data + 2, size - 2) != static_cast<ssize_t>(size - 2) + close(ends[1])) {
        return 0;
    }
    static ScriptedServer clock;  // the closed peer then times out at once
    CPop3Client client;
    client.m_connection.m_socket = ends[0];
    const int expected = static_cast<int8_t>(data[1]) * 1000003;
    int count = 0, total = 0;
    char* text = nullptr;
    const int result = data[0] % 5 == 0   ? client.ReadResponse()
                       : data[0] % 5 == 1 ? client.ParseStat(count, total)
                       : data[0] % 5 == 2 ? client.ParseList(expected)
                       : data[0] % 5 == 3 ? client.ParseUidl(expected)
                                          : client.ReadMultiLine(text, expected);
    if ((result && data[2] != '+') || (text && std::strlen(text) >= size) ||
        client.m_strLastReply.size() > size || client.m_sizes.size() > size ||
        client.m_ids.size() > size) {
        std::abort();
    }
    std::free(text);
    return 0;
}
