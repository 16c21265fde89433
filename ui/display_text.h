// Text from a server carries no charset. Both windows show it the same way:
// as UTF-8 where it is valid UTF-8, otherwise byte by byte as Latin-1, so
// that no byte a server sent is lost from view.
#pragma once

#include <string>

// The text as UTF-8 for the screen.
std::string DisplayText(const std::string& eightBit);

// A field a server sent, for a row of the list: its first `keep` bytes, shown
// as DisplayText shows the whole field, without a character the keeping cut;
// and every control character, the marks and controls of bidirectional text
// among them, as U+FFFD, so that a sender can neither reorder nor hide what a
// row says (CVE-2021-42574). Tabs stay.
std::string RowField(const std::string& eightBit, size_t keep);
