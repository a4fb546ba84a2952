// The error reports every command uses, and the help operations.
#pragma once

#include <cstdint>
#include <string>

#include "base/errors.h"
#include "app/addin.h"

namespace telvora {

inline constexpr const char* kNoDocumentMessage = "This command is not available because no document is open.";

// Help topics of the help file.
namespace topic {
inline constexpr std::uint32_t Help = 1000;
inline constexpr std::uint32_t MergeFields = 1010;
inline constexpr std::uint32_t SendConfirm = 1070;
inline constexpr std::uint32_t QuickFaxConfirm = 1075;
inline constexpr std::uint32_t PrinterSetup = 2000;
}  // namespace topic

// "Error number: <n> <description>", exclamation icon, OK, titled "Telvora".
void ReportError(Addin& addin, const RuntimeError& e);
// The same report where only the user interface is at hand (a dialog's event handler that failed).
void ReportError(Ui& ui, const RuntimeError& e);
// As ReportError, except that 91 (no document open) gets its own sentence.
void ReportCommandError(Addin& addin, const RuntimeError& e);

// A one-button message box titled "Telvora" (the form most of the add-in's messages take).
void ShowMessage(Addin& addin, const std::string& prompt, MsgIcon icon);

// The help file: the add-in's folder, a backslash and "Telvora.chm".
std::string HelpFilePath(const Addin& addin);
// The What's-This pop-up topic file inside the help file.
std::string PopUpHelpFilePath(const Addin& addin);
void ShowHelpTopic(Addin& addin, std::uint32_t topicNumber);
void CloseAllHelp(Addin& addin);

}  // namespace telvora
