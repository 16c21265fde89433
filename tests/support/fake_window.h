#pragma once

#include <map>
#include <string>
#include <vector>

#include "res/resource.h"
#include "ui/display_text.h"
#include "ui/mailbox_view.h"
#include "ui/settings_store.h"

// A mailbox window without a toolkit, and its settings store: fields, the
// check box, rows that show as both windows show them and keep their message
// numbers, and a log of what the user would have seen and what was stored,
// in order.
struct FakeWindow : MailboxView, SettingsStore {
    std::string GetDlgItemText(int id) const override { return fields.at(id); }
    void SetDlgItemText(int id, const std::string& text) override { fields[id] = text; }
    int IsDlgButtonChecked(int id) const override { return id == IDC_REMEMBER && remember; }
    void SetStatus(const std::string& text) override { log.push_back(text); }
    void ResetContent() override { rows.clear(); }
    void AddString(const std::string& row, int n) override {
        rows.emplace_back(DisplayText(row), n);
    }
    int GetCurSel() const override { return selected; }
    int GetCount() const override { return static_cast<int>(rows.size()); }
    int GetItemData(int row) const override { return rows.at(row).second; }
    void SetItemData(int row, int number) override { rows.at(row).second = number; }
    void DeleteString(int row) override { rows.erase(rows.begin() + row); }
    void MessageBox(const std::string& text) override { log.push_back("box: " + text); }
    std::string GetProfileString(const char*, const char*, const char* fallback) const override {
        return fallback;  // the listing and the delete only write; the Qt test reads
    }
    int WriteProfileString(const char* section, const char* key,
                           const std::string& value) override {
        log.push_back(std::string(section) + "/" + key + "=" + value);
        return 1;
    }

    std::map<int, std::string> fields = {
        {IDC_SERVER, "127.0.0.1"}, {IDC_USER, "alice"}, {IDC_PASSWORD, "secret"}};
    int remember = 0, selected = -1;
    std::vector<std::pair<std::string, int>> rows;
    std::vector<std::string> log;
};
