// The SQLite settings file.
#include "sim/sqlite_settings_store.h"

#include <sqlite3.h>

#include <cstdlib>
#include <thread>

#include "base/errors.h"

namespace telvora::sim {
namespace {

struct FinalizeStatement {
    void operator()(sqlite3_stmt* stmt) const noexcept { sqlite3_finalize(stmt); }
};
using Statement = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

void bind(sqlite3_stmt* stmt, int index, const std::string& text) {
    sqlite3_bind_text(stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

bool isBusy(int code) { return (code & 0xFF) == SQLITE_BUSY || (code & 0xFF) == SQLITE_LOCKED; }

// An empty application or section would address the level above the section, and an empty key
// the section's own default value: the macro runtime refuses all three.
void checkAddress(const std::string& application, const std::string& section, const std::string& key) {
    if (application.empty() || section.empty() || key.empty())
        throw RuntimeError::standard(err::InvalidProcedureCall, "Settings");
}

}  // namespace

void SqliteSettingsStore::Close::operator()(sqlite3* db) const noexcept { sqlite3_close(db); }

std::filesystem::path SqliteSettingsStore::defaultPath() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) return std::filesystem::path(xdg) / "telvora" / "settings.db";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home ? home : ".") / ".config" / "telvora" / "settings.db";
}

SqliteSettingsStore::SqliteSettingsStore(std::filesystem::path file, std::chrono::milliseconds busyWait)
    : file_(std::move(file)), busyWait_(busyWait) {
    std::error_code ec;
    if (file_.has_parent_path()) std::filesystem::create_directories(file_.parent_path(), ec);
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(file_.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    db_.reset(db);
    if (rc != SQLITE_OK) fail("opened", db ? sqlite3_extended_errcode(db) : rc);
    sqlite3_busy_timeout(db_.get(), static_cast<int>(busyWait_.count()));
    // Write-ahead logging lets readers go on while another program writes; reading the schema is
    // also what detects a file that is not a settings database at all.
    execOpening("PRAGMA journal_mode=WAL");
    execOpening("PRAGMA synchronous=NORMAL");
    execOpening("CREATE TABLE IF NOT EXISTS settings ("
                " application TEXT NOT NULL COLLATE NOCASE, section TEXT NOT NULL COLLATE NOCASE,"
                " key TEXT NOT NULL COLLATE NOCASE, value TEXT NOT NULL,"
                " PRIMARY KEY (application, section, key))");
}

SqliteSettingsStore::~SqliteSettingsStore() = default;

void SqliteSettingsStore::fail(const char* doing, int code) const {
    std::string why = sqlite3_errstr(code);
    if (isBusy(code)) why = "it is locked by another program";
    if ((code & 0xFF) == SQLITE_NOTADB || (code & 0xFF) == SQLITE_CORRUPT) why = "it is damaged or not a settings file";
    throw RuntimeError(err::PathFileAccess,
                       "The settings file " + file_.string() + " could not be " + doing + ": " + why + ".", "Settings");
}

void SqliteSettingsStore::execOpening(const char* sql) {
    // Creating the file, switching it to write-ahead logging and creating the table each need the
    // file to themselves for a moment; a second program doing the same at once is answered "busy"
    // without waiting in some of these steps, so they are tried again until the wait is over.
    const auto deadline = std::chrono::steady_clock::now() + busyWait_;
    for (;;) {
        const int rc = sqlite3_exec(db_.get(), sql, nullptr, nullptr, nullptr);
        if (rc == SQLITE_OK) return;
        const int code = sqlite3_extended_errcode(db_.get());
        if (!isBusy(code) || std::chrono::steady_clock::now() >= deadline) fail("read", code);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

bool SqliteSettingsStore::run(const char* sql, const char* doing, const std::string& application,
                              const std::string& section, const std::string& key, const std::string* value,
                              std::string* read) {
    checkAddress(application, section, key);
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db_.get(), sql, -1, &raw, nullptr) != SQLITE_OK) fail(doing, sqlite3_extended_errcode(db_.get()));
    const Statement statement(raw);
    bind(raw, 1, application);
    bind(raw, 2, section);
    bind(raw, 3, key);
    if (value) bind(raw, 4, *value);
    const int rc = sqlite3_step(raw);
    if (rc == SQLITE_ROW) {
        if (read) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(raw, 0));
            read->assign(text ? text : "", static_cast<std::size_t>(sqlite3_column_bytes(raw, 0)));
        }
        return true;
    }
    if (rc != SQLITE_DONE) fail(doing, sqlite3_extended_errcode(db_.get()));
    return false;
}

std::string SqliteSettingsStore::GetSetting(const std::string& application, const std::string& section,
                                            const std::string& key, const std::string& defaultValue) {
    std::string value;
    if (run("SELECT value FROM settings WHERE application=?1 AND section=?2 AND key=?3", "read", application, section,
            key, nullptr, &value))
        return value;
    return defaultValue;
}

void SqliteSettingsStore::SaveSetting(const std::string& application, const std::string& section,
                                      const std::string& key, const std::string& value) {
    // One statement, one implicit transaction: a write is all there or not there.
    (void)run("INSERT INTO settings (application, section, key, value) VALUES (?1, ?2, ?3, ?4)"
              " ON CONFLICT (application, section, key) DO UPDATE SET value = excluded.value",
              "written", application, section, key, &value, nullptr);
}

void SqliteSettingsStore::DeleteSetting(const std::string& application, const std::string& section,
                                        const std::string& key) {
    (void)run("DELETE FROM settings WHERE application=?1 AND section=?2 AND key=?3", "written", application, section,
              key, nullptr, nullptr);
}

}  // namespace telvora::sim
