// Which fax software the add-in looks for on which Windows, whether it finds it, and what the user
// is told when the fax service cannot send.
#include "backends/availability.h"

#include <gtest/gtest.h>

#include "core/settings.h"
#include "support/fax_calls.h"
#include "support/sim_addin.h"

namespace telvora {
namespace {

namespace windows = sim::windows;
using Lines = std::vector<std::string>;

class AvailabilityTest : public testing::SimAddinTest {
protected:
    void storeFaxType(const std::string& type) { store.SaveSetting(kAppName, kSectionName, keys::FaxType, type); }
    void installEverything() {
        fax.faxServiceInstalled = true;
        fax.extendedFaxInstalled = true;
        fax.winFaxInstalled = true;
    }
    // The programmatic identifiers tried since the last call.
    Lines newAttempts() {
        const auto& all = automation.attempts();
        Lines fresh(all.begin() + static_cast<std::ptrdiff_t>(seen_), all.end());
        seen_ = all.size();
        return fresh;
    }

private:
    std::size_t seen_ = 0;
};

TEST_F(AvailabilityTest, EachWindowsReleaseIsRecognisedByItsVersionRecord) {
    const struct {
        const char* release;
        std::optional<OsVersion> version;
        bool w2000, xp, server2003, vista, extendedFax;
    } cases[] = {
        {"Windows 2000", windows::W2000, true, false, false, false, false},
        {"a Windows 2000 pre-release", OsVersion{2, 5, 0, 2194}, false, false, false, false, false},
        {"Windows XP", windows::XP, false, true, false, false, true},
        {"a Windows XP pre-release", OsVersion{2, 5, 1, 2599}, false, false, false, false, false},
        {"Windows Server 2003", windows::Server2003, false, false, true, false, true},
        {"Windows Vista", windows::Vista, false, false, false, true, true},
        {"Windows 7", windows::W7, false, false, false, false, true},
        {"Windows 10", windows::W10, false, false, false, false, true},
        {"Windows 11", windows::W11, false, false, false, false, true},
        {"Windows NT 4", windows::NT4, false, false, false, false, false},
        {"Windows Me (not NT)", OsVersion{1, 4, 90, 3000}, false, false, false, false, false},
        {"a non-NT system numbered 6", OsVersion{1, 6, 0, 6000}, false, false, false, false, false},
        {"a failed version query", std::nullopt, false, false, false, false, false},
    };
    for (const auto& c : cases) {
        platform.version = c.version;
        EXPECT_EQ(IsWindows2000(addin), c.w2000) << c.release;
        EXPECT_EQ(IsWindowsXP(addin), c.xp) << c.release;
        EXPECT_EQ(IsWindowsServer2003(addin), c.server2003) << c.release;
        EXPECT_EQ(IsWindowsVista(addin), c.vista) << c.release;
        EXPECT_EQ(IsExtendedFaxSystem(addin), c.extendedFax) << c.release;
    }
}

TEST_F(AvailabilityTest, TheWindowsFaxServiceIsLookedForWhereEachReleaseKeepsIt) {
    // FaxType missing reads as 1, the Windows fax service.
    installEverything();
    const struct {
        OsVersion version;
        Lines tried;
        bool available;
    } cases[] = {
        {windows::W2000, {"FaxServer.FaxServer"}, true},
        {windows::XP, {"FAXCOMEX.Faxserver"}, true},
        {windows::Vista, {"FAXCOMEX.Faxserver"}, true},
        // Current Windows keeps the extended fax objects too.
        {windows::W10, {"FAXCOMEX.Faxserver"}, true},
        {windows::NT4, {}, false},
    };
    for (const auto& c : cases) {
        platform.version = c.version;
        EXPECT_EQ(IsFaxSoftwareAvailable(addin), c.available) << c.version.major << "." << c.version.minor;
        EXPECT_EQ(newAttempts(), c.tried) << c.version.major << "." << c.version.minor;
    }
    EXPECT_FALSE(store.stored(kAppName, kSectionName, keys::FaxType)) << "reading the default stores nothing";
}

TEST_F(AvailabilityTest, FaxSoftwareThatIsNotInstalledIsNotAvailable) {
    fax.faxServiceInstalled = true;  // the old object alone does not serve Windows 10
    machine.runWindows(windows::W10);
    EXPECT_FALSE(IsFaxSoftwareAvailable(addin));
    storeFaxType("2");
    EXPECT_FALSE(IsFaxSoftwareAvailable(addin));
    storeFaxType("3");
    EXPECT_FALSE(IsFaxSoftwareAvailable(addin));
    EXPECT_TRUE(user.messages().empty()) << "the calling command tells the user";
}

TEST_F(AvailabilityTest, WinFaxAndTheSharedFaxAreLookedForByTheirOwnObjects) {
    installEverything();
    for (const auto& version : {windows::W2000, windows::XP, windows::W10}) {
        platform.version = version;
        storeFaxType("2");
        EXPECT_TRUE(IsFaxSoftwareAvailable(addin));
        EXPECT_EQ(newAttempts(), Lines{"WinFax.SDKSend8.0"});
        storeFaxType("3");
        EXPECT_TRUE(IsFaxSoftwareAvailable(addin));
        EXPECT_EQ(newAttempts(), Lines{"FAXCOMEX.Faxserver"});
    }
}

TEST_F(AvailabilityTest, AFaxTypeThatNamesNoSoftwareIsNeverAvailable) {
    installEverything();
    for (const char* type : {"", "0", "7", "-1", "abc", "99999"}) {
        storeFaxType(type);
        EXPECT_FALSE(IsFaxSoftwareAvailable(addin)) << '"' << type << '"';
        EXPECT_EQ(newAttempts(), Lines{}) << '"' << type << '"';
    }
    EXPECT_TRUE(user.messages().empty());
}

TEST_F(AvailabilityTest, AHylafaxServerIsAvailableOnceItIsNamedAndNoFaxObjectIsTried) {
    installEverything();
    storeFaxType("4");
    EXPECT_FALSE(IsFaxSoftwareAvailable(addin)) << "no server named";
    store.SaveSetting(kAppName, kSectionName, keys::HylafaxHost, "  ");
    EXPECT_FALSE(IsFaxSoftwareAvailable(addin)) << "a blank name names none";
    store.SaveSetting(kAppName, kSectionName, keys::HylafaxHost, "fax.example");
    EXPECT_TRUE(IsFaxSoftwareAvailable(addin));
    EXPECT_EQ(newAttempts(), Lines{});
}

TEST_F(AvailabilityTest, WinFaxAndTheSharedFaxServersAreNotAskedBeforeSending) {
    for (const char* type : {"2", "3", "4"}) {
        storeFaxType(type);
        EXPECT_TRUE(CheckFaxService(addin)) << type;
    }
    EXPECT_EQ(newAttempts(), Lines{}) << "nothing is installed, and nothing was asked";
    EXPECT_TRUE(user.messages().empty());
}

TEST_F(AvailabilityTest, TheWindows2000FaxServiceIsAskedForItsPortsOnThisComputer) {
    machine.runWindows(windows::W2000);
    machine.setComputerName("RECEPTION-PC");
    fax.faxServiceInstalled = true;
    EXPECT_TRUE(CheckFaxService(addin));
    EXPECT_EQ(testing::faxCallLines(fax), (Lines{"FaxServer.FaxServer#1 created",
                                                 "FaxServer.FaxServer#1 call Connect(ServerName:=BSTR:RECEPTION-PC)",
                                                 "FaxServer.FaxServer#1 call GetPorts",
                                                 "FaxServer.FaxPorts#2 created", "FaxServer.FaxPorts#2 get Count"}));
    EXPECT_TRUE(user.messages().empty());
}

TEST_F(AvailabilityTest, AFaxServiceWithoutDevicesOrThatDoesNotAnswerCannotSend) {
    machine.runWindows(windows::W2000);
    fax.faxServiceInstalled = true;
    fax.localFaxDevices = 0;
    EXPECT_FALSE(CheckFaxService(addin));
    fax.localFaxDevices = 2;
    fax.localServiceAnswers = false;
    EXPECT_FALSE(CheckFaxService(addin));
    ASSERT_EQ(user.messages().size(), 2u);
    for (const auto& m : user.messages())
        expectMessage(m, "No fax devices found. Please contact your IT department.", MsgIcon::Exclamation);
}

TEST_F(AvailabilityTest, WithoutAFaxServiceOrWithAFaxTypeOfNoSoftwareTheUserIsToldItIsNotInstalled) {
    machine.runWindows(windows::W2000);
    EXPECT_FALSE(CheckFaxService(addin));
    installEverything();
    storeFaxType("7");
    EXPECT_FALSE(CheckFaxService(addin));
    storeFaxType("");
    EXPECT_FALSE(CheckFaxService(addin));
    ASSERT_EQ(user.messages().size(), 3u);
    for (const auto& m : user.messages())
        expectMessage(m, "The fax is not installed on your computer. Please contact your IT department.", MsgIcon::Exclamation);
    EXPECT_EQ(newAttempts(), Lines{"FaxServer.FaxServer"}) << "a type of no software tries nothing";
}

TEST_F(AvailabilityTest, CurrentWindowsAsksItsFaxServiceThroughTheExtendedFaxServer) {
    machine.runWindows(windows::W10);
    machine.setComputerName("PC-0042");
    fax.extendedFaxInstalled = true;
    EXPECT_TRUE(CheckFaxService(addin));
    EXPECT_EQ(newAttempts(), (Lines{"FaxServer.FaxServer", "FAXCOMEX.FaxServer"}));
    EXPECT_EQ(testing::faxCallLines(fax),
              (Lines{"FAXCOMEX.FaxServer#1 created", "FAXCOMEX.FaxServer#1 call Connect(BSTR:PC-0042)",
                     "FAXCOMEX.FaxServer#1 call GetDevices", "FAXCOMEX.FaxDevices#2 created",
                     "FAXCOMEX.FaxDevices#2 get Count"}));
    EXPECT_TRUE(user.messages().empty());

    fax.localFaxDevices = 0;
    EXPECT_FALSE(CheckFaxService(addin));
    EXPECT_EQ(onlyMessage().prompt, "No fax devices found. Please contact your IT department.");
}

TEST_F(AvailabilityTest, WhereTheOldFaxServerObjectExistsItIsStillTheOneAsked) {
    machine.runWindows(windows::XP);
    fax.faxServiceInstalled = true;
    fax.extendedFaxInstalled = true;
    EXPECT_TRUE(CheckFaxService(addin));
    EXPECT_EQ(newAttempts(), Lines{"FaxServer.FaxServer"});
}


TEST(FaxPrinterName, ContainsTheWordFaxInAnyLetterCase) {
    for (const char* name : {"Fax", "WinFax Driver", "hp fax 2", "Office Fax", "FAX", "telefax", "Microsoft Shared Fax Driver"})
        EXPECT_TRUE(HasFaxInName(name)) << name;
    for (const char* name : {"Laser MFC", "F-A-X", "", "Fa x", "Facsimile", "HP LaserJet 4250 PCL6"})
        EXPECT_FALSE(HasFaxInName(name)) << name;
}

}  // namespace
}  // namespace telvora
