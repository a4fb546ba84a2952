// Finding the running Word for a command given without the add-in connection.
#include "host/running_word.h"

#include "base/errors.h"
#include "word_automation/word_application.h"

namespace telvora {

RunningWordForCommand::RunningWordForCommand(Addin& addin) noexcept : addin_(addin) {
    if (addin_.hasWord()) return;
    // Any failure to reach it is the same to the user as no Word running.
    ignoreErrors(addin.diagnostics(), [&] {
        addin_.setWord(word_automation::wordApplication(addin_.automation().running(kWordProgId), nullptr));
        borrowed_ = true;
    });
}

RunningWordForCommand::~RunningWordForCommand() {
    if (borrowed_) addin_.setWord(nullptr);
}

}  // namespace telvora
