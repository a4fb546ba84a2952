// Settings held in memory.
#include "support/memory_settings_store.h"

#include "base/errors.h"
#include "base/text.h"

namespace telvora::testing {

MemorySettingsStore::Address MemorySettingsStore::address(const std::string& application, const std::string& section,
                                                          const std::string& key) const {
    if (failure_) throw RuntimeError::standard(*failure_, "Settings");
    // As the registry: nothing may address the level above a key, and names ignore letter case.
    if (application.empty() || section.empty() || key.empty())
        throw RuntimeError::standard(err::InvalidProcedureCall, "Settings");
    return {lowerAscii(application), lowerAscii(section), lowerAscii(key)};
}

std::string MemorySettingsStore::GetSetting(const std::string& application, const std::string& section,
                                            const std::string& key, const std::string& defaultValue) {
    auto it = values_.find(address(application, section, key));
    return it == values_.end() ? defaultValue : it->second;
}

void MemorySettingsStore::SaveSetting(const std::string& application, const std::string& section,
                                      const std::string& key, const std::string& value) {
    values_[address(application, section, key)] = value;
}

void MemorySettingsStore::DeleteSetting(const std::string& application, const std::string& section,
                                        const std::string& key) {
    values_.erase(address(application, section, key));
}

std::optional<std::string> MemorySettingsStore::stored(const std::string& application, const std::string& section,
                                                       const std::string& key) const {
    auto it = values_.find({lowerAscii(application), lowerAscii(section), lowerAscii(key)});
    if (it == values_.end()) return std::nullopt;
    return it->second;
}

}  // namespace telvora::testing
