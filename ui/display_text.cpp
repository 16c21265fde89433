#include "ui/display_text.h"

namespace {

// The length of the UTF-8 sequence that starts at text[i], 0 when none does
// (RFC 3629: no overlong forms, no surrogates, nothing above U+10FFFF).
size_t SequenceAt(const std::string& text, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    size_t length = lead < 0x80   ? 1
                    : lead < 0xC2 ? 0
                    : lead < 0xE0 ? 2
                    : lead < 0xF0 ? 3
                    : lead < 0xF5 ? 4
                                  : 0;
    if (length == 0 || i + length > text.size()) {
        return 0;
    }
    // The second byte's range shuts out overlong forms, surrogates and more.
    const unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
    const unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
    for (size_t k = 1; k < length; ++k) {
        if (byte(i + k) < (k == 1 ? low : 0x80) || byte(i + k) > (k == 1 ? high : 0xBF)) {
            return 0;
        }
    }
    return length;
}

bool IsUtf8(const std::string& text) {
    for (size_t i = 0, length; i < text.size(); i += length) {
        if ((length = SequenceAt(text, i)) == 0) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string DisplayText(const std::string& eightBit) {
    if (IsUtf8(eightBit)) {
        return eightBit;
    }
    std::string utf8;
    for (const char c : eightBit) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            utf8 += c;
        } else {
            utf8 += static_cast<char>(0xC0 | byte >> 6);
            utf8 += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return utf8;
}

std::string DropCutCharacter(const std::string& row) {
    // A character's first byte is anything but 10xxxxxx; look back at most
    // three bytes for the one the cut left behind.
    size_t start = row.size();
    while (start > 0 && row.size() - start < 3 && (row[start - 1] & 0xC0) == 0x80) {
        --start;
    }
    if (start == 0 || static_cast<unsigned char>(row[start - 1]) < 0xC0 ||
        SequenceAt(row, start - 1) != 0) {
        return row;  // ends with a whole character, or is not UTF-8
    }
    const std::string whole = row.substr(0, start - 1);
    return IsUtf8(whole) ? whole : row;
}
