// The companion template's builder run against the Word-like host: what Word receives is the
// module as written, the toolbar "Telvora" as described (every button calling a macro the module
// has), a template saved where asked, and Word left as the builder found it, also when it fails.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "support.h"
#include "win32/text.h"
#include "word_host/template_building.h"
#include "word_host/word_host.h"

namespace telvora::win32 {
namespace {

std::wstring templateSources() { return test::environmentText(L"TELVORA_TEMPLATE_SOURCES"); }

std::string fileText(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct DescribedButton {
    std::string macro, caption, tooltip;
    int face;
    bool group;
};

std::vector<DescribedButton> describedToolbar() {
    std::vector<DescribedButton> buttons;
    std::istringstream lines(fileText(templateSources() + L"\\toolbar.txt"));
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> f;
        std::istringstream fields(line);
        for (std::string field; std::getline(fields, field, '\t');) f.push_back(field);
        f.resize(5);
        buttons.push_back({f[0], f[1], f[2], std::stoi(f[3]), f[4] == "group"});
    }
    return buttons;
}

class TemplateBuilder : public ::testing::Test {
protected:
    int build(const std::wstring& output) {
        host.registerClass();
        const int code = host.runServing(L"cscript.exe //nologo \"" + templateSources() + L"\\build-template.vbs\" \"" +
                                             output + L"\"",
                                         printed);
        host.revokeClass();
        return code;
    }

    test::Apartment apartment;
    host::WordClassRegistration wordClass;
    std::shared_ptr<host::TemplateBuildRecord> record = std::make_shared<host::TemplateBuildRecord>();
    host::WordHost host{std::make_shared<sim::WordProcessor>(),
                        [this](std::shared_ptr<AutomationObject> app) { return host::withTemplateBuilding(app, record); }};
    std::wstring output = test::scratchFile(L"Telvora") + L".dot";
    std::string printed;
};

TEST_F(TemplateBuilder, WordReceivesTheModuleAndTheDescribedToolbarAndSavesATemplate) {
    ASSERT_EQ(0, build(output)) << printed;
    EXPECT_NE(std::string::npos, printed.find("built " + narrow(output))) << printed;

    ASSERT_EQ(1u, record->documents.size());
    const auto& doc = record->documents[0];
    EXPECT_TRUE(doc.isTemplate);
    const std::string module = fileText(templateSources() + L"\\TelvoraMacros.bas");
    EXPECT_EQ(std::vector<std::string>{module}, doc.importedModules);
    EXPECT_EQ(narrow(output), doc.savedAs);
    EXPECT_EQ(1, doc.saveFormat);  // a Word template
    EXPECT_TRUE(doc.closed);

    ASSERT_EQ(1u, record->bars.size());
    const auto& bar = record->bars[0];
    EXPECT_EQ("Telvora", bar.name);
    EXPECT_EQ(doc.name, bar.context) << "the toolbar belongs in the template, not in the user's Normal template";
    EXPECT_FALSE(bar.temporary);
    EXPECT_FALSE(bar.menuBar);
    EXPECT_TRUE(bar.visible);

    const auto described = describedToolbar();
    ASSERT_EQ(12u, described.size());
    ASSERT_EQ(described.size(), bar.controls.size());
    for (std::size_t i = 0; i < described.size(); ++i) {
        const auto& want = described[i];
        const auto& got = bar.controls[i];
        SCOPED_TRACE(want.macro);
        EXPECT_EQ(1, got.type);  // a button
        EXPECT_EQ(want.caption, got.caption);
        EXPECT_EQ(want.tooltip, got.tooltip);
        EXPECT_EQ(want.face, got.faceId);
        EXPECT_EQ(want.group, got.beginGroup);
        EXPECT_EQ("TelvoraMacros." + want.macro, got.onAction);
        // A button whose macro the module lacks would fail in Word with "macro not found".
        EXPECT_TRUE(std::regex_search(module, std::regex("\\nPublic Sub " + want.macro + "\\(\\)\\r?\\n")));
    }

    // The Word the builder started, as it found it and then closed.
    EXPECT_EQ("Normal", record->context);
    EXPECT_TRUE(record->quit);
}

TEST_F(TemplateBuilder, WithoutTrustedProjectAccessItSaysWhatToAllowAndSavesNothing) {
    record->projectAccessTrusted = false;
    EXPECT_EQ(1, build(output));
    EXPECT_NE(std::string::npos,
              printed.find("The template could not be built: the macros could not be imported; allow access to the "
                           "VBA project object model in Word's Trust Center"))
        << printed;
    ASSERT_EQ(1u, record->documents.size());
    EXPECT_TRUE(record->documents[0].closed);
    EXPECT_EQ(0, record->documents[0].closeSaveChanges);
    EXPECT_EQ("", record->documents[0].savedAs);
    EXPECT_TRUE(record->bars.empty());
    EXPECT_EQ("Normal", record->context);
    EXPECT_TRUE(record->quit);
}

}  // namespace
}  // namespace telvora::win32
