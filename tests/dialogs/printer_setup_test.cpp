// The settings dialog "Telvora Settings" as a user meets it through Tools > Printer setup and the
// fax printer check: what it shows, what OK stores and refuses, and when the check asks at all.
#include "dialogs/printer_setup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "base/product_info.h"
#include "core/settings.h"
#include "host/buttons.h"
#include "support/sim_addin.h"

namespace telvora {
namespace {

namespace windows = sim::windows;
using sim::choose;
using sim::click;
using sim::closeWindow;
using sim::typeInto;
using Items = std::vector<std::string>;

constexpr const char* kNotInstalled =
    "The selected type of fax printer does not appear to be installed on your computer.\r\n\r\n"
    "Please change the selection for type of Fax Software.";

class PrinterSetupTest : public testing::SimAddinTest {
protected:
    PrinterSetupTest() {
        machine.runWindows(windows::W10);
        machine.setPrinters({"Fax", "HP LaserJet 4250 PCL6", "Office Fax (Reception)"});
        fax.extendedFaxInstalled = true;
        fax.reachableServers = {"SBS01"};
    }
    // Opens the dialog as Tools > Printer setup does, the user following `steps`.
    void toolsPrinter(std::vector<sim::UserStep> steps) {
        user.onForm("frmPrinter", std::move(steps));
        buttons.ToolsPrinter();
    }
    void expectMessage(std::size_t index, const std::string& prompt, MsgIcon icon,
                       MsgButtons buttons = MsgButtons::OK) const {
        ASSERT_GT(user.messages().size(), index);
        SimAddinTest::expectMessage(user.messages()[index], prompt, icon, buttons);
    }

    Buttons buttons{addin};
};

// --- What the dialog shows ------------------------------------------------------------------------

TEST_F(PrinterSetupTest, AFirstOpeningChoosesTheWindowsFaxAndStoresThatChoiceAtOnce) {
    frmPrinter form(addin);
    form.load();
    EXPECT_EQ(form.caption(), "Telvora Settings");
    EXPECT_EQ(stored(keys::FaxType), "1");
    EXPECT_EQ(form.optWindows.value(), 1);
    EXPECT_EQ(form.optSBS.value() + form.optWinFax.value(), 0);
    EXPECT_FALSE(form.txtServerName.enabled()) << "only the shared fax needs a server";
    EXPECT_EQ(form.txtServerName.backColor(), kButtonFace);
    EXPECT_EQ(form.chkResetPrinter.value(), 1) << "printers are not reset unless the user asks";
    EXPECT_EQ(form.cboPrinter.items(), (Items{"Fax", "HP LaserJet 4250 PCL6", "Office Fax (Reception)"}));
    EXPECT_EQ(form.cboCopyPrinter.text(), "Don't Print");
    EXPECT_EQ(form.txtCopies.text(), "0");
    EXPECT_TRUE(form.txtCopies.locked());
    EXPECT_EQ(store.size(), 1u) << "nothing but the fax software is stored by opening";
}

TEST_F(PrinterSetupTest, EveryStoredChoiceIsShownAsStored) {
    machine.setPrinters({" Fax ", "HP LaserJet 4250 PCL6", "Office Fax (Reception)"});
    save(keys::FaxType, "3");
    save(keys::ServerName, "SBS01");
    save(keys::ResetPrinter, "False");
    save(keys::DialOutLine, "9");
    save(keys::Printer, "Office Fax (Reception)");
    save(keys::DefaultPrinter, "HP LaserJet 4250 PCL6");
    save(keys::DefaultCopies, "2");
    frmPrinter form(addin);
    form.load();
    EXPECT_EQ(form.optSBS.value(), 1);
    EXPECT_EQ(form.txtServerName.text(), "SBS01");
    EXPECT_TRUE(form.txtServerName.enabled());
    EXPECT_EQ(form.txtServerName.backColor(), kWindowWhite);
    EXPECT_EQ(form.chkResetPrinter.value(), 0);
    EXPECT_EQ(form.txtPrefix.text(), "9");
    EXPECT_EQ(form.cboPrinter.items(), (Items{"Fax", "HP LaserJet 4250 PCL6", "Office Fax (Reception)"}));
    EXPECT_EQ(form.cboPrinter.text(), "Office Fax (Reception)");
    EXPECT_EQ(form.cboCopyPrinter.items(),
              (Items{"Don't Print", " Fax ", "HP LaserJet 4250 PCL6", "Office Fax (Reception)"}));
    EXPECT_EQ(form.cboCopyPrinter.text(), "HP LaserJet 4250 PCL6");
    EXPECT_EQ(form.txtCopies.text(), "2");
    EXPECT_FALSE(form.txtCopies.locked());
    EXPECT_EQ(store.size(), 7u);
}


TEST_F(PrinterSetupTest, AnUnreadableSettingIsReportedAndTheRestOfTheDialogStillLoads) {
    save(keys::FaxType, "abc");
    save(keys::Printer, "Fax");
    frmPrinter form(addin);
    form.load();
    expectMessage(0, "Form Load \r\nError number: 13 Type mismatch", MsgIcon::Exclamation);
    EXPECT_EQ(user.messages().size(), 1u);
    EXPECT_EQ(form.cboPrinter.text(), "Fax");
    EXPECT_EQ(form.cboCopyPrinter.text(), "Don't Print");
}

TEST_F(PrinterSetupTest, TheFaxOnlyFilterKeepsTheUsersChoiceWhileItIsListed) {
    machine.setPrinters({"Fax", "HP LaserJet 4250 PCL6", "Office Fax (Reception)", "WinFax Driver"});
    save(keys::Printer, "Fax");
    toolsPrinter({choose("cboPrinter", "WinFax Driver"), click("chkShowFaxPrintersOnly"), click("cmdOk")});
    EXPECT_EQ(stored(keys::Printer), "WinFax Driver");

    frmPrinter form(addin);
    form.load();
    form.chkShowFaxPrintersOnly.setValue(1);
    EXPECT_EQ(form.cboPrinter.items(), (Items{"Fax", "Office Fax (Reception)", "WinFax Driver"}));
    EXPECT_EQ(form.cboPrinter.text(), "WinFax Driver");
    form.chkShowFaxPrintersOnly.setValue(0);
    EXPECT_EQ(form.cboPrinter.items().size(), 4u);
    EXPECT_EQ(form.cboPrinter.text(), "WinFax Driver");
    EXPECT_TRUE(user.messages().empty()) << "refilling the list asks nothing";
}

// --- What OK stores -------------------------------------------------------------------------------

TEST_F(PrinterSetupTest, OkStoresTheChoicesAndHandsTheFaxPrinterToTheOpener) {
    toolsPrinter({choose("cboPrinter", "Office Fax (Reception)"), click("chkResetPrinter"),
                  choose("cboCopyPrinter", "HP LaserJet 4250 PCL6"), typeInto("txtCopies", " 2 "), click("cmdOk")});
    EXPECT_EQ(stored(keys::Printer), "Office Fax (Reception)");
    EXPECT_EQ(stored(keys::FaxType), "1");
    EXPECT_EQ(stored(keys::ResetPrinter), "False");
    EXPECT_EQ(stored(keys::DialOutLine), "");
    EXPECT_EQ(stored(keys::DefaultPrinter), "HP LaserJet 4250 PCL6");
    EXPECT_EQ(stored(keys::DefaultCopies), "2");
    EXPECT_FALSE(stored(keys::ServerName));
    EXPECT_TRUE(user.messages().empty());
}

TEST_F(PrinterSetupTest, CancelAndClosingTheWindowStoreNothingButAFirstFaxType) {
    save(keys::Printer, "Fax");
    toolsPrinter({choose("cboPrinter", "Office Fax (Reception)"), typeInto("txtPrefix", "9"), click("cmdCancel")});
    toolsPrinter({choose("cboPrinter", "Office Fax (Reception)"), closeWindow()});
    EXPECT_EQ(stored(keys::Printer), "Fax");
    EXPECT_EQ(stored(keys::FaxType), "1");
    EXPECT_EQ(store.size(), 2u);
}

TEST_F(PrinterSetupTest, OkWithoutAFaxPrinterExplainsWhereToFindOne) {
    machine.setPrinters({});
    toolsPrinter({click("cmdOk"), click("cmdCancel")});
    expectMessage(0,
                  "Please choose your Windows Fax printer from the list!\r\n\r\n"
                  "If there are no printers displayed in the list then it is likely that you have not installed "
                  "your Windows Fax Printer.",
                  MsgIcon::Exclamation);
    EXPECT_FALSE(stored(keys::Printer));
    EXPECT_FALSE(stored(keys::DefaultPrinter));
}

TEST_F(PrinterSetupTest, TheSharedFaxIsStoredWithItsServerOnceTheServerAnswers) {
    // On Windows 10, the machine of these tests: the shared fax is not limited to the releases of its day.
    save(keys::FaxType, "1");
    toolsPrinter({choose("cboPrinter", "Fax"), click("optSBS"), typeInto("txtServerName", "SBS02"), click("cmdOk"),
                  typeInto("txtServerName", "  sbs01  "), click("cmdOk")});
    expectMessage(0, "Invalid Server Name or Connection to Fax Server failed ", MsgIcon::Exclamation);
    EXPECT_EQ(user.messages().size(), 1u);
    EXPECT_EQ(stored(keys::FaxType), "3");
    EXPECT_EQ(stored(keys::ServerName), "sbs01");
    EXPECT_EQ(stored(keys::Printer), "Fax");
}

TEST_F(PrinterSetupTest, AnUnreachableServerIsSelectedForCorrectionABlankOneAskedForAndNothingAboutTheFaxSoftwareStored) {
    save(keys::FaxType, "1");
    frmPrinter form(addin);
    form.load();
    form.cboPrinter.setListIndex(0);
    form.optSBS.setValue(1);
    form.txtServerName.setText("SBS\xC3\x9C" "2");
    form.cmdOk.fireClick();
    expectMessage(0, "Invalid Server Name or Connection to Fax Server failed ", MsgIcon::Exclamation);
    EXPECT_TRUE(form.txtServerName.hasFocus());
    EXPECT_EQ(form.txtServerName.selStart(), 0);
    EXPECT_EQ(form.txtServerName.selLength(), 5);
    EXPECT_EQ(stored(keys::FaxType), "1");
    EXPECT_FALSE(stored(keys::ServerName));
    EXPECT_FALSE(stored(keys::DefaultPrinter));
    EXPECT_EQ(form.SelectedPrinter, "Fax") << "the printer was chosen before the server failed";

    // A blank name is asked for.
    form.txtServerName.setText("   ");
    form.cmdOk.fireClick();
    expectMessage(1, "Please enter the Server name", MsgIcon::Exclamation);
    EXPECT_EQ(form.txtServerName.text(), "");
    EXPECT_TRUE(form.txtServerName.hasFocus());
    EXPECT_EQ(stored(keys::FaxType), "1");
}

TEST_F(PrinterSetupTest, FaxSoftwareIsStoredOnlyWhereItsObjectsExistAndOtherwiseTheStoredChoiceIsKept) {
    const std::string noSbs = "You cannot use SBS option because the file (fxscomex.dll) that supports this feature is not "
                              "found Or\r\nYour Windows Fax Services is not installed.";
    const struct {
        OsVersion windows;
        bool faxService, extended, winFax;
        const char* stored;
        const char* option;  // nullptr: the stored choice
        std::string message;  // "": stored
        MsgIcon icon;
        const char* after;
    } cases[] = {
        {windows::W2000, false, true, false, "3", nullptr,
         "You have chosen to use shared fax. Shared fax is only supported if you are running Windows XP/Vista",
         MsgIcon::Critical, "3"},
        {windows::XP, false, false, false, "3", nullptr, noSbs, MsgIcon::Exclamation, "3"},
        {windows::W10, false, true, false, "3", "optWinFax", kNotInstalled, MsgIcon::Information, "3"},
        {windows::W10, false, false, false, "3", "optWindows", kNotInstalled, MsgIcon::Information, "3"},
        {windows::W2000, true, false, true, "2", "optWindows", "", {}, "1"},
        {windows::W2000, true, false, true, "1", "optWinFax", "", {}, "2"},
        {windows::W10, false, true, false, "2", "optWindows", "", {}, "1"},  // through the extended fax objects
        // On a release without any fax objects the Windows fax choice leaves the stored one.
        {windows::NT4, true, true, true, "2", "optWindows", "", {}, "2"},
    };
    save(keys::ServerName, "SBS01");
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.stored) + " -> " + (c.option ? c.option : "stored"));
        machine.runWindows(c.windows);
        fax.faxServiceInstalled = c.faxService;
        fax.extendedFaxInstalled = c.extended;
        fax.winFaxInstalled = c.winFax;
        save(keys::FaxType, c.stored);
        store.DeleteSetting(kAppName, kSectionName, keys::Printer);
        std::vector<sim::UserStep> steps{choose("cboPrinter", "Fax")};
        if (c.option) steps.push_back(click(c.option));
        steps.push_back(click("cmdOk"));
        if (!c.message.empty()) steps.push_back(click("cmdCancel"));  // the dialog stayed open
        const std::size_t before = user.messages().size();
        toolsPrinter(std::move(steps));
        ASSERT_EQ(user.messages().size(), before + !c.message.empty());
        if (!c.message.empty()) expectMessage(before, c.message, c.icon);
        EXPECT_EQ(stored(keys::FaxType), c.after);
        EXPECT_EQ(stored(keys::Printer).has_value(), c.message.empty());
    }
}

// --- The cover page ----------------------------------------------------------------------------------

TEST_F(PrinterSetupTest, APersonalCoverPageIsPickedFromTheUsersCoverPagesAndStoredWithItsNote) {
    const std::string folder = PersonalCoverPagesFolder(addin);
    EXPECT_EQ(folder, "C:\\Users\\User\\Documents\\Fax\\Personal Coverpages");
    std::filesystem::create_directories(platform.realPath(folder));
    for (const char* name : {"urgent.cov", "notes.txt", "Confidential.COV"}) platform.writeFile(folder + "\\" + name, "cover");
    toolsPrinter({choose("cboPrinter", "Fax"), click("optCoverPersonal"), choose("cboCoverPage", "urgent.cov"),
                  typeInto("txtCoverNote", "Please call back"), click("chkPreviewFax"), click("cmdOk")});
    EXPECT_EQ(stored(keys::PreviewFax), "True");
    EXPECT_EQ(stored(keys::CoverPageKind), "Personal");
    EXPECT_EQ(stored(keys::CoverPageName), "urgent.cov");
    EXPECT_EQ(stored(keys::CoverPageNote), "Please call back");
    // A personal cover page goes by its whole path; back to none, the name stays for next time.
    EXPECT_EQ(CoverPageToSend(addin).name, folder + "\\urgent.cov");
    frmPrinter form(addin);
    form.load();
    EXPECT_EQ(form.optCoverPersonal.value(), 1);
    EXPECT_EQ(form.cboCoverPage.text(), "urgent.cov");
    EXPECT_EQ(form.cboCoverPage.items(), (Items{"Confidential.COV", "urgent.cov"}));
    EXPECT_EQ(form.txtCoverNote.text(), "Please call back");
    EXPECT_EQ(form.chkPreviewFax.value(), 1);
    toolsPrinter({click("optCoverNone"), click("cmdOk")});
    EXPECT_EQ(stored(keys::CoverPageKind), "None");
    EXPECT_FALSE(CoverPageToSend(addin).chosen());
}

TEST_F(PrinterSetupTest, AServerCoverPageIsTypedWhenTheServerCannotBeListedAndOneMustBeNamed) {
    save(keys::Printer, "Fax");
    toolsPrinter({click("optCoverServer"), click("cmdOk"), typeInto("cboCoverPage", " generic.cov "), click("cmdOk")});
    expectMessage(0, "Please choose the cover page to send in front of your faxes, or choose \"No cover page\".",
                  MsgIcon::Exclamation);
    EXPECT_EQ(user.messages().size(), 1u);
    EXPECT_EQ(stored(keys::CoverPageKind), "Server");
    EXPECT_EQ(stored(keys::CoverPageName), "generic.cov") << "a server cover page goes by its name alone";
    EXPECT_EQ(CoverPageToSend(addin).name, "generic.cov");
    EXPECT_EQ(ServerCoverPagesFolder(addin, "SBS01"), "\\\\SBS01\\FAX$\\Coverpg");
}

// A fax server that does not answer holds whoever reads its folder for the network's time limit:
// the dialog opens without reading it, and reads it when the user goes to the list.
TEST_F(PrinterSetupTest, TheServersCoverPagesAreReadOnlyWhenTheUserGoesToTheList) {
    save(keys::FaxType, "3");
    save(keys::ServerName, "SBS01");
    save(keys::CoverPageKind, "Server");
    save(keys::CoverPageName, "generic.cov");
    const auto serverReads = [&] {
        return std::count_if(platform.calls.begin(), platform.calls.end(),
                             [](const std::string& c) { return c.find(R"(\\SBS01\FAX$)") != std::string::npos; });
    };
    frmPrinter form(addin);
    form.load();
    EXPECT_EQ(serverReads(), 0);
    EXPECT_EQ(form.cboCoverPage.text(), "generic.cov");
    form.cboCoverPage.onGotFocus();
    EXPECT_EQ(serverReads(), 1);
    EXPECT_EQ(form.cboCoverPage.text(), "generic.cov") << "the saved name stays when the list does not have it";
    form.cboCoverPage.onGotFocus();
    EXPECT_EQ(serverReads(), 1) << "read once";
}

TEST_F(PrinterSetupTest, FaxSoftwareThatCannotSendACoverPageSaysSoAndNoneIsSentThroughIt) {
    fax.winFaxInstalled = true;
    save(keys::CoverPageKind, "Server");
    save(keys::CoverPageName, "generic.cov");
    frmPrinter form(addin);
    form.load();
    EXPECT_TRUE(form.optCoverServer.enabled());
    EXPECT_FALSE(form.lblCoverUnsupported.visible());
    for (Control* software : {&form.optWinFax, &form.optHylafax}) {
        software->setValue(1);
        EXPECT_FALSE(form.optCoverServer.enabled());
        EXPECT_FALSE(form.cboCoverPage.enabled());
        EXPECT_TRUE(form.lblCoverUnsupported.visible());
        EXPECT_NE(form.lblCoverUnsupported.caption().find("without a cover page"), std::string::npos);
        EXPECT_EQ(form.chkPreviewFax.enabled(), software == &form.optHylafax) << "WinFax makes its own fax image";
    }
    save(keys::FaxType, "2");
    EXPECT_FALSE(CoverPageToSend(addin).chosen()) << "the stored choice waits for fax software that can send it";
    save(keys::FaxType, "3");
    EXPECT_TRUE(CoverPageToSend(addin).chosen());
}

// --- A HylaFAX server -------------------------------------------------------------------------------

TEST_F(PrinterSetupTest, TheHylafaxServerIsShownAsStoredAndItsFieldsAreForItAlone) {
    platform.variables["username"] = "jdoe";
    save(keys::FaxType, "4");
    save(keys::HylafaxHost, "fax.example");
    frmPrinter form(addin);
    form.load();
    EXPECT_EQ(form.optHylafax.value(), 1);
    EXPECT_EQ(form.optWindows.value() + form.optSBS.value() + form.optWinFax.value(), 0);
    EXPECT_EQ(form.txtHylafaxHost.text(), "fax.example");
    EXPECT_EQ(form.txtHylafaxPort.text(), "4559");
    EXPECT_EQ(form.txtHylafaxUser.text(), "jdoe") << "the Windows user name until another is stored";
    EXPECT_TRUE(form.txtHylafaxUser.enabled());
    form.optWindows.setValue(1);
    EXPECT_FALSE(form.txtHylafaxHost.enabled());
    EXPECT_EQ(form.txtHylafaxPort.backColor(), kButtonFace);
}

TEST_F(PrinterSetupTest, TheHylafaxServerIsStoredOnlyWithAHostAPortAndAUser) {
    const std::string badPort = "The HylaFAX server's port must be a number from 1 to 65535 (usually 4559).";
    const struct {
        const char* host;
        const char* port;
        const char* user;
        std::string message;  // "": stored
    } cases[] = {
        {"  ", "4559", "clerk", "Please enter the name or address of the HylaFAX server."},
        {"fax.example", "0", "clerk", badPort},
        {"fax.example", "65536", "clerk", badPort},
        {"fax.example", "45 59", "clerk", badPort},
        {"fax.example", "", "clerk", badPort},
        {"fax.example", "4559", " ", "Please enter the user name the HylaFAX server knows you by."},
        {" fax.example ", " 65535 ", " clerk ", ""},
    };
    save(keys::FaxType, "1");
    for (const auto& c : cases) {
        std::vector<sim::UserStep> steps{choose("cboPrinter", "Fax"), click("optHylafax"), typeInto("txtHylafaxHost", c.host),
                                         typeInto("txtHylafaxPort", c.port), typeInto("txtHylafaxUser", c.user),
                                         click("cmdOk")};
        if (!c.message.empty()) steps.push_back(click("cmdCancel"));  // the dialog stayed open
        toolsPrinter(std::move(steps));
        if (!c.message.empty()) {
            expectMessage(user.messages().size() - 1, c.message, MsgIcon::Exclamation);
            EXPECT_EQ(stored(keys::FaxType), "1") << c.host << "/" << c.port << "/" << c.user;
        }
    }
    EXPECT_EQ(user.messages().size(), 6u);
    EXPECT_EQ(stored(keys::FaxType), "4");
    EXPECT_EQ(stored(keys::HylafaxHost), "fax.example");
    EXPECT_EQ(stored(keys::HylafaxPort), "65535");
    EXPECT_EQ(stored(keys::HylafaxUser), "clerk");
}

TEST_F(PrinterSetupTest, AFirstDialOutPrefixIsConfirmedAndAnEmptiedBoxClearsIt) {
    // No: the prefix is not stored, everything else is, and the dialog closes.
    user.answer(MsgResult::No);
    toolsPrinter({choose("cboPrinter", "Fax"), typeInto("txtPrefix", "9"), click("cmdOk")});
    expectMessage(0, "You have chosen to use the Dial Outside line feature. Are you sure to use this feature?",
                  MsgIcon::Question, MsgButtons::YesNo);
    EXPECT_FALSE(stored(keys::DialOutLine));
    EXPECT_EQ(stored(keys::Printer), "Fax");
    EXPECT_EQ(stored(keys::DefaultPrinter), "Don't Print");

    user.answer(MsgResult::Yes);
    toolsPrinter({typeInto("txtPrefix", " 9 "), click("cmdOk")});
    EXPECT_EQ(stored(keys::DialOutLine), "9");
    // A prefix already in use is changed and cleared without asking.
    toolsPrinter({typeInto("txtPrefix", "0"), click("cmdOk")});
    EXPECT_EQ(stored(keys::DialOutLine), "0");
    toolsPrinter({typeInto("txtPrefix", ""), click("cmdOk")});
    EXPECT_EQ(stored(keys::DialOutLine), "");
    EXPECT_EQ(user.messages().size(), 2u);
}

TEST_F(PrinterSetupTest, NoCopyStoresZeroCopiesAndBadCopiesKeepTheDialogOpen) {
    toolsPrinter({choose("cboPrinter", "Fax"), choose("cboCopyPrinter", "HP LaserJet 4250 PCL6"),
                  typeInto("txtCopies", "0"), click("cmdOk"), click("cmdCancel")});
    expectMessage(0, "The number must be between 1 and 32767.", MsgIcon::Exclamation);
    EXPECT_FALSE(stored(keys::DefaultPrinter));
    EXPECT_FALSE(stored(keys::DefaultCopies));
    EXPECT_FALSE(stored(keys::Printer));

    save(keys::DefaultPrinter, "HP LaserJet 4250 PCL6");
    save(keys::DefaultCopies, "4");
    toolsPrinter({choose("cboPrinter", "Fax"), choose("cboCopyPrinter", "Don't Print"), click("cmdOk")});
    EXPECT_EQ(stored(keys::DefaultPrinter), "Don't Print");
    EXPECT_EQ(stored(keys::DefaultCopies), "0");
}

// --- Choosing the fax printer ---------------------------------------------------------------------

TEST_F(PrinterSetupTest, APrinterWithoutFaxInItsNameIsQuestionedAndNoPutsThePreviousOneBack) {
    constexpr const char* question =
        "You have chosen a fax printer that does not have the word FAX in it. Normally fax drivers for Windows, "
        "Small Business Server or WinFax have the word fax in it\r\n\r\nAre you sure that this is the correct fax "
        "printer driver?";
    save(keys::Printer, "Fax");
    user.answer(MsgResult::No);
    toolsPrinter({choose("cboPrinter", "HP LaserJet 4250 PCL6"), click("cmdOk")});
    expectMessage(0, question, MsgIcon::Question, MsgButtons::YesNo);
    EXPECT_EQ(stored(keys::Printer), "Fax");

    user.answer(MsgResult::Yes);
    toolsPrinter({choose("cboPrinter", "HP LaserJet 4250 PCL6"), click("cmdOk")});
    EXPECT_EQ(stored(keys::Printer), "HP LaserJet 4250 PCL6");

    // Another fax printer, or a first choice with nothing chosen before, is taken without a question.
    toolsPrinter({choose("cboPrinter", "Office Fax (Reception)"), click("cmdOk")});
    EXPECT_EQ(stored(keys::Printer), "Office Fax (Reception)");
    EXPECT_EQ(user.messages().size(), 2u);
}

TEST_F(PrinterSetupTest, TheHelpForAMissingFaxPrinterLeadsToTheQuestionsPageAndF1ToTheHelpTopic) {
    user.onForm("frmPrinter", {click("lblNoFax"), click("cmdCancel")});
    user.onForm("frmFaxPrinterSetupMessage", {click("lblTelvoraFAQ"), click("cmdOK")});
    buttons.ToolsPrinter();
    ASSERT_EQ(user.forms().size(), 2u);
    EXPECT_EQ(user.forms()[1].caption, "Fax Printer Help");
    EXPECT_EQ(platform.addressesOpened, (Items{product::kFaqPage}));

    frmFaxPrinterSetupMessage help(addin);
    help.load();
    EXPECT_EQ(help.lblTelvoraFAQ.caption(), product::kFaqPage) << "the user sees where the link leads";

    // F1 opens the setup help topic.
    toolsPrinter({sim::pressKey(kKeyF1), click("cmdCancel")});
    ASSERT_EQ(platform.helpCalls.size(), 1u);
    EXPECT_EQ(platform.helpCalls[0].data, 2000u);
    EXPECT_EQ(platform.helpCalls[0].command, HelpCommand::DisplayContext);
}

// --- The fax printer check ------------------------------------------------------------------------

TEST_F(PrinterSetupTest, TheCheckShowsTheDialogOnlyUntilAnInstalledPrinterIsStoredAndCancelOrClosingKeepTheStoredOne) {
    const struct {
        std::optional<std::string> stored;
        std::vector<sim::UserStep> steps;  // empty: the dialog is not shown
        bool accepted;
        std::optional<std::string> after;
    } cases[] = {
        {"Office Fax (Reception)", {}, true, "Office Fax (Reception)"},
        {"Old Fax", {choose("cboPrinter", "Fax"), click("cmdOk")}, true, "Fax"},
        {"Old Fax", {click("cmdCancel")}, false, "Old Fax"},
        {"Old Fax", {closeWindow()}, false, "Old Fax"},
        {std::nullopt, {choose("cboPrinter", "Office Fax (Reception)"), click("cmdOk")}, true, "Office Fax (Reception)"},
        {std::nullopt, {closeWindow()}, false, std::nullopt},
    };
    std::size_t shown = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored.value_or("nothing stored"));
        if (c.stored) save(keys::Printer, *c.stored);
        else store.DeleteSetting(kAppName, kSectionName, keys::Printer);
        if (!c.steps.empty()) user.onForm("frmPrinter", c.steps);
        EXPECT_EQ(EnsureFaxPrinter(addin), c.accepted);
        EXPECT_EQ(stored(keys::Printer), c.after);
        shown += !c.steps.empty();
        EXPECT_EQ(user.forms().size(), shown) << "shown once at most";
    }

    frmPrinter form(addin);
    form.load();
    form.closeFromFrame();
    EXPECT_EQ(form.SelectedPrinter, "Cancel");
    EXPECT_TRUE(form.loaded()) << "its opener still reads it";
}

// Shows nothing and returns at once, as a broken dialog host would.
class UnansweringUi final : public Ui {
public:
    MsgResult messageBox(const std::string&, MsgButtons, MsgIcon, const std::string&) override { return MsgResult::OK; }
    void runModal(Form&) override { ++shown; }
    int shown = 0;
};

TEST_F(PrinterSetupTest, ADialogThatComesBackUnansweredIsNotShownAgainAndAgain) {
    UnansweringUi ui;
    Addin unanswered{Ports{store, automation, ui, platform}};
    EXPECT_FALSE(EnsureFaxPrinter(unanswered));
    save(keys::Printer, "Old Fax");
    EXPECT_FALSE(EnsureFaxPrinter(unanswered));
    EXPECT_EQ(ui.shown, 2);
    EXPECT_EQ(stored(keys::Printer), "Old Fax");
}

TEST_F(PrinterSetupTest, AFailureIsReportedAndTheCheckAnswersNo) {
    save(keys::Printer, "Fax");
    store.failWith(75);
    EXPECT_FALSE(EnsureFaxPrinter(addin));
    ASSERT_FALSE(user.messages().empty());
    EXPECT_EQ(user.messages().back().prompt.rfind("Error number: 75 ", 0), 0u) << user.messages().back().prompt;
    EXPECT_TRUE(user.forms().empty());
}

}  // namespace
}  // namespace telvora
