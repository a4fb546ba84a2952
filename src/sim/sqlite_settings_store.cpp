// The SQLite settings file.
#include "sim/sqlite_settings_store.h"

#include <sqlite3.h>

#include <cstdlib>

#include "base/errors.h"

namespace telvora::sim {
namespace {

// How long a write waits for another program that holds the file before giving up.
constexpr int kBusyTimeoutMs = 250;

struct Statement {
    sqlite3_stmt* stmt = nullptr;
    ~Statement() { sqlite3_finalize(stmt); }
};

void bind(sqlite3_stmt* stmt, int index, const std::string& text) {
    sqlite3_bind_text(stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

}  // namespace

std::filesystem::path SqliteSettingsStore::defaultPath() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) return std::filesystem::path(xdg) / "telvora" / "settings.db";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home ? home : ".") / ".config" / "telvora" / "settings.db";
}

SqliteSettingsStore::SqliteSettingsStore(std::filesystem::path file) : file_(std::move(file)) {
    std::error_code ec;
    if (file_.has_parent_path()) std::filesystem::create_directories(file_.parent_path(), ec);
    const int rc = sqlite3_open_v2(file_.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        const int code = db_ ? sqlite3_extended_errcode(db_) : rc;
        sqlite3_close(db_);
        db_ = nullptr;
        fail("opened", code);
    }
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
    try {
        // Reading the schema is what detects a file that is not a settings database at all.
        exec("CREATE TABLE IF NOT EXISTS settings ("
             " application TEXT NOT NULL, section TEXT NOT NULL, key TEXT NOT NULL, value TEXT NOT NULL,"
             " PRIMARY KEY (application, section, key))");
    } catch (...) {
        sqlite3_close(db_);
        db_ = nullptr;
        throw;
    }
}

SqliteSettingsStore::~SqliteSettingsStore() { sqlite3_close(db_); }

void SqliteSettingsStore::fail(const char* doing, int code) const {
    std::string why = sqlite3_errstr(code);
    if ((code & 0xFF) == SQLITE_BUSY || (code & 0xFF) == SQLITE_LOCKED) why = "it is locked by another program";
    if ((code & 0xFF) == SQLITE_NOTADB || (code & 0xFF) == SQLITE_CORRUPT) why = "it is damaged or not a settings file";
    throw RuntimeError(err::PathFileAccess,
                       "The settings file " + file_.string() + " could not be " + doing + ": " + why + ".", "Settings");
}

void SqliteSettingsStore::exec(const char* sql) {
    const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) fail("read", sqlite3_extended_errcode(db_));
}

std::string SqliteSettingsStore::GetSetting(const std::string& application, const std::string& section,
                                            const std::string& key, const std::string& defaultValue) {
    Statement s;
    if (sqlite3_prepare_v2(db_, "SELECT value FROM settings WHERE application=?1 AND section=?2 AND key=?3", -1,
                           &s.stmt, nullptr) != SQLITE_OK)
        fail("read", sqlite3_extended_errcode(db_));
    bind(s.stmt, 1, application);
    bind(s.stmt, 2, section);
    bind(s.stmt, 3, key);
    const int rc = sqlite3_step(s.stmt);
    if (rc == SQLITE_ROW) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s.stmt, 0));
        return std::string(text ? text : "", static_cast<std::size_t>(sqlite3_column_bytes(s.stmt, 0)));
    }
    if (rc != SQLITE_DONE) fail("read", sqlite3_extended_errcode(db_));
    return defaultValue;
}

void SqliteSettingsStore::SaveSetting(const std::string& application, const std::string& section,
                                      const std::string& key, const std::string& value) {
    // One statement, one implicit transaction: a write is all there or not there.
    Statement s;
    if (sqlite3_prepare_v2(db_,
                           "INSERT INTO settings (application, section, key, value) VALUES (?1, ?2, ?3, ?4)"
                           " ON CONFLICT (application, section, key) DO UPDATE SET value = excluded.value",
                           -1, &s.stmt, nullptr) != SQLITE_OK)
        fail("written", sqlite3_extended_errcode(db_));
    bind(s.stmt, 1, application);
    bind(s.stmt, 2, section);
    bind(s.stmt, 3, key);
    bind(s.stmt, 4, value);
    if (sqlite3_step(s.stmt) != SQLITE_DONE) fail("written", sqlite3_extended_errcode(db_));
}

void SqliteSettingsStore::DeleteSetting(const std::string& application, const std::string& section,
                                        const std::string& key) {
    Statement s;
    if (sqlite3_prepare_v2(db_, "DELETE FROM settings WHERE application=?1 AND section=?2 AND key=?3", -1, &s.stmt,
                           nullptr) != SQLITE_OK)
        fail("written", sqlite3_extended_errcode(db_));
    bind(s.stmt, 1, application);
    bind(s.stmt, 2, section);
    bind(s.stmt, 3, key);
    if (sqlite3_step(s.stmt) != SQLITE_DONE) fail("written", sqlite3_extended_errcode(db_));
}

}  // namespace telvora::sim
