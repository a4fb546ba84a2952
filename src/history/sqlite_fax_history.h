// The fax history in an SQLite file: one table of entries, the job identifiers kept as one text.
// The file is opened at the first use, not when the add-in loads, so a damaged or locked file
// costs nothing until the history is needed, and each use tries it again. Both bindings keep the
// history this way: the DLL in the user's local application data folder, the simulator in its run
// folder.
#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "ports/fax_history.h"

struct sqlite3;

namespace telvora {

class SqliteFaxHistory final : public FaxHistory {
public:
    // How long a use waits for another Word that is writing the same file: short, since the fax
    // waits for it.
    static constexpr std::chrono::milliseconds kDefaultBusyWait{2000};

    // `file` is the database; `imageFolder` (with its trailing separator) is where kept images go,
    // in the platform's terms, and `imageFolderOnDisk` the same folder as this program reaches it
    // (created when the folder is first asked for).
    SqliteFaxHistory(std::filesystem::path file, std::string imageFolder, std::filesystem::path imageFolderOnDisk,
                     std::chrono::milliseconds busyWait = kDefaultBusyWait);
    ~SqliteFaxHistory() override;

    std::int64_t add(const FaxRecord& record) override;
    void update(const FaxRecord& record) override;
    std::vector<FaxRecord> since(LocalTime from) override;
    std::vector<FaxRecord> removeBefore(LocalTime before) override;
    std::string imageFolder() override;

    const std::filesystem::path& file() const noexcept { return file_; }

private:
    struct Close {
        void operator()(sqlite3* db) const noexcept;
    };

    sqlite3* open();
    [[noreturn]] void fail(const char* doing, int code);
    std::vector<FaxRecord> select(const char* sql, LocalTime at);
    // Runs an insert or update of the record (`byId`: its id is parameter 18).
    void write(const std::string& sql, const FaxRecord& record, bool byId);

    std::filesystem::path file_;
    std::string imageFolder_;
    std::filesystem::path imageFolderOnDisk_;
    std::chrono::milliseconds busyWait_;
    std::unique_ptr<sqlite3, Close> db_;
};

}  // namespace telvora
