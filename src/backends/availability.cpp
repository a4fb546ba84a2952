// Back-end selection and availability.
#include "backends/availability.h"

#include <optional>

#include "app/reports.h"
#include "base/errors.h"
#include "base/text.h"

namespace telvora {
namespace {

constexpr std::uint32_t kNtFamily = 2;

std::optional<OsVersion> ntVersion(Addin& addin) {
    std::optional<OsVersion> v;
    ignoreErrors(addin.diagnostics(), [&] { v = addin.platform().osVersion(); });
    if (!v || v->platformId != kNtFamily) return std::nullopt;
    return v;
}

bool isRelease(Addin& addin, std::uint32_t major, std::uint32_t minor, std::uint32_t minimumBuild) {
    const auto v = ntVersion(addin);
    return v && v->major == major && v->minor == minor && v->build >= minimumBuild;
}

// Creates the object and lets it go at once; any failure is a "no".
bool canCreate(Addin& addin, const char* progId) {
    return succeeded(addin.diagnostics(), [&] { (void)addin.automation().create(progId); });
}

// The stored `FaxType` as every availability check reads it: 1 when missing, 0 when empty or
// unreadable, its value otherwise.
std::int16_t faxTypeOrNone(Addin& addin) {
    std::int16_t type = 0;
    ignoreErrors(addin.diagnostics(), [&] { type = addin.settings().faxTypeValue(); });
    return type;
}

// The local fax service answers through the fax server object of Windows 2000 with at least one
// fax port. Raises when it cannot be asked.
bool faxServerHasPorts(Addin& addin, const std::shared_ptr<AutomationObject>& server) {
    const std::string computer = addin.platform().environment("computername");
    server->call("Connect", {}, {{"ServerName", Variant(computer)}});
    const auto ports = server->call("GetPorts").toObject();
    return ports->get("Count").toInt32() > 0;
}

// The same through the extended fax server object, whose devices stand for the ports.
bool extendedFaxServerHasDevices(Addin& addin, const std::shared_ptr<AutomationObject>& server) {
    const std::string computer = addin.platform().environment("computername");
    server->call("Connect", {Variant(computer)});
    const auto devices = server->call("GetDevices").toObject();
    return devices->get("Count").toInt32() > 0;
}

}  // namespace

bool IsWindows2000(Addin& addin) { return isRelease(addin, 5, 0, 2195); }
bool IsWindowsXP(Addin& addin) { return isRelease(addin, 5, 1, 2600); }
bool IsWindowsServer2003(Addin& addin) { return isRelease(addin, 5, 2, 3790); }
bool IsWindowsVista(Addin& addin) { return isRelease(addin, 6, 0, 0); }

bool IsExtendedFaxSystem(Addin& addin) {
    // Every NT release since Vista keeps the extended fax objects; the release list above ends
    // with Vista only because it was written then.
    const auto v = ntVersion(addin);
    return IsWindowsXP(addin) || IsWindowsServer2003(addin) || (v && v->major >= 6);
}

bool PopUpReceiptsDelivered(Addin& addin) {
    return IsWindows2000(addin) || IsWindowsXP(addin) || IsWindowsServer2003(addin);
}

bool CanCreateExtendedFaxServer(Addin& addin) { return canCreate(addin, progid::ExtendedFaxServerProbe); }
bool CanCreateFaxServer(Addin& addin) { return canCreate(addin, progid::FaxServer); }
bool CanCreateWinFax(Addin& addin) { return canCreate(addin, progid::WinFax); }

bool IsFaxSoftwareAvailable(Addin& addin) {
    switch (faxTypeOrNone(addin)) {
    case 1: {
        bool created = false;
        if (IsWindows2000(addin)) created = CanCreateFaxServer(addin);
        if (IsExtendedFaxSystem(addin)) created = CanCreateExtendedFaxServer(addin);
        return created;
    }
    case 2: return CanCreateWinFax(addin);
    case 3: return CanCreateExtendedFaxServer(addin);
    // The HylaFAX server is no program on this machine: it is there once the settings name it,
    // and it is asked when the fax is sent.
    case 4: {
        bool named = false;
        ignoreErrors(addin.diagnostics(), [&] { named = !trimBlanks(addin.settings().hylafax().host).empty(); });
        return named;
    }
    default: return false;
    }
}

bool CheckFaxService(Addin& addin) {
    const std::int16_t type = faxTypeOrNone(addin);
    // WinFax and the shared fax servers are asked when the fax is sent.
    if (type == 2 || type == 3 || type == 4) return true;

    std::shared_ptr<AutomationObject> server;
    bool extended = false;
    if (type == 1) {
        ignoreErrors(addin.diagnostics(), [&] { server = addin.automation().create(progid::FaxServer); });
        // Current Windows has no fax server object of the old kind; its fax service is asked
        // through the extended one.
        if (!server && IsExtendedFaxSystem(addin)) {
            ignoreErrors(addin.diagnostics(), [&] { server = addin.automation().create(progid::ExtendedFaxServer); });
            extended = server != nullptr;
        }
    }
    if (!server) {
        ShowMessage(addin, kFaxNotInstalledMessage, MsgIcon::Exclamation);
        return false;
    }
    bool hasDevices = false;
    ignoreErrors(addin.diagnostics(), [&] {
        hasDevices = extended ? extendedFaxServerHasDevices(addin, server) : faxServerHasPorts(addin, server);
    });
    if (!hasDevices) {
        ShowMessage(addin, kNoFaxDevicesMessage, MsgIcon::Exclamation);
        return false;
    }
    return true;
}

std::string GetDialOutPrefix(Addin& addin) { return addin.settings().dialOutLine(); }

bool HasFaxInName(std::string_view printerName) { return lowerAscii(printerName).find("fax") != std::string::npos; }

}  // namespace telvora
