// The settings store as an INI file named by the application's organisation
// and name: on Linux $XDG_CONFIG_HOME/Tarvik/Tarvik.conf. It holds a password
// in clear text, so the file and its folder are its owner's alone, and kept
// so whenever the file is rewritten.
#pragma once

#include <QString>

#include "ui/settings_store.h"

class SettingsFile : public SettingsStore {
public:
    std::string GetProfileString(const char* section, const char* key,
                                 const char* fallback) const override;
    int WriteProfileString(const char* section, const char* key, const std::string& value) override;
    static QString FilePath();
};
