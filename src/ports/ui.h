// Talking to the user: message boxes and the modal showing of forms.
#pragma once

#include <string>

#include "forms/form.h"

namespace telvora {

enum class MsgButtons { OK, OKCancel, YesNo, RetryCancel };
enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgResult { OK, Cancel, Yes, No, Retry };

class Ui : public FormHost {
public:
    Ui() = default;
    virtual ~Ui() = default;
    Ui(const Ui&) = delete;
    Ui& operator=(const Ui&) = delete;

    virtual MsgResult messageBox(const std::string& prompt, MsgButtons buttons, MsgIcon icon,
                                 const std::string& title) = 0;
};

}  // namespace telvora
