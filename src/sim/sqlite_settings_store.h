// Settings kept in an SQLite file, for the simulator: one table keyed by application, section and
// key. A file that cannot be read is an error the user sees; it is never replaced or reset.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "ports/settings_store.h"

struct sqlite3;

namespace telvora::sim {

class SqliteSettingsStore final : public SettingsStore {
public:
    // Opens (creating if needed) the file; raises a run-time error naming it when it is corrupt,
    // locked or cannot be created.
    explicit SqliteSettingsStore(std::filesystem::path file);
    ~SqliteSettingsStore() override;

    // $XDG_CONFIG_HOME/telvora/settings.db, or ~/.config/telvora/settings.db.
    static std::filesystem::path defaultPath();

    std::string GetSetting(const std::string& application, const std::string& section, const std::string& key,
                           const std::string& defaultValue = "") override;
    void SaveSetting(const std::string& application, const std::string& section, const std::string& key,
                     const std::string& value) override;
    void DeleteSetting(const std::string& application, const std::string& section, const std::string& key) override;

    const std::filesystem::path& file() const noexcept { return file_; }

private:
    [[noreturn]] void fail(const char* doing, int code) const;
    void exec(const char* sql);

    std::filesystem::path file_;
    sqlite3* db_ = nullptr;
};

}  // namespace telvora::sim
