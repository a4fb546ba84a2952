// The registry settings store shares its values with the companion template's macros, which use
// VBA's GetSetting and SaveSetting (played here by a script through WScript.Shell).
#include <gtest/gtest.h>

#include "base/errors.h"
#include "support.h"
#include "win32/handles.h"
#include "win32/registry_settings_store.h"
#include "win32/text.h"

namespace telvora::win32 {
namespace {

class RegistryStore : public ::testing::Test {
protected:
    void TearDown() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\VB and VBA Program Settings\\" + widen(app)).c_str()); }

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

TEST_F(RegistryStore, AMissingSectionKeyOrNonTextValueGivesTheDefault) {
    EXPECT_EQ("1", store.GetSetting(app, "Settings", "FaxType", "1"));
    store.SaveSetting(app, "Settings", "Printer", "Fax");
    EXPECT_EQ("Don't Print", store.GetSetting(app, "Settings", "DefaultPrinter", "Don't Print"));
    EXPECT_EQ("", store.GetSetting(app, "Other", "Printer"));

    DWORD number = 5;
    ASSERT_EQ(ERROR_SUCCESS, ::RegSetKeyValueW(HKEY_CURRENT_USER, (L"Software\\VB and VBA Program Settings\\" + widen(app) + L"\\Settings").c_str(),
                                               L"DefaultCopies", REG_DWORD, &number, sizeof number));
    EXPECT_EQ("1", store.GetSetting(app, "Settings", "DefaultCopies", "1"));
}

TEST_F(RegistryStore, DeletingRemovesOnlyThatKeyAndAMissingKeyIsNoError) {
    store.SaveSetting(app, "Settings", "BlnServer", "True");
    store.SaveSetting(app, "Settings", "FaxType", "1");
    store.DeleteSetting(app, "Settings", "BlnServer");
    EXPECT_EQ("gone", store.GetSetting(app, "Settings", "BlnServer", "gone"));
    EXPECT_EQ("1", store.GetSetting(app, "Settings", "FaxType"));
    EXPECT_NO_THROW(store.DeleteSetting(app, "Settings", "BlnServer"));
    EXPECT_NO_THROW(store.DeleteSetting(app, "Nowhere", "BlnServer"));
}

TEST_F(RegistryStore, AnEmptyApplicationOrSectionIsRefusedRatherThanWrittenAboveTheSection) {
    for (auto [a, s] : {std::pair<std::string, std::string>{"", "Settings"}, {app, ""}}) {
        try {
            store.SaveSetting(a, s, "FaxType", "1");
            FAIL() << "saved";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(err::InvalidProcedureCall, e.number());
        }
        EXPECT_THROW((void)store.GetSetting(a, s, "FaxType"), RuntimeError);
    }
}

}  // namespace
}  // namespace telvora::win32
