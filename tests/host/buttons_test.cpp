// The command surface as the template's macros use it: the settings location, help, the error
// reports every command shows, and commands that have not landed failing loudly.
#include "host/buttons.h"

#include <gtest/gtest.h>

#include "app/reports.h"
#include "support/error_number.h"
#include "support/sim_addin.h"

namespace telvora {
namespace {

using sim::MessageRecord;

class ButtonsTest : public testing::SimAddinTest {
protected:
    Buttons buttons{addin};
};

TEST_F(ButtonsTest, TellsTheMacrosWhereTheSettingsLive) {
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(buttons.getAppName(), Variant("0x61645694"));
        EXPECT_EQ(buttons.getSectionName(), Variant("Settings"));
    }
    EXPECT_EQ(store.size(), 0u);
    EXPECT_TRUE(user.messages().empty());
}

TEST_F(ButtonsTest, ReportErrorShowsNumberAndDescriptionWithTheExclamationIcon) {
    ReportError(addin, RuntimeError(91, "Object variable or With block variable not set"));
    ReportCommandError(addin, RuntimeError(5941, "The requested member of the collection does not exist."));
    ReportCommandError(addin, RuntimeError::objectNotSet());
    ASSERT_EQ(user.messages().size(), 3u);
    const MessageRecord& plain = user.messages()[0];
    EXPECT_EQ(plain.prompt, "Error number: 91 Object variable or With block variable not set");
    EXPECT_EQ(plain.icon, MsgIcon::Exclamation);
    EXPECT_EQ(plain.buttons, MsgButtons::OK);
    EXPECT_EQ(plain.title, "Telvora");
    EXPECT_EQ(user.messages()[1].prompt, "Error number: 5941 The requested member of the collection does not exist.");
    EXPECT_EQ(user.messages()[2].prompt, "This command is not available because no document is open.");
    EXPECT_EQ(user.messages()[2].icon, MsgIcon::Exclamation);
    EXPECT_EQ(user.messages()[2].title, "Telvora");
}

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

TEST_F(ButtonsTest, ACommandThatHasNotLandedRaisesRatherThanSucceeding) {
    try {
        buttons.cmdQuickFax();
        ADD_FAILURE() << "cmdQuickFax pretended to work";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), err::ActionNotSupported);
        EXPECT_NE(e.description().find("cmdQuickFax"), std::string::npos);
        EXPECT_NE(e.description().find("not available yet"), std::string::npos);
    }
    EXPECT_TRUE(user.messages().empty());
}

TEST_F(ButtonsTest, TheMethodTableKeepsTheMacrosOrderAndFindsNamesInAnyCase) {
    const auto methods = Buttons::methods();
    ASSERT_EQ(methods.size(), 22u);
    EXPECT_STREQ(methods.front().name, "getAppName");
    EXPECT_STREQ(methods[12].name, "RequiredFieldCheck");
    EXPECT_STREQ(methods.back().name, "WinFaxSendFax");
    EXPECT_EQ(Buttons::findMethod("REQUIREDFIELDCHECK"), 12);
    EXPECT_EQ(Buttons::findMethod("cmdfaxnumber"), Buttons::findMethod("cmdFaxnumber"));
    EXPECT_EQ(Buttons::findMethod("NoSuchCommand"), -1);

    std::string args[2] = {"Now", ""};
    EXPECT_EQ(buttons.invoke(0, {}), Variant("0x61645694"));
    EXPECT_EQ(buttons.invoke(12, std::span<std::string>(args, 1)), Variant(true));
    EXPECT_THROW(buttons.invoke(12, {}), RuntimeError) << "a missing argument must not be read";
    EXPECT_THROW(buttons.invoke(99, {}), RuntimeError);
}

TEST_F(ButtonsTest, WithoutWordEveryWordOperationIsTheNoDocumentError) {
    EXPECT_FALSE(addin.hasWord());
    EXPECT_EQ(testing::errorOf([&] { addin.word(); }), err::ObjectNotSet);
}

}  // namespace
}  // namespace telvora
