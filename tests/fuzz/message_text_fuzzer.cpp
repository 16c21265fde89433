// Arbitrary bytes as a message's header text; the first byte picks the field
// name and the occurrence. Every value must come back trimmed, unfolded and
// free of tabs, and never reach past the header block.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "mail/message_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    static const char* const kNames[] = {"Subject", "From", "x", "", "sUbJeCt", "\xe4"};
    CMessageText message;
    message.m_pszText = static_cast<char*>(std::malloc(size));
    std::memcpy(message.m_pszText, data + 1, size - 1);
    message.m_pszText[size - 1] = '\0';

    const std::string value = message.GetField(kNames[data[0] % 6], data[0] / 6 % 4 - 1);
    const std::string block = message.GetHeaderBlock();
    const auto white = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    if ((!value.empty() && (white(value.front()) || white(value.back()))) ||
        value.find("\r\n") != std::string::npos || value.find('\t') != std::string::npos ||
        value.size() > block.size() || block.find("\r\n\r\n") != std::string::npos) {
        std::abort();
    }
    return 0;
}
