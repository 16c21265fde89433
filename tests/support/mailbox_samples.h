// Varied messages for end-to-end tests: folded and 8-bit fields, a missing
// Subject, a missing From, an encoded word, a body that must never be fetched.
#pragma once

#include <string>
#include <vector>

inline std::vector<std::string> SampleMessages() {
    return {
        "From: Bob <bob@example.org>\nTo: alice@example.org\nSubject: Hello Alice\n\n"
        "The body stays on the server.\n",
        "Subject: A long subject\n\tfolded with a tab\n  and two blanks\nX-From: not this\n"
        "From: =?UTF-8?Q?J=C3=BCrgen?= <j@example.org>\n\nBody line one\n.dot line\n",
        "From: carol@example.org\nX-Mailer: test\n\n" + std::string(5000, 'b') + "\n",
        "Subject: \xfc"
        "berweisung\nDate: Mon, 1 Jan 2024 10:00:00 +0100\n\nno sender\n",
    };
}

// The header part of a message as TOP n 0 brings it: lines with CR LF, up to
// and including the last header line's line end.
inline std::string HeaderWithCrLf(const std::string& message) {
    const std::string header = message.substr(0, message.find("\n\n") + 1);
    std::string crlf;
    for (char c : header) {
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    return crlf;
}
