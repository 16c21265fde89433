#include "ui/win32/settings_registry.h"

#include "platform/windows_api.h"
#include "ui/win32/wide_text.h"

namespace {

std::wstring Subkey(const char* section) {
    return L"Software\\Tarvik\\Tarvik\\" + Widen(section);
}

}  // namespace

std::string SettingsRegistry::GetProfileString(const char* section, const char* key,
                                               const char* fallback) const {
    const std::wstring subkey = Subkey(section), name = Widen(key);
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, subkey.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr,
                     nullptr, &size) != ERROR_SUCCESS) {
        return fallback;
    }
    std::wstring value(size / sizeof(wchar_t), L'\0');
    if (RegGetValueW(HKEY_CURRENT_USER, subkey.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr,
                     value.data(), &size) != ERROR_SUCCESS) {
        return fallback;
    }
    value.resize(wcsnlen(value.c_str(), value.size()));  // without its NUL
    return Narrow(value);
}

int SettingsRegistry::WriteProfileString(const char* section, const char* key,
                                         const std::string& value) {
    const std::wstring text = Widen(value);
    const auto size = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    return RegSetKeyValueW(HKEY_CURRENT_USER, Subkey(section).c_str(), Widen(key).c_str(), REG_SZ,
                           text.c_str(), size) == ERROR_SUCCESS
               ? 1
               : 0;
}

SettingsStore& UserSettings() {
    static SettingsRegistry registry;
    return registry;
}
