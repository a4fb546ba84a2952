// Settings kept in an SQLite file, for the simulator: one table keyed by application, section and
// key, compared without regard to letter case as the registry compares them. Several programs may
// read and write one file at once (write-ahead logging, a wait of several seconds for a busy file).
// A file that cannot be read is an error the user sees; it is never replaced or reset.
#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "ports/settings_store.h"

struct sqlite3;

namespace telvora::sim {

class SqliteSettingsStore final : public SettingsStore {
public:
    // How long a read or write waits for another program that holds the file.
    static constexpr std::chrono::milliseconds kDefaultBusyWait{5000};

    // Opens (creating if needed) the file; raises a run-time error naming it when it is corrupt,
    // locked for longer than `busyWait` or cannot be created.
    explicit SqliteSettingsStore(std::filesystem::path file, std::chrono::milliseconds busyWait = kDefaultBusyWait);
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
    struct Close {
        void operator()(sqlite3* db) const noexcept;
    };

    [[noreturn]] void fail(const char* doing, int code) const;
    // Runs one statement of the opening, again while another program holds the file, until the
    // busy wait is over.
    void execOpening(const char* sql);
    // One statement with the three address parts (and a value) bound; answers the value read, if any.
    bool run(const char* sql, const char* doing, const std::string& application, const std::string& section,
             const std::string& key, const std::string* value, std::string* read);

    std::filesystem::path file_;
    std::chrono::milliseconds busyWait_;
    std::unique_ptr<sqlite3, Close> db_;
};

}  // namespace telvora::sim
