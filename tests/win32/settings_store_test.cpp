// The registry settings store keeps every settings store's promises, and shares its values with the
// companion template's macros, which use VBA's GetSetting and SaveSetting (played here by a script
// through WScript.Shell).
#include <gtest/gtest.h>

#include "base/errors.h"
#include "support.h"
#include "support/settings_store_contract.h"
#include "win32/handles.h"
#include "win32/registry_settings_store.h"
#include "win32/text.h"

namespace telvora::win32 {
namespace {

constexpr const wchar_t* kVbaSettings = L"Software\\VB and VBA Program Settings\\";

// The registry store under an application name of its own, removed with all its sections when the
// test's store goes.
class ScratchRegistryStore final : public SettingsStore {
public:
    static std::string application() { return "TelvoraContract" + std::to_string(::GetCurrentProcessId()); }

    ~ScratchRegistryStore() override {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, (kVbaSettings + widen(application())).c_str());
    }
    std::string GetSetting(const std::string& application, const std::string& section, const std::string& key,
                           const std::string& defaultValue) override {
        return store_.GetSetting(application, section, key, defaultValue);
    }
    void SaveSetting(const std::string& application, const std::string& section, const std::string& key,
                     const std::string& value) override {
        store_.SaveSetting(application, section, key, value);
    }
    void DeleteSetting(const std::string& application, const std::string& section, const std::string& key) override {
        store_.DeleteSetting(application, section, key);
    }

private:
    RegistrySettingsStore store_;
};

struct RegistryStores {
    static std::unique_ptr<SettingsStore> make() { return std::make_unique<ScratchRegistryStore>(); }
    static std::string application() { return ScratchRegistryStore::application(); }
};

using namespace telvora::testing;  // the contract's suite
INSTANTIATE_TYPED_TEST_SUITE_P(Registry, SettingsStoreContract, RegistryStores);

class RegistryStore : public ::testing::Test {
protected:
    void TearDown() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, (kVbaSettings + widen(app)).c_str()); }

    // What a macro does: write or check one value at VBA's location.
    int macro(const std::wstring& mode, const std::string& key, const std::string& value) {
        return test::runScript(L"settings.vbs",
                               mode + L" \"" + widen(app) + L"\" Settings \"" + widen(key) + L"\" \"" + widen(value) + L"\"");
    }

    std::string app = "TelvoraTest" + std::to_string(::GetCurrentProcessId());
    RegistrySettingsStore store;
};

TEST_F(RegistryStore, ReadsWhatAMacroSavedAndAMacroReadsWhatItSaved) {
    ASSERT_EQ(0, macro(L"write", "FaxType", "3"));
    EXPECT_EQ("3", store.GetSetting(app, "Settings", "FaxType", "1"));
    ASSERT_EQ(0, macro(L"write", "Printer", "Fax – Büro"));
    EXPECT_EQ("Fax – Büro", store.GetSetting(app, "Settings", "printer"));

    store.SaveSetting(app, "Settings", "ServerName", "FAXSRV");
    EXPECT_EQ(0, macro(L"expect", "ServerName", "FAXSRV"));
    store.SaveSetting(app, "Settings", "EmailAddress", "zoë@example.com");
    EXPECT_EQ(0, macro(L"expect", "EmailAddress", "zoë@example.com"));
    store.SaveSetting(app, "Settings", "ServerName", "");
    EXPECT_EQ(0, macro(L"expect", "ServerName", ""));
    EXPECT_EQ(1, macro(L"expect", "ServerName", "FAXSRV"));  // the check itself can fail
}

TEST_F(RegistryStore, AValueThatIsNoTextGivesTheDefault) {
    // Only SaveSetting's strings are settings; a number someone else stored there is not one.
    DWORD number = 5;
    ASSERT_EQ(ERROR_SUCCESS, ::RegSetKeyValueW(HKEY_CURRENT_USER, (kVbaSettings + widen(app) + L"\\Settings").c_str(),
                                               L"DefaultCopies", REG_DWORD, &number, sizeof number));
    EXPECT_EQ("1", store.GetSetting(app, "Settings", "DefaultCopies", "1"));
}

}  // namespace
}  // namespace telvora::win32
