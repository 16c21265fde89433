// A dialog built from a template. Its controls are Qt widgets placed in dialog
// units and addressed by their numeric ids, as the window's commands and the
// tests address them. Knows nothing of mail.
#pragma once

#include <QDialog>
#include <QRect>
#include <map>
#include <string>

#include "res/dialog_template.h"

class QFont;

// Dialog units are a quarter of the dialog font's average character width
// and an eighth of its height, so a template keeps its proportions with any
// font and on any screen.
struct DialogUnits {
    int baseX;  // average character width in pixels
    int baseY;  // character height in pixels

    static DialogUnits ForFont(const QFont& font);
    QRect Map(int x, int y, int width, int height) const;
};

class CDialog : public QDialog {
    Q_OBJECT
public:
    CDialog(const DialogTemplate& dialogTemplate, QWidget* parent);

    // Runs OnInitDialog, then the dialog modally. The result is the id of the
    // button that closed it: IDOK, or IDCANCEL also for Escape and the close box.
    int DoModal();
    virtual bool OnInitDialog();

    QWidget* GetDlgItem(int id) const;
    void SetDlgItemText(int id, const std::string& text);
    std::string GetDlgItemText(int id) const;
    int IsDlgButtonChecked(int id) const;
    const DialogUnits& Units() const { return m_units; }

private:
    void BuildControls();

    const DialogTemplate& m_template;
    DialogUnits m_units;
    std::map<int, QWidget*> m_controls;
};

// A modal message box with an OK button, titled with the application's name;
// with a parent, it opens over it (the window system keeps it transient for it).
void MessageBox(const std::string& text, QWidget* parent = nullptr);
