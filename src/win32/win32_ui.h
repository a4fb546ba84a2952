// Talking to the user with Windows message boxes.
#pragma once

#include "ports/ui.h"

namespace telvora::win32 {

class Win32Ui final : public Ui {
public:
    MsgResult messageBox(const std::string& prompt, MsgButtons buttons, MsgIcon icon,
                         const std::string& title) override;
    void runModal(Form& form) override;
};

}  // namespace telvora::win32
