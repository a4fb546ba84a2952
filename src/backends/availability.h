// Which fax software the add-in uses and whether it is there: the Windows version tests, the probes
// that tell whether a fax software object can be created, the two questions every sending command
// asks before it sends, the dial-out prefix and the fax-printer name test.
#pragma once

#include <string>
#include <string_view>

#include "app/addin.h"

namespace telvora {

// Programmatic identifiers of the fax software, spelled as the add-in creates them (they compare
// without regard to case).
namespace progid {
inline constexpr const char* FaxServer = "FaxServer.FaxServer";
inline constexpr const char* ExtendedFaxServerProbe = "FAXCOMEX.Faxserver";
inline constexpr const char* ExtendedFaxServer = "FAXCOMEX.FaxServer";
inline constexpr const char* WinFax = "WinFax.SDKSend8.0";
}  // namespace progid

// The running system, by its version record. Each answers False when the version query fails.
bool IsWindows2000(Addin& addin);
bool IsWindowsXP(Addin& addin);
bool IsWindowsServer2003(Addin& addin);
bool IsWindowsVista(Addin& addin);
// A system whose fax service has the extended fax objects: Windows XP, Windows Server 2003, and
// every NT release from Windows Vista on (Windows 7, 8, 10, 11 and their servers included).
bool IsExtendedFaxSystem(Addin& addin);

// Whether the fax service delivers receipts by message box: Windows 2000, XP and Server 2003 do;
// from Windows Vista on the messenger service they travel by is gone and the receipt is refused.
bool PopUpReceiptsDelivered(Addin& addin);

// Whether the object can be created; it is released at once. Never raise.
bool CanCreateExtendedFaxServer(Addin& addin);
bool CanCreateFaxServer(Addin& addin);
bool CanCreateWinFax(Addin& addin);

// Whether the fax software of the stored `FaxType` can be created (for a HylaFAX server: whether
// one is named). Shows nothing, never raises.
bool IsFaxSoftwareAvailable(Addin& addin);
// Whether the fax service answers with at least one fax device; tells the user when it does not.
// WinFax and the shared fax servers (Windows and HylaFAX) are not asked here (answered True at once).
bool CheckFaxService(Addin& addin);

inline constexpr const char* kFaxNotInstalledMessage =
    "The fax is not installed on your computer. Please contact your IT department.";
inline constexpr const char* kNoFaxDevicesMessage = "No fax devices found. Please contact your IT department.";

// The stored dial-out prefix, "" when there is none.
std::string GetDialOutPrefix(Addin& addin);
// Whether a printer's name contains "FAX" in any letter case.
bool HasFaxInName(std::string_view printerName);

}  // namespace telvora
