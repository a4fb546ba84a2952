// The toolkit-free model of a dialog: a form owning named controls with the properties a user can
// see, and the events a form host delivers to it. The Win32 host builds a real window from this;
// the scripted host lets a test act as the user.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace telvora {

class Form;

// What shows a form modally: the Win32 form host, or the scripted user. The Ui port is one.
class FormHost {
public:
    FormHost() = default;
    virtual ~FormHost() = default;
    FormHost(const FormHost&) = delete;
    FormHost& operator=(const FormHost&) = delete;

    // Shows a loaded form and returns once it is hidden, unloaded or closed from its frame.
    // Callers go through Form::showModal, which loads the form first.
    virtual void runModal(Form& form) = 0;
};

enum class ControlKind { Label, TextBox, ComboBox, ListBox, CheckBox, OptionButton, Button, Frame, Line, Picture, LinkLabel };

// A combo box either takes typed text beside its list, or offers its list only (a drop-down list).
enum class ComboStyle { DropDownCombo, DropDownList };

// Colours as the dialogs give them: a value with the top bit set names a system colour by its index
// in the low byte (0x8000000F the button face, 0x80000000 the scroll bar); any other value is
// 0x00BBGGRR. A field that does not apply wears the button face, an applicable one is white.
inline constexpr std::uint32_t kButtonFace = 0x8000000F;
inline constexpr std::uint32_t kScrollBarGrey = 0x80000000;
inline constexpr std::uint32_t kWindowWhite = 0xFFFFFF;

// A control's own typeface; an empty name means the dialog's font.
struct Font {
    std::string name;
    double size = 0;  // points
    bool bold = false;
    bool operator==(const Font&) const = default;
};

inline constexpr int kKeyF1 = 112;
inline constexpr int kKeyReturn = 13;
inline constexpr int kKeyEscape = 27;

// The shift argument of KeyDown.
inline constexpr int kShiftMask = 1;
inline constexpr int kCtrlMask = 2;
inline constexpr int kAltMask = 4;

// Position and size in dialog units, measured in the form's client area.
struct Geometry {
    int x = 0, y = 0, width = 0, height = 0;
};

class Control;

// What changed, as a host that shows the form is told so the window can follow at once.
enum class Change {
    Text, Enabled, Locked, Visible, BackColor, Font, Default, Cancel, Value, ListIndex, Selection, Focus,
    ItemAdded, ItemChanged, ItemsCleared,
    // Of the form itself (no control):
    Caption, Hidden, Unloaded, Destroyed
};

// A host showing a form in a real window watches it: every change a handler makes to a property
// the user can see is reported as it happens, so the window never shows stale values (not even
// behind a message box the same handler opens next).
class FormObserver {
public:
    FormObserver() = default;
    virtual ~FormObserver() = default;
    FormObserver(const FormObserver&) = delete;
    FormObserver& operator=(const FormObserver&) = delete;

    // `control` is null for changes of the form itself; `index` names the list item for
    // ItemAdded and ItemChanged.
    virtual void changed(Control* control, Change what, int index) noexcept = 0;
};

class Control {
public:
    Control(Form& owner, ControlKind kind, std::string name, std::string caption, Geometry geometry,
            std::string group);
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& name() const noexcept { return name_; }
    ControlKind kind() const noexcept { return kind_; }
    Form& form() const noexcept { return owner_; }
    const Geometry& geometry() const noexcept { return geometry_; }
    // The frame an option button belongs to: option buttons of one group exclude each other.
    const std::string& group() const noexcept { return group_; }

    // Caption of labels, buttons, check boxes, option buttons and frames; text of text and combo
    // boxes. Changing the text of a text or combo box raises its Change event.
    const std::string& text() const noexcept { return text_; }
    void setText(const std::string& text);
    const std::string& caption() const noexcept { return text_; }
    void setCaption(const std::string& caption) { setText(caption); }

    bool enabled() const noexcept { return enabled_; }
    void setEnabled(bool v) { assign(enabled_, v, Change::Enabled); }
    bool locked() const noexcept { return locked_; }
    void setLocked(bool v) { assign(locked_, v, Change::Locked); }
    bool visible() const noexcept { return visible_; }
    void setVisible(bool v) { assign(visible_, v, Change::Visible); }
    // Labels, buttons, check and option buttons, frames and pictures start on the button face;
    // text, combo and list boxes start white.
    std::uint32_t backColor() const noexcept { return backColor_; }
    void setBackColor(std::uint32_t v) { assign(backColor_, v, Change::BackColor); }
    const Font& font() const noexcept { return font_; }
    void setFont(Font v) { assign(font_, std::move(v), Change::Font); }
    const std::string& tag() const noexcept { return tag_; }
    void setTag(std::string v) { tag_ = std::move(v); }
    bool isDefault() const noexcept { return default_; }
    void setDefault(bool v) { assign(default_, v, Change::Default); }
    bool isCancel() const noexcept { return cancel_; }
    void setCancel(bool v) { assign(cancel_, v, Change::Cancel); }
    // Combo boxes only. A drop-down list shows only its items: setting its text chooses the item
    // of that text (raising Click), and a text it does not list raises error 383.
    ComboStyle comboStyle() const noexcept { return comboStyle_; }
    void setComboStyle(ComboStyle v) { comboStyle_ = v; }
    // List boxes: the columns an item is shown in, each starting at its distance from the list's
    // left edge in dialog units, and how an item divides into their texts. The items themselves
    // stay whole; a host shows each text in its own column, cut at the next one. Without columns
    // an item is shown as one text.
    struct Columns {
        std::vector<int> starts;
        std::function<std::vector<std::string>(const std::string& item)> texts;
    };
    const Columns& columns() const noexcept { return columns_; }
    void setColumns(Columns v) { columns_ = std::move(v); }

    // Check box: 0 unchecked, 1 checked. Option button: 0 or 1. Changing it raises Click, and
    // checking an option button clears the others of its group.
    int value() const noexcept { return value_; }
    void setValue(int v);

    // List and combo boxes.
    const std::vector<std::string>& items() const noexcept { return items_; }
    void addItem(std::string item);
    // Replaces the text of one item in place (sorting a list swaps its entries this way); raises
    // "Invalid procedure call or argument" for an index outside the list.
    void setItem(int index, std::string item);
    void clear();
    int listCount() const noexcept { return static_cast<int>(items_.size()); }
    // -1 = nothing chosen. Choosing an item sets a combo box's text and raises Click.
    int listIndex() const noexcept { return listIndex_; }
    void setListIndex(int index);

    // Text and combo boxes, in characters. A host showing the form keeps these in step with the
    // window before every event it delivers.
    int selStart() const noexcept { return selStart_; }
    void setSelStart(int v);
    int selLength() const noexcept { return selLength_; }
    void setSelLength(int v);

    bool hasFocus() const noexcept;
    // Raises "Invalid procedure call or argument" on a hidden or disabled control, as a dialog does.
    void setFocus();

    // Event handlers, bound by the form to its members (cmdOK_Click and the like).
    std::function<void()> onClick;
    std::function<void()> onDblClick;
    std::function<void()> onChange;
    std::function<void()> onGotFocus;
    std::function<void()> onLostFocus;
    std::function<void(int& keyCode, int shift)> onKeyDown;

    // What a host does when the user acts on the control.
    void fireClick();
    void fireChange();

    // A host's record of where the user left the caret; raises no event and is not echoed back.
    void takeSelectionFromHost(int start, int length) noexcept;

private:
    template <class T>
    void assign(T& field, T value, Change what) {
        if (field == value) return;
        field = std::move(value);
        notify(what);
    }
    void notify(Change what, int index = -1) const noexcept;

    Form& owner_;
    ControlKind kind_;
    std::string name_;
    std::string text_;
    Geometry geometry_;
    std::string group_;
    bool enabled_ = true;
    bool locked_ = false;
    bool visible_ = true;
    bool default_ = false;
    bool cancel_ = false;
    std::uint32_t backColor_;
    Font font_;
    ComboStyle comboStyle_ = ComboStyle::DropDownCombo;
    Columns columns_;
    std::string tag_;
    int value_ = 0;
    std::vector<std::string> items_;
    int listIndex_ = -1;
    int selStart_ = 0;
    int selLength_ = 0;
};

// How a form comes to be unloaded, as its QueryUnload handler is told.
enum class UnloadMode { WindowFrame = 0, Code = 1 };

class Form {
public:
    Form(std::string name, std::string caption, Geometry size);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    const std::string& name() const noexcept { return name_; }
    const std::string& caption() const noexcept { return caption_; }
    void setCaption(std::string v);
    const std::string& tag() const noexcept { return tag_; }
    void setTag(std::string v) { tag_ = std::move(v); }
    const Geometry& size() const noexcept { return size_; }

    // Controls in tab order.
    const std::vector<std::unique_ptr<Control>>& controls() const noexcept { return controls_; }
    // Raises a run-time error for a name the form does not have.
    Control& control(const std::string& name) const;
    Control* focused() const noexcept { return focused_; }

    bool loaded() const noexcept { return loaded_; }
    bool visible() const noexcept { return visible_; }

    // Load runs Form_Load once; showModal loads if needed, shows, and returns when the form is
    // hidden or unloaded. Unload asks QueryUnload and Unload first; either may cancel.
    void load();
    void showModal(FormHost& host);
    void hide();
    // Answers false when the form cancelled its unloading.
    bool unload(UnloadMode mode = UnloadMode::Code);

    // Host entry points. A key goes to the form first (so F1 works anywhere in it), then, unless
    // the form consumed it by setting the code to 0, to the focused control; pressKey goes on to
    // click the default button for Return and the cancel button for Escape, as a dialog does.
    // keyDown stops after the control, for a host whose window system does that last step.
    void pressKey(int keyCode, int shift = 0);
    void keyDown(int& keyCode, int shift);
    void closeFromFrame() { (void)unload(UnloadMode::WindowFrame); }
    // The user moved the focus (by mouse or keyboard): LostFocus and GotFocus follow.
    void focusMovedByUser(Control& to) { moveFocus(&to); }

    // The host showing the form in a window watches it while it does; null to stop.
    void setObserver(FormObserver* observer) noexcept { observer_ = observer; }

protected:
    Control& add(ControlKind kind, const std::string& name, const std::string& caption, Geometry geometry,
                 const std::string& group = "");

    virtual void Form_Load() {}
    virtual void Form_KeyDown(int& /*keyCode*/, int /*shift*/) {}
    virtual void Form_QueryUnload(int& /*cancel*/, UnloadMode /*mode*/) {}
    virtual void Form_Unload(int& /*cancel*/) {}

private:
    friend class Control;
    void moveFocus(Control* to);
    void notify(Control* control, Change what, int index = -1) const noexcept {
        if (observer_) observer_->changed(control, what, index);
    }

    std::string name_;
    std::string caption_;
    std::string tag_;
    Geometry size_;
    std::vector<std::unique_ptr<Control>> controls_;
    Control* focused_ = nullptr;
    bool loaded_ = false;
    bool visible_ = false;
    FormObserver* observer_ = nullptr;
};

}  // namespace telvora
