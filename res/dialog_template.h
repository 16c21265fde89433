// Dialog templates as data: each control with its id, kind, place and size in
// dialog units, text and styles, in template order (which is the tab order).
#pragma once

#include <cstdint>

enum class ControlKind { PushButton, DefaultPushButton, ListBox, StaticText, Edit, AutoCheckBox };

// Styles that change how a control or dialog looks or behaves. None sorts a
// list: the commands keep what each row stands for by its place.
enum ControlStyle : uint32_t {
    kTabStop = 1u << 0,
    kBorder = 1u << 1,
    kAutoHScroll = 1u << 2,
    kVScroll = 1u << 3,
    kNotify = 1u << 4,
    kNoIntegralHeight = 1u << 5,
    kNoPrefix = 1u << 6,
    kPassword = 1u << 7,
};

enum DialogStyle : uint32_t {
    kPopup = 1u << 0,
    kVisible = 1u << 1,
    kCaption = 1u << 2,
    kSystemMenu = 1u << 3,
    kModalFrame = 1u << 4,
    kAppWindow = 1u << 5,  // gets a task-bar button
};

struct ControlTemplate {
    int id;
    ControlKind kind;
    int x, y, width, height;
    const char* text;  // UTF-8; a list's is the name a screen reader reads for it
    uint32_t styles;
};

struct DialogTemplate {
    const char* caption;
    const char* fontName;
    int fontPoints;
    int width, height;
    uint32_t styles;
    const ControlTemplate* controls;
    int controlCount;
};

// The templates of the mailbox window and of the information box.
const DialogTemplate& MailboxDialogTemplate();
const DialogTemplate& InfoDialogTemplate();

// The string table: UTF-8 text of string id, empty for an unknown id.
const char* LoadResourceString(int id);
