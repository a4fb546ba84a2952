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
    registry("SOFTWARE\\Test", "WithNul", text(std::string("C:\\Tools") + '\0'));
    registry("SOFTWARE\\Test", "WithoutNul", text("C:\\Tools"));
    registry("SOFTWARE\\Test", "Number", RegistryValue{4, "", 0x0102});
    registry("SOFTWARE\\Test", "Big", RegistryValue{4, "", 4294967295u});
    registry("SOFTWARE\\Test", "Binary", RegistryValue{3, "", 0});
    std::string value = "before";
    EXPECT_TRUE(GetKeyValue(addin, "SOFTWARE\\Test", "WithNul", value));
    EXPECT_EQ(value, "C:\\Tools");
    EXPECT_TRUE(GetKeyValue(addin, "SOFTWARE\\Test", "WithoutNul", value));
    EXPECT_EQ(value, "C:\\Tools");
    EXPECT_TRUE(GetKeyValue(addin, "SOFTWARE\\Test", "Number", value));
    EXPECT_EQ(value, "258");
    EXPECT_TRUE(GetKeyValue(addin, "SOFTWARE\\Test", "Big", value));
    EXPECT_EQ(value, "4294967295");
    value = "kept";
    EXPECT_TRUE(GetKeyValue(addin, "SOFTWARE\\Test", "Binary", value));
    EXPECT_EQ(value, "kept");
    EXPECT_FALSE(GetKeyValue(addin, "SOFTWARE\\Test", "Missing", value));
    EXPECT_EQ(value, "");
}

}  // namespace
}  // namespace telvora
