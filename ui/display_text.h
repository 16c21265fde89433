// Text from a server carries no charset. Both windows show it the same way:
// as UTF-8 where it is valid UTF-8, otherwise byte by byte as Latin-1, so
// that no byte a server sent is lost from view.
#pragma once

#include <string>

// The text as UTF-8 for the screen.
std::string DisplayText(const std::string& eightBit);
// A row cut at the end of its buffer may end inside a UTF-8 character; that
// character is dropped, so that the row still shows as UTF-8. Text that is
// not UTF-8 anyway is left whole.
std::string DropCutCharacter(const std::string& row);
