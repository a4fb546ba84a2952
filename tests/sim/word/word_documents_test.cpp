// The simulated word processor's documents: finding marked text by style, styles, fonts, the
// selection, fields, and which document is active.
#include <gtest/gtest.h>

#include <functional>

#include "sim/word/document_builder.h"
#include "sim/word/word_processor.h"
#include "support/error_number.h"

namespace telvora::sim {
namespace {

using telvora::testing::errorOf;
using word::FontAttribute;

class WordDocuments : public ::testing::Test {
protected:
    std::shared_ptr<word::Document> open(const DocumentBuilder& builder) { return wp.open(builder.build()); }

    // Searches a range for the first text carrying the style, as the add-in reads a mark; answers
    // the found text, or nothing when the search fails or finds nothing.
    static std::optional<std::string> findStyled(word::Range& range, const std::string& style) {
        auto find = range.find();
        find->ClearFormatting();
        find->ClearAllFuzzyOptions();
        find->setForward(true);
        find->setWrap(word::wdFindStop);
        find->setText("");
        find->setStyle(style);
        if (!find->Execute(true)) return std::nullopt;
        return range.text();
    }

    WordProcessor wp;
};

TEST_F(WordDocuments, FindByStyleNarrowsTheRangeToTheFirstRunInDocumentOrder) {
    auto doc = open(DocumentBuilder("Letter.doc")
                        .text("To ")
                        .styled("tlvFaxNumber", "555 1234")
                        .text(" or ")
                        .styled("tlvFaxNumber", "555 9999")
                        .text("\r"));
    auto range = doc->content();
    EXPECT_EQ(findStyled(*range, "tlvFaxNumber"), "555 1234");
    EXPECT_EQ(range->start(), 3);
    EXPECT_EQ(range->end(), 11);
}

TEST_F(WordDocuments, AStyleIsSearchedForOnlyWhenTheSearchIncludesFormatting) {
    auto doc = open(DocumentBuilder("Letter.doc").text("To ").styled("tlvFaxNumber", "555 1234").text("\r"));
    auto range = doc->content();
    auto find = range->find();
    find->setText("");
    find->setStyle("tlvFaxNumber");
    EXPECT_FALSE(find->Execute(false));
    EXPECT_TRUE(find->Execute(true));
    EXPECT_EQ(range->text(), "555 1234");
}

TEST_F(WordDocuments, ExecutingTheSameFindAgainMovesOnToTheNextRunAndThenStops) {
    auto doc = open(DocumentBuilder("Letter.doc")
                        .styled("tlvFaxNumber", "111")
                        .text(" ")
                        .styled("tlvFaxNumber", "222")
                        .text("\r"));
    auto range = doc->content();
    ASSERT_EQ(findStyled(*range, "tlvFaxNumber"), "111");
    ASSERT_TRUE(range->find()->Execute(true));
    EXPECT_EQ(range->text(), "222");
    EXPECT_FALSE(range->find()->Execute(true));
    EXPECT_EQ(range->text(), "222");
}

TEST_F(WordDocuments, FindByStyleTakesARunAcrossAParagraphMarkWithTheMark) {
    auto doc = open(DocumentBuilder("Letter.doc").text("Re: ").styled("tlvSubject", "Quarterly\rFigures").text("\r"));
    auto range = doc->content();
    EXPECT_EQ(findStyled(*range, "tlvSubject"), "Quarterly\rFigures");
}

TEST_F(WordDocuments, FindByStyleSearchesOnlyInsideTheRangeFromItsStart) {
    // The range starts in the middle of the marked run and ends before a second one.
    wp.open(DocumentBuilder("Letter.doc")
                .styled("tlvRecipientName", "Ann Lee")
                .text(" and ")
                .styled("tlvRecipientName", "Bob")
                .select(4, 10)
                .build());
    auto range = wp.selection()->range();
    EXPECT_EQ(findStyled(*range, "tlvRecipientName"), "Lee");
}

TEST_F(WordDocuments, FindByStyleFailsForAStyleTheDocumentDoesNotHave) {
    auto doc = open(DocumentBuilder("Letter.doc").text("Plain text\r"));
    auto range = doc->content();
    auto find = range->find();
    find->ClearFormatting();
    find->setText("");
    EXPECT_EQ(errorOf([&] { find->setStyle("tlvFaxNumber"); }), err::CollectionMemberMissing);
    EXPECT_FALSE(find->Execute(true));
    EXPECT_EQ(range->text(), "Plain text\r");
}

TEST_F(WordDocuments, FindByStyleDoesNotSearchHeadersFootersOrTextBoxes) {
    auto doc = open(DocumentBuilder("Letter.doc")
                        .text("Body\r")
                        .inHeader()
                        .styled("tlvFaxNumber", "555 0000")
                        .inFooter()
                        .styled("tlvFaxNumber", "555 1111")
                        .inTextBox()
                        .styled("tlvFaxNumber", "555 2222"));
    auto range = doc->content();
    EXPECT_EQ(findStyled(*range, "tlvFaxNumber"), std::nullopt);
    EXPECT_EQ(range->text(), "Body\r");
}

TEST_F(WordDocuments, AParagraphStyleGoesOnEveryParagraphTheSelectionTouches) {
    auto doc = open(DocumentBuilder("Letter.doc").text("One\rTwo\rThree\rFour\r").select(1, 5));
    auto style = doc->styles()->add("Quote", wdStyleTypeParagraph);
    style->font()->set(FontAttribute::Italic, true);
    wp.selection()->setStyle(style);
    const auto model = wp.document("Letter.doc");
    const auto paragraphStyles = [&] {
        std::string out;
        for (int i = 0; i < model->length(StoryKind::Main); ++i) out += model->paragraphStyleNameAt(StoryKind::Main, i)[0];
        return out;
    };
    EXPECT_EQ(paragraphStyles(), "QQQQQQQQNNNNNNNNNNN");
    EXPECT_EQ(model->fontAt(StoryKind::Main, 0)[FontAttribute::Italic], word::FontValue(std::int32_t{-1}));
    EXPECT_EQ(model->styleNameAt(StoryKind::Main, 0), "") << "no character style goes on the text";

    model->selection = {10, 10};  // an insertion point in "Three"
    wp.selection()->setStyle(style);
    model->selection = {14, 14};  // just after its paragraph mark: in "Four"
    wp.selection()->setStyle(doc->styles()->item("Normal"));
    EXPECT_EQ(paragraphStyles(), "QQQQQQQQQQQQQQNNNNN");

    EXPECT_NE(errorOf([&] { wp.selection()->setStyle(doc->styles()->add("Grid", wdStyleTypeTable)); }), 0);
}

TEST_F(WordDocuments, FindByAParagraphStyleFindsEachRunOfParagraphsInThatStyle) {
    auto doc = open(DocumentBuilder("Letter.doc")
                        .text("Intro\r")
                        .paragraphStyle("tlvSubject").text("A\r")
                        .paragraphStyle("tlvSubject").text("B\r")
                        .text("C\r")
                        .paragraphStyle("tlvSubject").text("D"));
    auto range = doc->content();
    EXPECT_EQ(findStyled(*range, "tlvSubject"), "A\rB\r");
    ASSERT_TRUE(range->find()->Execute(true));
    EXPECT_EQ(range->text(), "D\r");
    EXPECT_FALSE(range->find()->Execute(true));

    auto plain = doc->content();
    plain->find()->setText("b");
    plain->find()->setStyle("tlvSubject");
    ASSERT_TRUE(plain->find()->Execute(true));
    EXPECT_EQ(plain->start(), 8);
    doc->styles()->item("tlvSubject")->Delete();
    EXPECT_EQ(wp.document("Letter.doc")->paragraphStyleNameAt(StoryKind::Main, 6), "Normal");
}

TEST_F(WordDocuments, FindTextIgnoresLetterCaseAndHonoursTheStyle) {
    auto doc = open(DocumentBuilder("Letter.doc").text("fax FAX ").styled("tlvSubject", "Fax").text("\r"));
    auto range = doc->content();
    auto find = range->find();
    find->setText("FAX");
    find->setStyle("tlvSubject");
    ASSERT_TRUE(find->Execute(true));
    EXPECT_EQ(range->start(), 8);

    auto plain = doc->content();
    plain->find()->setText("fax^p");
    ASSERT_TRUE(plain->find()->Execute(true));
    EXPECT_EQ(plain->text(), "Fax\r");
}

TEST_F(WordDocuments, ATextsLookIsItsDirectFormattingOverItsCharacterAndParagraphStyles) {
    auto doc = open(DocumentBuilder("Letter.doc")
                        .style("Heading", wdStyleTypeParagraph, Format().bold().size(16).name("Arial"))
                        .style("tlvFaxNumber", word::wdCharacterStyle, Format().italic().size(10))
                        .paragraphStyle("Heading")
                        .text("Fax ")
                        .styled("tlvFaxNumber", "555", Format().name("Courier New"))
                        .text("\rbody\r"));
    const auto model = wp.document("Letter.doc");
    const auto heading = model->fontAt(StoryKind::Main, 0);
    EXPECT_EQ(heading[FontAttribute::Bold], word::FontValue(std::int32_t{-1}));
    EXPECT_EQ(heading[FontAttribute::Size], word::FontValue(16.0f));
    const auto number = model->fontAt(StoryKind::Main, 4);
    EXPECT_EQ(number[FontAttribute::Bold], word::FontValue(std::int32_t{-1})) << "from the paragraph style";
    EXPECT_EQ(number[FontAttribute::Italic], word::FontValue(std::int32_t{-1})) << "from the character style";
    EXPECT_EQ(number[FontAttribute::Size], word::FontValue(10.0f)) << "the character style over the paragraph's";
    EXPECT_EQ(number[FontAttribute::Name], word::FontValue(std::string("Courier New"))) << "direct over both";
    const auto body = model->fontAt(StoryKind::Main, 8);
    EXPECT_EQ(body[FontAttribute::Bold], word::FontValue(std::int32_t{0})) << "the next paragraph is in Normal";
    EXPECT_EQ(body[FontAttribute::Name], word::FontValue(std::string("Times New Roman")));

    // Normal's own font is the look of every text nothing else formats.
    doc->styles()->item("Normal")->font()->set(FontAttribute::Name, std::string("Garamond"));
    EXPECT_EQ(model->fontAt(StoryKind::Main, 8)[FontAttribute::Name], word::FontValue(std::string("Garamond")));
    EXPECT_EQ(model->fontAt(StoryKind::Main, 0)[FontAttribute::Name], word::FontValue(std::string("Arial")));
}

TEST_F(WordDocuments, ChangingAStylesFontChangesEveryTextCarryingItAndNoOther) {
    auto doc = open(DocumentBuilder("Letter.doc")
                        .styled("tlvFaxNumber", "555")
                        .text(" and 777 and ")
                        .styled("tlvFaxNumber", "999", Format().bold(false))
                        .text("\r"));
    auto style = doc->styles()->item("tlvFaxNumber");
    style->font()->set(FontAttribute::Bold, true);
    style->font()->set(FontAttribute::Size, 14.0f);
    EXPECT_EQ(style->font()->get(FontAttribute::Bold), word::FontValue(std::int32_t{-1}));
    EXPECT_EQ(style->font()->get(FontAttribute::Name), word::FontValue(std::string("Times New Roman")))
        << "what the style leaves out comes from Normal";

    auto range = doc->content();
    ASSERT_EQ(findStyled(*range, "tlvFaxNumber"), "555");
    EXPECT_EQ(range->font()->get(FontAttribute::Bold), word::FontValue(std::int32_t{-1}));
    EXPECT_EQ(range->font()->get(FontAttribute::Size), word::FontValue(14.0f));
    ASSERT_TRUE(range->find()->Execute(true));
    EXPECT_EQ(range->text(), "999");
    EXPECT_EQ(range->font()->get(FontAttribute::Bold), word::FontValue(std::int32_t{0})) << "direct formatting wins";
    EXPECT_EQ(range->font()->get(FontAttribute::Size), word::FontValue(14.0f));
    const auto model = wp.document("Letter.doc");
    EXPECT_EQ(model->fontAt(StoryKind::Main, 4)[FontAttribute::Size], word::FontValue(12.0f));
}

TEST_F(WordDocuments, DeletingAStyleTakesItAndItsFormattingOffTheTextAndLeavesDirectFormatting) {
    auto doc = open(DocumentBuilder("Letter.doc")
                        .style("tlvFaxNumber", word::wdCharacterStyle, Format().bold().size(14).name("Arial"))
                        .styled("tlvFaxNumber", "555", Format().italic().color(0xFF))
                        .text(" ")
                        .styled("tlvFaxNumber", "777")
                        .text("\r"));
    doc->styles()->item("tlvFaxNumber")->Delete();

    EXPECT_EQ(errorOf([&] { doc->styles()->item("tlvFaxNumber"); }), err::CollectionMemberMissing);
    const auto model = wp.document("Letter.doc");
    for (int i = 0; i < 7; ++i) EXPECT_EQ(model->styleNameAt(StoryKind::Main, i), "") << "character " << i;
    const auto marked = model->fontAt(StoryKind::Main, 0);
    EXPECT_EQ(marked[FontAttribute::Bold], word::FontValue(std::int32_t{0}));
    EXPECT_EQ(marked[FontAttribute::Size], word::FontValue(12.0f));
    EXPECT_EQ(marked[FontAttribute::Name], word::FontValue(std::string("Times New Roman")));
    EXPECT_EQ(marked[FontAttribute::Italic], word::FontValue(std::int32_t{-1}));
    EXPECT_EQ(marked[FontAttribute::Color], word::FontValue(std::int32_t{0xFF}));
    // The style can be made again and applied afresh.
    doc->styles()->add("tlvFaxNumber", word::wdCharacterStyle);
    EXPECT_EQ(findStyled(*doc->content(), "tlvFaxNumber"), std::nullopt);
}

TEST_F(WordDocuments, WritingARangesFontIsDirectFormattingThatOutlastsTheStyle) {
    auto doc = open(DocumentBuilder("Letter.doc")
                        .style("tlvSubject", word::wdCharacterStyle, Format().bold().size(14))
                        .styled("tlvSubject", "Offer")
                        .text("\r"));
    auto range = doc->content();
    ASSERT_EQ(findStyled(*range, "tlvSubject"), "Offer");
    range->font()->set(FontAttribute::Bold, std::int32_t{wdToggle});
    EXPECT_EQ(range->font()->get(FontAttribute::Bold), word::FontValue(std::int32_t{0})) << "toggled off the style's bold";
    range->font()->set(FontAttribute::Size, 14.0f);
    doc->styles()->item("tlvSubject")->Delete();

    const auto model = wp.document("Letter.doc");
    EXPECT_EQ(model->fontAt(StoryKind::Main, 0)[FontAttribute::Bold], word::FontValue(std::int32_t{0}));
    EXPECT_EQ(model->fontAt(StoryKind::Main, 0)[FontAttribute::Size], word::FontValue(14.0f))
        << "written onto the text, the size stays when the style goes";
    EXPECT_EQ(model->directAt(StoryKind::Main, 5).empty(), true) << "the paragraph mark was not written";
}

TEST_F(WordDocuments, AStyleWithNoFormattingLeavesTheLookOfTheTextItMarks) {
    auto doc = open(DocumentBuilder("Letter.doc").text("555 1234", Format().italic()).text("\r").select(0, 8));
    auto style = doc->styles()->add("tlvFaxNumber", word::wdCharacterStyle);
    wp.selection()->setStyle(style);

    auto range = doc->content();
    EXPECT_EQ(findStyled(*range, "tlvFaxNumber"), "555 1234");
    EXPECT_EQ(range->font()->get(FontAttribute::Italic), word::FontValue(std::int32_t{-1}));
    EXPECT_EQ(range->font()->get(FontAttribute::Size), word::FontValue(12.0f));
}

TEST_F(WordDocuments, ReadingAFontAttributeOverMixedTextAnswersUndefined) {
    auto doc = open(DocumentBuilder("Letter.doc")
                        .text("ab", Format().bold().size(10).name("Arial"))
                        .text("cd", Format().size(11).name("Courier New"))
                        .text("\r"));
    auto font = doc->content()->font();
    EXPECT_EQ(font->get(FontAttribute::Bold), word::FontValue(std::int32_t{9999999}));
    EXPECT_EQ(font->get(FontAttribute::Size), word::FontValue(9999999.0f));
    EXPECT_EQ(font->get(FontAttribute::Name), word::FontValue(std::string()));
    EXPECT_EQ(font->get(FontAttribute::Italic), word::FontValue(std::int32_t{0}));
}

TEST_F(WordDocuments, WritingAFontAttributeSetsEveryCharacterButUndefinedKeepsEachOne) {
    auto doc = open(DocumentBuilder("Letter.doc").text("ab", Format().bold()).text("cd").text("\r"));
    auto range = doc->content();
    const auto mixed = range->font()->get(FontAttribute::Bold);
    range->font()->set(FontAttribute::Bold, mixed);
    const auto model = wp.document("Letter.doc");
    EXPECT_EQ(model->fontAt(StoryKind::Main, 0)[FontAttribute::Bold], word::FontValue(std::int32_t{-1}));
    EXPECT_EQ(model->fontAt(StoryKind::Main, 2)[FontAttribute::Bold], word::FontValue(std::int32_t{0}));

    range->font()->set(FontAttribute::Bold, std::int32_t{1});
    EXPECT_EQ(range->font()->get(FontAttribute::Bold), word::FontValue(std::int32_t{-1}));
    range->font()->set(FontAttribute::Size, std::int32_t{16});
    EXPECT_EQ(range->font()->get(FontAttribute::Size), word::FontValue(16.0f));
    EXPECT_EQ(errorOf([&] { range->font()->set(FontAttribute::Name, std::int32_t{3}); }), err::TypeMismatch);
}

TEST_F(WordDocuments, AnInsertionPointHasEmptyTextAndMarksNothing) {
    auto doc = open(DocumentBuilder("Letter.doc").text("Fax 555\r").select(4, 4));
    auto style = doc->styles()->add("tlvFaxNumber", word::wdCharacterStyle);
    EXPECT_EQ(wp.selection()->range()->text(), "");
    wp.selection()->setStyle(style);
    EXPECT_EQ(findStyled(*doc->content(), "tlvFaxNumber"), std::nullopt);
}

TEST_F(WordDocuments, PositionsCountCharactersNotBytes) {
    auto doc = open(DocumentBuilder("Brief.doc").text("Grüße ").styled("tlvRecipientName", "Jürgen").text("\r"));
    auto range = doc->content();
    EXPECT_EQ(findStyled(*range, "tlvRecipientName"), "Jürgen");
    EXPECT_EQ(range->start(), 6);
    EXPECT_EQ(range->end(), 12);
}

TEST_F(WordDocuments, WithNoDocumentOpenTheActiveDocumentAndSelectionRaise91) {
    EXPECT_EQ(errorOf([&] { wp.activeDocument(); }), err::ObjectNotSet);
    EXPECT_EQ(errorOf([&] { wp.selection(); }), err::ObjectNotSet);

    auto doc = open(DocumentBuilder("Only.doc").text("x"));
    auto range = doc->content();
    auto style = doc->styles()->add("tlvSubject", word::wdCharacterStyle);
    doc->Close(word::wdDoNotSaveChanges);
    EXPECT_EQ(errorOf([&] { wp.activeDocument(); }), err::ObjectNotSet);
    // What a command still holds of a closed document fails; it never answers nothing.
    for (auto call : std::vector<std::function<void()>>{
             [&] { doc->name(); }, [&] { doc->content(); }, [&] { doc->styles(); }, [&] { doc->fields(); },
             [&] { doc->mailMerge(); }, [&] { range->text(); }, [&] { range->find(); }, [&] { range->font(); },
             [&] { style->font(); }})
        EXPECT_EQ(errorOf(call), 5825);
}

TEST_F(WordDocuments, AStyleObjectOutlivingItsStyleFails) {
    auto doc = open(DocumentBuilder("Letter.doc").styled("tlvSubject", "Offer"));
    auto style = doc->styles()->item("tlvSubject");
    auto font = style->font();
    style->Delete();
    EXPECT_EQ(errorOf([&] { style->font(); }), 5825);
    EXPECT_EQ(errorOf([&] { font->get(FontAttribute::Bold); }), 5825);
    EXPECT_EQ(errorOf([&] { style->Delete(); }), 5825);
    EXPECT_EQ(errorOf([&] { wp.selection()->setStyle(style); }), 5825);
    EXPECT_EQ(errorOf([&] { wp.selection()->setStyle(nullptr); }), err::ObjectNotSet);
    EXPECT_EQ(errorOf([&] { doc->styles()->add("tlvSubject", 7); }), 4608);
    EXPECT_EQ(errorOf([&] { doc->styles()->add("normal", word::wdCharacterStyle); }), 5173);
}

TEST_F(WordDocuments, ClosingTheActiveDocumentActivatesThePreviousOne) {
    open(DocumentBuilder("Main.doc"));
    open(DocumentBuilder("Other.doc"));
    wp.documents()->activate("main.doc");
    EXPECT_EQ(wp.activeDocument()->name(), "Main.doc");
    wp.documents()->activate("Other.doc");
    wp.activeDocument()->Close(word::wdDoNotSaveChanges);
    EXPECT_EQ(wp.activeDocument()->name(), "Main.doc");
    EXPECT_EQ(wp.documents()->count(), 1);
    EXPECT_EQ(errorOf([&] { wp.documents()->activate("Other.doc"); }), err::CollectionMemberMissing);
}

TEST_F(WordDocuments, FieldsAreCountedByIndexWithTheirTypes) {
    auto doc = open(DocumentBuilder("Merge.doc")
                        .text("Dear ")
                        .mergeField("Name")
                        .text(", see ")
                        .field(word::wdFieldRef, "REF Total", "42")
                        .text("\r"));
    auto fields = doc->fields();
    ASSERT_EQ(fields->count(), 2);
    EXPECT_EQ(fields->item(1)->type(), wdFieldMergeField);
    EXPECT_EQ(fields->item(2)->type(), word::wdFieldRef);
    EXPECT_EQ(errorOf([&] { fields->item(3); }), err::CollectionMemberMissing);
    EXPECT_EQ(errorOf([&] { fields->item(0); }), err::CollectionMemberMissing);
    fields->Update();
    EXPECT_EQ(wp.document("Merge.doc")->fieldUpdates, 1);
}

}  // namespace
}  // namespace telvora::sim
