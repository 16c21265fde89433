#include "mail/message_text.h"

#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/ascii.h"

namespace {

// The leftmost position, from `from` on, where `text` matches the upper-case
// `key` without regard to case.
size_t FindKey(std::string_view text, std::string_view key, size_t from) {
    if (key.size() > text.size()) {
        return std::string_view::npos;
    }
    for (size_t at = text.find(key[0], from);
         at != std::string_view::npos && at + key.size() <= text.size();
         at = text.find(key[0], at + 1)) {
        size_t i = 1;
        while (i < key.size() && ascii::Upper(text[at + i]) == key[i]) {
            ++i;
        }
        if (i == key.size()) {
            return at;
        }
    }
    return std::string_view::npos;
}

}  // namespace

CMessageText::CMessageText() : m_pszText(nullptr) {}

CMessageText::~CMessageText() {
    std::free(m_pszText);
    m_pszText = nullptr;
}

std::string CMessageText::GetHeaderBlock() const {
    if (m_pszText == nullptr) {
        return std::string();
    }
    const std::string_view text(m_pszText);
    return std::string(text.substr(0, text.find("\r\n\r\n")));
}

std::string CMessageText::GetField(const char* name, int occurrence) const {
    // A leading line end lets the first header line match like every other.
    const std::string search = ascii::kLineEnd + GetHeaderBlock();
    std::string key = ascii::kLineEnd;
    for (const char* p = name; *p != '\0'; ++p) {
        key += ascii::Upper(*p);
    }
    key += ':';

    size_t match = FindKey(search, key, 0);
    for (int i = 0; i < occurrence && match != std::string::npos; ++i) {
        match = FindKey(search, key, match + key.size());
    }
    if (match == std::string::npos) {
        return std::string();
    }

    // The value ends at a line end that is not followed by a blank or a tab:
    // those mark a folded continuation line.
    const size_t start = match + key.size();
    size_t end = start;
    while (end < search.size() &&
           !(search[end] == '\r' && end + 1 < search.size() && search[end + 1] == '\n' &&
             (end + 2 == search.size() || !ascii::IsBlank(search[end + 2])))) {
        ++end;
    }

    // Unfolding drops each CR LF pair and keeps the blank behind it. Dropping
    // a pair can only join the CR before it with an LF after it, so one pass
    // that checks the last byte kept does what removing the leftmost pair again
    // and again would.
    std::string value;
    value.reserve(end - start);
    for (size_t i = start; i < end; ++i) {
        const char c = search[i];
        if (c == '\n' && !value.empty() && value.back() == '\r') {
            value.pop_back();
        } else {
            value += c == '\t' ? ' ' : c;
        }
    }

    size_t first = 0;
    while (first < value.size() && ascii::IsSpace(value[first])) {
        ++first;
    }
    size_t last = value.size();
    while (last > first && ascii::IsSpace(value[last - 1])) {
        --last;
    }
    return value.substr(first, last - first);
}

std::string CMessageText::GetSubject() const {
    return GetField("Subject", 0);
}

std::string CMessageText::GetFrom() const {
    return GetField("From", 0);
}
