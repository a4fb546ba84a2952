// Registration writes a table and takes it back: a failure part-way leaves nothing behind, and
// removing what is already gone succeeds. (What the DLL's own table holds is checked where regsvr32
// registers it, by com_server.sh.)
#include <gtest/gtest.h>

#include "win32/handles.h"
#include "win32/server.h"

namespace telvora::win32 {
namespace {

bool keyExists(const std::wstring& path) {
    unique_hkey key;
    return ::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

class RegistrationTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A key beside the owned ones: it belongs to someone else and must survive.
        unique_hkey k;
        ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_CURRENT_USER, (root + L"\\Shared\\Other").c_str(), 0, nullptr, 0,
                                                   KEY_SET_VALUE, nullptr, k.put(), nullptr));
        table.ownedKeys = {{HKEY_CURRENT_USER, root + L"\\Shared\\Mine"}, {HKEY_CURRENT_USER, root + L"\\Own"}};
        table.entries = {
            {HKEY_CURRENT_USER, root + L"\\Shared\\Mine", L"", std::wstring(L"value")},
            {HKEY_CURRENT_USER, root + L"\\Shared\\Mine\\Sub", L"Name", std::wstring(L"x")},
            {HKEY_CURRENT_USER, root + L"\\Own", L"LoadBehavior", DWORD{3}},
        };
    }
    void TearDown() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, root.c_str()); }

    std::wstring root = L"Software\\TelvoraRegistrationTest";
    RegistrationTable table;
};

TEST_F(RegistrationTableTest, UnregisteringRemovesTheOwnedKeysAndSucceedsWhenTheyAreGone) {
    ASSERT_EQ(S_OK, registerTable(table));
    EXPECT_TRUE(keyExists(root + L"\\Shared\\Mine\\Sub"));
    EXPECT_TRUE(keyExists(root + L"\\Own"));
    EXPECT_EQ(S_OK, unregisterTable(table));
    EXPECT_FALSE(keyExists(root + L"\\Shared\\Mine"));
    EXPECT_FALSE(keyExists(root + L"\\Own"));
    EXPECT_TRUE(keyExists(root + L"\\Shared\\Other"));
    EXPECT_EQ(S_OK, unregisterTable(table));
}

TEST_F(RegistrationTableTest, AFailedRegistrationReportsItsErrorAndRollsBack) {
    // The last value cannot be written: its root is no open key.
    table.entries.push_back({reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x7654)), L"Software\\Nowhere", L"", std::wstring(L"v")});
    const HRESULT hr = registerTable(table);
    EXPECT_TRUE(FAILED(hr));
    EXPECT_EQ(FACILITY_WIN32, HRESULT_FACILITY(hr));
    EXPECT_FALSE(keyExists(root + L"\\Shared\\Mine"));
    EXPECT_FALSE(keyExists(root + L"\\Own"));
    EXPECT_TRUE(keyExists(root + L"\\Shared\\Other"));
}

TEST_F(RegistrationTableTest, ASharedKeyGoesOnlyWithTheLastBuildRegisteredInIt) {
    // The type library's key holds one platform subkey per registered build of the DLL.
    const std::wstring lib = root + L"\\Lib";
    table.ownedKeys.emplace_back(HKEY_CURRENT_USER, lib + L"\\1.0\\0\\win64");
    table.sharedKeys.push_back({HKEY_CURRENT_USER, lib, lib + L"\\1.0\\0"});
    table.entries.push_back({HKEY_CURRENT_USER, lib + L"\\1.0\\0\\win64", L"", std::wstring(L"x64 dll")});
    table.entries.push_back({HKEY_CURRENT_USER, lib + L"\\1.0\\0\\win32", L"", std::wstring(L"x86 dll")});
    ASSERT_EQ(S_OK, registerTable(table));

    EXPECT_EQ(S_OK, unregisterTable(table));
    EXPECT_FALSE(keyExists(lib + L"\\1.0\\0\\win64"));
    EXPECT_TRUE(keyExists(lib + L"\\1.0\\0\\win32"));

    ASSERT_EQ(ERROR_SUCCESS, ::RegDeleteKeyW(HKEY_CURRENT_USER, (lib + L"\\1.0\\0\\win32").c_str()));
    EXPECT_EQ(S_OK, unregisterTable(table));
    EXPECT_FALSE(keyExists(lib));
}

}  // namespace
}  // namespace telvora::win32
