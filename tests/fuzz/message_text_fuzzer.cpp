// Arbitrary bytes as a message's header text; the first byte picks the field
// name and the occurrence. A value comes back trimmed, unfolded, without
// tabs, and no longer than the header block, which holds no empty line.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "mail/message_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const char* const kNames[] = {"Subject", "From", "x", "", "sUbJeCt", "\xe4"};
    CMessageText message;
    const size_t skip = size > 0 ? 1 : 0;  // the first byte chooses, the rest is the text
    message.m_pszText = strndup(reinterpret_cast<const char*>(data) + skip, size - skip);
    const std::string value =
        size ? message.GetField(kNames[data[0] % 6], data[0] / 6 % 4 - 1) : "";
    const std::string block = message.GetHeaderBlock();
    const std::string white = " \t\n\v\f\r";
    if ((!value.empty() && (white.find(value.front()) != std::string::npos ||
                            white.find(value.back()) != std::string::npos)) ||
        value.find_first_of("\t") != std::string::npos || value.find("\r\n") != std::string::npos ||
        value.size() > block.size() || block.find("\r\n\r\n") != std::string::npos) {
        std::abort();
    }
    return 0;
}
