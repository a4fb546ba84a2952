// The companion template's builder run against the recording server playing Word: Word receives the
// module, the toolbar "Telvora" as described (every button calling a macro the module has) made
// inside the new template, a template saved where asked, and Word given back its customization
// context and closed, also when the build fails.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "support.h"
#include "win32/text.h"

namespace telvora::win32 {
namespace {

using Lines = std::vector<std::string>;

std::string templateSources() { return narrow(test::environmentText(L"TELVORA_TEMPLATE_SOURCES")); }

std::string fileText(const std::string& path) {
    std::ifstream in(std::filesystem::path(widen(path)), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string call(const std::string& member, const std::string& positional = "") {
    return "member=" + member + " positional=[" + positional + "] named=[]";
}
std::string put(const std::string& member, const std::string& value) {
    return "member=" + member + " positional=[] named=[<put>=" + value + "]";
}

class TemplateBuilder : public ::testing::Test {
protected:
    int build() {
        return test::runProgram(widen("cscript.exe //nologo \"" + templateSources() + "\\build-template.vbs\" \"" + output +
                                      "\""),
                                &printed);
    }

    test::Apartment apartment;
    test::RecorderRegistration word{{L"Word.Application"}};
    test::ScopedEnvironment anyMember{L"TELVORA_RECORDER_UNDOCUMENTED", L"1"};
    test::ScopedEnvironment objects{L"TELVORA_RECORDER_OBJECTS",
                                    L"Documents,Add,VBProject,VBComponents,CustomizationContext,CommandBars,Controls"};
    std::string output = narrow(test::scratchFile(L"Telvora")) + ".dot";
    std::string printed;
};

TEST_F(TemplateBuilder, WordReceivesTheModuleAndTheDescribedToolbarInTheTemplateAndSavesIt) {
    ASSERT_EQ(0, build()) << printed;
    EXPECT_NE(std::string::npos, printed.find("built " + output)) << printed;

    const std::string modulePath = templateSources() + "\\TelvoraMacros.bas";
    const std::string module = fileText(modulePath);
    // A new template, the module imported, and the toolbar made while the template is the
    // customization context (not the user's Normal template): kept, not a menu bar, at the top.
    Lines expected{call("Documents"), call("Add", "BSTR:,BOOL:True"), call("VBProject"), call("VBComponents"),
                   call("Import", "BSTR:" + modulePath), call("CustomizationContext"),
                   put("CustomizationContext", "DISPATCH:object"), call("CommandBars"),
                   call("Add", "BSTR:Telvora,I2:1,BOOL:False,BOOL:False")};
    std::istringstream described(fileText(templateSources() + "\\toolbar.txt"));
    int buttons = 0;
    for (std::string line; std::getline(described, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> f;
        std::istringstream fields(line);
        for (std::string field; std::getline(fields, field, '\t');) f.push_back(field);
        f.resize(5);
        ++buttons;
        const Lines button{call("Controls"), call("Add", "I2:1"), put("Caption", "BSTR:" + f[1]),
                           put("TooltipText", "BSTR:" + f[2]), put("FaceId", "I4:" + f[3]), put("Style", "I2:3"),
                           put("OnAction", "BSTR:TelvoraMacros." + f[0]), put("Tag", "BSTR:" + f[0]),
                           put("BeginGroup", f[4] == "group" ? "BOOL:True" : "BOOL:False")};
        expected.insert(expected.end(), button.begin(), button.end());
        // A button whose macro the module lacks would fail in Word with "macro not found".
        EXPECT_TRUE(std::regex_search(module, std::regex("\\nPublic Sub " + f[0] + "\\(\\)\\r?\\n"))) << f[0];
    }
    EXPECT_EQ(12, buttons);
    // Shown, the customization context given back, saved as a Word template, Word closed.
    for (const auto& last : {put("Visible", "BOOL:True"), put("CustomizationContext", "DISPATCH:object"),
                             call("SaveAs", "BSTR:" + output + ",I2:1"), call("Close", "I2:0"), call("Quit", "I2:0")})
        expected.push_back(last);
    EXPECT_EQ(expected, word.calls());
}

TEST_F(TemplateBuilder, WithoutTrustedProjectAccessItSaysWhatToAllowAndSavesNothing) {
    test::ScopedEnvironment refused(L"TELVORA_RECORDER_RAISE",
                                    L"VBProject|800A17B4|Microsoft Word|Programmatic access to Visual Basic Project is not trusted");
    EXPECT_EQ(1, build());
    EXPECT_NE(std::string::npos,
              printed.find("The template could not be built: the macros could not be imported; allow access to the "
                           "VBA project object model in Word's Trust Center"))
        << printed;
    // The unfinished template closed without saving, and Word closed; no toolbar made.
    EXPECT_EQ(word.calls(), (Lines{call("Documents"), call("Add", "BSTR:,BOOL:True"), call("VBProject"),
                                   call("Close", "I2:0"), call("Quit", "I2:0")}));
}

}  // namespace
}  // namespace telvora::win32
