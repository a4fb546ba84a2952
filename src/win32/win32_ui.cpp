// Message boxes through MessageBoxW; forms are not shown by this build.
#include "win32/win32_ui.h"

#include <windows.h>

#include "base/errors.h"
#include "win32/com_errors.h"
#include "win32/text.h"

namespace telvora::win32 {
namespace {

UINT styleOf(MsgButtons buttons, MsgIcon icon) {
    UINT style = 0;
    switch (buttons) {
    case MsgButtons::OK: style |= MB_OK; break;
    case MsgButtons::OKCancel: style |= MB_OKCANCEL; break;
    case MsgButtons::YesNo: style |= MB_YESNO; break;
    case MsgButtons::RetryCancel: style |= MB_RETRYCANCEL; break;
    }
    switch (icon) {
    case MsgIcon::None: break;
    case MsgIcon::Critical: style |= MB_ICONHAND; break;
    case MsgIcon::Question: style |= MB_ICONQUESTION; break;
    case MsgIcon::Exclamation: style |= MB_ICONEXCLAMATION; break;
    case MsgIcon::Information: style |= MB_ICONASTERISK; break;
    }
    // Like a macro's MsgBox: in front of Word, not hidden behind it.
    return style | MB_SETFOREGROUND | MB_TASKMODAL;
}

}  // namespace

MsgResult Win32Ui::messageBox(const std::string& prompt, MsgButtons buttons, MsgIcon icon, const std::string& title) {
    const int answer = ::MessageBoxW(nullptr, widen(prompt).c_str(), widen(title).c_str(), styleOf(buttons, icon));
    switch (answer) {
    case IDOK: return MsgResult::OK;
    case IDYES: return MsgResult::Yes;
    case IDNO: return MsgResult::No;
    case IDCANCEL: return MsgResult::Cancel;
    case IDRETRY: return MsgResult::Retry;
    case 0: throw errorFromHresult(HRESULT_FROM_WIN32(::GetLastError()));
    default:
        // Closing a Yes/No box is not possible; any other answer counts as the safe choice.
        return buttons == MsgButtons::YesNo ? MsgResult::No : MsgResult::Cancel;
    }
}

void Win32Ui::runModal(Form&) {
    throw RuntimeError::notAvailableYet("Showing dialogs");
}

}  // namespace telvora::win32
