// The header text of one mail message, and its fields by name.
//
// The POP3 client fills m_pszText with the header lines that TOP n 0 brought
// (lines end in CR LF). A field is found by name without regard to case at the
// start of a line, directly followed by its colon; its value runs on over
// folded continuation lines, which are joined, tabs become blanks and white
// space is trimmed at both ends. Nothing is decoded: encoded words, quoted
// names and bytes above 127 come back as the server sent them. Only the
// header part is searched, up to the first empty line.
//
// Every query costs time linear in the header's size.
#pragma once

#include <string>

class CMessageText {
public:
    CMessageText();
    // Releases the text with free().
    ~CMessageText();
    CMessageText(const CMessageText&) = delete;
    CMessageText& operator=(const CMessageText&) = delete;

    // The text up to the first CR LF CR LF (the last header line's CR LF is
    // not part of it), or the whole text when there is no empty line.
    std::string GetHeaderBlock() const;
    // The value of the field name; occurrence 0 is the first field of that
    // name, 1 the second (a negative one counts as 0). Empty when missing.
    std::string GetField(const char* name, int occurrence) const;
    std::string GetSubject() const;
    std::string GetFrom() const;

    // Text slot: malloc'd and NUL-terminated, or nullptr when empty.
    char* m_pszText;
};
