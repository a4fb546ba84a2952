// The about box's way to System Information on a real Windows registry and process launcher: a real
// program started from where the registry says it is. Reading registry texts with and without their
// NUL is the platform test's; what the about box makes of them is proven natively.
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <thread>
#include <vector>

#include "app/addin.h"
#include "base/errors.h"
#include "dialogs/about.h"
#include "support.h"
#include "win32/automation.h"
#include "win32/handles.h"
#include "win32/registry_settings_store.h"
#include "win32/text.h"
#include "win32/win32_platform.h"

namespace telvora::win32 {
namespace {

// Records the message boxes; shows no dialogs.
class RecordingUi final : public Ui {
public:
    MsgResult messageBox(const std::string& prompt, MsgButtons, MsgIcon, const std::string&) override {
        prompts.push_back(prompt);
        return MsgResult::OK;
    }
    void runModal(Form&) override { throw RuntimeError::notAvailableYet("Showing dialogs"); }
    std::vector<std::string> prompts;
};

// One value under HKEY_LOCAL_MACHINE set (or removed) for the life of the object, and put back as
// it was afterwards: the machine's own System Information entries must survive the test.
class ScopedMachineValue {
public:
    ScopedMachineValue(std::wstring key, std::wstring name, std::optional<std::wstring> value)
        : key_(std::move(key)), name_(std::move(name)) {
        unique_hkey k;
        EXPECT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, key_.c_str(), 0, nullptr, 0,
                                                   KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, k.put(), nullptr));
        DWORD type = 0, size = 0;
        if (::RegQueryValueExW(k.get(), name_.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
            old_.emplace(size);
            oldType_ = type;
            ::RegQueryValueExW(k.get(), name_.c_str(), nullptr, &type, old_->data(), &size);
        }
        if (value) {
            ::RegSetValueExW(k.get(), name_.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value->c_str()),
                             static_cast<DWORD>((value->size() + 1) * sizeof(wchar_t)));
        } else {
            ::RegDeleteValueW(k.get(), name_.c_str());
        }
    }
    ~ScopedMachineValue() {
        unique_hkey k;
        if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, key_.c_str(), 0, KEY_SET_VALUE, k.put()) != ERROR_SUCCESS) return;
        if (old_) {
            ::RegSetValueExW(k.get(), name_.c_str(), 0, oldType_, old_->data(), static_cast<DWORD>(old_->size()));
        } else {
            ::RegDeleteValueW(k.get(), name_.c_str());
        }
    }
    ScopedMachineValue(const ScopedMachineValue&) = delete;
    ScopedMachineValue& operator=(const ScopedMachineValue&) = delete;

private:
    std::wstring key_, name_;
    std::optional<std::vector<BYTE>> old_;
    DWORD oldType_ = 0;
};

const wchar_t kPathKey[] = L"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const wchar_t kFolderKey[] = L"SOFTWARE\\Microsoft\\Shared Tools Location";

class SystemInformationTest : public ::testing::Test {
protected:
    SystemInformationTest() { ::DeleteFileW(marker().c_str()); }
    ~SystemInformationTest() override { ::DeleteFileW(marker().c_str()); }

    static std::wstring programFolder() { return test::programFolder() + L"\\msinfo"; }
    static std::wstring program() { return programFolder() + L"\\MSINFO32.EXE"; }
    static std::wstring marker() { return program() + L".started"; }
    // Whether the stand-in program ran: it leaves its marker within a few seconds.
    static bool programRan() {
        for (int i = 0; i < 150; ++i) {
            if (::GetFileAttributesW(marker().c_str()) != INVALID_FILE_ATTRIBUTES) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return false;
    }

    Win32Platform platform;
    RegistrySettingsStore settings;
    Win32Automation automation;
    RecordingUi ui;
    Addin addin{Ports{settings, automation, ui, platform}};
};

TEST_F(SystemInformationTest, TheProgramAtTheStoredPathIsStarted) {
    ScopedMachineValue path(kPathKey, L"PATH", program());
    StartSysInfo(addin);
    EXPECT_TRUE(programRan());
    EXPECT_TRUE(ui.prompts.empty());
}

TEST_F(SystemInformationTest, TheProgramInTheStoredFolderIsStarted) {
    ScopedMachineValue path(kPathKey, L"PATH", std::nullopt);
    ScopedMachineValue folder(kFolderKey, L"MSINFO", programFolder());
    StartSysInfo(addin);
    EXPECT_TRUE(programRan());
    EXPECT_TRUE(ui.prompts.empty());
}

TEST(Win32AddinVersion, IsTheVersionRecordOfTheFileTheCodeWasLoadedFrom) {
    // The test program carries a version record of 7.8.9, unlike the product's own.
    Win32Platform platform;
    const ProductVersion v = platform.addinVersion();
    EXPECT_EQ(7u, v.major);
    EXPECT_EQ(8u, v.minor);
    EXPECT_EQ(9u, v.revision);
}

}  // namespace
}  // namespace telvora::win32
