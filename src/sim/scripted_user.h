// A scripted user for tests and the simulator: answers message boxes from a queue, acts on each
// form shown from that form's script, and keeps a transcript of everything it saw. Whatever goes
// against the script (a question nobody answered, a form nobody expected, a step left unused, a
// click on a disabled control) is collected as a problem, and the form is closed so the command
// never hangs; `finish()` lists the problems.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "forms/form.h"
#include "ports/fax_preview.h"
#include "ports/ui.h"

namespace telvora::sim {

struct MessageRecord {
    std::string prompt;
    MsgButtons buttons;
    MsgIcon icon;
    std::string title;
    MsgResult answer;
};

// A control as the user saw it: its caption or text, whether it could be used, and the choice it
// shows (a check box's or option button's value, a list's items and the one chosen).
struct ControlState {
    std::string name;
    ControlKind kind = ControlKind::Label;
    std::string text;
    bool enabled = true;
    bool locked = false;
    int value = 0;
    std::vector<std::string> items;
    int listIndex = -1;
};

struct FormRecord {
    std::string name;
    std::string caption;
    // The text of each text box and combo box by control name, as the form was shown: what the
    // user saw before acting.
    std::map<std::string, std::string> texts;
    // Every visible control in tab order (lines and pictures left out: they say nothing), as shown.
    std::vector<ControlState> controls;
};

// A fax shown to the user before it was sent, what its image held, and the user's choice.
struct PreviewRecord {
    FaxPreviewRequest request;
    std::string image;  // the pages as the user saw them: count, size and resolution
    PreviewAnswer answer = PreviewAnswer::Cancel;
};

struct UserStep {
    enum class Kind { Type, Choose, Click, Key, CloseWindow } kind;
    std::string control;  // empty for keys to the form and for closing the window
    std::string text;     // typed text or chosen item
    int keyCode = 0;
    int shift = 0;
};

UserStep typeInto(std::string control, std::string text);
UserStep choose(std::string control, std::string item);
UserStep click(std::string control);
UserStep pressKey(int keyCode, int shift = 0);
UserStep closeWindow();

// Told of what the user sees and does as it happens, so a transcript can put it between what the
// machine does (prints, fax jobs) in the order it all took place.
class UserObserver {
public:
    UserObserver() = default;
    virtual ~UserObserver() = default;
    UserObserver(const UserObserver&) = delete;
    UserObserver& operator=(const UserObserver&) = delete;

    virtual void formShown(const FormRecord& form) = 0;
    virtual void acted(const std::string& formName, const UserStep& step) = 0;
    // After the user answered it.
    virtual void messageShown(const MessageRecord& message) = 0;
    // After the user answered it.
    virtual void previewShown(const PreviewRecord&) {}
};

// What the user does where the script says nothing. Without it, every unscripted question and form
// is a problem (a question gets the safe refusal, a form is closed). With it, a question gets
// `answer`'s choice for its buttons and a form gets `act`'s steps, and neither is a problem: steps
// left once the form closed are simply not taken (a way out after an attempt the form refused).
struct UnscriptedUser {
    std::function<MsgResult(MsgButtons)> answer;
    std::function<std::vector<UserStep>(const Form&)> act;
};

class ScriptedUser final : public Ui, public FaxPreview {
public:
    void setObserver(UserObserver* observer) noexcept { observer_ = observer; }
    void setUnscripted(UnscriptedUser policy) { unscripted_ = std::move(policy); }

    // The answers to the next message boxes, in order. A box with only an OK button needs none.
    void answer(MsgResult result) { answers_.push_back(result); }
    // The script for the next form shown; forms are matched in the order they are shown.
    void onForm(std::string formName, std::vector<UserStep> steps);
    // The answers to the next fax previews, in order. A preview nobody answers is cancelled (and a
    // problem, unless the unscripted user's OK or Cancel answers it): nothing is sent unasked.
    void answerPreview(PreviewAnswer answer) { previewAnswers_.push_back(answer); }
    // How the user reads a fax image file, for the record of each preview; without it the record
    // says nothing of the pages.
    void setFaxImageReader(std::function<std::string(const std::string& imageFile)> reader) {
        readFaxImage_ = std::move(reader);
    }

    MsgResult messageBox(const std::string& prompt, MsgButtons buttons, MsgIcon icon, const std::string& title) override;
    void runModal(Form& form) override;
    PreviewAnswer showFaxPreview(const FaxPreviewRequest& request) override;
    const std::vector<PreviewRecord>& previews() const noexcept { return previews_; }

    const std::vector<MessageRecord>& messages() const noexcept { return messages_; }
    const std::vector<FormRecord>& forms() const noexcept { return forms_; }
    // Every message box and form in order, one line each, for readable assertions.
    const std::vector<std::string>& transcript() const noexcept { return transcript_; }

    // The problems met so far plus whatever the test queued and nothing used; "" when the script
    // was followed exactly. Clears the queues.
    std::string finish();
    // The same, one entry a problem (a problem may quote a message of several lines).
    std::vector<std::string> finishProblems();

private:
    struct FormScript {
        std::string formName;
        std::deque<UserStep> steps;
    };
    void problem(std::string text) { problems_.push_back(std::move(text)); }
    void perform(Form& form, const UserStep& step);
    void forceClose(Form& form);
    void runSteps(Form& form, std::deque<UserStep> steps, bool scripted);

    std::deque<MsgResult> answers_;
    std::deque<PreviewAnswer> previewAnswers_;
    std::vector<PreviewRecord> previews_;
    std::function<std::string(const std::string&)> readFaxImage_;
    std::deque<FormScript> scripts_;
    std::vector<MessageRecord> messages_;
    std::vector<FormRecord> forms_;
    std::vector<std::string> transcript_;
    std::vector<std::string> problems_;
    UserObserver* observer_ = nullptr;
    UnscriptedUser unscripted_;
};

// The state of a form's visible controls, as a user looking at it sees them.
std::vector<ControlState> visibleControls(const Form& form);

const char* toString(MsgButtons b) noexcept;
const char* toString(MsgIcon i) noexcept;
const char* toString(MsgResult r) noexcept;

}  // namespace telvora::sim
