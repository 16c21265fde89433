// A mailbox window without a toolkit, for the commands: fields, the check
// box, a status line, rows that show as both windows show them and keep
// their message numbers, message boxes; and a settings store in memory.
#pragma once

#include <map>
#include <utility>
#include <vector>

#include "res/resource.h"
#include "ui/display_text.h"
#include "ui/mailbox_view.h"
#include "ui/settings_store.h"

struct FakeWindow : MailboxView {
    std::string GetDlgItemText(int id) const override { return fields.at(id); }
    void SetDlgItemText(int id, const std::string& text) override { fields[id] = text; }
    int IsDlgButtonChecked(int) const override { return remember; }
    void SetStatus(const std::string& text) override { fields[IDC_STATUS] = text; }
    void ResetContent() override { rows.clear(); }
    void AddString(const std::string& row, int number) override {
        rows.emplace_back(DisplayText(row), number);
    }
    int GetCurSel() const override { return selected; }
    int GetCount() const override { return static_cast<int>(rows.size()); }
    int GetItemData(int row) const override { return rows.at(row).second; }
    void SetItemData(int row, int number) override { rows.at(row).second = number; }
    void DeleteString(int row) override {
        rows.erase(rows.begin() + row);
        selected = -1;
    }
    void MessageBox(const std::string& text) override { boxes.push_back(text); }

    std::map<int, std::string> fields = {{IDC_SERVER, "127.0.0.1"},
                                         {IDC_USER, "alice"},
                                         {IDC_PASSWORD, "secret"},
                                         {IDC_STATUS, "Status-Meldungen"}};
    int remember = 0, selected = -1;
    std::vector<std::pair<std::string, int>> rows;
    std::vector<std::string> boxes;
};

struct FakeStore : SettingsStore {
    std::string GetProfileString(const char* section, const char* key,
                                 const char* fallback) const override {
        const auto found = values.find(std::string(section) + "/" + key);
        return found != values.end() ? found->second : fallback;
    }
    int WriteProfileString(const char* section, const char* key,
                           const std::string& value) override {
        values[std::string(section) + "/" + key] = value;
        return 1;
    }
    std::map<std::string, std::string> values;
};
