// Building the dialog template of a form.
#include "win32/dialog_template.h"

#include <limits>

#include "base/errors.h"
#include "win32/text.h"

namespace telvora::win32 {
namespace {

// Appends the parts of a DLGTEMPLATEEX and its DLGITEMTEMPLATEEX entries.
class TemplateWriter {
public:
    void word(WORD w) { data_.push_back(w); }
    void dword(DWORD d) {
        word(LOWORD(d));
        word(HIWORD(d));
    }
    void coordinate(int v) {
        if (v < std::numeric_limits<short>::min() || v > std::numeric_limits<short>::max())
            throw RuntimeError::standard(err::Overflow);
        word(static_cast<WORD>(static_cast<short>(v)));
    }
    void text(const std::wstring& s) {
        for (wchar_t c : s) word(static_cast<WORD>(c));
        word(0);
    }
    // Each item starts on a DWORD boundary.
    void alignToDword() {
        if (data_.size() % 2 != 0) word(0);
    }
    std::vector<WORD> take() { return std::move(data_); }

private:
    std::vector<WORD> data_;
};

}  // namespace

ControlClass controlClassOf(const Control& control) {
    switch (control.kind()) {
    case ControlKind::Label:
        // Labels wrap their caption and report clicks; "&" marks a mnemonic that moves to the
        // next field, as dialog labels do.
        return {L"STATIC", SS_LEFT | SS_NOTIFY | WS_GROUP, 0};
    case ControlKind::LinkLabel:
        // Drawn by the dialog as blue link text, but a button underneath: it takes the focus with
        // Tab and answers Space like any button.
        return {L"BUTTON", BS_OWNERDRAW | BS_NOTIFY | WS_TABSTOP | WS_GROUP, 0};
    case ControlKind::TextBox:
        return {L"EDIT", ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP, WS_EX_CLIENTEDGE};
    case ControlKind::ComboBox:
        return {L"COMBOBOX",
                static_cast<DWORD>(control.comboStyle() == ComboStyle::DropDownList ? CBS_DROPDOWNLIST
                                                                                     : CBS_DROPDOWN | CBS_AUTOHSCROLL) |
                    WS_VSCROLL | WS_TABSTOP | WS_GROUP,
                0};
    case ControlKind::ListBox:
        // A list with columns draws each item's texts in them itself; the strings stay the items.
        if (!control.columns().starts.empty())
            return {L"LISTBOX",
                    LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP |
                        WS_GROUP,
                    WS_EX_CLIENTEDGE};
        return {L"LISTBOX",
                LBS_NOTIFY | LBS_USETABSTOPS | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP | WS_GROUP,
                WS_EX_CLIENTEDGE};
    case ControlKind::CheckBox:
        // Not automatic: the form decides the value, the window shows it.
        return {L"BUTTON", BS_CHECKBOX | BS_MULTILINE | BS_NOTIFY | WS_TABSTOP | WS_GROUP, 0};
    case ControlKind::OptionButton:
        // Not automatic either, and each its own group: the form keeps the options of one frame
        // exclusive and the host moves between them with the arrow keys. The tab stop goes to
        // the chosen option of each frame once the dialog is up.
        return {L"BUTTON", BS_RADIOBUTTON | BS_MULTILINE | BS_NOTIFY | WS_GROUP, 0};
    case ControlKind::Button:
        return {L"BUTTON",
                static_cast<DWORD>(control.isDefault() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | BS_NOTIFY | WS_TABSTOP |
                    WS_GROUP,
                0};
    case ControlKind::Frame: return {L"BUTTON", BS_GROUPBOX | WS_GROUP, WS_EX_TRANSPARENT};
    case ControlKind::Line: {
        const Geometry& g = control.geometry();
        return {L"STATIC", static_cast<DWORD>(g.width >= g.height ? SS_ETCHEDHORZ : SS_ETCHEDVERT), 0};
    }
    case ControlKind::Picture: return {L"STATIC", SS_ICON | SS_CENTERIMAGE | SS_NOTIFY, 0};
    }
    return {L"STATIC", SS_LEFT, 0};
}

std::vector<WORD> buildDialogTemplate(const Form& form) {
    const auto& controls = form.controls();
    if (controls.size() > static_cast<std::size_t>(std::numeric_limits<WORD>::max() - kFirstControlId))
        throw RuntimeError::standard(err::Overflow);

    TemplateWriter t;
    t.word(1);       // dlgVer
    t.word(0xFFFF);  // signature: the extended template
    t.dword(0);      // helpID
    t.dword(0);      // exStyle
    t.dword(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT);
    t.word(static_cast<WORD>(controls.size()));
    t.coordinate(0);
    t.coordinate(0);
    t.coordinate(form.size().width);
    t.coordinate(form.size().height);
    t.word(0);  // no menu
    t.word(0);  // the dialog class
    t.text(widen(form.caption()));
    t.word(8);  // points
    t.word(FW_NORMAL);
    t.word(MAKEWORD(FALSE, DEFAULT_CHARSET));  // italic, charset
    t.text(L"MS Shell Dlg");

    int id = kFirstControlId;
    for (const auto& c : controls) {
        const ControlClass cls = controlClassOf(*c);
        const Geometry& g = c->geometry();
        DWORD style = cls.style | WS_CHILD;
        if (c->visible()) style |= WS_VISIBLE;
        if (!c->enabled()) style |= WS_DISABLED;
        t.alignToDword();
        t.dword(0);  // helpID
        t.dword(cls.exStyle);
        t.dword(style);
        t.coordinate(g.x);
        t.coordinate(g.y);
        t.coordinate(g.width);
        // A combo box's height in a template is its field plus its dropped list.
        t.coordinate(c->kind() == ControlKind::ComboBox ? g.height + kComboListHeight : g.height);
        t.dword(static_cast<DWORD>(id++));
        t.text(cls.className);
        t.text(c->kind() == ControlKind::Picture || c->kind() == ControlKind::Line ? std::wstring() : widen(c->text()));
        t.word(0);  // no creation data
    }
    return t.take();
}

}  // namespace telvora::win32
