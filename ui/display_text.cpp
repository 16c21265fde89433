#include "ui/display_text.h"

#include <algorithm>
#include <cstdint>

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

// The characters a row shows as U+FFFD: C0 but the tab, DEL, C1, the line
// and paragraph separators (Qt breaks a row at the one and hides the other,
// so that one message could pass for two), and the marks, embeddings,
// overrides and isolates of bidirectional text.
bool IsControl(uint32_t c) {
    return (c < 0x20 && c != '\t') || (c >= 0x7F && c <= 0x9F) || c == 0x061C || c == 0x200E ||
           c == 0x200F || (c >= 0x2028 && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

void AppendUtf8(std::string& out, uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | c >> 12);  // nothing shown here needs four bytes
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The code point of a valid sequence of the given length.
uint32_t CodePoint(const std::string& text, size_t i, size_t length) {
    uint32_t c = static_cast<unsigned char>(text[i]) & (0xFF >> (length + (length > 1)));
    for (size_t k = 1; k < length; ++k) {
        c = c << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    }
    return c;
}

}  // namespace

std::string DisplayText(const std::string& eightBit) {
    if (IsUtf8(eightBit)) {
        return eightBit;
    }
    std::string utf8;
    for (const char c : eightBit) {
        AppendUtf8(utf8, static_cast<unsigned char>(c));
    }
    return utf8;
}

std::string RowField(const std::string& eightBit, size_t keep) {
    const bool utf8 = IsUtf8(eightBit);
    std::string shown;
    for (size_t i = 0, length; i < std::min(keep, eightBit.size()); i += length) {
        length = utf8 ? SequenceAt(eightBit, i) : 1;
        if (i + length > keep) {
            break;  // the cut fell inside this character
        }
        const uint32_t c =
            utf8 ? CodePoint(eightBit, i, length) : static_cast<unsigned char>(eightBit[i]);
        if (IsControl(c)) {
            AppendUtf8(shown, 0xFFFD);
        } else if (utf8) {
            shown.append(eightBit, i, length);
        } else {
            AppendUtf8(shown, c);
        }
    }
    return shown;
}
