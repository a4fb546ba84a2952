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
    return v >= 1 && v <= 3 ? static_cast<FaxType>(v) : FaxType::None;
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

}  // namespace telvora
