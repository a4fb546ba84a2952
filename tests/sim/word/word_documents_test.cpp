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
using word::FontValue;

class WordDocuments : public ::testing::Test {
protected:
    std::shared_ptr<word::Document> open(const DocumentBuilder& builder) { return wp.open(builder.build()); }

    // Searches a range for the first text carrying the style, as the add-in reads a mark; answers
    // the found text, or nothing when the search fails or finds nothing.
    static std::optional<std::string> findStyled(word::Range& range, const std::string& style) {
        auto find = range.find();
        find->ClearFormatting();
        find->setText("");
        if (errorOf([&] { find->setStyle(style); }) != 0) return std::nullopt;
        if (!find->Execute(true)) return std::nullopt;
        return range.text();
    }
    FontValue fontAt(int at, FontAttribute a) { return wp.document(wp.activeDocument()->name())->fontAt(StoryKind::Main, at)[a]; }

    WordProcessor wp;
};

TEST_F(WordDocuments, FindByStyleNarrowsTheRangeToTheFirstRunOfTheMainTextCountedInCharacters) {
    const struct {
        DocumentBuilder doc;
        const char* style;
        std::optional<std::string> found;
        int start, end;
    } cases[] = {
        {DocumentBuilder("a").text("To ").styled("tlvFaxNumber", "555 1234").text(" or ").styled("tlvFaxNumber", "555 9999"),
         "tlvFaxNumber", "555 1234", 3, 11},
        {DocumentBuilder("b").text("Re: ").styled("tlvSubject", "Quarterly\rFigures").text("\r"), "tlvSubject",
         "Quarterly\rFigures", 4, 21},
        // The selection starts inside the first mark and ends before the second.
        {DocumentBuilder("c").styled("tlvRecipientName", "Ann Lee").text(" and ").styled("tlvRecipientName", "Bob").select(4, 10),
         "tlvRecipientName", "Lee", 4, 7},
        {DocumentBuilder("d").text("Grüße ").styled("tlvRecipientName", "Jürgen").text("\r"), "tlvRecipientName", "Jürgen", 6, 12},
        {DocumentBuilder("e").text("Intro\r").paragraphStyle("tlvSubject").text("A\r").paragraphStyle("tlvSubject").text("B\r"),
         "tlvSubject", "A\rB\r", 6, 10},
        {DocumentBuilder("f").text("Plain text\r"), "tlvFaxNumber", std::nullopt, 0, 11},
        {DocumentBuilder("g").text("Body\r").inHeader().styled("tlvFaxNumber", "1").inFooter().styled("tlvFaxNumber", "2")
             .inTextBox().styled("tlvFaxNumber", "3"),
         "tlvFaxNumber", std::nullopt, 0, 5},
    };
    for (const auto& c : cases) {
        const auto doc = open(c.doc);
        SCOPED_TRACE(doc->name());
        auto range = doc->name() == "c" ? wp.selection()->range() : doc->content();
        EXPECT_EQ(findStyled(*range, c.style), c.found);
        EXPECT_EQ(range->start(), c.start);
        EXPECT_EQ(range->end(), c.end);
    }
    EXPECT_EQ(errorOf([&] { wp.activeDocument()->content()->find()->setStyle("tlvNone"); }), err::CollectionMemberMissing);
}

TEST_F(WordDocuments, AStyleIsSearchedOnlyWithFormattingAndSearchingAgainMovesOnThenStops) {
    auto doc = open(DocumentBuilder("Letter.doc").styled("tlvFaxNumber", "111").text(" ").styled("tlvFaxNumber", "222"));
    auto range = doc->content();
    auto find = range->find();
    find->setText("");
    find->setStyle("tlvFaxNumber");
    EXPECT_FALSE(find->Execute(false));
    ASSERT_TRUE(find->Execute(true));
    EXPECT_EQ(range->text(), "111");
    ASSERT_TRUE(range->find()->Execute(true));
    EXPECT_EQ(range->text(), "222");
    EXPECT_FALSE(range->find()->Execute(true));
    EXPECT_EQ(range->text(), "222");
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
    EXPECT_EQ(fontAt(0, FontAttribute::Italic), FontValue(std::int32_t{-1}));
    EXPECT_EQ(model->styleNameAt(StoryKind::Main, 0), "") << "no character style goes on the text";

    model->selection = {10, 10};  // an insertion point in "Three"
    wp.selection()->setStyle(style);
    model->selection = {14, 14};  // just after its paragraph mark: in "Four"
    wp.selection()->setStyle(doc->styles()->item("Normal"));
    EXPECT_EQ(paragraphStyles(), "QQQQQQQQQQQQQQNNNNN");
    EXPECT_NE(errorOf([&] { wp.selection()->setStyle(doc->styles()->add("Grid", wdStyleTypeTable)); }), 0);
    // A deleted paragraph style leaves its paragraphs in Normal.
    style->Delete();
    EXPECT_EQ(model->paragraphStyleNameAt(StoryKind::Main, 0), "Normal");
}

TEST_F(WordDocuments, ATextsLookIsItsDirectFormattingOverItsCharacterAndParagraphStyles) {
    auto doc = open(DocumentBuilder("Letter.doc")
                        .style("Heading", wdStyleTypeParagraph, Format().bold().size(16).name("Arial"))
                        .style("tlvFaxNumber", word::wdCharacterStyle, Format().italic().size(10))
                        .paragraphStyle("Heading")
                        .text("Fax ")
                        .styled("tlvFaxNumber", "555", Format().name("Courier New"))
                        .text("\rbody\r"));
    EXPECT_EQ(fontAt(0, FontAttribute::Size), FontValue(16.0f));
    EXPECT_EQ(fontAt(4, FontAttribute::Bold), FontValue(std::int32_t{-1})) << "from the paragraph style";
    EXPECT_EQ(fontAt(4, FontAttribute::Italic), FontValue(std::int32_t{-1})) << "from the character style";
    EXPECT_EQ(fontAt(4, FontAttribute::Size), FontValue(10.0f)) << "the character style over the paragraph's";
    EXPECT_EQ(fontAt(4, FontAttribute::Name), FontValue(std::string("Courier New"))) << "direct over both";
    EXPECT_EQ(fontAt(8, FontAttribute::Bold), FontValue(std::int32_t{0})) << "the next paragraph is in Normal";
    // Normal's own font is the look of every text nothing else formats.
    doc->styles()->item("Normal")->font()->set(FontAttribute::Name, std::string("Garamond"));
    EXPECT_EQ(fontAt(8, FontAttribute::Name), FontValue(std::string("Garamond")));
    EXPECT_EQ(fontAt(0, FontAttribute::Name), FontValue(std::string("Arial")));
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
    for (int i = 0; i < 7; ++i) EXPECT_EQ(wp.document("Letter.doc")->styleNameAt(StoryKind::Main, i), "") << i;
    EXPECT_EQ(fontAt(0, FontAttribute::Bold), FontValue(std::int32_t{0}));
    EXPECT_EQ(fontAt(0, FontAttribute::Size), FontValue(12.0f));
    EXPECT_EQ(fontAt(0, FontAttribute::Name), FontValue(std::string("Times New Roman")));
    EXPECT_EQ(fontAt(0, FontAttribute::Italic), FontValue(std::int32_t{-1}));
    EXPECT_EQ(fontAt(0, FontAttribute::Color), FontValue(std::int32_t{0xFF}));
    // The style can be made again and applied afresh.
    doc->styles()->add("tlvFaxNumber", word::wdCharacterStyle);
    EXPECT_EQ(findStyled(*doc->content(), "tlvFaxNumber"), std::nullopt);
}

TEST_F(WordDocuments, AFontAttributeOverMixedTextReadsUndefinedAndWritingUndefinedKeepsEachCharacters) {
    auto doc = open(DocumentBuilder("Letter.doc")
                        .text("ab", Format().bold().size(10).name("Arial"))
                        .text("cd", Format().size(11).name("Courier New"))
                        .text("\r"));
    auto range = doc->content();
    auto font = range->font();
    EXPECT_EQ(font->get(FontAttribute::Bold), FontValue(std::int32_t{9999999}));
    EXPECT_EQ(font->get(FontAttribute::Size), FontValue(9999999.0f));
    EXPECT_EQ(font->get(FontAttribute::Name), FontValue(std::string()));
    EXPECT_EQ(font->get(FontAttribute::Italic), FontValue(std::int32_t{0}));
    font->set(FontAttribute::Bold, font->get(FontAttribute::Bold));
    EXPECT_EQ(fontAt(0, FontAttribute::Bold), FontValue(std::int32_t{-1}));
    EXPECT_EQ(fontAt(2, FontAttribute::Bold), FontValue(std::int32_t{0}));

    font->set(FontAttribute::Bold, std::int32_t{1});
    EXPECT_EQ(font->get(FontAttribute::Bold), FontValue(std::int32_t{-1}));
    font->set(FontAttribute::Size, std::int32_t{16});
    EXPECT_EQ(font->get(FontAttribute::Size), FontValue(16.0f));
    EXPECT_EQ(errorOf([&] { font->set(FontAttribute::Name, std::int32_t{3}); }), err::TypeMismatch);
}

TEST_F(WordDocuments, WithNoDocumentOpenOrAfterItClosedWhatACommandHoldsFails) {
    EXPECT_EQ(errorOf([&] { wp.activeDocument(); }), err::ObjectNotSet);
    EXPECT_EQ(errorOf([&] { wp.selection(); }), err::ObjectNotSet);

    auto doc = open(DocumentBuilder("Only.doc").styled("tlvSubject", "Offer"));
    auto range = doc->content();
    auto style = doc->styles()->item("tlvSubject");
    auto font = style->font();
    EXPECT_EQ(errorOf([&] { wp.selection()->setStyle(nullptr); }), err::ObjectNotSet);
    style->Delete();
    EXPECT_EQ(errorOf([&] { doc->styles()->add("tlvSubject", 7); }), 4608);
    EXPECT_EQ(errorOf([&] { doc->styles()->add("normal", word::wdCharacterStyle); }), 5173);
    for (auto call : std::vector<std::function<void()>>{[&] { style->font(); }, [&] { font->get(FontAttribute::Bold); },
                                                        [&] { style->Delete(); }, [&] { wp.selection()->setStyle(style); }})
        EXPECT_EQ(errorOf(call), 5825);
    doc->Close(word::wdDoNotSaveChanges);
    EXPECT_EQ(errorOf([&] { wp.activeDocument(); }), err::ObjectNotSet);
    // What a command still holds of a closed document fails; it never answers nothing.
    for (auto call : std::vector<std::function<void()>>{
             [&] { doc->name(); }, [&] { doc->content(); }, [&] { doc->styles(); }, [&] { doc->fields(); },
             [&] { doc->mailMerge(); }, [&] { range->text(); }, [&] { range->find(); }, [&] { range->font(); }})
        EXPECT_EQ(errorOf(call), 5825);
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
    auto doc = open(DocumentBuilder("Merge.doc").mergeField("Name").field(word::wdFieldRef, "REF Total", "42"));
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
