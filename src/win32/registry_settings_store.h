// The settings store where VBA's GetSetting and SaveSetting keep their values, so the companion
// template's macros and the add-in read and write the same settings.
#pragma once

#include "ports/settings_store.h"

namespace telvora::win32 {

// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<application>\<section>, one REG_SZ per key.
class RegistrySettingsStore final : public SettingsStore {
public:
    std::string GetSetting(const std::string& application, const std::string& section, const std::string& key,
                           const std::string& defaultValue = "") override;
    void SaveSetting(const std::string& application, const std::string& section, const std::string& key,
                     const std::string& value) override;
    void DeleteSetting(const std::string& application, const std::string& section, const std::string& key) override;
};

}  // namespace telvora::win32
