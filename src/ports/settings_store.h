// The per-user settings store, addressed by application, section and key. Every value is text.
#pragma once

#include <string>

namespace telvora {

class SettingsStore {
public:
    SettingsStore() = default;
    virtual ~SettingsStore() = default;
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    // The stored text, or `defaultValue` when the key is missing. A store that cannot be read
    // raises a run-time error; a missing key never does.
    virtual std::string GetSetting(const std::string& application, const std::string& section,
                                   const std::string& key, const std::string& defaultValue = "") = 0;
    virtual void SaveSetting(const std::string& application, const std::string& section,
                             const std::string& key, const std::string& value) = 0;
    // Removing a key that is not there is not an error.
    virtual void DeleteSetting(const std::string& application, const std::string& section,
                               const std::string& key) = 0;
};

}  // namespace telvora
