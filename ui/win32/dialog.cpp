#include "ui/win32/dialog.h"

#include "res/resource.h"
#include "ui/display_text.h"
#include "ui/win32/wide_text.h"

namespace {

// The dialog manager's own window classes, by their atoms.
constexpr WORD kButton = 0x0080, kEdit = 0x0081, kStatic = 0x0082, kListBox = 0x0083;

DWORD WindowStyle(const ControlTemplate& control) {
    const uint32_t s = control.styles;
    DWORD style = WS_CHILD | WS_VISIBLE | (s & kTabStop ? WS_TABSTOP : 0) |
                  (s & kBorder ? WS_BORDER : 0) | (s & kVScroll ? WS_VSCROLL : 0);
    switch (control.kind) {
        case ControlKind::PushButton:
            return style | BS_PUSHBUTTON;
        case ControlKind::DefaultPushButton:
            return style | BS_DEFPUSHBUTTON;
        case ControlKind::AutoCheckBox:
            return style | BS_AUTOCHECKBOX;
        case ControlKind::ListBox:
            return style | (s & kNotify ? LBS_NOTIFY : 0) |
                   (s & kNoIntegralHeight ? LBS_NOINTEGRALHEIGHT : 0);
        case ControlKind::Edit:
            return style | ES_LEFT | (s & kAutoHScroll ? ES_AUTOHSCROLL : 0) |
                   (s & kPassword ? ES_PASSWORD : 0);
        case ControlKind::StaticText:  // one line, even in a font a little wider than planned
            return style | SS_LEFTNOWORDWRAP | (s & kNoPrefix ? SS_NOPREFIX : 0);
    }
    return style;
}

WORD ControlClass(ControlKind kind) {
    return kind == ControlKind::ListBox      ? kListBox
           : kind == ControlKind::Edit       ? kEdit
           : kind == ControlKind::StaticText ? kStatic
                                             : kButton;
}

// Writes an extended dialog template (DLGTEMPLATEEX, then one
// DLGITEMTEMPLATEEX per control on a DWORD boundary) word by word.
struct TemplateWriter {
    void Word(WORD word) { words.push_back(word); }
    void Dword(DWORD dword) {
        Word(LOWORD(dword));
        Word(HIWORD(dword));
    }
    void Text(const std::string& utf8) {
        for (wchar_t c : Widen(utf8)) {
            Word(c);
        }
        Word(0);
    }
    void Box(int x, int y, int width, int height) {
        for (int value : {x, y, width, height}) {
            Word(static_cast<WORD>(value));
        }
    }
    std::vector<WORD> words;
};

}  // namespace

CDialog::CDialog(const DialogTemplate& dialogTemplate, HWND parent) : m_parent(parent) {
    const DialogTemplate& t = dialogTemplate;
    const uint32_t s = t.styles;
    TemplateWriter out;
    out.Word(1);       // version
    out.Word(0xFFFF);  // an extended template
    out.Dword(0);      // help id
    out.Dword(s & kAppWindow ? WS_EX_APPWINDOW : 0);
    out.Dword(DS_SETFONT | DS_CENTER | (s & kPopup ? WS_POPUP : 0) |
              (s & kVisible ? WS_VISIBLE : 0) | (s & kCaption ? WS_CAPTION : 0) |
              (s & kSystemMenu ? WS_SYSMENU : 0) | (s & kModalFrame ? DS_MODALFRAME : 0));
    out.Word(static_cast<WORD>(t.controlCount));
    out.Box(0, 0, t.width, t.height);
    out.Word(0);  // no menu
    out.Word(0);  // the dialog class
    out.Text(t.caption);
    out.Word(static_cast<WORD>(t.fontPoints));
    out.Word(FW_NORMAL);
    out.Word(DEFAULT_CHARSET << 8);  // not italic
    out.Text(t.fontName);
    for (int i = 0; i < t.controlCount; ++i) {
        const ControlTemplate& control = t.controls[i];
        if (out.words.size() % 2 != 0) {
            out.Word(0);
        }
        out.Dword(0);  // help id
        out.Dword(0);  // extended style
        out.Dword(WindowStyle(control));
        out.Box(control.x, control.y, control.width, control.height);
        out.Dword(static_cast<DWORD>(control.id));
        out.Word(0xFFFF);
        out.Word(ControlClass(control.kind));
        out.Text(control.text);
        out.Word(0);  // no creation data
    }
    m_template = std::move(out.words);
}

INT_PTR CDialog::DoModal() {
    return DialogBoxIndirectParamW(GetModuleHandleW(nullptr),
                                   reinterpret_cast<LPCDLGTEMPLATEW>(m_template.data()), m_parent,
                                   DialogProc, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        reinterpret_cast<CDialog*>(lParam)->m_hWnd = window;
    }
    auto* dialog = reinterpret_cast<CDialog*>(GetWindowLongPtrW(window, DWLP_USER));
    return dialog != nullptr ? dialog->OnMessage(message, wParam, lParam) : FALSE;
}

INT_PTR CDialog::OnMessage(UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        return OnInitDialog();
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(m_hWnd, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

std::string CDialog::GetDlgItemText(int id) const {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(GetDlgItem(m_hWnd, id))) + 1, L'\0');
    text.resize(GetDlgItemTextW(m_hWnd, id, text.data(), static_cast<int>(text.size())));
    return Narrow(text);
}

void CDialog::SetDlgItemText(int id, const std::string& text) {
    SetDlgItemTextW(m_hWnd, id, Widen(DisplayText(text)).c_str());
}

void MessageBox(HWND owner, const std::string& text) {
    MessageBoxW(owner, Widen(text).c_str(), L"Tarvik", MB_OK);
}
