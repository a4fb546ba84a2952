// Behaviour of the form model shared by every host: events raised by property changes, option
// groups, focus, key preview and the load / show / hide / unload cycle.
#include "forms/form.h"

#include <algorithm>

#include "base/errors.h"

namespace telvora {

namespace {

// Fields wear the window colour, everything else the dialog's own face.
std::uint32_t defaultBackColor(ControlKind kind) noexcept {
    switch (kind) {
    case ControlKind::TextBox:
    case ControlKind::ComboBox:
    case ControlKind::ListBox: return kWindowWhite;
    default: return kButtonFace;
    }
}

}  // namespace

Control::Control(Form& owner, ControlKind kind, std::string name, std::string caption, Geometry geometry,
                 std::string group)
    : owner_(owner), kind_(kind), name_(std::move(name)), text_(std::move(caption)), geometry_(geometry),
      group_(std::move(group)), backColor_(defaultBackColor(kind)) {}

void Control::notify(Change what, int index) const noexcept { owner_.notify(const_cast<Control*>(this), what, index); }

void Control::setText(const std::string& text) {
    if (text == text_) return;
    if (kind_ == ControlKind::ComboBox && comboStyle_ == ComboStyle::DropDownList) {
        // A drop-down list shows only what it lists: its text is the chosen item's.
        const auto it = std::find(items_.begin(), items_.end(), text);
        if (it == items_.end()) throw RuntimeError::standard(err::TextReadOnly);
        setListIndex(static_cast<int>(it - items_.begin()));
        return;
    }
    text_ = text;
    notify(Change::Text);
    if (kind_ == ControlKind::TextBox || kind_ == ControlKind::ComboBox) fireChange();
}

void Control::setValue(int v) {
    if (v == value_) return;
    value_ = v;
    notify(Change::Value);
    if (kind_ == ControlKind::OptionButton && v != 0) {
        for (const auto& other : owner_.controls_) {
            if (other.get() != this && other->kind_ == ControlKind::OptionButton && other->group_ == group_ &&
                other->value_ != 0) {
                other->value_ = 0;
                other->notify(Change::Value);
            }
        }
    }
    if (kind_ == ControlKind::CheckBox || (kind_ == ControlKind::OptionButton && v != 0)) fireClick();
}

void Control::addItem(std::string item) {
    items_.push_back(std::move(item));
    notify(Change::ItemAdded, listCount() - 1);
}

void Control::setItem(int index, std::string item) {
    if (index < 0 || index >= listCount()) throw RuntimeError::standard(err::InvalidProcedureCall);
    auto& slot = items_[static_cast<std::size_t>(index)];
    if (slot == item) return;
    slot = std::move(item);
    notify(Change::ItemChanged, index);
    if (index == listIndex_ && kind_ == ControlKind::ComboBox && text_ != slot) {
        text_ = slot;
        notify(Change::Text);
    }
}

void Control::clear() {
    items_.clear();
    listIndex_ = -1;
    notify(Change::ItemsCleared);
    if (kind_ == ControlKind::ComboBox && !text_.empty()) {
        text_.clear();
        notify(Change::Text);
    }
}

void Control::setListIndex(int index) {
    if (index < -1 || index >= listCount()) throw RuntimeError::standard(err::InvalidProcedureCall);
    if (index == listIndex_) return;
    listIndex_ = index;
    notify(Change::ListIndex);
    if (kind_ == ControlKind::ComboBox && index >= 0 && text_ != items_[static_cast<std::size_t>(index)]) {
        text_ = items_[static_cast<std::size_t>(index)];
        notify(Change::Text);
    }
    fireClick();
}

void Control::setSelStart(int v) {
    selStart_ = v;
    notify(Change::Selection);
}

void Control::setSelLength(int v) {
    selLength_ = v;
    notify(Change::Selection);
}

void Control::takeSelectionFromHost(int start, int length) noexcept {
    selStart_ = start;
    selLength_ = length;
}

bool Control::hasFocus() const noexcept { return owner_.focused_ == this; }

void Control::setFocus() {
    if (!visible_ || !enabled_) throw RuntimeError::standard(err::InvalidProcedureCall);
    owner_.moveFocus(this);
}

void Control::fireClick() {
    if (onClick) onClick();
}

void Control::fireChange() {
    if (onChange) onChange();
}

Form::Form(std::string name, std::string caption, Geometry size)
    : name_(std::move(name)), caption_(std::move(caption)), size_(size) {}

// A host still showing the form must let go of it before it is gone.
Form::~Form() { notify(nullptr, Change::Destroyed); }

void Form::setCaption(std::string v) {
    if (v == caption_) return;
    caption_ = std::move(v);
    notify(nullptr, Change::Caption);
}

Control& Form::add(ControlKind kind, const std::string& name, const std::string& caption, Geometry geometry,
                   const std::string& group) {
    controls_.push_back(std::make_unique<Control>(*this, kind, name, caption, geometry, group));
    return *controls_.back();
}

Control& Form::control(const std::string& name) const {
    for (const auto& c : controls_) {
        if (c->name() == name) return *c;
    }
    throw RuntimeError(err::InvalidProcedureCall, "Form " + name_ + " has no control named " + name);
}

void Form::moveFocus(Control* to) {
    if (focused_ == to) return;
    Control* from = focused_;
    focused_ = to;
    notify(to, Change::Focus);
    if (from && from->onLostFocus) from->onLostFocus();
    if (to && to->onGotFocus) to->onGotFocus();
}

void Form::load() {
    if (loaded_) return;
    loaded_ = true;
    Form_Load();
}

void Form::showModal(FormHost& host) {
    load();
    if (!loaded_) return;  // Form_Load unloaded it again
    if (!focused_) {
        for (const auto& c : controls_) {
            const bool focusable = c->kind() != ControlKind::Label && c->kind() != ControlKind::Frame &&
                                   c->kind() != ControlKind::Line && c->kind() != ControlKind::Picture &&
                                   c->kind() != ControlKind::LinkLabel;
            if (focusable && c->visible() && c->enabled()) {
                moveFocus(c.get());
                break;
            }
        }
    }
    const bool wasVisible = visible_;
    visible_ = true;
    try {
        host.runModal(*this);
    } catch (...) {
        // A form that could not be shown is not showing.
        if (!wasVisible) visible_ = false;
        throw;
    }
    // A host that returns with the form still up has lost its user; never leave it showing.
    visible_ = false;
}

void Form::hide() {
    if (!visible_) return;
    visible_ = false;
    notify(nullptr, Change::Hidden);
}

bool Form::unload(UnloadMode mode) {
    if (!loaded_) return true;
    int cancel = 0;
    Form_QueryUnload(cancel, mode);
    if (cancel != 0) return false;
    Form_Unload(cancel);
    if (cancel != 0) return false;
    loaded_ = false;
    visible_ = false;
    focused_ = nullptr;
    notify(nullptr, Change::Unloaded);
    return true;
}

void Form::keyDown(int& keyCode, int shift) {
    Form_KeyDown(keyCode, shift);
    if (keyCode == 0) return;
    if (focused_ && focused_->onKeyDown) focused_->onKeyDown(keyCode, shift);
}

void Form::pressKey(int keyCode, int shift) {
    keyDown(keyCode, shift);
    if (keyCode == 0) return;
    // Return and Escape reach the default and cancel buttons, as in any dialog.
    for (const auto& c : controls_) {
        const bool target = (keyCode == kKeyReturn && c->isDefault()) || (keyCode == kKeyEscape && c->isCancel());
        if (target && c->visible() && c->enabled()) {
            c->fireClick();
            return;
        }
    }
}

}  // namespace telvora
