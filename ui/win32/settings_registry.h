// The settings store in the registry of the user running the program, under
// HKEY_CURRENT_USER\Software\Tarvik\Tarvik: the key Qt's settings would use
// on Windows, so that both builds share it. A section is a subkey, a value a
// string value.
#pragma once

#include "ui/settings_store.h"

class SettingsRegistry : public SettingsStore {
public:
    std::string GetProfileString(const char* section, const char* key,
                                 const char* fallback) const override;
    int WriteProfileString(const char* section, const char* key, const std::string& value) override;
};
