// Arbitrary server bytes through the reply reader and the STAT, LIST and UIDL
// parsers, and the same bytes as a message's header text. The first byte
// picks the reader, the field name and the occurrence, the second the
// expected size; the rest is what the server sends before it closes the
// connection. Nothing may crash, a positive reply begins with "+", what a
// reader keeps is never more than was sent, and a field comes back trimmed,
// unfolded and without tabs.
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "mail/message_text.h"
#include "tests/support/transcript.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const char* const kNames[] = {"Subject", "From", "x", "", "sUbJeCt", "\xe4"};
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
    CMessageText message;
    message.m_pszText = strndup(reinterpret_cast<const char*>(data) + 2, size - 2);
    const std::string value = message.GetField(kNames[data[0] % 6], data[0] / 6 % 4 - 1),
                      white = " \t\n\v\f\r";
    if ((result && data[2] != '+') || (text && std::strlen(text) >= size) ||
        client.m_strLastReply.size() > size || value.find('\t') != std::string::npos ||
        value.find("\r\n") != std::string::npos ||
        (!value.empty() && (white.find(value.front()) != std::string::npos ||
                            white.find(value.back()) != std::string::npos))) {
        std::abort();
    }
    std::free(text);
    return 0;
}
