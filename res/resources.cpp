#include "res/dialog_template.h"

#include <iterator>

#include "res/resource.h"
#include "res/version.h"

namespace {

// clang-format off
const ControlTemplate kMailboxControls[] = {
    {IDCANCEL,       ControlKind::PushButton,        263, 202,  50,  14, "Abbrechen", kTabStop},
    {IDC_MESSAGES,   ControlKind::ListBox,             7,  86, 306, 111, "Mails auf dem Server",
        kNotify | kVScroll | kBorder | kTabStop | kNoIntegralHeight},
    {IDC_CHECK_NOW,  ControlKind::DefaultPushButton, 133,  39,  90,  14, "Jetzt nachsehen ...", kTabStop},
    {IDC_STATIC,     ControlKind::StaticText,          7,  10, 111,   8,
        "Mailserver (z.b.: pop.example.de):", 0},
    {IDC_SERVER,     ControlKind::Edit,              133,   7, 113,  14, "", kBorder | kAutoHScroll | kTabStop},
    {IDC_STATIC,     ControlKind::StaticText,          7,  26,  35,   8, "Username:", 0},
    {IDC_USER,       ControlKind::Edit,               49,  23,  79,  14, "", kBorder | kAutoHScroll | kTabStop},
    {IDC_STATIC,     ControlKind::StaticText,          7,  42,  32,   8, "Passwort:", 0},
    {IDC_PASSWORD,   ControlKind::Edit,               49,  39,  79,  14, "", kBorder | kAutoHScroll | kTabStop},
    {IDC_REMEMBER,   ControlKind::AutoCheckBox,        7,  57, 166,  10,
        "Username, Mailserver und Passwort speichern", kTabStop},
    {IDC_DELETE,     ControlKind::PushButton,        152, 202, 106,  14, "Ausgewählte Mail löschen", kTabStop},
    {IDC_STATUS,     ControlKind::StaticText,         19,  70, 294,   8, "Status-Meldungen", kNoPrefix},
};

const ControlTemplate kInfoControls[] = {
    {IDC_STATIC, ControlKind::StaticText,          7, 7, 119,  8, "Tarvik Version " TARVIK_VERSION_SHORT " - tarvikon?",
        kNoPrefix},
    {IDOK,       ControlKind::DefaultPushButton, 178, 7,  50, 14, "OK", kTabStop},
};
// clang-format on

const DialogTemplate kMailboxDialog = {
    "tarvikon",
    "MS Sans Serif",
    8,
    320,
    223,
    kPopup | kVisible | kCaption | kSystemMenu | kModalFrame | kAppWindow,
    kMailboxControls,
    static_cast<int>(std::size(kMailboxControls)),
};

const DialogTemplate kInfoDialog = {
    "Info über Tarvik",
    "MS Sans Serif",
    8,
    235,
    46,
    kModalFrame | kCaption | kSystemMenu,
    kInfoControls,
    static_cast<int>(std::size(kInfoControls)),
};

}  // namespace

const DialogTemplate& MailboxDialogTemplate() {
    return kMailboxDialog;
}

const DialogTemplate& InfoDialogTemplate() {
    return kInfoDialog;
}

const char* LoadResourceString(int id) {
    switch (id) {
        case IDS_ABOUTBOX:
            return "Inf&o über Tarvik...";
        case IDS_SOCKETS_INIT_FAILED:
            return "Fehler beim Initialisieren der Windows-Sockets.";
        default:
            return "";
    }
}
