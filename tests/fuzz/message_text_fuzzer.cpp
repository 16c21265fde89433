// Arbitrary bytes as a message's header text. The first byte picks the field
// name and the occurrence; every result must be trimmed, unfolded, free of
// tabs, and what the step-by-step reference gives.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "mail/message_text.h"
#include "tests/support/reference_fields.h"

namespace {

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "property broken: %s\n", what);
        std::abort();
    }
}

bool IsWhiteSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    static const char* const kNames[] = {"Subject", "From", "x", "", "sUbJeCt", "A-B", "\xe4"};
    const char* name = kNames[data[0] % 7];
    const int occurrence = static_cast<int>(data[0] / 7 % 5) - 1;

    CMessageText message;
    message.m_pszText = static_cast<char*>(std::malloc(size));
    std::memcpy(message.m_pszText, data + 1, size - 1);
    message.m_pszText[size - 1] = '\0';

    const std::string value = message.GetField(name, occurrence);
    Check(value.empty() || (!IsWhiteSpace(value.front()) && !IsWhiteSpace(value.back())),
          "trimmed");
    Check(value.find("\r\n") == std::string::npos, "unfolded");
    Check(value.find('\t') == std::string::npos, "no tabs");
    Check(value == ReferenceField(message.m_pszText, name, occurrence), "same as the reference");
    Check(message.GetHeaderBlock() == ReferenceHeaderBlock(message.m_pszText), "header block");
    return 0;
}
