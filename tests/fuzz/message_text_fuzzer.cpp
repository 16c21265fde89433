// Arbitrary bytes as a message's header text. The first byte picks the field
// name and the occurrence. Nothing may crash, and a field comes back trimmed,
// unfolded and without tabs.
#include <cstdlib>
#include <cstring>
#include <string>

#include "mail/message_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const char* const kNames[] = {"Subject", "From", "x", "", "sUbJeCt", "\xe4"};
    if (size < 1) {
        return 0;
    }
    CMessageText message;
    message.m_pszText = strndup(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string value = message.GetField(kNames[data[0] % 6], data[0] / 6 % 4 - 1),
                      white = " \t\n\v\f\r";
    if (value.find('\t') != std::string::npos || value.find("\r\n") != std::string::npos ||
        (!value.empty() && (white.find(value.front()) != std::string::npos ||
                            white.find(value.back()) != std::string::npos))) {
        std::abort();
    }
    return 0;
}
