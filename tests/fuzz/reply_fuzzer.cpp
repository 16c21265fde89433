// Arbitrary server bytes through the reply reader and the STAT, LIST and UIDL
// parsers. The first byte picks the reader, the second the expected size; the
// rest is what the server sends before it falls silent. Nothing may crash, a
// positive reply begins with "+", and what a reader keeps is never more than
// was sent. (Header fields meet arbitrary bytes in the conversation fuzzer.)
#include <sys/socket.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/clock.h"
#include "pop3/pop3_client.h"

// One connection for all inputs while it lasts: each input's bytes are sent
// at once, and what a reader leaves unread is drained after it. A reader
// sleeps only once nothing more is waiting, so its sleep may pass the whole
// idle time-out; a read that ends out of step closes the client's end, and
// the next input gets a new connection.
struct Server : platform::Clock {
    Server() {
        platform::SetClock(this);
        Reconnect();
    }
    void Reconnect() {
        close(ends[1]);
        socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, ends);
    }
    uint32_t Ticks() override { return now; }
    void Sleep(uint32_t) override { now += CPop3Client::kIdleTimeoutMs + 1; }
    uint32_t now = 0;
    int ends[2] = {-1, -1};
};

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Server server;
    static char rest[65536];
    recv(server.ends[0], rest, sizeof rest, 0);  // all a reader left: less than an input
    if (size < 3 || size > 32768 ||
        write(server.ends[1], data + 2, size - 2) != static_cast<ssize_t>(size - 2)) {
        return 0;
    }
    CPop3Client client;
    client.m_connection.m_socket = server.ends[0];
    // Sizes the allocator serves from its pools, and one hostile extreme: a
    // megabyte buffer per input would cost most of the fuzzer's time.
    const int expected = data[1] == 0x7f ? INT_MAX : static_cast<int8_t>(data[1]) * 8;
    int count = 0, total = 0;
    char* text = nullptr;
    const int result = data[0] % 5 == 0   ? client.ReadResponse()
                       : data[0] % 5 == 1 ? client.ParseStat(count, total)
                       : data[0] % 5 == 2 ? client.ParseList(expected)
                       : data[0] % 5 == 3 ? client.ParseUidl(expected)
                                          : client.ReadMultiLine(text, expected);
    if ((result && data[2] != '+') || (text && std::strlen(text) >= size) ||
        client.m_strLastReply.size() > size) {
        std::abort();
    }
    std::free(text);
    if (client.m_connection.m_socket == -1) {
        server.Reconnect();
    }
    client.m_connection.m_socket = -1;  // the next input's
    return 0;
}
