// A settings profile held in memory, for tests: each test starts from a fresh one.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <tuple>

#include "ports/settings_store.h"

namespace telvora::testing {

class MemorySettingsStore final : public SettingsStore {
public:
    std::string GetSetting(const std::string& application, const std::string& section, const std::string& key,
                           const std::string& defaultValue = "") override;
    void SaveSetting(const std::string& application, const std::string& section, const std::string& key,
                     const std::string& value) override;
    void DeleteSetting(const std::string& application, const std::string& section, const std::string& key) override;

    // What is stored, without defaults: nothing for a missing key.
    std::optional<std::string> stored(const std::string& application, const std::string& section,
                                      const std::string& key) const;
    std::size_t size() const noexcept { return values_.size(); }
    // Everything stored, by application, section and key.
    using Address = std::tuple<std::string, std::string, std::string>;
    const std::map<Address, std::string>& all() const noexcept { return values_; }
    // Every later read or write fails with this error, as an unreadable store would.
    void failWith(std::optional<int> errorNumber) { failure_ = errorNumber; }

private:
    Address address(const std::string& application, const std::string& section, const std::string& key) const;

    std::map<Address, std::string> values_;
    std::optional<int> failure_;
};

}  // namespace telvora::testing
