// The Windows platform operations the add-in relies on, on a real Windows API (Wine): what it shares
// with the simulated machine, and what only Windows has.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <list>

#include "base/errors.h"
#include "support.h"
#include "support/platform_contract.h"
#include "win32/handles.h"
#include "win32/text.h"
#include "win32/diagnostics_log.h"
#include "win32/win32_platform.h"

namespace telvora::win32 {
namespace {

class Win32PlatformBinding {
public:
    Platform& platform() { return platform_; }
    void setEnvironment(const std::string& name, const std::string& value) {
        variables_.emplace_back(widen(name), widen(value));
    }

private:
    std::list<test::ScopedEnvironment> variables_;
    Win32Platform platform_;
};

using namespace telvora::testing;  // the contract's suite
INSTANTIATE_TYPED_TEST_SUITE_P(Win32, PlatformContract, Win32PlatformBinding);

class Win32PlatformTest : public ::testing::Test {
protected:
    Win32Platform platform;
};

TEST_F(Win32PlatformTest, ReportsTheRunningNtVersion) {
    const auto v = platform.osVersion();
    ASSERT_TRUE(v.has_value());
    EXPECT_EQ(2u, v->platformId);
    EXPECT_GE(v->major, 5u);
    EXPECT_GT(v->build, 0u);
}

TEST_F(Win32PlatformTest, TemporaryFolderIsReturnedWholeHoweverLong) {
    // As long as the system allows (MAX_PATH with its terminator): a small fixed buffer would cut it.
    std::wstring deep = L"C:\\" + std::wstring(120, L'a') + L"\\" + std::wstring(130, L'b') + L"\\";
    test::ScopedEnvironment tmp(L"TMP", deep);
    test::ScopedEnvironment temp(L"TEMP", deep);
    EXPECT_EQ(narrow(deep), platform.tempFolder());
}

TEST_F(Win32PlatformTest, EnvironmentVariablesOfAnyLength) {
    const std::wstring longValue(5000, L'x');
    test::ScopedEnvironment set(L"TELVORA_TEST_LONG", longValue);
    EXPECT_EQ(narrow(longValue), platform.environment("TELVORA_TEST_LONG"));
    EXPECT_FALSE(platform.environment("COMPUTERNAME").empty());
}

TEST_F(Win32PlatformTest, AFolderIsNotAFile) {
    EXPECT_FALSE(platform.fileExists(narrow(test::programFolder())));
}

// What the error log saves: the system's ANSI code page (Windows-1252 on a Western European
// system), the system's replacement for a character it lacks.
TEST_F(Win32PlatformTest, TextForTheSystemCodePageKeepsItsLettersAndReplacesWhatItLacks) {
    ASSERT_EQ(1252u, ::GetACP());
    EXPECT_EQ("Zo\xEB \xC5ngstr\xF6m ? Tiles\r\n",
              platform.systemCodePageBytes("Zo\xC3\xAB \xC3\x85ngstr\xC3\xB6m \xE6\x9D\xB1 Tiles\r\n"));
    EXPECT_EQ("", platform.systemCodePageBytes(""));
}

TEST_F(Win32PlatformTest, MachineRegistryValuesReadAsStoredWithReadAccessOnly) {
    const std::wstring key = L"Software\\TelvoraPlatformTest";
    {
        unique_hkey k;
        ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                                   k.put(), nullptr));
        const wchar_t with[] = L"C:\\Tools\\msinfo32.exe";  // stored with its terminating NUL
        ::RegSetValueExW(k.get(), L"WithNul", 0, REG_SZ, reinterpret_cast<const BYTE*>(with), sizeof with);
        const wchar_t without[] = L"C:\\Tools";
        ::RegSetValueExW(k.get(), L"WithoutNul", 0, REG_SZ, reinterpret_cast<const BYTE*>(without), sizeof without - sizeof(wchar_t));
        const DWORD number = 0x1234;
        ::RegSetValueExW(k.get(), L"Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
        const std::wstring longText(3000, L'p');
        ::RegSetValueExW(k.get(), L"Long", 0, REG_SZ, reinterpret_cast<const BYTE*>(longText.c_str()),
                         static_cast<DWORD>((longText.size() + 1) * sizeof(wchar_t)));
    }
    const auto with = platform.machineRegistryValue("Software\\TelvoraPlatformTest", "WithNul");
    ASSERT_TRUE(with.has_value());
    EXPECT_EQ(1u, with->type);
    EXPECT_EQ(std::string("C:\\Tools\\msinfo32.exe") + '\0', with->text);
    // Stored without the NUL, the text reads the same once a final NUL is dropped (some registry
    // implementations add one on reading).
    const auto without = platform.machineRegistryValue("Software\\TelvoraPlatformTest", "WithoutNul");
    ASSERT_TRUE(without.has_value());
    std::string text = without->text;
    if (!text.empty() && text.back() == '\0') text.pop_back();
    EXPECT_EQ("C:\\Tools", text);
    const auto number = platform.machineRegistryValue("Software\\TelvoraPlatformTest", "Number");
    ASSERT_TRUE(number.has_value());
    EXPECT_EQ(4u, number->type);
    EXPECT_EQ(0x1234u, number->number);
    const auto longValue = platform.machineRegistryValue("Software\\TelvoraPlatformTest", "Long");
    ASSERT_TRUE(longValue.has_value());
    EXPECT_EQ(3001u, longValue->text.size());
    EXPECT_FALSE(platform.machineRegistryValue("Software\\TelvoraPlatformTest", "Missing").has_value());
    EXPECT_FALSE(platform.machineRegistryValue("Software\\TelvoraNoSuchKey", "PATH").has_value());
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, key.c_str());
}

// As the about box starts System Information: the program named in quotes, as the registry says
// where it is. The stand-in leaves a file named after itself, with ".started" added, once it ran.
TEST_F(Win32PlatformTest, AProgramNamedInQuotesIsStartedAndOneThatIsNotThereRaises) {
    const std::wstring program = test::programFolder() + L"\\msinfo\\MSINFO32.EXE";
    const std::wstring marker = program + L".started";
    ::DeleteFileW(marker.c_str());
    platform.startProgram("\"" + narrow(program) + "\"");
    bool ran = false;
    for (int i = 0; i < 150 && !ran; ++i, ::Sleep(100)) ran = ::GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES;
    EXPECT_TRUE(ran);
    ::DeleteFileW(marker.c_str());
    EXPECT_THROW(platform.startProgram("C:\\Telvora\\no-such-program.exe"), RuntimeError);
}

TEST_F(Win32PlatformTest, HelpWithoutAHelpFileShowsNothing) {
    EXPECT_NO_THROW(platform.htmlHelp("C:\\Telvora\\missing\\Telvora.chm", HelpCommand::DisplayContext, 1000));
    EXPECT_NO_THROW(platform.htmlHelp("C:\\Telvora\\missing\\Telvora.chm", HelpCommand::CloseAll, 0));
}

TEST_F(Win32PlatformTest, TheAddinFolderIsWhereTheCodeWasLoadedFromWithoutTrailingSeparator) {
    EXPECT_EQ(narrow(test::programFolder()), platform.addinFolder());
}

TEST_F(Win32PlatformTest, TheClockIsLocalTime) {
    SYSTEMTIME t{};
    ::GetLocalTime(&t);
    const auto now = platform.now();
    const auto day = std::chrono::floor<std::chrono::days>(now);
    const std::chrono::year_month_day date(day);
    EXPECT_EQ(static_cast<int>(t.wYear), static_cast<int>(date.year()));
    EXPECT_EQ(static_cast<unsigned>(t.wMonth), static_cast<unsigned>(date.month()));
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(now - day).count();
    EXPECT_NEAR(t.wHour * 3600 + t.wMinute * 60 + t.wSecond, seconds, 5);
}

TEST_F(Win32PlatformTest, YieldingRunsThePendingMessages) {
    ASSERT_TRUE(::PostThreadMessageW(::GetCurrentThreadId(), WM_APP + 1, 0, 0));
    platform.yield();
    MSG msg;
    EXPECT_FALSE(::PeekMessageW(&msg, nullptr, WM_APP + 1, WM_APP + 1, PM_NOREMOVE));
}

TEST_F(Win32PlatformTest, TheAddinVersionIsTheVersionRecordOfTheFileTheCodeWasLoadedFrom) {
    // The test program carries a version record of 7.8.9, unlike the product's own.
    const ProductVersion v = platform.addinVersion();
    EXPECT_EQ(7u, v.major);
    EXPECT_EQ(8u, v.minor);
    EXPECT_EQ(9u, v.revision);
}

TEST(DialogFilter, IsPairsOfDescriptionAndPatternEndedByASecondNul) {
    using namespace std::string_literals;
    EXPECT_EQ(L"Text File\0*.txt\0\0"s, dialogFilter({{"Text File", "*.txt"}}));
    EXPECT_EQ(L"All Files\0*.*\0\0"s, dialogFilter({}));
    EXPECT_EQ(L"Log\0*.log\0Any\0*.*\0\0"s, dialogFilter({{"Log", "*.log"}, {"Any", ""}}));
}

std::string fileText(const std::wstring& path) {
    std::ifstream in{std::filesystem::path(path), std::ios::binary};
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(DiagnosticsLog, EachIgnoredErrorIsALineOfTheLogWhichStaysSmall) {
    const std::wstring folder = test::scratchFile(L"diagnostics");
    {
        DiagnosticsLog log(folder, 300);
        ignoreErrors(log, [] { throw RuntimeError(5941, "The requested member of the collection does not exist.",
                                                  "Microsoft Word"); });
        const std::string text = fileText(log.path());
        EXPECT_NE(text.find("ignored error 5941 (Microsoft Word: The requested member of the collection does not "
                            "exist.) in win32/platform_test.cpp:"),
                  std::string::npos)
            << text;
        EXPECT_TRUE(text.ends_with("\r\n"));
        // Past its limit the log is moved aside and begun anew, never grown without end.
        for (int i = 0; i < 5; ++i) ignoreErrors(log, [] { throw RuntimeError::standard(err::Overflow); });
        EXPECT_LE(fileText(log.path()).size(), 300u);
        EXPECT_FALSE(fileText(log.path() + L".old").empty());
    }
    EXPECT_EQ(L"\\Telvora", DiagnosticsLog::defaultFolder().substr(DiagnosticsLog::defaultFolder().size() - 8));
    std::filesystem::remove_all(std::filesystem::path(folder));
}

}  // namespace
}  // namespace telvora::win32
