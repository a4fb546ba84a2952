// The companion template's macros as Word runs them, executed from the module's own text: each
// toolbar macro calls its command on the command object with no arguments, by a name the add-in
// answers, and the toolbar macros keep "ShowToolbar" where the add-in reads it at start-up.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/settings.h"
#include "support.h"
#include "win32/buttons_object.h"
#include "win32/registry_settings_store.h"
#include "win32/text.h"

namespace telvora::win32 {
namespace {

std::vector<std::string> lines(const std::wstring& path) {
    std::vector<std::string> result;
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        result.push_back(line);
    }
    return result;
}

// Runs macros of the template's module, its text as it stands after the stand-ins for Word and
// VBA (the script host has no way to load code at run time). `commandObject`, when given, is
// created in place of "Telvora.Buttons". Answers the number of macros that raised an error.
int runMacros(const std::vector<std::string>& macros, const std::string& commandObject = "") {
    std::string script;
    for (const auto& line : lines(test::environmentText(L"TELVORA_TEST_SCRIPTS") + L"\\template_stand_ins.vbs")) script += line + "\r\n";
    bool createsButtons = false;
    for (auto line : lines(test::environmentText(L"TELVORA_TEMPLATE_SOURCES") + L"\\TelvoraMacros.bas")) {
        // What only the macro editor reads: the module's name and its own Option line.
        if (line.starts_with("Attribute ") || line.starts_with("Option Explicit")) continue;
        if (const auto at = line.find("\"Telvora.Buttons\""); at != std::string::npos) {
            createsButtons = true;
            if (!commandObject.empty()) line.replace(at, 17, "\"" + commandObject + "\"");
        }
        script += line + "\r\n";
    }
    EXPECT_TRUE(createsButtons) << "the module never creates \"Telvora.Buttons\"";
    script += "Dim failures\r\nfailures = 0\r\nOn Error Resume Next\r\n";
    for (const auto& macro : macros)
        script += macro + "\r\nIf Err.Number <> 0 Then failures = failures + 1\r\nErr.Clear\r\n";
    script += "WScript.Quit failures\r\n";

    const std::wstring file = test::scratchFile(L"template-macros") + L".vbs";
    std::ofstream(std::filesystem::path(file), std::ios::binary) << script;
    const int failures = test::runScript(file, L"");
    ::DeleteFileW(file.c_str());
    return failures;
}

TEST(TemplateMacros, EachToolbarMacroCallsItsCommandByANameTheAddinAnswers) {
    const std::vector<std::pair<std::string, std::string>> commands = {
        {"MarkFaxNumber", "cmdFaxnumber"}, {"MarkRecipientName", "cmdFaxName"}, {"MarkCompany", "cmdFaxCompany"},
        {"MarkSubject", "cmdFaxSubject"},  {"SendFax", "cmdFax"},             {"QuickFax", "cmdQuickFax"},
        {"FaxMerge", "ToolsFaxMerge"},     {"FaxSettings", "cmdSettings"},    {"FaxPrinterSetup", "ToolsPrinter"},
        {"TelvoraHelp", "cmdHelp"},        {"AboutTelvora", "cmdHelpAbout"},  {"FaxStatus", "cmdFaxStatus"},
    };
    test::RecorderRegistration probe({L"Telvora.TemplateProbe"});
    std::vector<std::string> macros;
    for (const auto& [macro, command] : commands) macros.push_back(macro);

    EXPECT_EQ(0, runMacros(macros, "Telvora.TemplateProbe"));
    const auto calls = probe.log();
    ASSERT_EQ(commands.size(), calls.size());
    for (std::size_t i = 0; i < commands.size(); ++i) {
        const auto& [macro, command] = commands[i];
        SCOPED_TRACE(macro);
        // A method call as a statement, no arguments: what the command's method takes.
        EXPECT_EQ("flags=1 member=" + command + " positional=[] named=[]", calls[i]);
        const DISPID id = ButtonsObject::table().idOf(command);
        ASSERT_NE(DISPID_UNKNOWN, id);
        EXPECT_TRUE(ButtonsObject::table().find(id, DISPATCH_METHOD)->params.empty());
    }
}

// The user's stored choice is put back after each case.
class ToolbarMacros : public ::testing::Test {
protected:
    void SetUp() override { before = store.GetSetting("0x61645694", "Settings", "ShowToolbar", "<none>"); }
    void TearDown() override {
        if (before == "<none>")
            store.DeleteSetting("0x61645694", "Settings", "ShowToolbar");
        else
            store.SaveSetting("0x61645694", "Settings", "ShowToolbar", before);
    }

    test::Apartment apartment;
    RegistrySettingsStore store;
    std::string before;
};

TEST_F(ToolbarMacros, KeepTheChoiceWhereTheAddinReadsItAtStartUpInEitherFormItAccepts) {
    ASSERT_EQ(0, runMacros({"HideToolbar"}));
    EXPECT_EQ("0", store.GetSetting("0x61645694", "Settings", "ShowToolbar"));
    EXPECT_FALSE(Settings(store).showToolbar());
    store.SaveSetting("0x61645694", "Settings", "ShowToolbar", "False");
    ASSERT_EQ(0, runMacros({"ToggleToolbar"}));
    EXPECT_EQ("1", store.GetSetting("0x61645694", "Settings", "ShowToolbar"));
    EXPECT_TRUE(Settings(store).showToolbar());
    // Nothing stored means shown, as the add-in reads it: toggling hides.
    store.DeleteSetting("0x61645694", "Settings", "ShowToolbar");
    ASSERT_EQ(0, runMacros({"ToggleToolbar"}));
    EXPECT_EQ("0", store.GetSetting("0x61645694", "Settings", "ShowToolbar"));
}

}  // namespace
}  // namespace telvora::win32
