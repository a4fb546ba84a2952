// The about box as Help > About opens it, and finding and starting System Information through the
// machine's registry.
#include "dialogs/about.h"

#include <gtest/gtest.h>

#include "base/product_info.h"
#include "host/buttons.h"
#include "support/sim_addin.h"

namespace telvora {
namespace {

using sim::click;

constexpr const char* kPathKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr const char* kFolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";

class AboutTest : public testing::SimAddinTest {
protected:
    void registry(const char* key, const char* value, RegistryValue data) {
        platform.machineRegistry[{key, value}] = std::move(data);
    }
    static RegistryValue text(const std::string& s) { return RegistryValue{1, s, 0}; }
    void putProgram(const std::string& path) {
        std::filesystem::create_directories(platform.realPath(path).parent_path());
        platform.writeFile(path, "MZ");
    }

    Buttons buttons{addin};
};

TEST_F(AboutTest, ShowsTitleVersionNoticeAndHomePageAndOpensTheHomePage) {
    platform.ownVersion = {3, 14, 159};
    user.onForm("frmAbout", {click("lblHomePage"), click("cmdSysInfo"), click("cmdOK")});
    buttons.cmdHelpAbout();
    ASSERT_EQ(user.forms().size(), 1u);
    EXPECT_EQ(user.forms()[0].caption, "About Telvora");
    EXPECT_EQ(platform.addressesOpened, std::vector<std::string>{product::kHomePage});
    expectMessage(onlyMessage(), "System Information Is Unavailable At This Time", MsgIcon::None);

    frmAbout about(addin);
    about.load();
    EXPECT_EQ(about.lblTitle.caption(), "Telvora");
    EXPECT_EQ(about.lblVersion.caption(), "Version 3.14.159");
    EXPECT_EQ(about.lblCopyRight.caption(), product::kCopyright);
    EXPECT_EQ(about.lblHomePage.caption(), product::kHomePage);
    EXPECT_TRUE(about.cmdOK.isDefault() && about.cmdOK.isCancel()) << "Return and Escape both close the box";
}

TEST_F(AboutTest, SystemInformationStartsFromTheStoredPathOrElseTheProgramFolderOrIsUnavailable) {
    const std::string shared = "C:\\Program Files\\Common Files\\Microsoft Shared\\MSInfo\\msinfo32.exe";
    putProgram(shared);
    putProgram("C:\\MSInfo\\MSINFO32.EXE");
    const struct {
        std::optional<std::string> path;    // the stored program path
        std::optional<std::string> folder;  // the stored program folder
        std::optional<std::string> started;
    } cases[] = {
        {shared + '\0', "C:\\Elsewhere", "\"" + shared + "\""},
        {std::nullopt, "C:\\MSInfo", "\"C:\\MSInfo\\MSINFO32.EXE\""},
        // A stored path that cannot be started is not looked past.
        {"C:\\Removed\\msinfo32.exe", "C:\\MSInfo", std::nullopt},
        {std::nullopt, "C:\\Elsewhere", std::nullopt},
        {std::nullopt, std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.value_or("-") + " " + c.folder.value_or("-"));
        platform.machineRegistry.clear();
        platform.programsStarted.clear();
        if (c.path) registry(kPathKey, "PATH", text(*c.path));
        if (c.folder) registry(kFolderKey, "MSINFO", text(*c.folder));
        const std::size_t before = user.messages().size();
        StartSysInfo(addin);
        if (c.started) {
            EXPECT_EQ(platform.programsStarted, std::vector<std::string>{*c.started});
            EXPECT_EQ(user.messages().size(), before);
        } else {
            ASSERT_EQ(user.messages().size(), before + 1);
            expectMessage(user.messages().back(), "System Information Is Unavailable At This Time", MsgIcon::None);
            EXPECT_TRUE(platform.programsStarted.empty());
        }
    }
}

TEST_F(AboutTest, RegistryValuesReadAsText) {
    // A value of no text kind leaves the text as it was; a missing one empties it.
    const std::tuple<const char*, std::optional<RegistryValue>, bool, const char*> cases[] = {
        {"WithNul", text(std::string("C:\\Tools") + '\0'), true, "C:\\Tools"},
        {"WithoutNul", text("C:\\Tools"), true, "C:\\Tools"},
        {"Number", RegistryValue{4, "", 0x0102}, true, "258"},
        {"Big", RegistryValue{4, "", 4294967295u}, true, "4294967295"},
        {"Binary", RegistryValue{3, "", 0}, true, "kept"},
        {"Missing", std::nullopt, false, ""},
    };
    for (const auto& [name, stored, found, read] : cases) {
        if (stored) registry("SOFTWARE\\Test", name, *stored);
        std::string value = "kept";
        EXPECT_EQ(GetKeyValue(addin, "SOFTWARE\\Test", name, value), found) << name;
        EXPECT_EQ(value, read) << name;
    }
}

}  // namespace
}  // namespace telvora
