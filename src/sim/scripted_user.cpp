// The scripted user.
#include "sim/scripted_user.h"

#include <algorithm>

#include "base/errors.h"

namespace telvora::sim {

UserStep typeInto(std::string control, std::string text) {
    return {UserStep::Kind::Type, std::move(control), std::move(text)};
}
UserStep choose(std::string control, std::string item) {
    return {UserStep::Kind::Choose, std::move(control), std::move(item)};
}
UserStep click(std::string control) { return {UserStep::Kind::Click, std::move(control), {}}; }
UserStep pressKey(int keyCode, int shift) { return {UserStep::Kind::Key, {}, {}, keyCode, shift}; }
UserStep closeWindow() { return {UserStep::Kind::CloseWindow, {}, {}}; }

const char* toString(MsgButtons b) noexcept {
    switch (b) {
    case MsgButtons::OK: return "OK";
    case MsgButtons::OKCancel: return "OK/Cancel";
    case MsgButtons::YesNo: return "Yes/No";
    case MsgButtons::RetryCancel: return "Retry/Cancel";
    }
    return "?";
}

const char* toString(MsgIcon i) noexcept {
    switch (i) {
    case MsgIcon::None: return "none";
    case MsgIcon::Critical: return "critical";
    case MsgIcon::Question: return "question";
    case MsgIcon::Exclamation: return "exclamation";
    case MsgIcon::Information: return "information";
    }
    return "?";
}

const char* toString(MsgResult r) noexcept {
    switch (r) {
    case MsgResult::OK: return "OK";
    case MsgResult::Cancel: return "Cancel";
    case MsgResult::Yes: return "Yes";
    case MsgResult::No: return "No";
    case MsgResult::Retry: return "Retry";
    }
    return "?";
}

void ScriptedUser::onForm(std::string formName, std::vector<UserStep> steps) {
    scripts_.push_back({std::move(formName), std::deque<UserStep>(steps.begin(), steps.end())});
}

MsgResult ScriptedUser::messageBox(const std::string& prompt, MsgButtons buttons, MsgIcon icon,
                                   const std::string& title) {
    auto fits = [buttons](MsgResult r) {
        switch (buttons) {
        case MsgButtons::OK: return r == MsgResult::OK;
        case MsgButtons::OKCancel: return r == MsgResult::OK || r == MsgResult::Cancel;
        case MsgButtons::YesNo: return r == MsgResult::Yes || r == MsgResult::No;
        case MsgButtons::RetryCancel: return r == MsgResult::Retry || r == MsgResult::Cancel;
        }
        return false;
    };
    // Nobody answering a question is taken as the safe refusal.
    MsgResult result = buttons == MsgButtons::OK ? MsgResult::OK
                       : buttons == MsgButtons::YesNo ? MsgResult::No
                                                      : MsgResult::Cancel;
    if (!answers_.empty() && (buttons != MsgButtons::OK || answers_.front() == MsgResult::OK)) {
        if (fits(answers_.front())) {
            result = answers_.front();
        } else {
            problem(std::string("answer ") + toString(answers_.front()) + " does not fit the buttons " +
                    toString(buttons) + " of message: " + prompt);
        }
        answers_.pop_front();
    } else if (buttons != MsgButtons::OK) {
        if (unscripted_.answer && fits(unscripted_.answer(buttons)))
            result = unscripted_.answer(buttons);
        else
            problem("message box left unanswered: " + prompt);
    }
    messages_.push_back({prompt, buttons, icon, title, result});
    transcript_.push_back("message [" + title + ", " + toString(icon) + ", " + toString(buttons) + " -> " +
                          toString(result) + "]: " + prompt);
    if (observer_) observer_->messageShown(messages_.back());
    return result;
}

PreviewAnswer ScriptedUser::showFaxPreview(const FaxPreviewRequest& request) {
    PreviewRecord record{request, readFaxImage_ ? readFaxImage_(request.imageFile) : std::string(), PreviewAnswer::Cancel};
    if (!previewAnswers_.empty()) {
        record.answer = previewAnswers_.front();
        previewAnswers_.pop_front();
    } else if (unscripted_.answer) {
        record.answer = unscripted_.answer(MsgButtons::OKCancel) == MsgResult::OK ? PreviewAnswer::Send : PreviewAnswer::Cancel;
    } else {
        problem("fax preview left unanswered: the fax to " + request.number);
    }
    previews_.push_back(record);
    transcript_.push_back("preview of the fax to " + request.number + " (" + record.image + ") -> " +
                          (record.answer == PreviewAnswer::Send ? "Send" : "Cancel"));
    if (observer_) observer_->previewShown(previews_.back());
    return record.answer;
}

void ScriptedUser::forceClose(Form& form) {
    if (form.visible()) form.closeFromFrame();
    if (form.visible()) form.hide();
}

std::vector<ControlState> visibleControls(const Form& form) {
    std::vector<ControlState> states;
    for (const auto& c : form.controls()) {
        if (!c->visible() || c->kind() == ControlKind::Line || c->kind() == ControlKind::Picture) continue;
        states.push_back({c->name(), c->kind(), c->text(), c->enabled(), c->locked(), c->value(), c->items(),
                          c->listIndex()});
    }
    return states;
}

void ScriptedUser::runModal(Form& form) {
    FormRecord record{form.name(), form.caption(), {}, visibleControls(form)};
    for (const auto& control : form.controls()) {
        if (control->kind() == ControlKind::TextBox || control->kind() == ControlKind::ComboBox)
            record.texts[control->name()] = control->text();
    }
    forms_.push_back(std::move(record));
    transcript_.push_back("form " + form.name() + ": " + form.caption());
    if (observer_) observer_->formShown(forms_.back());
    if (scripts_.empty()) {
        if (unscripted_.act) {
            runSteps(form, [&] {
                const auto steps = unscripted_.act(form);
                return std::deque<UserStep>(steps.begin(), steps.end());
            }(), false);
            return;
        }
        problem("form " + form.name() + " was shown but no script was given for it");
        forceClose(form);
        return;
    }
    FormScript script = std::move(scripts_.front());
    scripts_.pop_front();
    if (script.formName != form.name()) {
        problem("expected form " + script.formName + " but " + form.name() + " was shown");
        forceClose(form);
        return;
    }
    runSteps(form, std::move(script.steps), true);
}

void ScriptedUser::runSteps(Form& form, std::deque<UserStep> steps, bool scripted) {
    while (form.visible() && !steps.empty()) {
        const UserStep step = steps.front();
        steps.pop_front();
        if (observer_) observer_->acted(form.name(), step);
        perform(form, step);
    }
    if (scripted && !steps.empty()) {
        problem("form " + form.name() + " closed with " + std::to_string(steps.size()) + " script step(s) unused");
    }
    if (form.visible()) {
        problem("the script for form " + form.name() + " ended with the form still open");
        forceClose(form);
    }
}

void ScriptedUser::perform(Form& form, const UserStep& step) {
    try {
        if (step.kind == UserStep::Kind::Key) {
            form.pressKey(step.keyCode, step.shift);
            return;
        }
        if (step.kind == UserStep::Kind::CloseWindow) {
            form.closeFromFrame();
            return;
        }
        Control& c = form.control(step.control);
        if (!c.visible() || !c.enabled()) {
            problem("the user cannot reach " + form.name() + "." + c.name() + ": it is hidden or disabled");
            return;
        }
        switch (step.kind) {
        case UserStep::Kind::Type:
            if (c.locked() || (c.kind() != ControlKind::TextBox && c.kind() != ControlKind::ComboBox) ||
                (c.kind() == ControlKind::ComboBox && c.comboStyle() == ComboStyle::DropDownList)) {
                problem("the user cannot type into " + form.name() + "." + c.name());
                return;
            }
            c.setFocus();
            c.setText(step.text);
            break;
        case UserStep::Kind::Choose: {
            const auto& items = c.items();
            const auto it = std::find(items.begin(), items.end(), step.text);
            if (it == items.end()) {
                problem(form.name() + "." + c.name() + " has no item \"" + step.text + "\"");
                return;
            }
            c.setFocus();
            c.setListIndex(static_cast<int>(it - items.begin()));
            break;
        }
        case UserStep::Kind::Click:
            if (c.kind() == ControlKind::CheckBox) {
                c.setFocus();
                c.setValue(c.value() == 0 ? 1 : 0);
            } else if (c.kind() == ControlKind::OptionButton) {
                c.setFocus();
                c.setValue(1);  // clicking the chosen option again changes nothing
            } else {
                if (c.kind() == ControlKind::Button || c.kind() == ControlKind::TextBox) c.setFocus();
                c.fireClick();
            }
            break;
        default: break;
        }
    } catch (...) {
        const RuntimeError e = currentAsRuntimeError();
        problem("an event handler of form " + form.name() + " raised error " + std::to_string(e.number()) + ": " +
                e.description());
    }
}

std::string ScriptedUser::finish() {
    std::string text;
    for (const auto& p : finishProblems()) text += (text.empty() ? "" : "\n") + p;
    return text;
}

std::vector<std::string> ScriptedUser::finishProblems() {
    std::vector<std::string> all = std::move(problems_);
    problems_.clear();
    if (!answers_.empty()) all.push_back(std::to_string(answers_.size()) + " message box answer(s) unused");
    if (!previewAnswers_.empty()) all.push_back(std::to_string(previewAnswers_.size()) + " preview answer(s) unused");
    previewAnswers_.clear();
    for (const auto& s : scripts_) all.push_back("the script for form " + s.formName + " was never used");
    answers_.clear();
    scripts_.clear();
    return all;
}

}  // namespace telvora::sim
