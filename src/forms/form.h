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

// System colours as the dialogs use them: a field that does not apply wears the button face.
inline constexpr std::uint32_t kButtonFace = 0x8000000F;
inline constexpr std::uint32_t kWindowWhite = 0xFFFFFF;

inline constexpr int kKeyF1 = 112;
inline constexpr int kKeyReturn = 13;
inline constexpr int kKeyEscape = 27;

// Position and size in dialog units.
struct Geometry {
    int x = 0, y = 0, width = 0, height = 0;
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
    void setEnabled(bool v) { enabled_ = v; }
    bool locked() const noexcept { return locked_; }
    void setLocked(bool v) { locked_ = v; }
    bool visible() const noexcept { return visible_; }
    void setVisible(bool v) { visible_ = v; }
    std::uint32_t backColor() const noexcept { return backColor_; }
    void setBackColor(std::uint32_t v) { backColor_ = v; }
    const std::string& tag() const noexcept { return tag_; }
    void setTag(std::string v) { tag_ = std::move(v); }
    bool isDefault() const noexcept { return default_; }
    void setDefault(bool v) { default_ = v; }
    bool isCancel() const noexcept { return cancel_; }
    void setCancel(bool v) { cancel_ = v; }

    // Check box: 0 unchecked, 1 checked. Option button: 0 or 1. Changing it raises Click, and
    // checking an option button clears the others of its group.
    int value() const noexcept { return value_; }
    void setValue(int v);

    // List and combo boxes.
    const std::vector<std::string>& items() const noexcept { return items_; }
    void addItem(std::string item);
    void clear();
    int listCount() const noexcept { return static_cast<int>(items_.size()); }
    // -1 = nothing chosen. Choosing an item sets a combo box's text and raises Click.
    int listIndex() const noexcept { return listIndex_; }
    void setListIndex(int index);

    // Text boxes.
    int selStart() const noexcept { return selStart_; }
    void setSelStart(int v) { selStart_ = v; }
    int selLength() const noexcept { return selLength_; }
    void setSelLength(int v) { selLength_ = v; }

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

private:
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
    std::uint32_t backColor_ = kWindowWhite;
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
    virtual ~Form() = default;
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    const std::string& name() const noexcept { return name_; }
    const std::string& caption() const noexcept { return caption_; }
    void setCaption(std::string v) { caption_ = std::move(v); }
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
    // the form consumed it by setting the code to 0, to the focused control.
    void pressKey(int keyCode, int shift = 0);
    void closeFromFrame() { (void)unload(UnloadMode::WindowFrame); }

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

    std::string name_;
    std::string caption_;
    std::string tag_;
    Geometry size_;
    std::vector<std::unique_ptr<Control>> controls_;
    Control* focused_ = nullptr;
    bool loaded_ = false;
    bool visible_ = false;
};

}  // namespace telvora
