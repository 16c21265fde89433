// The per-user settings store: the window keeps the server, user name and
// password in section "settings" (the password in clear text). On Linux an
// INI file readable by its owner only, on Windows the registry.
#pragma once

#include <string>

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The stored value, or fallback when it is missing or cannot be read as text.
    virtual std::string GetProfileString(const char* section, const char* key,
                                         const char* fallback) const = 0;
    // 1 when the value reached the store.
    virtual int WriteProfileString(const char* section, const char* key,
                                   const std::string& value) = 0;
};

// The store of the user running the program.
SettingsStore& UserSettings();
