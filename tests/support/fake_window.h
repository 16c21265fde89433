#pragma once

#include <map>
#include <string>
#include <vector>

#include "res/resource.h"
#include "ui/mailbox_view.h"
#include "ui/settings_store.h"

// A mailbox window without a toolkit, and its settings store: fields, the
// check box, rows as both windows show them (a list that is full refuses
// them), and a log of what the user would have seen and what was
// stored, in order.
struct FakeWindow : MailboxView, SettingsStore {
    std::string GetDlgItemText(int id) const override { return fields.at(id); }
    void SetDlgItemText(int id, const std::string& text) override { fields[id] = text; }
    int IsDlgButtonChecked(int id) const override { return id == IDC_REMEMBER && remember; }
    void SetStatus(const std::string& text) override { log.push_back(text); }
    void ResetContent() override { rows.clear(); }
    int AddString(const std::string& row) override {
        if (row.find(full) != std::string::npos) {
            return 0;
        }
        rows.push_back(row);
        return 1;
    }
    int GetCurSel() const override { return selected; }
    void DeleteString(int row) override {
        rows.erase(rows.begin() + row);
        selected = -1;
    }
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
    int remember = 0;
    int selected = -1;
    std::string full = "\x01";  // the list is full for rows that hold this
    std::vector<std::string> rows;
    std::vector<std::string> log;
};
