// The add-in's settings: the fixed application name and section, the keys, and a typed reader for
// each key with its default and conversion. Every read goes to the store (no cache), so a value
// written by one dialog is seen by the next command at once.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/product.h"
#include "ports/settings_store.h"

namespace telvora {

inline constexpr const char* kAppName = "0x61645694";
inline constexpr const char* kSectionName = "Settings";
inline constexpr const char* kDontPrint = "Don't Print";

namespace keys {
inline constexpr const char* FaxType = "FaxType";
inline constexpr const char* BlnServer = "BlnServer";
inline constexpr const char* Printer = "Printer";
inline constexpr const char* ServerName = "ServerName";
inline constexpr const char* DialOutLine = "strDialOutLine";
inline constexpr const char* ResetPrinter = "ResetPrinter";
inline constexpr const char* DefaultPrinter = "DefaultPrinter";
inline constexpr const char* DefaultCopies = "DefaultCopies";
inline constexpr const char* ShowToolbar = "ShowToolbar";
inline constexpr const char* ShowToolbarWithRibbon = "ShowToolbarWithRibbon";
inline constexpr const char* YnoSave = "ynoSave";
inline constexpr const char* PopupMsg = "PopupMsg";
inline constexpr const char* Email = "Email";
inline constexpr const char* EmailAddress = "EmailAddress";
inline constexpr const char* DontNotify = "DontNotify";
// The HylaFAX server: its host name or address, its port and the user the fax goes as.
inline constexpr const char* HylafaxHost = "HylafaxHost";
inline constexpr const char* HylafaxPort = "HylafaxPort";
inline constexpr const char* HylafaxUser = "HylafaxUser";
}  // namespace keys

// The configured fax software. A HylaFAX server is 4: releases that knew only 1 to 3 take it for no
// fax software and leave it stored as it is.
enum class FaxType : std::int16_t { None = 0, WindowsFax = 1, WinFax = 2, SharedFax = 3, Hylafax = 4 };

// The HylaFAX server as stored; the port is 4559 when none is stored or the stored one is no port.
struct HylafaxSetting {
    std::string host;
    std::uint16_t port = 4559;
    std::string user;
};

class Settings {
public:
    explicit Settings(SettingsStore& store) : store_(store) {}

    // Raw access under the add-in's application name and section.
    std::string get(const std::string& key, const std::string& defaultValue = "") const;
    void save(const std::string& key, const std::string& value) const;
    void remove(const std::string& key) const;

    // `FaxType` read with default 1: a missing key is 1, a stored empty text is 0, anything else
    // its 16-bit value (overflow 6, type mismatch 13). Values other than 1..4 select no software.
    std::int16_t faxTypeValue() const;
    FaxType faxType() const;
    // `FaxType` read without default: nothing when empty or missing (unset).
    std::optional<std::int16_t> faxTypeIfSet() const;
    // Legacy `BlnServer` as a Boolean; nothing when empty or missing.
    std::optional<bool> blnServer() const;

    std::string printer() const;
    std::string serverName() const;
    std::string dialOutLine() const;
    // True unless the stored text is anything but exactly "True" (missing reads "True").
    bool resetPrinter() const;
    // The copy printer's device name, or "Don't Print".
    std::string defaultPrinter() const;
    std::int16_t defaultCopies() const;
    bool showToolbar() const;
    // Whether the toolbar shows beside the add-in's ribbon tab as well: "1" or "True" shows it;
    // missing reads False (the tab alone).
    bool showToolbarWithRibbon() const;
    // The saved delivery notification: `ynoSave` present and True; then the three keys below.
    bool ynoSave() const;
    bool popupMsg() const;
    bool email() const;
    std::string emailAddress() const;
    HylafaxSetting hylafax() const;

private:
    // A Boolean key with no default: empty or missing reads False.
    bool optionalBool(const std::string& key) const;

    SettingsStore& store_;
};

// A TCP port as a user types it: digits only (blanks around them allowed), 1 to 65535.
std::optional<std::uint16_t> portNumber(std::string_view text);

}  // namespace telvora
