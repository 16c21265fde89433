// The character classes of POP3 replies and header lines, ASCII only. The C
// library's depend on the locale, which the Qt window sets from the user's
// environment: there, a byte above 127 may count as a letter or a space, and
// a server's text would parse differently from one user to the next.
#pragma once

namespace ascii {

// The line end of POP3 and of a message's header lines.
constexpr char kLineEnd[] = "\r\n";

// A blank separates the words of a reply line and starts a folded header line.
inline bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// White space as the C locale has it: blank, LF, VT, FF, CR.
inline bool IsSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Upper-cases the letters a to z and keeps every other byte.
inline char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace ascii
