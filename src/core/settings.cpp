// Typed readers of the settings keys.
#include "core/settings.h"

#include "base/conversions.h"

namespace telvora {

std::string Settings::get(const std::string& key, const std::string& defaultValue) const {
    return store_.GetSetting(kAppName, kSectionName, key, defaultValue);
}

void Settings::save(const std::string& key, const std::string& value) const {
    store_.SaveSetting(kAppName, kSectionName, key, value);
}

void Settings::remove(const std::string& key) const { store_.DeleteSetting(kAppName, kSectionName, key); }

std::int16_t Settings::faxTypeValue() const {
    const std::string text = get(keys::FaxType, "1");
    return text.empty() ? 0 : textToInt16(text);
}

FaxType Settings::faxType() const {
    const std::int16_t v = faxTypeValue();
    return v >= 1 && v <= 4 ? static_cast<FaxType>(v) : FaxType::None;
}

std::optional<std::int16_t> Settings::faxTypeIfSet() const {
    const std::string text = get(keys::FaxType);
    if (text.empty()) return std::nullopt;
    return textToInt16(text);
}

std::optional<bool> Settings::blnServer() const {
    const std::string text = get(keys::BlnServer);
    if (text.empty()) return std::nullopt;
    return textToBool(text);
}

std::string Settings::printer() const { return get(keys::Printer); }
std::string Settings::serverName() const { return get(keys::ServerName); }
std::string Settings::dialOutLine() const { return get(keys::DialOutLine); }
bool Settings::resetPrinter() const { return get(keys::ResetPrinter, "True") == "True"; }
std::string Settings::defaultPrinter() const { return get(keys::DefaultPrinter, kDontPrint); }
std::int16_t Settings::defaultCopies() const { return textToInt16(get(keys::DefaultCopies, "1")); }
bool Settings::showToolbar() const { return textToBool(get(keys::ShowToolbar, "1")); }
bool Settings::showToolbarWithRibbon() const { return textToBool(get(keys::ShowToolbarWithRibbon, "0")); }

bool Settings::optionalBool(const std::string& key) const {
    const std::string text = get(key);
    return !text.empty() && textToBool(text);
}

bool Settings::ynoSave() const { return optionalBool(keys::YnoSave); }
bool Settings::popupMsg() const { return optionalBool(keys::PopupMsg); }
bool Settings::email() const { return optionalBool(keys::Email); }
std::string Settings::emailAddress() const { return get(keys::EmailAddress); }

HylafaxSetting Settings::hylafax() const {
    HylafaxSetting server{get(keys::HylafaxHost), 4559, get(keys::HylafaxUser)};
    if (const auto port = portNumber(get(keys::HylafaxPort))) server.port = *port;
    return server;
}

std::optional<std::uint16_t> portNumber(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return std::nullopt;
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    if (text.empty() || text.size() > 5) return std::nullopt;
    std::uint32_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
    }
    if (value < 1 || value > 65535) return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

}  // namespace telvora
