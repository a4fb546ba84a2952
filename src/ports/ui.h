// Talking to the user: message boxes and the modal showing of forms.
#pragma once

#include <string>

namespace telvora {

class Form;

enum class MsgButtons { OK, OKCancel, YesNo };
enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgResult { OK, Cancel, Yes, No };

class Ui {
public:
    Ui() = default;
    virtual ~Ui() = default;
    Ui(const Ui&) = delete;
    Ui& operator=(const Ui&) = delete;

    virtual MsgResult messageBox(const std::string& prompt, MsgButtons buttons, MsgIcon icon,
                                 const std::string& title) = 0;
    // Shows a loaded form and returns once it is hidden, unloaded or closed from its frame.
    // Callers go through Form::showModal, which loads the form first.
    virtual void runModal(Form& form) = 0;
};

}  // namespace telvora
