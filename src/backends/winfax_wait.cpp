// The wait for WinFax.
#include "backends/winfax_wait.h"

#include "base/product.h"

namespace telvora {

bool waitForWinFax(Addin& addin, const std::function<bool()>& ready, WinFaxPatience patience) {
    Platform& platform = addin.platform();
    auto since = platform.now();
    while (!ready()) {
        platform.yield();
        platform.pause(patience.interval);
        if (platform.now() - since < patience.limit) continue;
        if (addin.ui().messageBox(kWinFaxSilentMessage, MsgButtons::RetryCancel, MsgIcon::Exclamation, kAppTitle) !=
            MsgResult::Retry)
            return false;
        since = platform.now();
    }
    return true;
}

}  // namespace telvora
