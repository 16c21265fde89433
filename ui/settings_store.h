// The per-user settings store: an INI file named by the application's
// organisation and name (on Linux $XDG_CONFIG_HOME/Tarvik/Tarvik.conf).
//
// The file holds a password in clear text, so it is created readable and
// writable by its owner only, and kept so whenever it is rewritten.
#pragma once

#include <QString>
#include <string>

namespace settings {

// The stored value, or fallback when it is missing or cannot be read as text.
std::string GetProfileString(const char* section, const char* key, const char* fallback);
// 1 when the value reached the file.
int WriteProfileString(const char* section, const char* key, const std::string& value);
// Where the store lives.
QString FilePath();

}  // namespace settings
