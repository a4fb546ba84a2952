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
// The cover page sent in front of every fax: its kind ("None", "Personal" or "Server"), the cover
// page file (a personal one by its whole path, a server one by its name on the server) and the note
// written on it.
inline constexpr const char* CoverPageKind = "CoverPageKind";
inline constexpr const char* CoverPageName = "CoverPageName";
inline constexpr const char* CoverPageNote = "CoverPageNote";
// "True": every fax is shown to the user before it is sent.
inline constexpr const char* PreviewFax = "PreviewFax";
}  // namespace keys

// The configured fax software. A HylaFAX server is 4: releases that knew only 1 to 3 take it for no
// fax software and leave it stored as it is.
enum class FaxType : std::int16_t { None = 0, WindowsFax = 1, WinFax = 2, SharedFax = 3, Hylafax = 4 };

// Whether the fax software takes a cover page from Telvora: the Windows fax service and the shared
// fax server render one from a cover page file; WinFax is handed the document alone, and the
// HylaFAX server is given the finished fax image, so neither gets one.
constexpr bool sendsCoverPages(FaxType type) noexcept { return type == FaxType::WindowsFax || type == FaxType::SharedFax; }

// The HylaFAX server as stored; the port is 4559 when none is stored or the stored one is no port.
struct HylafaxSetting {
    std::string host;
    std::uint16_t port = 4559;
    std::string user;
};

// Where a cover page comes from: none, the user's own cover page files, or the fax server's.
enum class CoverPageKind { None, Personal, Server };

// The cover page as stored. A kind that is not stored, or not known, is none; a personal or server
// cover page without a file name is none too, as nothing could be sent.
struct CoverPageSetting {
    CoverPageKind kind = CoverPageKind::None;
    std::string name;
    std::string note;

    bool chosen() const noexcept { return kind != CoverPageKind::None; }
};

// The stored text of a kind, and back ("None" for anything else).
const char* coverPageKindText(CoverPageKind kind) noexcept;
CoverPageKind coverPageKindOf(std::string_view text) noexcept;

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
    CoverPageSetting coverPage() const;
    // Whether faxes are shown before they are sent: missing reads False.
    bool previewFax() const;

private:
    // A Boolean key with no default: empty or missing reads False.
    bool optionalBool(const std::string& key) const;

    SettingsStore& store_;
};

// A TCP port as a user types it: digits only (blanks around them allowed), 1 to 65535.
std::optional<std::uint16_t> portNumber(std::string_view text);

}  // namespace telvora
