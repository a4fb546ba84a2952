// Marking the fax fields through the toolbar commands and reading them back, on the simulated word
// processor with a scripted user: what the user sees, what the document carries afterwards, and
// that re-marking never changes how the text looks.
#include "fields/marking.h"

#include <gtest/gtest.h>

#include "host/buttons.h"
#include "sim/word/document_builder.h"
#include "sim/word/word_processor.h"
#include "support/error_number.h"
#include "support/sim_addin.h"

namespace telvora {
namespace {

using sim::DocumentBuilder;
using sim::Format;
using sim::StoryKind;
using word::FontAttribute;

class MarkingTest : public testing::SimAddinTest {
protected:
    MarkingTest() { addin.setWord(wp); }

    std::shared_ptr<sim::DocumentModel> open(const DocumentBuilder& builder) {
        wp->open(builder.build());
        return wp->document(builder.build().name);
    }
    void select(int start, int end) { wp->document(wp->activeDocument()->name())->selection = {start, end}; }
    static std::string styleAt(const sim::DocumentModel& doc, int position) {
        return doc.styleNameAt(StoryKind::Main, position);
    }
    static word::FontValue look(const sim::DocumentModel& doc, int start, int end, FontAttribute a) {
        return doc.fontValue(StoryKind::Main, {start, end}, a);
    }

    std::shared_ptr<sim::WordProcessor> wp = std::make_shared<sim::WordProcessor>();
    Buttons buttons{addin};
};

TEST_F(MarkingTest, WithoutADocumentOrWithOnlyAnInsertionPointEachCommandSaysWhyAndAddsNoStyle) {
    const std::pair<void (Buttons::*)(), const char*> commands[] = {
        {&Buttons::cmdFaxnumber, "Please select the text for fax number before clicking 'Fax Number' on the toolbar."},
        {&Buttons::cmdFaxName, "Please select the text for recipient name before clicking 'Recipient Name' on the toolbar."},
        {&Buttons::cmdFaxCompany,
         "Please select the text for recipient company before clicking 'Recipient Company' on the toolbar."},
        {&Buttons::cmdFaxSubject, "Please select the text for subject before clicking 'Subject' on the toolbar."}};
    for (const auto& [command, _] : commands) (buttons.*command)();
    open(DocumentBuilder("Letter.doc").text("Fax 555 1234").select(4, 4));
    for (const auto& [command, _] : commands) (buttons.*command)();
    ASSERT_EQ(user.messages().size(), 8u);
    for (std::size_t i = 0; i < 4; ++i) {
        expectMessage(user.messages()[i], "This command is not available because no document is open.", MsgIcon::Exclamation);
        expectMessage(user.messages()[4 + i], commands[i].second, MsgIcon::Exclamation);
    }
    for (FaxField f : {FaxField::Number, FaxField::Name, FaxField::Company, FaxField::Subject})
        EXPECT_FALSE(FieldStyleExists(addin, FieldStyleName(f))) << FieldStyleName(f);
}

TEST_F(MarkingTest, MarkingEachFieldMakesItReadableAndChangesNoLook) {
    auto doc = open(DocumentBuilder("Letter.doc")
                        .text("To ").text("Ann Smith", Format().italic()).text(" of ").text("Acme")
                        .text(", fax ").text("+1 (55) 12-34", Format().bold().size(14)).text("\rRe: Offer\r"));
    const std::string text = doc->text(StoryKind::Main);
    auto mark = [&](const std::string& what, void (Buttons::*command)()) {
        const int at = static_cast<int>(text.find(what));
        select(at, at + static_cast<int>(what.size()));
        (buttons.*command)();
    };
    mark("Ann Smith", &Buttons::cmdFaxName);
    mark("Acme", &Buttons::cmdFaxCompany);
    mark("+1 (55) 12-34", &Buttons::cmdFaxnumber);
    mark("Offer", &Buttons::cmdFaxSubject);
    EXPECT_TRUE(user.messages().empty());
    EXPECT_EQ(ReadField(addin, FaxField::Number), "+1 (55) 12-34");
    EXPECT_EQ(ReadField(addin, FaxField::Name), "Ann Smith");
    EXPECT_EQ(ReadField(addin, FaxField::Company), "Acme");
    EXPECT_EQ(ReadField(addin, FaxField::Subject), "Offer");
    const int number = static_cast<int>(text.find("+1"));
    EXPECT_EQ(look(*doc, number, number + 13, FontAttribute::Bold), word::FontValue(-1));
    EXPECT_EQ(look(*doc, number, number + 13, FontAttribute::Size), word::FontValue(14.0f));
    EXPECT_EQ(look(*doc, 3, 12, FontAttribute::Italic), word::FontValue(-1));
}

TEST_F(MarkingTest, MarkingAgainMovesTheMarkAndTheOldTextKeepsItsLookWhetherItsOwnOrItsStyles) {
    // In the second letter the field style has formatting of its own: deleting the style takes that
    // formatting away, so only the restored look keeps the old number as the user saw it.
    const DocumentBuilder letters[] = {
        DocumentBuilder("Own.doc").text("Fax ").styled("tlvFaxNumber", "111", Format().bold().italic().size(14).name("Arial"))
            .text(" or 222"),
        DocumentBuilder("Style.doc").style("tlvFaxNumber", word::wdCharacterStyle, Format().bold().size(14).name("Arial"))
            .text("Fax ").styled("tlvFaxNumber", "111", Format().italic()).text(" or 222")};
    const auto lookOf = [](const sim::DocumentModel& doc, int start, int end) {
        return std::vector<word::FontValue>{look(doc, start, end, FontAttribute::Bold), look(doc, start, end, FontAttribute::Italic),
                                            look(doc, start, end, FontAttribute::Size), look(doc, start, end, FontAttribute::Name)};
    };
    for (const auto& letter : letters) {
        auto doc = open(letter);
        SCOPED_TRACE(doc->name);
        select(11, 14);
        buttons.cmdFaxnumber();
        EXPECT_TRUE(user.messages().empty());
        EXPECT_EQ(ReadField(addin, FaxField::Number), "222");
        EXPECT_EQ(styleAt(*doc, 4), "");
        EXPECT_EQ(styleAt(*doc, 11), "tlvFaxNumber");
        EXPECT_EQ(lookOf(*doc, 4, 7), (std::vector<word::FontValue>{-1, -1, 14.0f, std::string("Arial")}));
        // The style made afresh has no formatting: the new mark looks as it did.
        EXPECT_EQ(lookOf(*doc, 11, 14), (std::vector<word::FontValue>{0, 0, 12.0f, std::string("Times New Roman")}));
    }
}

TEST_F(MarkingTest, AMarkOfMixedLookKeepsEachPartsLookWhenItMoves) {
    auto doc = open(DocumentBuilder("Letter.doc")
                        .styled("tlvFaxNumber", "55", Format().bold())
                        .styled("tlvFaxNumber", "51", Format().italic())
                        .text(" 777"));
    select(5, 8);
    buttons.cmdFaxnumber();
    EXPECT_EQ(user.finish(), "");
    EXPECT_TRUE(user.messages().empty());
    EXPECT_EQ(look(*doc, 0, 2, FontAttribute::Bold), word::FontValue(-1));
    EXPECT_EQ(look(*doc, 2, 4, FontAttribute::Bold), word::FontValue(0));
    EXPECT_EQ(look(*doc, 2, 4, FontAttribute::Italic), word::FontValue(-1));
    EXPECT_EQ(ReadField(addin, FaxField::Number), "777");
}

TEST_F(MarkingTest, AStyleThatMarksNothingIsAppliedWithoutBeingMadeAgain) {
    // The style's own bold would be lost if it were deleted and created afresh.
    auto doc = open(DocumentBuilder("Letter.doc").text("Re: Offer\r").style("tlvSubject", word::wdCharacterStyle,
                                                                            Format().bold()).select("Offer"));
    buttons.cmdFaxSubject();
    EXPECT_TRUE(user.messages().empty());
    EXPECT_EQ(ReadField(addin, FaxField::Subject), "Offer");
    EXPECT_EQ(wp->activeDocument()->styles()->item("tlvSubject")->font()->get(FontAttribute::Bold),
              word::FontValue(-1));
}

TEST_F(MarkingTest, AParagraphStyleOfAFieldsNameMarkingParagraphsIsClearedAndTheMarkGoesOnTheSelection) {
    auto doc = open(DocumentBuilder("Letter.doc")
                        .style("tlvSubject", sim::wdStyleTypeParagraph, Format().bold().size(16))
                        .paragraphStyle("tlvSubject")
                        .text("Quarterly figures\r")
                        .text("Re: Offer\r")
                        .select("Offer"));
    EXPECT_EQ(ReadField(addin, FaxField::Subject), "Quarterly figures\r") << "Word finds the styled paragraph";
    buttons.cmdFaxSubject();
    EXPECT_TRUE(user.messages().empty());
    EXPECT_EQ(ReadField(addin, FaxField::Subject), "Offer");
    EXPECT_EQ(wp->activeDocument()->styles()->item("tlvSubject")->type(), word::wdCharacterStyle);
    EXPECT_EQ(doc->paragraphStyleNameAt(StoryKind::Main, 0), "Normal");
    EXPECT_EQ(look(*doc, 0, 17, FontAttribute::Bold), word::FontValue(-1)) << "the old paragraph keeps its look";
    EXPECT_EQ(look(*doc, 0, 17, FontAttribute::Size), word::FontValue(16.0f));
    EXPECT_EQ(look(*doc, 18, 27, FontAttribute::Bold), word::FontValue(0));
}

TEST_F(MarkingTest, AParagraphStyleOfAFieldsNameMarkingNothingGivesWayToTheFieldsCharacterStyle) {
    // Applied as it is, the paragraph style would mark the whole paragraph, "Re: " and return too,
    // and make it bold.
    auto doc = open(DocumentBuilder("Letter.doc")
                        .style("tlvSubject", sim::wdStyleTypeParagraph, Format().bold())
                        .text("Re: Offer\r")
                        .select("Offer"));
    buttons.cmdFaxSubject();
    EXPECT_TRUE(user.messages().empty());
    EXPECT_EQ(ReadField(addin, FaxField::Subject), "Offer");
    EXPECT_EQ(wp->activeDocument()->styles()->item("tlvSubject")->type(), word::wdCharacterStyle);
    EXPECT_EQ(doc->paragraphStyleNameAt(StoryKind::Main, 0), "Normal");
    EXPECT_EQ(look(*doc, 0, 10, FontAttribute::Bold), word::FontValue(0));
}

TEST_F(MarkingTest, ASelectionOfOnlyAParagraphMarkIsMarked) {
    open(DocumentBuilder("Letter.doc").text("Fax\r555\r").select(3, 4));
    buttons.cmdFaxnumber();
    EXPECT_TRUE(user.messages().empty());
    EXPECT_EQ(ReadField(addin, FaxField::Number), "\r");
}

TEST_F(MarkingTest, ReadingFindsTheFirstRunInTheMainTextOnly) {
    open(DocumentBuilder("Letter.doc")
             .styled("tlvRecipientName", "Ann\rSmith")
             .text(" and ")
             .styled("tlvRecipientName", "Bob")
             .inHeader()
             .styled("tlvFaxNumber", "555 1234")
             .inTextBox()
             .styled("tlvCompanyName", "Acme"));
    EXPECT_EQ(ReadField(addin, FaxField::Name), "Ann\rSmith") << "a mark over two paragraphs keeps its return";
    EXPECT_EQ(ReadField(addin, FaxField::Number), "") << "headers are not searched";
    EXPECT_EQ(ReadField(addin, FaxField::Company), "") << "text boxes are not searched";
    EXPECT_EQ(ReadField(addin, FaxField::Subject), "");
    EXPECT_EQ(FindFieldText(addin, wp->activeDocument()->content(), "NoSuchStyle"), "");
}

TEST_F(MarkingTest, ReadingAnEmptyOrDeadRangeAnswersNothing) {
    EXPECT_EQ(FindFieldText(addin, nullptr, "tlvFaxNumber"), "");
    auto doc = wp->open(DocumentBuilder("Letter.doc").styled("tlvFaxNumber", "555").build());
    auto range = doc->content();
    doc->Close(word::wdDoNotSaveChanges);
    EXPECT_EQ(FindFieldText(addin, range, "tlvFaxNumber"), "");
}

TEST_F(MarkingTest, ReadingWithNoDocumentOpenIsTheNoDocumentError) {
    EXPECT_EQ(testing::errorOf([&] { ReadField(addin, FaxField::Number); }), err::ObjectNotSet);
    EXPECT_FALSE(FieldStyleExists(addin, "tlvFaxNumber"));
    CreateFieldStyle(addin, "tlvFaxNumber");
    DeleteFieldStyle(addin, "tlvFaxNumber");
}

}  // namespace
}  // namespace telvora
