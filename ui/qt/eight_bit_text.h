// Between the program's 8-bit text and Qt's: what the user typed leaves as
// UTF-8; what a server sent shows as UTF-8 where it is valid, otherwise byte
// by byte as Latin-1, so that no byte is lost from view.
#pragma once

#include <QString>
#include <string>

#include "ui/display_text.h"

inline QString FromEightBit(const std::string& text) {
    return QString::fromStdString(DisplayText(text));
}

inline std::string ToEightBit(const QString& text) {
    return text.toUtf8().toStdString();
}
