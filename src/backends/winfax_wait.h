// Waiting for WinFax, which works in a process of its own: poll it while Word keeps answering the
// user, rest between polls instead of spinning the processor, and never wait forever without
// asking.
#pragma once

#include <chrono>
#include <functional>

#include "app/addin.h"

namespace telvora {

struct WinFaxPatience {
    // Rest between two polls: short enough that the fax goes on at once, long enough that the
    // processor stays near idle.
    std::chrono::milliseconds interval{75};
    // How long WinFax may stay silent before the user is asked whether to go on waiting.
    std::chrono::seconds limit{60};
};

inline constexpr const char* kWinFaxSilentMessage =
    "WinFax has not answered for a minute. Click Retry to keep waiting or Cancel to stop this fax.";

// Asks `ready` until it answers True, letting Word process its messages and resting between two
// asks. When WinFax stays silent for the limit, asks the user (Retry/Cancel); Retry waits as long
// again. Answers False when the user chose to stop the fax.
[[nodiscard]] bool waitForWinFax(Addin& addin, const std::function<bool()>& ready, WinFaxPatience patience = {});

}  // namespace telvora
