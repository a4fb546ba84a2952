// Settings held in memory.
#include "support/memory_settings_store.h"

#include "base/errors.h"

namespace telvora::testing {

void MemorySettingsStore::check() const {
    if (failure_) throw RuntimeError::standard(*failure_, "Settings");
}

std::string MemorySettingsStore::GetSetting(const std::string& application, const std::string& section,
                                            const std::string& key, const std::string& defaultValue) {
    check();
    auto it = values_.find({application, section, key});
    return it == values_.end() ? defaultValue : it->second;
}

void MemorySettingsStore::SaveSetting(const std::string& application, const std::string& section,
                                      const std::string& key, const std::string& value) {
    check();
    values_[{application, section, key}] = value;
}

void MemorySettingsStore::DeleteSetting(const std::string& application, const std::string& section,
                                        const std::string& key) {
    check();
    values_.erase({application, section, key});
}

std::optional<std::string> MemorySettingsStore::stored(const std::string& application, const std::string& section,
                                                       const std::string& key) const {
    auto it = values_.find({application, section, key});
    if (it == values_.end()) return std::nullopt;
    return it->second;
}

}  // namespace telvora::testing
