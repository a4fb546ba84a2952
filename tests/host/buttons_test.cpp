// The command surface as the template's macros use it: the settings location, help, the error
// reports every command shows, and commands that have not landed failing loudly.
#include "host/buttons.h"

#include <gtest/gtest.h>

#include "app/reports.h"
#include "sim/word/document_builder.h"
#include "sim/word/word_processor.h"
#include "support/answering_ui.h"
#include "support/error_number.h"
#include "support/faxing.h"
#include "sim/word/served_word.h"
#include "support/sim_addin.h"

namespace telvora {
namespace {

using sim::MessageRecord;

class ButtonsTest : public testing::SimAddinTest {
protected:
    Buttons buttons{addin};
};

TEST_F(ButtonsTest, HelpOpensTopic1000OfTheHelpFileInTheAddinsFolder) {
    buttons.cmdHelp();
    ASSERT_EQ(platform.helpCalls.size(), 1u);
    EXPECT_EQ(platform.helpCalls[0].helpFile, "C:\\Telvora\\Telvora.chm");
    EXPECT_EQ(platform.helpCalls[0].command, HelpCommand::DisplayContext);
    EXPECT_EQ(platform.helpCalls[0].data, 1000u);
    EXPECT_FALSE(platform.fileExists("C:\\Telvora\\Telvora.chm")) << "the help file is absent here";
    EXPECT_TRUE(user.messages().empty()) << "a missing help file shows no message of the add-in's own";

    CloseAllHelp(addin);
    ASSERT_EQ(platform.helpCalls.size(), 2u);
    EXPECT_EQ(platform.helpCalls[1].command, HelpCommand::CloseAll);
    EXPECT_EQ(platform.helpCalls[1].data, 0u);
    EXPECT_EQ(PopUpHelpFilePath(addin), "C:\\Telvora\\Telvora.chm::/Telvora PopUp.txt");
}

TEST_F(ButtonsTest, RequiredFieldCheckIgnoresSurroundingBlanks) {
    std::string blanks = "   ", x = " x ", empty;
    EXPECT_FALSE(buttons.RequiredFieldCheck(blanks));
    EXPECT_TRUE(buttons.RequiredFieldCheck(x));
    EXPECT_FALSE(buttons.RequiredFieldCheck(empty));
    EXPECT_EQ(x, " x ") << "the macro's variable is left as it was";
}

// The type library holds the interface's order; a call by position must still check its arguments.
TEST_F(ButtonsTest, ACallByPositionReadsNoArgumentItWasNotGiven) {
    std::string args[1] = {"Now"};
    const int check = Buttons::findMethod("REQUIREDFIELDCHECK");
    EXPECT_EQ(buttons.invoke(check, std::span<std::string>(args, 1)), Variant(true));
    EXPECT_THROW(buttons.invoke(check, {}), RuntimeError) << "a missing argument must not be read";
    EXPECT_THROW(buttons.invoke(99, {}), RuntimeError);
    EXPECT_EQ(Buttons::findMethod("NoSuchCommand"), -1);
}

TEST_F(ButtonsTest, WithoutTheConnectionTheMarkingCommandsWorkOnTheRunningWord) {
    // The COM add-in is turned off while its template, still loaded, calls the commands.
    auto running = std::make_shared<sim::WordProcessor>();
    running->open(sim::DocumentBuilder("Letter.doc").text("Fax 555 1234").select(4, 12).build());
    sim::ServedWord served{running};
    automation.startRunning("Word.Application", served.application());
    buttons.cmdFaxnumber();
    EXPECT_EQ(running->document("Letter.doc")->styleNameAt(sim::StoryKind::Main, 4), "tlvFaxNumber");
    EXPECT_TRUE(user.messages().empty());
    // Word is let go after the command, so it can quit when the user closes it.
    EXPECT_FALSE(addin.hasWord());
}

TEST_F(ButtonsTest, WithoutTheConnectionAndWithNoWordRunningTheMarkingCommandsSayNoDocumentIsOpen) {
    for (auto command : {&Buttons::cmdFaxnumber, &Buttons::cmdFaxName, &Buttons::cmdFaxCompany, &Buttons::cmdFaxSubject})
        (buttons.*command)();
    ASSERT_EQ(user.messages().size(), 4u);
    for (const auto& m : user.messages())
        expectMessage(m, "This command is not available because no document is open.", MsgIcon::Exclamation);
}

TEST_F(ButtonsTest, TheConnectedWordComesBeforeAnyOtherRunningWord) {
    auto connected = std::make_shared<sim::WordProcessor>();
    connected->open(sim::DocumentBuilder("Mine.doc").text("Fax 555 1234").select(4, 12).build());
    addin.setWord(connected);
    auto other = std::make_shared<sim::WordProcessor>();
    other->open(sim::DocumentBuilder("Other.doc").text("Fax 555 1234").select(4, 12).build());
    sim::ServedWord served{other};
    automation.startRunning("Word.Application", served.application());
    buttons.cmdFaxSubject();
    EXPECT_EQ(connected->document("Mine.doc")->styleNameAt(sim::StoryKind::Main, 4), "tlvSubject");
    EXPECT_TRUE(served.calls().empty());
    EXPECT_TRUE(addin.hasWord());
}

TEST_F(ButtonsTest, ADialogThatCannotBeShownIsReportedAndChangesNothing) {
    testing::AnsweringUi ui;
    Addin formless{Ports{store, automation, ui, platform}};
    store.SaveSetting(kAppName, kSectionName, "FaxType", "2");
    Buttons commands{formless};
    commands.ToolsPrinter();
    commands.cmdSettings();
    commands.cmdHelpAbout();
    const std::string report = "Error number: 445 Showing dialogs is not available yet in this release of Telvora.";
    EXPECT_EQ(ui.prompts, (std::vector<std::string>{report, report, report}));
    EXPECT_EQ(store.size(), 1u);
}

TEST_F(ButtonsTest, TheCommandObjectIsCalledByNameAsTheMacrosCallIt) {
    const auto object = automation.create("telvora.buttons");
    EXPECT_EQ(object->call("GETAPPNAME"), Variant("0x61645694"));
    EXPECT_EQ(object->call("RequiredFieldCheck", {Variant(" x ")}), Variant(true));
    EXPECT_EQ(object->get("requiredfieldcheck", {Variant(std::int16_t{0})}), Variant(true)) << "a number as text";
    EXPECT_EQ(testing::errorOf([&] { object->call("RequiredFieldCheck"); }), 449);
    EXPECT_EQ(testing::errorOf([&] { object->call("getAppName", {Variant("x")}); }), 450);
    EXPECT_EQ(testing::errorOf([&] { object->call("NoSuchCommand"); }), err::MemberNotFound);
    EXPECT_EQ(testing::errorOf([&] { object->put("getAppName", Variant("x")); }), err::MemberNotFound);
    EXPECT_EQ(testing::errorOf([&] { object->call("getAppName", {}, {{"x", Variant(1)}}); }),
              err::NamedArgumentNotFound);
    // By the names the type library gives the arguments, as a macro may pass them.
    EXPECT_EQ(object->call("RequiredFieldCheck", {}, {{"STRFIELD", Variant(" x ")}}), Variant(true));
    EXPECT_EQ(object->call("RequiredFieldCheck", {}, {{"strField", Variant("  ")}}), Variant(false));
    EXPECT_EQ(testing::errorOf([&] { object->call("RequiredFieldCheck", {Variant("x")}, {{"strField", Variant("y")}}); }),
              err::WrongArgumentCount)
        << "given twice";
    // An array or an object where text is wanted is a type mismatch, as in a macro.
    EXPECT_EQ(testing::errorOf([&] { object->call("RequiredFieldCheck", {Variant::array({Variant("x")})}); }),
              err::TypeMismatch);
    EXPECT_EQ(testing::errorOf([&] { object->call("RequiredFieldCheck", {Variant(object)}); }), err::TypeMismatch);
}

// The send road as the template's macros take it, on the running Word reached over its object
// model: the printers switched and put back by name, the named print arguments, the document
// found again by name for WinFax.
class ButtonsFaxTest : public testing::FaxingTest {
protected:
    ButtonsFaxTest() {
        addin.setWord(nullptr);
        automation.startRunning("Word.Application", served.application());
        openLetter();
    }
    sim::ServedWord served{word};
    std::shared_ptr<AutomationObject> commands = automation.create("Telvora.Buttons");
};

TEST_F(ButtonsFaxTest, TheMacrosFaxByNameOnTheRunningWord) {
    user.onForm("frmSendConfirm", {sim::click("cmdFaxOnly")});
    (void)commands->call("cmdFax");
    (void)commands->call("SendFax", {Variant("Discount"), Variant("")});
    save(keys::FaxType, "2");
    save(keys::Printer, testing::kWinFaxPrinter);
    (void)commands->call("WinFaxSendFax", {Variant("Now")});

    EXPECT_TRUE(user.messages().empty());
    ASSERT_EQ(fax.jobs.size(), 3u);
    EXPECT_EQ(fax.jobs[0].body, printedLetter());
    EXPECT_EQ(fax.jobs[0].number, "0298765432");
    EXPECT_EQ(fax.jobs[1].schedule, "Discount");
    EXPECT_EQ(fax.jobs[2].printedDocument, "Letter.doc");
    EXPECT_EQ(word->activePrinter(), testing::kUsersPrinter);
    EXPECT_FALSE(platform.fileExists(testing::kFaxFile));
    EXPECT_FALSE(addin.hasWord()) << "Word is let go after each command";
}

}  // namespace
}  // namespace telvora
