// The information box: program name and version, and an OK button.
#pragma once

#include "ui/qt/dialog.h"

class CInfoDialog : public CDialog {
    Q_OBJECT
public:
    explicit CInfoDialog(QWidget* parent = nullptr);
};
