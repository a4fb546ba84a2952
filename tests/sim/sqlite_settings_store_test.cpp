// The simulator's settings file: values survive reopening, and a damaged or locked file is
// reported clearly and left exactly as it was.
#include "sim/sqlite_settings_store.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "base/errors.h"
#include "support/settings_store_contract.h"
#include "sim/host_tools.h"
#include "support/sim_addin.h"

namespace telvora::sim {
namespace {

// A settings file of its own in a scratch folder, for the contract every store keeps.
class ScratchSqliteStore final : public SettingsStore {
public:
    std::string GetSetting(const std::string& a, const std::string& s, const std::string& k,
                           const std::string& d) override {
        return inner_.GetSetting(a, s, k, d);
    }
    void SaveSetting(const std::string& a, const std::string& s, const std::string& k, const std::string& v) override {
        inner_.SaveSetting(a, s, k, v);
    }
    void DeleteSetting(const std::string& a, const std::string& s, const std::string& k) override {
        inner_.DeleteSetting(a, s, k);
    }

private:
    telvora::testing::ScratchFolder scratch_;
    SqliteSettingsStore inner_{scratch_.path() / "settings.db"};
};

}  // namespace
}  // namespace telvora::sim

namespace telvora::testing {
namespace {
struct SqliteStores {
    static std::unique_ptr<SettingsStore> make() { return std::make_unique<sim::ScratchSqliteStore>(); }
    static std::string application() { return "0x61645694"; }
};
INSTANTIATE_TYPED_TEST_SUITE_P(Sqlite, SettingsStoreContract, SqliteStores);
}  // namespace
}  // namespace telvora::testing

namespace telvora::sim {
namespace {

using telvora::testing::contains;
class SqliteSettingsStoreTest : public ::testing::Test {
protected:
    telvora::testing::ScratchFolder scratch;
    std::filesystem::path file = scratch.path() / "profile" / "settings.db";
};

TEST_F(SqliteSettingsStoreTest, ValuesSurviveReopeningAndADeletedOneStaysDeleted) {
    {
        SqliteSettingsStore store(file);
        store.SaveSetting("0x61645694", "Settings", "Printer", "Fax \"Office\" ü");
        store.SaveSetting("0x61645694", "Settings", "BlnServer", "True");
        store.DeleteSetting("0x61645694", "Settings", "BlnServer");
    }
    SqliteSettingsStore reopened(file);
    EXPECT_EQ(reopened.GetSetting("0x61645694", "Settings", "Printer"), "Fax \"Office\" ü");
    EXPECT_EQ(reopened.GetSetting("0x61645694", "Settings", "BlnServer", "gone"), "gone");
}

TEST_F(SqliteSettingsStoreTest, ADamagedFileIsReportedByNameAndNotTouched) {
    std::filesystem::create_directories(file.parent_path());
    const std::string garbage(4096, '\x5a');
    std::ofstream(file, std::ios::binary) << garbage;
    const RuntimeError e = telvora::testing::errorRaisedBy([&] { SqliteSettingsStore store(file); });
    EXPECT_EQ(e.number(), err::PathFileAccess) << "a damaged settings file was accepted";
    EXPECT_TRUE(contains(e.description(), file.string()));
    EXPECT_TRUE(contains(e.description(), "damaged"));
    EXPECT_EQ(telvora::testing::readBytes(file), garbage) << "the user's file must never be reset";
}

TEST_F(SqliteSettingsStoreTest, AFileLockedForLongerThanTheWaitIsReportedAndTheStoredValuesStay) {
    SqliteSettingsStore store(file, std::chrono::milliseconds(100));
    store.SaveSetting("0x61645694", "Settings", "Printer", "Fax");

    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    const RuntimeError e =
        telvora::testing::errorRaisedBy([&] { store.SaveSetting("0x61645694", "Settings", "Printer", "Other"); });
    EXPECT_EQ(e.number(), err::PathFileAccess) << "a write to a locked file reported success";
    EXPECT_TRUE(contains(e.description(), "locked"));
    // Readers go on while another program writes.
    EXPECT_EQ(store.GetSetting("0x61645694", "Settings", "Printer"), "Fax");
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);

    EXPECT_EQ(store.GetSetting("0x61645694", "Settings", "Printer"), "Fax");
}

TEST_F(SqliteSettingsStoreTest, SeveralProgramsWritingAtOnceLoseNothing) {
    // Word, the template's macros and a second simulator may all hold the profile at once; each
    // opens the file itself, creating it if none has yet.
    constexpr int kWriters = 4;
    constexpr int kKeys = 400;
    std::vector<pid_t> children;
    for (int w = 0; w < kWriters; ++w) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            int status = 0;
            try {
                SqliteSettingsStore store(file);
                for (int k = 0; k < kKeys; ++k)
                    store.SaveSetting("0x61645694", "Writer" + std::to_string(w), "Key" + std::to_string(k),
                                      std::to_string(w * kKeys + k));
            } catch (...) {
                status = 1;
            }
            ::_exit(status);
        }
        children.push_back(pid);
    }
    for (const pid_t pid : children) {
        int status = -1;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a writer failed";
    }
    SqliteSettingsStore store(file);
    int found = 0;
    for (int w = 0; w < kWriters; ++w)
        for (int k = 0; k < kKeys; ++k)
            found += store.GetSetting("0x61645694", "Writer" + std::to_string(w), "Key" + std::to_string(k)) ==
                     std::to_string(w * kKeys + k);
    EXPECT_EQ(found, kWriters * kKeys);
}

TEST_F(SqliteSettingsStoreTest, TheDefaultFileFollowsTheUsersConfigFolder) {
    const char* before = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = before ? before : "";
    ::setenv("XDG_CONFIG_HOME", scratch.path().c_str(), 1);
    EXPECT_EQ(SqliteSettingsStore::defaultPath(), scratch.path() / "telvora" / "settings.db");
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(SqliteSettingsStore::defaultPath().filename(), "settings.db");
    EXPECT_EQ(SqliteSettingsStore::defaultPath().parent_path().filename(), "telvora");
    if (before) ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
}

}  // namespace
}  // namespace telvora::sim
