// The add-in's start inside Word and its unloading, on the in-memory word processor: what the user
// sees at the first window, what happens to Word's menus, the toolbar and the add-ins list, the
// old setting carried over, and that unloading lets go of Word.
#include "host/connection.h"

#include <gtest/gtest.h>

#include <set>

#include "host/command_bars.h"
#include "sim/word/document_builder.h"
#include "sim/word/word_processor.h"
#include "support/sim_addin.h"

namespace telvora {
namespace {

using sim::button;
using sim::DocumentBuilder;
using sim::popup;
using Lines = std::vector<std::string>;

constexpr const char* kTemplatePath = "C:\\Telvora\\Telvora.dot";

class StartupTest : public testing::SimAddinTest {
protected:
    StartupTest() {
        // A fax printer chosen and installed: the start-up's printer check asks nothing.
        machine.setPrinters({"Fax", "Laser"});
        store.SaveSetting(kAppName, kSectionName, "Printer", "Fax");
        word->addCommandBar("Help", {button("HelpContents"), button("AboutWord")});
        word->addCommandBar("Tools", {button("Spelling"), button("Options")});
        word->addCommandBar(kToolbarName, {button("FaxNumber"), button("Fax")}, false);
        platform.writeFile(kTemplatePath, "the companion template");
    }

    // The user opens a document, or brings its window to the front again.
    void show(const std::string& name, bool emailEditor = false) {
        for (const auto& open : word->documentNames()) {
            if (open == name) return word->activateWindow(name);
        }
        word->open(DocumentBuilder(name).text("Fax 555 1234").emailEnvelope(emailEditor).build());
    }

    std::shared_ptr<sim::WordProcessor> word = std::make_shared<sim::WordProcessor>(sim::WordProcessorOptions{platform.paths()});
    AddinConnection connection{addin};
};

TEST_F(StartupTest, ConnectingWaitsForTheFirstWindowWhichLoadsTheTemplateAndShowsItsToolbarOnce) {
    connection.OnConnection(word);
    EXPECT_TRUE(addin.hasWord());
    EXPECT_TRUE(word->hasWindowActivateHandler());
    EXPECT_FALSE(connection.initialised());
    EXPECT_TRUE(word->addInList().empty());
    EXPECT_FALSE(word->commandBarVisible(kToolbarName));

    show("Letter.doc");
    EXPECT_TRUE(connection.initialised());
    ASSERT_EQ(word->addInList().size(), 1u);
    EXPECT_EQ(word->addInList()[0].name, "Telvora.dot");
    EXPECT_EQ(word->addInList()[0].path, kTemplatePath);
    EXPECT_TRUE(word->addInList()[0].installed);
    EXPECT_TRUE(word->commandBarVisible(kToolbarName));
    EXPECT_TRUE(user.messages().empty());

    // Later windows find the add-in started: nothing is checked, added or shown again.
    word->commandBars()->item(kToolbarName)->setVisible(false);
    show("Memo.doc");
    show("Letter.doc");
    EXPECT_EQ(word->addInList().size(), 1u);
    EXPECT_FALSE(word->commandBarVisible(kToolbarName)) << "the user's choice in this session stands";
    EXPECT_TRUE(user.forms().empty());
}

TEST_F(StartupTest, ATemplateListedButSwitchedOffIsSwitchedOnNotAddedTwice) {
    word->addAddIn(kTemplatePath, false);
    connection.OnConnection(word);
    show("Letter.doc");
    ASSERT_EQ(word->addInList().size(), 1u);
    EXPECT_TRUE(word->addInList()[0].installed);
}

TEST_F(StartupTest, OnlyWindowsReleasesTheAddinWasMadeForAreSupported) {
    const struct {
        std::optional<OsVersion> version;
        bool supported;
    } systems[] = {
        {OsVersion{2, 5, 0, 2195}, true},  {OsVersion{2, 5, 0, 2194}, false}, {OsVersion{2, 5, 1, 2600}, true},
        {OsVersion{2, 5, 1, 2599}, false}, {OsVersion{2, 5, 2, 3790}, true},  {OsVersion{2, 5, 2, 3789}, false},
        {OsVersion{2, 5, 3, 9999}, false}, {OsVersion{2, 4, 0, 1381}, false}, {OsVersion{2, 6, 0, 6000}, true},
        {OsVersion{2, 10, 0, 19045}, true}, {OsVersion{1, 6, 0, 6000}, false}, {std::nullopt, false},
    };
    for (const auto& s : systems) {
        platform.version = s.version;
        EXPECT_EQ(IsSupportedSystem(addin), s.supported)
            << (s.version ? std::to_string(s.version->platformId) + " " + std::to_string(s.version->major) + "." +
                                std::to_string(s.version->minor) + "." + std::to_string(s.version->build)
                          : "no version");
    }
}

TEST_F(StartupTest, OnAnUnsupportedSystemTheMessageComesOnceAndTheToolbarIsStillPrepared) {
    platform.version = OsVersion{2, 5, 0, 2194};
    store.SaveSetting(kAppName, kSectionName, "BlnServer", "True");
    // Without a fax printer, too: the unsupported system is not asked for one.
    store.DeleteSetting(kAppName, kSectionName, "Printer");
    connection.OnConnection(word);
    show("Letter.doc");
    show("Memo.doc");
    expectMessage(onlyMessage(),
                  "Telvora does not support your Operating System. It only works with Windows 2000, Windows XP, Windows "
                  "2003 or later",
                  MsgIcon::Critical);
    EXPECT_TRUE(connection.initialised());
    EXPECT_TRUE(word->commandBarVisible(kToolbarName));
    // Nothing else of the start-up happens there.
    EXPECT_TRUE(user.forms().empty());
    EXPECT_TRUE(word->addInList().empty());
    EXPECT_EQ(store.GetSetting(kAppName, kSectionName, "BlnServer"), "True");
}

TEST_F(StartupTest, OnAnUnsupportedSystemAMissingToolbarIsReportedOnceAfterTheAddinCountsAsStarted) {
    platform.version = std::nullopt;
    word = std::make_shared<sim::WordProcessor>(sim::WordProcessorOptions{platform.paths()});
    connection.OnConnection(word);
    show("Letter.doc");
    show("Memo.doc");
    ASSERT_EQ(user.messages().size(), 2u);
    EXPECT_EQ(user.messages()[1].prompt, "Error number: 5941 The requested member of the collection does not exist.");
    EXPECT_EQ(user.messages()[1].icon, MsgIcon::Exclamation);
    EXPECT_TRUE(connection.initialised());
}

TEST_F(StartupTest, AMissingTemplateIsReportedAtEveryWindowUntilItIsBack) {
    platform.deleteFile(kTemplatePath);
    connection.OnConnection(word);
    show("Letter.doc");
    show("Memo.doc");
    const std::string missing =
        "The template that supports Telvora could not be found. You will not be able to access any of its features. "
        "\r\n\r\nIt is recommended that you reinstall Telvora.";
    ASSERT_EQ(user.messages().size(), 2u);
    for (const auto& m : user.messages()) expectMessage(m, missing, MsgIcon::Exclamation);
    EXPECT_FALSE(connection.initialised());
    EXPECT_TRUE(word->addInList().empty());
    EXPECT_FALSE(word->commandBarVisible(kToolbarName));

    platform.writeFile(kTemplatePath, "reinstalled");
    show("Letter.doc");
    EXPECT_EQ(user.messages().size(), 2u);
    EXPECT_TRUE(connection.initialised());
    EXPECT_EQ(word->addInList().size(), 1u);
}

TEST_F(StartupTest, AnEmailEditorWindowWaitsForTheFirstDocumentWindow) {
    // No fax printer either: the mail window must not ask for one.
    store.DeleteSetting(kAppName, kSectionName, "Printer");
    connection.OnConnection(word);
    show("Message", true);
    EXPECT_FALSE(connection.initialised());
    EXPECT_TRUE(user.forms().empty());
    EXPECT_TRUE(word->addInList().empty());
    EXPECT_TRUE(user.messages().empty());

    user.onForm("frmPrinter", {sim::click("cmdCancel")});
    show("Letter.doc");
    EXPECT_TRUE(connection.initialised());
    EXPECT_EQ(user.forms().size(), 1u);
    EXPECT_EQ(word->addInList().size(), 1u);
}

TEST_F(StartupTest, WithoutAFaxPrinterTheStartAsksForOneAndGoesOnWhateverTheAnswer) {
    store.DeleteSetting(kAppName, kSectionName, "Printer");
    user.onForm("frmPrinter", {sim::click("cmdCancel")});
    connection.OnConnection(word);
    show("Letter.doc");
    ASSERT_EQ(user.forms().size(), 1u);
    EXPECT_EQ(user.forms()[0].caption, "Telvora Settings");
    EXPECT_TRUE(connection.initialised());
    EXPECT_EQ(word->addInList().size(), 1u);
    EXPECT_TRUE(word->commandBarVisible(kToolbarName));
    // Asked once per start: later windows leave the user alone.
    show("Memo.doc");
    EXPECT_EQ(user.forms().size(), 1u);
}

TEST_F(StartupTest, TheOldServerSettingBecomesTheFaxTypeOnlyWhenNoFaxTypeIsStored) {
    const struct {
        const char* faxType;  // nullptr: none stored
        const char* blnServer;
        const char* faxTypeAfter;
        const char* blnServerAfter;
    } cases[] = {
        {nullptr, "True", "3", ""}, {nullptr, "False", "1", ""}, {"", "-1", "3", ""}, {"2", "True", "2", "True"},
    };
    for (const auto& c : cases) {
        testing::MemorySettingsStore fresh;
        Addin own{Ports{fresh, automation, user, platform}};
        auto processor = std::make_shared<sim::WordProcessor>(sim::WordProcessorOptions{platform.paths()});
        processor->addCommandBar(kToolbarName, {});
        AddinConnection startup{own};
        fresh.SaveSetting(kAppName, kSectionName, "Printer", "Fax");
        if (c.faxType) fresh.SaveSetting(kAppName, kSectionName, "FaxType", c.faxType);
        if (c.blnServer) fresh.SaveSetting(kAppName, kSectionName, "BlnServer", c.blnServer);
        startup.OnConnection(processor);
        processor->open(DocumentBuilder("Letter.doc").build());
        const std::string label = std::string(c.faxType ? c.faxType : "none") + "/" + (c.blnServer ? c.blnServer : "none");
        EXPECT_EQ(fresh.GetSetting(kAppName, kSectionName, "FaxType"), c.faxTypeAfter) << label;
        EXPECT_EQ(fresh.GetSetting(kAppName, kSectionName, "BlnServer"), c.blnServerAfter) << label;
    }
}

// A menu holding an entry of an earlier release is reset to Word's own (the user's own entries in
// it go too, as they always did); a menu without one keeps the user's customisations, also over
// several starts. An entry tagged like the old pop-up that is no pop-up is the user's.
TEST_F(StartupTest, EntriesOfEarlierReleasesResetOnlyTheirOwnMenu) {
    using Menu = std::vector<sim::MenuControl>;
    const struct {
        Menu help, tools;
        Lines helpAfter, toolsAfter;
    } cases[] = {
        {{button("Telvora Help")},
         {button("UserToolsMacro")},
         {"HelpContents", "AboutWord"},
         {"Spelling", "Options", "UserToolsMacro"}},
        {{button("About Telvora"), button("Telvora Help"), button("UserHelpMacro")},
         {popup("Telvora", {button("Fax"), button("Settings")}), button("UserToolsMacro")},
         {"HelpContents", "AboutWord"},
         {"Spelling", "Options"}},
        {{button("UserHelpMacro")},
         {button("UserToolsMacro"), button("Telvora")},
         {"HelpContents", "AboutWord", "UserHelpMacro"},
         {"Spelling", "Options", "UserToolsMacro", "Telvora"}},
    };  // each case adds to the menus the one before left
    for (const auto& c : cases) {
        word->customizeCommandBar("Help", c.help);
        word->customizeCommandBar("Tools", c.tools);
        for (const char* doc : {"Letter.doc", "Memo.doc"}) {
            connection.OnConnection(word);
            show(doc);
            EXPECT_TRUE(connection.initialised());
            connection.OnDisconnection();
        }
        EXPECT_EQ(word->controlTags("Help"), c.helpAfter);
        EXPECT_EQ(word->controlTags("Tools"), c.toolsAfter);
    }
}

TEST_F(StartupTest, AfterTheTemplateIsLoadedWordsErrorsDoNotStopTheStart) {
    // No menus and no toolbar at all: every step of the preparation fails, silently.
    word = std::make_shared<sim::WordProcessor>(sim::WordProcessorOptions{platform.paths()});
    connection.OnConnection(word);
    show("Letter.doc");
    EXPECT_TRUE(user.messages().empty());
    EXPECT_TRUE(connection.initialised());
    EXPECT_EQ(word->addInList().size(), 1u);
}

TEST_F(StartupTest, AFailureBeforeTheTemplateIsReportedAndTheNextWindowTriesAgain) {
    // A settings store that cannot be read at all.
    store.failWith(err::PathFileAccess);
    connection.OnConnection(word);
    show("Letter.doc");
    EXPECT_EQ(prompts(), (std::vector<std::string>{"Error number: 75 Path/File access error"}));
    EXPECT_FALSE(connection.initialised());
    EXPECT_TRUE(word->addInList().empty());
    show("Memo.doc");
    EXPECT_EQ(user.messages().size(), 2u);
}

TEST_F(StartupTest, AStoredFaxSoftwareThatIsNoNumberNeverKeepsTheAddinAndItsToolbarFromStarting) {
    // Texts no release could have written: the start goes on, so the settings can repair them.
    for (const char* faxType : {"abc", "99999"}) {
        store.SaveSetting(kAppName, kSectionName, "FaxType", faxType);
        store.SaveSetting(kAppName, kSectionName, "BlnServer", "perhaps");
        AddinConnection fresh{addin};
        fresh.OnConnection(word);
        show(std::string("Letter ") + faxType + ".doc");
        EXPECT_TRUE(fresh.initialised()) << faxType;
        EXPECT_TRUE(word->commandBarVisible(kToolbarName)) << faxType;
        // The setup dialog the printer check opens says what it could not read, and lets the user
        // choose again; nothing stops the start.
        for (const auto& m : user.messages()) EXPECT_TRUE(m.prompt.starts_with("Form Load")) << faxType << m.prompt;
        EXPECT_EQ(store.stored(kAppName, kSectionName, "FaxType"), faxType) << "left for the settings to repair";
        fresh.OnDisconnection();
    }
}

TEST_F(StartupTest, DisconnectingClosesHelpAndLetsGoOfWordButKeepsTheTemplateListedAndReconnectingStartsAgain) {
    connection.OnConnection(word);
    show("Letter.doc");
    word->commandBars()->item(kToolbarName)->setVisible(false);
    connection.OnDisconnection();
    EXPECT_FALSE(addin.hasWord());
    EXPECT_FALSE(word->hasWindowActivateHandler());
    EXPECT_FALSE(connection.connected());
    ASSERT_EQ(platform.helpCalls.size(), 1u);
    EXPECT_EQ(platform.helpCalls[0].command, HelpCommand::CloseAll);
    EXPECT_EQ(platform.helpCalls[0].helpFile, "C:\\Telvora\\Telvora.chm");
    EXPECT_EQ(word->addInList().size(), 1u);
    EXPECT_TRUE(user.messages().empty());

    // Connected again while Word runs: the start-up runs again at the next window.
    connection.OnConnection(word);
    EXPECT_FALSE(connection.initialised());
    show("Memo.doc");
    EXPECT_TRUE(connection.initialised());
    EXPECT_TRUE(word->commandBarVisible(kToolbarName)) << "the start-up ran again";
}

TEST_F(StartupTest, AConnectionThatGoesWithoutDisconnectingStillLetsGoOfWord) {
    {
        AddinConnection shortLived{addin};
        shortLived.OnConnection(word);
    }
    EXPECT_FALSE(addin.hasWord());
    EXPECT_FALSE(word->hasWindowActivateHandler());
    show("Letter.doc");  // nothing left to call
}


// Word 2007 and later ask for the ribbon between connecting and the first window; earlier Words
// never do and keep the toolbar as the setting says. Every start applies the settings, whatever the
// user made of the toolbar during the last session.
TEST_F(StartupTest, TheToolbarFollowsItsSettingsAtEveryStartAndBesideTheRibbonOnlyWhenTheUserAsksForBoth) {
    struct Case {
        bool ribbonAsked;
        const char* showToolbar;  // "" = nothing stored
        const char* withRibbon;
        bool shown;
    };
    for (const Case& c : {Case{false, "", "", true}, Case{false, "", "0", true}, Case{false, "0", "1", false},
                          Case{false, "False", "", false}, Case{false, "True", "", true}, Case{true, "", "", false},
                          Case{true, "1", "0", false}, Case{true, "1", "True", true}, Case{true, "", "1", true},
                          Case{true, "0", "1", false}}) {
        for (const auto& [key, value] : {std::pair{"ShowToolbar", c.showToolbar}, std::pair{"ShowToolbarWithRibbon", c.withRibbon}}) {
            if (*value) {
                store.SaveSetting(kAppName, kSectionName, key, value);
            } else {
                store.DeleteSetting(kAppName, kSectionName, key);
            }
        }
        word->commandBars()->item(kToolbarName)->setVisible(!c.shown);
        connection.OnConnection(word);
        // Only the document window's ribbon gets the tab, and only it counts as shown.
        EXPECT_EQ(connection.GetCustomUI("Microsoft.Outlook.Mail.Read"), "");
        if (c.ribbonAsked) {
            EXPECT_FALSE(connection.GetCustomUI(kWordDocumentRibbon).empty());
        }
        EXPECT_EQ(connection.ribbonShown(), c.ribbonAsked);
        show("Letter.doc");
        EXPECT_EQ(word->commandBarVisible(kToolbarName), c.shown)
            << "ribbon " << c.ribbonAsked << " ShowToolbar \"" << c.showToolbar << "\" ShowToolbarWithRibbon \"" << c.withRibbon << "\"";
        connection.OnDisconnection();
    }
}


// Every button's command is one the toolbar's macros call (a command method without arguments), and
// no two buttons share an identifier or a key tip, which would leave one unreachable.
TEST(RibbonTab, EachButtonHasItsOwnIdentifierKeyTipAndACommandWithoutArguments) {
    std::set<std::string> ids, keytips;
    for (const auto& group : ribbonGroups()) {
        for (const auto& button : group.buttons) {
            EXPECT_TRUE(ids.insert(button.id).second) << button.id;
            EXPECT_TRUE(keytips.insert(button.keytip).second) << button.keytip;
            const int method = Buttons::findMethod(button.command);
            ASSERT_GE(method, 0) << button.command;
            EXPECT_EQ(Buttons::methods()[static_cast<std::size_t>(method)].argCount, 0u) << button.command;
            EXPECT_EQ(findRibbonButton(button.id), &button);
        }
    }
    EXPECT_EQ(ids.size(), 12u);
}

}  // namespace
}  // namespace telvora
