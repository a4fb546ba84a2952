// A user interface with nobody at it: every message box is recorded and given the same answer, and
// no dialog can be shown (error 445, as in a build without a form host) unless a test derives a
// way to act on it.
#pragma once

#include <string>
#include <vector>

#include "base/errors.h"
#include "ports/ui.h"

namespace telvora::testing {

class AnsweringUi : public Ui {
public:
    explicit AnsweringUi(MsgResult answer = MsgResult::OK) : answer_(answer) {}

    MsgResult messageBox(const std::string& prompt, MsgButtons, MsgIcon, const std::string&) override {
        prompts.push_back(prompt);
        return answer_;
    }
    void runModal(Form&) override { throw RuntimeError::notAvailableYet("Showing dialogs"); }

    std::vector<std::string> prompts;

private:
    MsgResult answer_;
};

}  // namespace telvora::testing
