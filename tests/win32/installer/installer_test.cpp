// The setup program users get (a 32-bit program) as a user and an administrator meet it, run by the
// tests of each build tree: a silent install (also over an earlier one) puts the files in the
// user's own programs folder and registers both DLLs exactly as each would register itself, each in
// its own registry view; a Word of this test's bitness loads its own DLL from there and finds the
// template; either build unregistered by its own regsvr32 leaves the other whole; the silent
// uninstall leaves nothing but the user's settings; an administrator's
// install for all users goes to Program Files and the machine's registry, beside a user's own,
// and each uninstaller removes its own installation only;
// Windows before 7 is refused without a change, and a running Word is named: the user is told to
// restart it, and an uninstall waits until it is closed.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <optional>
#include <variant>

#include "sim/word/document_builder.h"
#include "support.h"
#include "win32/gui_handles.h"
#include "win32/registry.h"
#include "win32/server.h"
#include "win32/text.h"
#include "word_host/fax_sending.h"
#include "word_host/machine_setup.h"
#include "message_boxes.h"
#include "word_host/word_host.h"

namespace telvora::win32 {
namespace {

namespace fs = std::filesystem;

constexpr const wchar_t* kSettingsKey = L"Software\\VB and VBA Program Settings\\0x61645694\\Settings";
constexpr const wchar_t* kPagewireServerKey = L"Software\\Classes\\CLSID\\{283238B9-EC67-4AD5-9590-94A72EBE8AF0}\\InprocServer32";
constexpr const wchar_t* kUninstallKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Telvora";

std::wstring setupProgram() { return test::environmentText(L"TELVORA_SETUP"); }

fs::path installFolder() {
    wchar_t local[MAX_PATH] = {};
    EXPECT_EQ(S_OK, ::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, local));
    return fs::path(local) / L"Programs" / L"Telvora";
}

// The installation for all users: in the 64-bit Program Files, whichever bitness asks.
fs::path machineInstallFolder() { return fs::path(test::environmentText(L"ProgramW6432")) / L"Telvora"; }

int run(const std::wstring& commandLine) { return test::runProgram(commandLine, nullptr, 120000); }

int install(const std::wstring& options = L"/S") { return run(L"\"" + setupProgram() + L"\" " + options); }

// The uninstaller hands its work to a copy of itself and returns at once; the removal is done when
// the folder has gone.
bool uninstall(const fs::path& folder = installFolder()) {
    if (run(L"\"" + (folder / L"Uninstall.exe").wstring() + L"\" /S") != 0) return false;
    for (int i = 0; i < 300 && fs::exists(folder); ++i) ::Sleep(100);
    ::Sleep(200);  // the copy's last registry writes
    return !fs::exists(folder);
}

// Keys are named as they lie in the registry (the 32-bit view's classes under Wow6432Node) and read
// so in either bitness; `view` reads them as programs of one bitness see them instead.
std::optional<std::variant<std::wstring, DWORD>> readValue(const std::wstring& key, const std::wstring& name,
                                                           REGSAM view = KEY_WOW64_64KEY, HKEY root = HKEY_CURRENT_USER) {
    unique_hkey k;
    RawValue value;
    if (::RegOpenKeyExW(root, key.c_str(), 0, KEY_READ | view, k.put()) != ERROR_SUCCESS ||
        queryValue(k.get(), name.empty() ? nullptr : name.c_str(), value) != ERROR_SUCCESS)
        return std::nullopt;
    if (value.type != REG_DWORD) return textWithoutTerminator(value);
    DWORD number = 0;
    std::memcpy(&number, value.data.data(), std::min(value.data.size(), sizeof number));
    return number;
}

bool keyExists(const std::wstring& key, HKEY root = HKEY_CURRENT_USER) {
    unique_hkey k;
    return ::RegOpenKeyExW(root, key.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, k.put()) == ERROR_SUCCESS;
}

// What a DLL of the given bitness registers on a 64-bit Windows, each key named where it lies: the
// 32-bit DLL's classes and interfaces where Windows keeps 32-bit programs' ones, the type library
// under the DLL's platform ("win32" or "win64") whichever bitness this test program has.
RegistrationTable storedRegistration(bool thirtyTwoBit, const std::wstring& dll) {
    RegistrationTable t = registrationTable(dll);
    const auto move = [thirtyTwoBit](std::wstring& key) {
        for (const std::wstring part : {L"CLSID\\", L"Interface\\"}) {
            const std::wstring from = L"Software\\Classes\\" + part;
            if (thirtyTwoBit && key.starts_with(from))
                key = L"Software\\Classes\\Wow6432Node\\" + part + key.substr(from.size());
        }
        for (const std::wstring platform : {L"\\0\\win64", L"\\0\\win32"}) {
            if (const auto at = key.find(platform); at != std::wstring::npos)
                key.replace(at, platform.size(), thirtyTwoBit ? L"\\0\\win32" : L"\\0\\win64");
        }
    };
    for (auto& e : t.entries) move(e.key);
    for (auto& [root, key] : t.ownedKeys) move(key);
    return t;
}

// The same for all users, in the machine's registry, which keeps its software key apart for 32-bit
// programs: 32-bit Word's add-in entry lies there.
RegistrationTable machineRegistration(const std::wstring& dll, bool thirtyTwoBit) {
    RegistrationTable t = storedRegistration(thirtyTwoBit, dll);
    const std::wstring addins = L"Software\\Microsoft\\Office\\";
    const auto move = [thirtyTwoBit, &addins](std::wstring& key) {
        if (thirtyTwoBit && key.starts_with(addins)) key = L"Software\\Wow6432Node\\Microsoft\\Office\\" + key.substr(addins.size());
    };
    for (auto& e : t.entries) move(e.key);
    for (auto& shared : t.sharedKeys) move(shared.key);
    return t;
}

void expectRegistered(const RegistrationTable& table, HKEY root = HKEY_CURRENT_USER) {
    for (const auto& e : table.entries) {
        const auto value = readValue(e.key, e.name, KEY_WOW64_64KEY, root);
        EXPECT_TRUE(value && *value == e.value) << narrow(e.key) << " [" << narrow(e.name) << "]";
    }
}

// Every key a registration owns and then every key it shares with the other build, in table order.
std::vector<std::wstring> keysOf(const RegistrationTable& table) {
    std::vector<std::wstring> keys;
    for (const auto& [root, key] : table.ownedKeys) keys.push_back(key);
    for (const auto& shared : table.sharedKeys) keys.push_back(shared.key);
    return keys;
}

void expectUnregistered(const RegistrationTable& table, HKEY root = HKEY_CURRENT_USER) {
    for (const auto& key : keysOf(table)) EXPECT_FALSE(keyExists(key, root)) << narrow(key);
}

// The DLL a Word of this test's bitness loads, and where its registration lies.
constexpr bool kThirtyTwoBit = sizeof(void*) == 4;

// Wine's COM finds classes only in the machine's hive: the per-user registration the setup program
// wrote for this bitness is copied there, into this process's own view, while the host loads the
// add-in.
class MachineCopyOfClasses {
public:
    explicit MachineCopyOfClasses(const std::wstring& dll) {
        const std::vector<std::wstring> stored = keysOf(storedRegistration(kThirtyTwoBit, dll));
        const std::vector<std::wstring> seen = keysOf(registrationTable(dll));
        for (std::size_t i = 0; i < seen.size(); ++i) {
            const std::wstring& key = seen[i];
            if (!key.starts_with(L"Software\\Classes\\")) continue;
            unique_hkey from, to;
            if (::RegOpenKeyExW(HKEY_CURRENT_USER, stored[i].c_str(), 0, KEY_READ | KEY_WOW64_64KEY, from.put()) !=
                ERROR_SUCCESS)
                continue;
            if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, to.put(),
                                  nullptr) != ERROR_SUCCESS)
                continue;
            ::RegCopyTreeW(from.get(), nullptr, to.get());
            copied_.push_back(key);
        }
    }
    ~MachineCopyOfClasses() {
        for (const auto& key : copied_) ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, key.c_str());
        for (const auto& key : copied_) ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, key.c_str());
    }
    MachineCopyOfClasses(const MachineCopyOfClasses&) = delete;
    MachineCopyOfClasses& operator=(const MachineCopyOfClasses&) = delete;

private:
    std::vector<std::wstring> copied_;
};

class SetupProgram : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(fs::exists(installFolder())) << "an earlier run left Telvora installed";
        ASSERT_FALSE(fs::exists(machineInstallFolder())) << "an earlier run left Telvora installed for all users";
        // The user's own settings, there before Telvora is installed and after it is removed.
        unique_hkey k;
        ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE,
                                                   nullptr, k.put(), nullptr));
        ASSERT_EQ(ERROR_SUCCESS, setString(k.get(), L"ServerName", L"OFFICEFAX"));
    }
    void TearDown() override {
        if (fs::exists(installFolder() / L"Uninstall.exe")) (void)uninstall();
        if (fs::exists(machineInstallFolder() / L"Uninstall.exe")) (void)uninstall(machineInstallFolder());
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kSettingsKey, L"ServerName");
    }

    std::wstring dll64() const { return (installFolder() / L"Telvora64.dll").wstring(); }
    std::wstring dll32() const { return (installFolder() / L"Telvora32.dll").wstring(); }
    std::wstring ownDll() const { return kThirtyTwoBit ? dll32() : dll64(); }

    test::Apartment apartment;
};

TEST_F(SetupProgram, InstallsSilentlyOverItselfRegistersBothBuildsAndWordLoadsTheAddinFromThere) {
    ASSERT_EQ(0, install());
    ASSERT_EQ(0, install()) << "a second install over the first";
    for (const auto* file : {L"Telvora64.dll", L"Telvora32.dll", L"Telvora.dot", L"Telvora.chm", L"Readme.txt",
                             L"Uninstall.exe"})
        EXPECT_TRUE(fs::exists(installFolder() / file)) << narrow(file);
    expectRegistered(storedRegistration(false, dll64()));
    expectRegistered(storedRegistration(true, dll32()));
    // Each Word finds the build of its own bitness: a class as programs of each bitness see it.
    for (const auto& [view, dll] : {std::pair{KEY_WOW64_64KEY, dll64()}, std::pair{KEY_WOW64_32KEY, dll32()}}) {
        const auto server = readValue(kPagewireServerKey, L"", view);
        const std::variant<std::wstring, DWORD> expected{dll};
        EXPECT_TRUE(server && *server == expected) << narrow(dll);
    }
    EXPECT_TRUE(readValue(kUninstallKey, L"UninstallString").has_value());

    {
        // Word starts and loads the add-in's DLL of its own bitness from the installed folder; its
        // first window finds the installed template there. (Faxing with the add-in is the Word
        // host's own test, on the same DLL.)
        MachineCopyOfClasses classes(ownDll());
        host::MessageBoxWatcher user;
        host::InstalledPrinter printer{L"Telvora Fax"};
        host::StoredSetting storedPrinter{"Printer", "Telvora Fax"};
        auto word = host::wordOnThisMachine();
        word->addCommandBar("Telvora", {sim::button("FaxNumber")}, false);
        host::WordHost host(word);
        EXPECT_EQ((std::vector<std::wstring>{L"Telvora.Pagewire"}), host.loadAddins());
        EXPECT_NE(nullptr, ::GetModuleHandleW(ownDll().c_str())) << "the add-in was not loaded from " << narrow(ownDll());
        word->open(host::markedLetter());
        ASSERT_EQ(1u, host.addIns().entries().size());
        EXPECT_EQ(narrow((installFolder() / L"Telvora.dot").wstring()), host.addIns().entries()[0].path);
        EXPECT_TRUE(word->commandBarVisible("Telvora"));
        EXPECT_TRUE(user.texts().empty()) << user.texts().front();
        host.unloadAddins();
    }
    ::CoFreeUnusedLibrariesEx(0, 0);

    ASSERT_TRUE(uninstall());
    expectUnregistered(storedRegistration(false, dll64()));
    expectUnregistered(storedRegistration(true, dll32()));
    EXPECT_FALSE(keyExists(kUninstallKey));
    EXPECT_TRUE(keyExists(L"Software\\Microsoft\\Office\\Word\\Addins")) << "Word's own add-in list stays";
    EXPECT_EQ(std::wstring(L"OFFICEFAX"), std::get<std::wstring>(readValue(kSettingsKey, L"ServerName").value()))
        << "the user's settings are the user's data";
}

// An administrator may take one build away with its own regsvr32: the other Word keeps its add-in,
// since the identifiers and Word's entry, which both builds share, stay while the other is there.
TEST_F(SetupProgram, EachBuildsOwnUnregistrationLeavesTheOtherBuildWhole) {
    wchar_t windows[MAX_PATH] = {};
    ASSERT_NE(0u, ::GetSystemWindowsDirectoryW(windows, MAX_PATH));
    // A 32-bit program reaches the 64-bit system folder as "sysnative".
    const std::wstring tools64 = std::wstring(windows) + (kThirtyTwoBit ? L"\\sysnative" : L"\\system32");
    const std::wstring tools32 = std::wstring(windows) + L"\\syswow64";
    for (const bool thirtyTwoBit : {true, false}) {
        ASSERT_EQ(0, install());
        const std::wstring dll = thirtyTwoBit ? dll32() : dll64();
        const std::wstring regsvr32 = (thirtyTwoBit ? tools32 : tools64) + L"\\regsvr32.exe";
        ASSERT_EQ(0, run(L"\"" + regsvr32 + L"\" /u /s \"" + dll + L"\"")) << narrow(regsvr32);
        EXPECT_FALSE(readValue(kPagewireServerKey, L"", thirtyTwoBit ? KEY_WOW64_32KEY : KEY_WOW64_64KEY))
            << "its own Word still finds " << narrow(dll);
        expectRegistered(storedRegistration(!thirtyTwoBit, thirtyTwoBit ? dll64() : dll32()));
    }
}

// An administrator deploys for every user (silently, as a deployment tool runs it) beside a user's
// own installation; each uninstaller takes away its own installation and nothing of the other.
TEST_F(SetupProgram, ForAllUsersItInstallsIntoProgramFilesAndTheMachinesRegistryAndEachModeRemovesOnlyItsOwn) {
    const fs::path machine = machineInstallFolder();
    const std::wstring machine64 = (machine / L"Telvora64.dll").wstring();
    const std::wstring machine32 = (machine / L"Telvora32.dll").wstring();
    const auto expectMachineInstallation = [&](bool present) {
        for (const auto* file : {L"Telvora64.dll", L"Telvora32.dll", L"Telvora.dot", L"Telvora.chm", L"Uninstall.exe"})
            EXPECT_EQ(present, fs::exists(machine / file)) << narrow(file);
        if (present) {
            expectRegistered(machineRegistration(machine64, false), HKEY_LOCAL_MACHINE);
            expectRegistered(machineRegistration(machine32, true), HKEY_LOCAL_MACHINE);
        } else {
            expectUnregistered(machineRegistration(machine64, false), HKEY_LOCAL_MACHINE);
            expectUnregistered(machineRegistration(machine32, true), HKEY_LOCAL_MACHINE);
        }
        EXPECT_EQ(present, keyExists(kUninstallKey, HKEY_LOCAL_MACHINE));
    };
    const auto expectUserInstallation = [&] {
        expectRegistered(storedRegistration(false, dll64()));
        expectRegistered(storedRegistration(true, dll32()));
        EXPECT_TRUE(keyExists(kUninstallKey));
    };

    ASSERT_EQ(0, install(L"/S /ALLUSERS"));
    ASSERT_EQ(0, install());
    expectMachineInstallation(true);
    expectUserInstallation();

    ASSERT_TRUE(uninstall(machine));
    expectMachineInstallation(false);
    expectUserInstallation();

    ASSERT_EQ(0, install(L"/S /ALLUSERS"));
    ASSERT_TRUE(uninstall());
    expectUnregistered(storedRegistration(false, dll64()));
    expectUnregistered(storedRegistration(true, dll32()));
    expectMachineInstallation(true);
    {
        // Word finds the add-in in the machine's list and loads its own build from Program Files.
        auto word = std::make_shared<sim::WordProcessor>();
        host::WordHost host(word);
        EXPECT_EQ((std::vector<std::wstring>{L"Telvora.Pagewire"}), host.loadAddins());
        EXPECT_NE(nullptr, ::GetModuleHandleW((kThirtyTwoBit ? machine32 : machine64).c_str()));
        host.unloadAddins();
    }
    ::CoFreeUnusedLibrariesEx(0, 0);
    ASSERT_TRUE(uninstall(machine));
    expectMachineInstallation(false);
    EXPECT_EQ(std::wstring(L"OFFICEFAX"), std::get<std::wstring>(readValue(kSettingsKey, L"ServerName").value()));
}

TEST_F(SetupProgram, RefusesWindowsBefore7AndChangesNothing) {
    const std::wstring name = fs::path(setupProgram()).filename().wstring();
    const std::wstring appDefaults = L"Software\\Wine\\AppDefaults\\" + name;
    {
        unique_hkey k;
        ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_CURRENT_USER, appDefaults.c_str(), 0, nullptr, 0,
                                                   KEY_SET_VALUE, nullptr, k.put(), nullptr));
        ASSERT_EQ(ERROR_SUCCESS, setString(k.get(), L"Version", L"winxp64"));
    }
    const int code = install();
    ::RegDeleteTreeW(HKEY_CURRENT_USER, appDefaults.c_str());
    ::RegDeleteKeyW(HKEY_CURRENT_USER, appDefaults.c_str());
    EXPECT_EQ(2, code);
    EXPECT_FALSE(fs::exists(installFolder()));
    expectUnregistered(storedRegistration(false, dll64()));
    EXPECT_FALSE(keyExists(kUninstallKey));
}

TEST_F(SetupProgram, WithWordRunningItSaysToRestartWordAndWillNotRemoveTelvoraUnderIt) {
    // A window of Word's main window class: what tells the setup program that Word is running.
    WNDCLASSW wordClass{};
    wordClass.lpfnWndProc = ::DefWindowProcW;
    wordClass.lpszClassName = L"OpusApp";
    ::RegisterClassW(&wordClass);
    unique_hwnd word(::CreateWindowW(L"OpusApp", L"Document1 - Word", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                     nullptr, nullptr, nullptr));
    ASSERT_TRUE(word);
    host::MessageBoxWatcher user(L"Telvora Setup");
    ASSERT_EQ(0, install(L""));
    // The setup program's own window has that title too; only its message boxes say anything.
    std::vector<std::string> said;
    for (const auto& text : user.texts())
        if (!text.empty()) said.push_back(text);
    EXPECT_EQ((std::vector<std::string>{
                  "Telvora is installed. Word is running: close Word and start it again to use Telvora."}),
              said);

    // Word holds the add-in's DLL while it runs: a silent removal refuses and removes nothing. (Run
    // in place, the uninstaller answers with its own exit code.)
    EXPECT_EQ(2, run(L"\"" + (installFolder() / L"Uninstall.exe").wstring() + L"\" /S _?=" + installFolder().wstring()));
    EXPECT_TRUE(fs::exists(installFolder() / L"Telvora64.dll"));
    expectRegistered(storedRegistration(false, dll64()));
}

}  // namespace
}  // namespace telvora::win32
