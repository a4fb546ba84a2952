// The SQLite fax history.
#include "history/sqlite_fax_history.h"

#include <sqlite3.h>

#include <sstream>

#include "base/errors.h"

namespace telvora {
namespace {

struct FinalizeStatement {
    void operator()(sqlite3_stmt* stmt) const noexcept { sqlite3_finalize(stmt); }
};
using Statement = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

bool isBusy(int code) { return (code & 0xFF) == SQLITE_BUSY || (code & 0xFF) == SQLITE_LOCKED; }

constexpr const char* kColumns =
    "submitted, recipient, company, number, subject, pages_sent, pages_total, state, reason, retries,"
    " merge_run, software, server, job_ids, kept_image, schedule, delivery";

std::string joinIds(const std::vector<std::string>& ids) {
    std::string joined;
    for (const auto& id : ids) joined += (joined.empty() ? "" : "\n") + id;
    return joined;
}

std::vector<std::string> splitIds(const std::string& joined) {
    std::vector<std::string> ids;
    std::istringstream in(joined);
    for (std::string id; std::getline(in, id);) ids.push_back(id);
    return ids;
}

// The path as UTF-8, the form SQLite takes a file name in on every platform.
std::string utf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::int64_t seconds(LocalTime at) { return at.time_since_epoch().count(); }

void bindText(sqlite3_stmt* stmt, int index, const std::string& text) {
    sqlite3_bind_text(stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

// Binds the record's fields, in the order of kColumns, from parameter 1 on.
void bindRecord(sqlite3_stmt* stmt, const FaxRecord& r) {
    int i = 0;
    sqlite3_bind_int64(stmt, ++i, seconds(r.submitted));
    for (const auto* text : {&r.recipient, &r.company, &r.number, &r.subject}) bindText(stmt, ++i, *text);
    sqlite3_bind_int(stmt, ++i, r.pagesSent);
    sqlite3_bind_int(stmt, ++i, r.pagesTotal);
    sqlite3_bind_int(stmt, ++i, static_cast<int>(r.state));
    bindText(stmt, ++i, r.reason);
    sqlite3_bind_int(stmt, ++i, r.retries);
    bindText(stmt, ++i, r.mergeRun);
    sqlite3_bind_int(stmt, ++i, static_cast<int>(r.software));
    bindText(stmt, ++i, r.server);
    bindText(stmt, ++i, joinIds(r.jobIds));
    for (const auto* text : {&r.keptImage, &r.schedule, &r.delivery}) bindText(stmt, ++i, *text);
}

std::string textAt(sqlite3_stmt* stmt, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
    return text ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(stmt, column))) : std::string();
}

// A state or software number the file holds but this add-in does not know (a later version wrote
// it) is read as the nearest it knows: an unknown state as failed, so it is never shown as sent.
FaxState stateFrom(int value) {
    return value >= 0 && value <= static_cast<int>(FaxState::HandedOn) ? static_cast<FaxState>(value) : FaxState::Failed;
}
FaxSoftwareKind softwareFrom(int value) {
    return value >= 0 && value <= static_cast<int>(FaxSoftwareKind::Hylafax) ? static_cast<FaxSoftwareKind>(value)
                                                                            : FaxSoftwareKind::ExtendedFaxService;
}

// Reads a row of "id, " followed by kColumns.
FaxRecord readRecord(sqlite3_stmt* stmt) {
    FaxRecord r;
    int i = 0;
    r.id = sqlite3_column_int64(stmt, i++);
    r.submitted = LocalTime(std::chrono::seconds(sqlite3_column_int64(stmt, i++)));
    for (auto* text : {&r.recipient, &r.company, &r.number, &r.subject}) *text = textAt(stmt, i++);
    r.pagesSent = sqlite3_column_int(stmt, i++);
    r.pagesTotal = sqlite3_column_int(stmt, i++);
    r.state = stateFrom(sqlite3_column_int(stmt, i++));
    r.reason = textAt(stmt, i++);
    r.retries = sqlite3_column_int(stmt, i++);
    r.mergeRun = textAt(stmt, i++);
    r.software = softwareFrom(sqlite3_column_int(stmt, i++));
    r.server = textAt(stmt, i++);
    r.jobIds = splitIds(textAt(stmt, i++));
    for (auto* text : {&r.keptImage, &r.schedule, &r.delivery}) *text = textAt(stmt, i++);
    return r;
}

}  // namespace

void SqliteFaxHistory::Close::operator()(sqlite3* db) const noexcept { sqlite3_close_v2(db); }

SqliteFaxHistory::SqliteFaxHistory(std::filesystem::path file, std::string imageFolder,
                                   std::filesystem::path imageFolderOnDisk, std::chrono::milliseconds busyWait)
    : file_(std::move(file)),
      imageFolder_(std::move(imageFolder)),
      imageFolderOnDisk_(std::move(imageFolderOnDisk)),
      busyWait_(busyWait) {}

SqliteFaxHistory::~SqliteFaxHistory() = default;

void SqliteFaxHistory::fail(const char* doing, int code) {
    std::string why = sqlite3_errstr(code);
    if (isBusy(code)) why = "another program holds it";
    if ((code & 0xFF) == SQLITE_NOTADB || (code & 0xFF) == SQLITE_CORRUPT) why = "it is damaged";
    // A file that failed is opened afresh at the next use: it may have been repaired or let go.
    db_.reset();
    throw RuntimeError(err::PathFileAccess,
                       "The fax history " + utf8(file_) + " could not be " + doing + ": " + why + ".",
                       "Fax history");
}

sqlite3* SqliteFaxHistory::open() {
    if (db_) return db_.get();
    std::error_code ec;
    if (file_.has_parent_path()) std::filesystem::create_directories(file_.parent_path(), ec);
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(utf8(file_).c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    db_.reset(db);
    if (rc != SQLITE_OK) fail("opened", db ? sqlite3_extended_errcode(db) : rc);
    sqlite3_busy_timeout(db, static_cast<int>(busyWait_.count()));
    // Reading the schema is what finds a file that is damaged or no database at all.
    if (sqlite3_exec(db,
                     "CREATE TABLE IF NOT EXISTS faxes (id INTEGER PRIMARY KEY AUTOINCREMENT,"
                     " submitted INTEGER NOT NULL, recipient TEXT, company TEXT, number TEXT, subject TEXT,"
                     " pages_sent INTEGER, pages_total INTEGER, state INTEGER, reason TEXT, retries INTEGER,"
                     " merge_run TEXT, software INTEGER, server TEXT, job_ids TEXT, kept_image TEXT,"
                     " schedule TEXT, delivery TEXT);"
                     "CREATE INDEX IF NOT EXISTS faxes_submitted ON faxes (submitted)",
                     nullptr, nullptr, nullptr) != SQLITE_OK)
        fail("read", sqlite3_extended_errcode(db));
    return db;
}

std::string SqliteFaxHistory::imageFolder() {
    std::error_code ec;
    std::filesystem::create_directories(imageFolderOnDisk_, ec);
    if (ec)
        throw RuntimeError(err::PathFileAccess,
                           "The folder " + utf8(imageFolderOnDisk_) + " could not be created: " + ec.message() + ".",
                           "Fax history");
    return imageFolder_;
}

// The record's fields as parameters 1 to 17, in the order of kColumns.
constexpr const char* kRecordParameters = "(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17)";

void SqliteFaxHistory::write(const std::string& sql, const FaxRecord& record, bool byId) {
    sqlite3* db = open();
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &raw, nullptr) != SQLITE_OK) fail("written", sqlite3_extended_errcode(db));
    const Statement statement(raw);
    bindRecord(raw, record);
    if (byId) sqlite3_bind_int64(raw, 18, record.id);
    if (sqlite3_step(raw) != SQLITE_DONE) fail("written", sqlite3_extended_errcode(db));
}

std::int64_t SqliteFaxHistory::add(const FaxRecord& record) {
    write(std::string("INSERT INTO faxes (") + kColumns + ") VALUES " + kRecordParameters, record, false);
    return sqlite3_last_insert_rowid(db_.get());
}

void SqliteFaxHistory::update(const FaxRecord& record) {
    write(std::string("UPDATE faxes SET (") + kColumns + ") = " + kRecordParameters + " WHERE id = ?18", record, true);
}

std::vector<FaxRecord> SqliteFaxHistory::select(const char* where, LocalTime at) {
    sqlite3* db = open();
    const std::string sql = std::string("SELECT id, ") + kColumns + " FROM faxes WHERE " + where;
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &raw, nullptr) != SQLITE_OK) fail("read", sqlite3_extended_errcode(db));
    const Statement statement(raw);
    sqlite3_bind_int64(raw, 1, seconds(at));
    std::vector<FaxRecord> records;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) records.push_back(readRecord(raw));
    if (rc != SQLITE_DONE) fail("read", sqlite3_extended_errcode(db));
    return records;
}

std::vector<FaxRecord> SqliteFaxHistory::since(LocalTime from) {
    return select("submitted >= ?1 ORDER BY submitted DESC, id DESC", from);
}

std::vector<FaxRecord> SqliteFaxHistory::removeBefore(LocalTime before) {
    sqlite3* db = open();
    if (sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
        fail("written", sqlite3_extended_errcode(db));
    try {
        std::vector<FaxRecord> removed = select("submitted < ?1 ORDER BY id", before);
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(db, "DELETE FROM faxes WHERE submitted < ?1", -1, &raw, nullptr) != SQLITE_OK)
            fail("written", sqlite3_extended_errcode(db));
        const Statement statement(raw);
        sqlite3_bind_int64(raw, 1, seconds(before));
        if (sqlite3_step(raw) != SQLITE_DONE) fail("written", sqlite3_extended_errcode(db));
        if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
            fail("written", sqlite3_extended_errcode(db));
        return removed;
    } catch (...) {
        // fail() closed the connection, which rolls the transaction back; otherwise roll back here.
        if (db_) sqlite3_exec(db_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

}  // namespace telvora
