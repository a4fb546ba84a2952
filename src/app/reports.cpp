// Error reports and help.
#include "app/reports.h"

namespace telvora {

void ShowMessage(Addin& addin, const std::string& prompt, MsgIcon icon) {
    (void)addin.ui().messageBox(prompt, MsgButtons::OK, icon, kAppTitle);
}

void ReportError(Addin& addin, const RuntimeError& e) { ReportError(addin.ui(), e); }

void ReportError(Ui& ui, const RuntimeError& e) {
    (void)ui.messageBox("Error number: " + std::to_string(e.number()) + " " + e.description(), MsgButtons::OK,
                        MsgIcon::Exclamation, kAppTitle);
}

void ReportCommandError(Addin& addin, const RuntimeError& e) {
    if (e.number() == err::ObjectNotSet) {
        ShowMessage(addin, kNoDocumentMessage, MsgIcon::Exclamation);
    } else {
        ReportError(addin, e);
    }
}

std::string HelpFilePath(const Addin& addin) { return addin.folder() + "\\Telvora.chm"; }

std::string PopUpHelpFilePath(const Addin& addin) { return HelpFilePath(addin) + "::/Telvora PopUp.txt"; }

void ShowHelpTopic(Addin& addin, std::uint32_t topicNumber) {
    addin.platform().htmlHelp(HelpFilePath(addin), HelpCommand::DisplayContext, topicNumber);
}

void CloseAllHelp(Addin& addin) { addin.platform().htmlHelp(HelpFilePath(addin), HelpCommand::CloseAll, 0); }

}  // namespace telvora
