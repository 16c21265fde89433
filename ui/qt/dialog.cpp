#include "ui/qt/dialog.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>

#include "res/resource.h"
#include "ui/qt/eight_bit_text.h"

namespace {

// Rounds a * b / c to the nearest whole number, as the platform's MulDiv does.
int MulDiv(int a, int b, int c) {
    return (a * b + c / 2) / c;
}

}  // namespace

DialogUnits DialogUnits::ForFont(const QFont& font) {
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return DialogUnits{(letters / 26 + 1) / 2, metrics.height()};
}

QRect DialogUnits::Map(int x, int y, int width, int height) const {
    return QRect(MulDiv(x, baseX, 4), MulDiv(y, baseY, 8), MulDiv(width, baseX, 4),
                 MulDiv(height, baseY, 8));
}

CDialog::CDialog(const DialogTemplate& dialogTemplate, QWidget* parent)
    : QDialog(parent), m_template(dialogTemplate) {
    setFont(QFont(QString::fromUtf8(m_template.fontName), m_template.fontPoints));
    m_units = DialogUnits::ForFont(font());
    setWindowTitle(QString::fromUtf8(m_template.caption));
    // A modal frame: no resizing, no maximising, a close box.
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(m_units.Map(0, 0, m_template.width, m_template.height).size());
    BuildControls();
}

void CDialog::BuildControls() {
    QWidget* previous = nullptr;
    QLabel* label = nullptr;  // the static text just before, which names an edit field
    for (int i = 0; i < m_template.controlCount; ++i) {
        const ControlTemplate& control = m_template.controls[i];
        const QString text = QString::fromUtf8(control.text);
        QWidget* widget = nullptr;
        switch (control.kind) {
            case ControlKind::PushButton:
            case ControlKind::DefaultPushButton: {
                auto* button = new QPushButton(text, this);
                // Return presses the button that has the focus, and the
                // default one from anywhere else: what a Windows dialog does.
                button->setAutoDefault(true);
                button->setDefault(control.kind == ControlKind::DefaultPushButton);
                if (control.id == IDOK) {
                    connect(button, &QPushButton::clicked, this, &QDialog::accept);
                } else if (control.id == IDCANCEL) {
                    connect(button, &QPushButton::clicked, this, &QDialog::reject);
                }
                widget = button;
                break;
            }
            case ControlKind::ListBox: {
                auto* list = new QListWidget(this);
                list->setSelectionMode(QAbstractItemView::SingleSelection);
                list->setVerticalScrollBarPolicy(
                    (control.styles & kVScroll) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
                list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
                list->setAccessibleName(text);  // a list shows no text of its own
                widget = list;
                break;
            }
            case ControlKind::StaticText: {
                auto* staticText = new QLabel(text, this);
                staticText->setTextFormat(Qt::PlainText);
                staticText->setAlignment(Qt::AlignLeft | Qt::AlignTop);
                widget = staticText;
                break;
            }
            case ControlKind::Edit: {
                auto* edit = new QLineEdit(text, this);
                if (label != nullptr) {
                    label->setBuddy(edit);  // screen readers name the field after it
                }
                edit->setEchoMode((control.styles & kPassword) ? QLineEdit::Password
                                                               : QLineEdit::Normal);
                edit->setFrame((control.styles & kBorder) != 0);
                widget = edit;
                break;
            }
            case ControlKind::AutoCheckBox:
                widget = new QCheckBox(text, this);
                break;
        }
        widget->setGeometry(m_units.Map(control.x, control.y, control.width, control.height));
        widget->setFocusPolicy((control.styles & kTabStop) ? Qt::StrongFocus : Qt::NoFocus);
        if (control.styles & kTabStop) {
            if (previous != nullptr) {
                setTabOrder(previous, widget);
            }
            previous = widget;
        }
        if (control.id != IDC_STATIC) {
            m_controls[control.id] = widget;
        }
        label = qobject_cast<QLabel*>(widget);
    }
}

int CDialog::DoModal() {
    OnInitDialog();
    return exec() == QDialog::Accepted ? IDOK : IDCANCEL;
}

// The first control in Tab order takes the focus, as a dialog manager gives
// it, so that Tab goes on in the order in which a screen reader reads them.
bool CDialog::OnInitDialog() {
    for (int i = 0; i < m_template.controlCount; ++i) {
        if (m_template.controls[i].styles & kTabStop) {
            GetDlgItem(m_template.controls[i].id)->setFocus();
            break;
        }
    }
    return true;
}

QWidget* CDialog::GetDlgItem(int id) const {
    const auto found = m_controls.find(id);
    return found != m_controls.end() ? found->second : nullptr;
}

void CDialog::SetDlgItemText(int id, const std::string& text) {
    const QString shown = FromEightBit(text);
    QWidget* widget = GetDlgItem(id);
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(shown);
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        edit->setText(shown);
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(shown);
    }
}

std::string CDialog::GetDlgItemText(int id) const {
    QWidget* widget = GetDlgItem(id);
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        return ToEightBit(label->text());
    }
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        return ToEightBit(edit->text());
    }
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        return ToEightBit(button->text());
    }
    return std::string();
}

int CDialog::IsDlgButtonChecked(int id) const {
    auto* button = qobject_cast<QAbstractButton*>(GetDlgItem(id));
    return button != nullptr && button->isChecked() ? 1 : 0;
}

void MessageBox(const std::string& text, QWidget* parent) {
    QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), FromEightBit(text),
                    QMessageBox::Ok, parent);
    box.exec();
}
