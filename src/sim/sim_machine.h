// A simulated Windows machine as a test or scenario sets it up in one place: the Windows release it
// runs, its computer name, its printers, the fax software installed on it and the shared fax
// servers it reaches, with the failures the fax software is to show.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "ports/platform.h"
#include "sim/fax_software.h"
#include "sim/sim_automation.h"
#include "sim/sim_date_time.h"
#include "sim/sim_platform.h"
#include "sim/sim_timer.h"

namespace telvora::sim {

// The version query's answers of the Windows releases the add-in meets.
namespace windows {
inline constexpr OsVersion NT4{2, 4, 0, 1381};
inline constexpr OsVersion W2000{2, 5, 0, 2195};
inline constexpr OsVersion XP{2, 5, 1, 2600};
inline constexpr OsVersion Server2003{2, 5, 2, 3790};
inline constexpr OsVersion Vista{2, 6, 0, 6002};
inline constexpr OsVersion W7{2, 6, 1, 7601};
inline constexpr OsVersion W10{2, 10, 0, 19045};
inline constexpr OsVersion W11{2, 10, 0, 22631};
}  // namespace windows

class SimMachine {
public:
    // `root` is the real folder that stands for drive C:.
    explicit SimMachine(std::filesystem::path root) : platform(std::move(root)) {}
    SimMachine(const SimMachine&) = delete;
    SimMachine& operator=(const SimMachine&) = delete;

    void runWindows(OsVersion version) { platform.version = version; }
    void setComputerName(std::string name) { platform.variables["computername"] = std::move(name); }
    void setPrinters(std::vector<std::string> deviceNames) { platform.installedPrinters = std::move(deviceNames); }

    SimPlatform platform;
    // English (United States) dates on the machine's clock.
    SimDateTime dateTimes{platform};
    SimAutomation automation;
    // Installed fax software, reachable servers, failure switches, and what the senders did.
    FaxSoftware fax{platform, automation};
    // The timer the add-in follows its faxes on; it ticks as the machine's clock is moved on.
    SimTimer timer{platform};
};

}  // namespace telvora::sim
