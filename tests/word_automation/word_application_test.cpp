// The Word port over automation, against the in-memory word processor served as Word's object
// model: that each port call does to the document what it says, identifiers are looked up once per
// interface, that Word's errors and Nothing reach the caller as the port promises, that
// window activations arrive, and that the commands do to a document through automation exactly
// what they do to it directly.
#include "word_automation/word_application.h"

#include <gtest/gtest.h>

#include <set>

#include "fields/marking.h"
#include "sim/word/document_builder.h"
#include "support/error_number.h"
#include "support/recording_automation.h"
#include "sim/word/served_word.h"
#include "support/sim_addin.h"

namespace telvora {
namespace {

using sim::DocumentBuilder;
using sim::StoryKind;
using testing::errorOf;
using sim::ServedWord;

class WordOverAutomationTest : public testing::SimAddinTest {
protected:
    std::shared_ptr<sim::DocumentModel> open(const DocumentBuilder& builder) {
        wp->open(builder.build());
        return wp->document(builder.build().name);
    }

    std::shared_ptr<sim::WordProcessor> wp = std::make_shared<sim::WordProcessor>(sim::WordProcessorOptions{platform.paths()});
    ServedWord served{wp};
    std::shared_ptr<word::Application> word = word_automation::wordApplication(served.application(), served.events());
};

TEST_F(WordOverAutomationTest, FontAttributesTravelAsTheTypesWordKeepsThem) {
    open(DocumentBuilder("Letter.doc").text("Fax", sim::Format().bold().size(10.5f).name("Arial")).select(0, 3));
    const auto font = word->selection()->range()->font();
    EXPECT_EQ(font->get(word::FontAttribute::Bold), word::FontValue(std::int32_t{-1}));
    EXPECT_EQ(font->get(word::FontAttribute::Size), word::FontValue(10.5f));
    EXPECT_EQ(font->get(word::FontAttribute::Name), word::FontValue(std::string("Arial")));
    font->set(word::FontAttribute::Size, 14.0f);
    font->set(word::FontAttribute::Italic, std::int32_t{-1});
    font->set(word::FontAttribute::Name, std::string("Courier New"));
    const auto doc = wp->document("Letter.doc");
    EXPECT_EQ(doc->fontValue(StoryKind::Main, {0, 3}, word::FontAttribute::Size), word::FontValue(14.0f));
    EXPECT_EQ(doc->fontValue(StoryKind::Main, {0, 3}, word::FontAttribute::Italic), word::FontValue(std::int32_t{-1}));
}

TEST_F(WordOverAutomationTest, PrintsReachWordWithTheirNamedArguments) {
    wp->installPrinter("Fax");
    wp->installPrinter("Laser");
    open(DocumentBuilder("Letter.doc").text("Hello"));
    platform.writeFile("C:\\Temp\\Telvora.rtf", "log");
    word->setActivePrinter("Laser");
    EXPECT_EQ(word->activePrinter(), "Laser");
    word->PrintOut({{"Copies", Variant(std::int16_t{2})}, {"PrintToFile", Variant(false)},
                    {"Range", Variant(std::int32_t{0})}, {"Background", Variant(false)}});
    word->printFile("C:\\Temp\\Telvora.rtf");
    word->activeDocument()->PrintOut();
    ASSERT_EQ(wp->prints().size(), 3u);
    EXPECT_EQ(wp->prints()[0].argument("Copies"), Variant(std::int16_t{2}));
    EXPECT_EQ(wp->prints()[0].printer, "Laser");
    EXPECT_EQ(wp->prints()[1].kind, sim::PrintRecord::Kind::File);
    EXPECT_EQ(wp->prints()[1].fileContents, "log");
    EXPECT_EQ(wp->prints()[2].kind, sim::PrintRecord::Kind::Document);
}

TEST_F(WordOverAutomationTest, CommandBarsAndAddInsAreReachedThroughTheirCollections) {
    wp->addCommandBar("Tools", {sim::popup("Telvora", {sim::button("Fax")}), sim::button("Options")});
    platform.writeFile("C:\\Telvora\\Telvora.dot", "template");
    const auto bar = word->commandBars()->item("Tools");
    const auto control = bar->findControl("Telvora");
    EXPECT_EQ(control->tag(), "Telvora");
    EXPECT_TRUE(control->isPopup());
    const auto controls = control->controls();
    EXPECT_EQ(controls->count(), 1);
    controls->item(1)->Delete();
    EXPECT_EQ(wp->controlTags("Tools"), (std::vector<std::string>{"Telvora", "Options"}));
    bar->Reset();
    EXPECT_EQ(wp->controlTags("Tools"), (std::vector<std::string>{"Telvora", "Telvora/Fax", "Options"}));
    bar->setVisible(false);
    EXPECT_FALSE(bar->visible());
    const auto entry = word->addIns()->add("C:\\Telvora\\Telvora.dot");
    entry->setInstalled(false);
    EXPECT_FALSE(word->addIns()->item("Telvora.dot")->installed());
}

// The mail merge over automation is the fax merge's road in the simulator (its tests and examples).

TEST_F(WordOverAutomationTest, EachMemberIsLookedUpOncePerInterfaceHoweverOftenItIsCalled) {
    open(DocumentBuilder("Letter.doc")
             .text("Fax 555 1234 for Ann")
             .mergeData("C:\\Data\\Customers.csv", {"Fax"}, {{"1"}, {"2"}, {"3"}, {"4"}})
             .select(4, 12));
    addin.setWord(word);
    MarkFieldCommand(addin, FaxField::Number);
    wp->document("Letter.doc")->selection = {17, 20};
    MarkFieldCommand(addin, FaxField::Name);
    const auto source = word->activeDocument()->mailMerge()->dataSource();
    source->setActiveRecord(word::wdFirstRecord);
    const std::size_t afterFirstRecord = served.lookups().size();
    for (int i = 0; i < 50; ++i) {
        source->setActiveRecord(word::wdNextRecord);
        (void)source->dataFieldValue("Fax");
    }
    (void)source->dataFieldValue("Fax");
    const auto lookups = served.lookups();
    const std::set<std::string> distinct(lookups.begin(), lookups.end());
    EXPECT_EQ(distinct.size(), lookups.size()) << "a member was looked up twice";
    EXPECT_EQ(lookups.size(), afterFirstRecord + 3) << "the record loop looked its members up once";
    EXPECT_GT(served.calls().size(), 3 * lookups.size());
    // A range reached through the selection and one reached through the document are one
    // interface: "Text" was looked up once for both.
    EXPECT_EQ(std::count(lookups.begin(), lookups.end(), "Range.Text"), 1);
    EXPECT_EQ(user.messages().size(), 0u);
}

TEST_F(WordOverAutomationTest, WordsErrorsReachTheCallerWithWordsNumberSourceAndDescription) {
    open(DocumentBuilder("Letter.doc").text("Hello"));
    RuntimeError e = testing::errorRaisedBy([&] { word->activeDocument()->styles()->item("tlvNoSuchStyle"); });
    EXPECT_EQ(e.number(), err::CollectionMemberMissing);
    EXPECT_EQ(e.description(), "The requested member of the collection does not exist.");
    EXPECT_EQ(e.source(), "Microsoft Word");

    served.failOn("Application.PrintOut", RuntimeError(5216, "There is a printer error.", "Microsoft Word"));
    e = testing::errorRaisedBy([&] { word->PrintOut({{"Background", Variant(false)}}); });
    EXPECT_EQ(e.number(), 5216);
    EXPECT_EQ(e.description(), "There is a printer error.");
    EXPECT_EQ(e.source(), "Microsoft Word");

    // A named argument Word does not know is the macro runtime's own error.
    EXPECT_EQ(errorOf([&] { word->PrintOut({{"Colour", Variant(true)}}); }), err::NamedArgumentNotFound);
    // A button has no controls: Word's "no such member" comes through unchanged.
    wp->addCommandBar("Help", {sim::button("About Telvora")});
    EXPECT_EQ(errorOf([&] { word->commandBars()->item("Help")->findControl("About Telvora")->controls(); }),
              err::MemberNotFound);
}

TEST_F(WordOverAutomationTest, NothingAndNoDocumentOpenAreThePorts91) {
    wp->addCommandBar("Help", {sim::button("HelpContents")});
    RuntimeError e = testing::errorRaisedBy([&] { word->commandBars()->item("Help")->findControl("About Telvora"); });
    EXPECT_EQ(e.number(), err::ObjectNotSet);
    EXPECT_EQ(e.source(), "Microsoft Word");
    // Word says "no document is open" in its own number; the commands know it as 91.
    EXPECT_EQ(errorOf([&] { word->activeDocument(); }), err::ObjectNotSet);
    EXPECT_EQ(errorOf([&] { word->selection(); }), err::ObjectNotSet);
    addin.setWord(word);
    MarkFieldCommand(addin, FaxField::Subject);
    EXPECT_EQ(onlyMessage().prompt, "This command is not available because no document is open.");
}

TEST_F(WordOverAutomationTest, WindowActivationsArriveWithTheDocumentAndItsWindowUntilUnsubscribed) {
    std::vector<std::string> seen;
    word->onWindowActivate([&](const std::shared_ptr<word::Document>& doc, const std::shared_ptr<word::Window>& window) {
        seen.push_back(doc->name() + (window->envelopeVisible() ? " (e-mail)" : ""));
    });
    EXPECT_TRUE(served.subscribed());
    wp->open(DocumentBuilder("Message").emailEnvelope().build());
    wp->open(DocumentBuilder("Letter.doc").build());
    wp->activateWindow("Letter.doc");
    EXPECT_EQ(seen, (std::vector<std::string>{"Message (e-mail)", "Letter.doc", "Letter.doc"}));

    word->onWindowActivate({});
    EXPECT_FALSE(served.subscribed());
    wp->activateWindow("Message");
    EXPECT_EQ(seen.size(), 3u);

    // Letting go of Word ends a subscription still running.
    word->onWindowActivate([&](const auto&, const auto&) { seen.push_back("late"); });
    word.reset();
    EXPECT_FALSE(served.subscribed());

    // A Word found running, which the commands only call, offers no events.
    auto running = word_automation::wordApplication(served.application(), nullptr);
    EXPECT_EQ(errorOf([&] { running->onWindowActivate([](const auto&, const auto&) {}); }), err::MemberNotFound);
}

TEST_F(WordOverAutomationTest, AnObjectWithoutIdentifiersIsCalledByName) {
    auto recorder = std::make_shared<testing::RecordingAutomationObject>();
    recorder->put("Path", Variant("C:\\Office"));
    const auto byName = word_automation::wordApplication(recorder, nullptr);
    EXPECT_EQ(byName->path(), "C:\\Office");
    byName->setActivePrinter("Fax");
    ASSERT_EQ(recorder->calls().size(), 1u);
    EXPECT_EQ(recorder->calls()[0].member, "Path");
    EXPECT_EQ(recorder->puts().back().name, "ActivePrinter");
}

// The same marking commands on two copies of a document, one reached directly and one through
// automation, must leave the same marks and the same look.
class MarkingThroughAutomationTest : public WordOverAutomationTest {
protected:
    void run(const DocumentBuilder& builder, const std::function<void(Addin&, sim::DocumentModel&)>& steps) {
        auto direct = std::make_shared<sim::WordProcessor>();
        direct->open(builder.build());
        addin.setWord(direct);
        steps(addin, *direct->document(builder.build().name));
        const auto viaAutomation = open(builder);
        addin.setWord(word);
        steps(addin, *viaAutomation);
        const auto expected = direct->document(builder.build().name);
        ASSERT_EQ(viaAutomation->length(StoryKind::Main), expected->length(StoryKind::Main));
        for (int i = 0; i < expected->length(StoryKind::Main); ++i) {
            EXPECT_EQ(viaAutomation->styleNameAt(StoryKind::Main, i), expected->styleNameAt(StoryKind::Main, i)) << i;
            EXPECT_EQ(viaAutomation->fontAt(StoryKind::Main, i), expected->fontAt(StoryKind::Main, i)) << i;
        }
        EXPECT_EQ(ReadField(addin, FaxField::Number), [&] {
            addin.setWord(direct);
            return ReadField(addin, FaxField::Number);
        }());
    }
};

TEST_F(MarkingThroughAutomationTest, MarkingAndMovingAMarkGivesTheSameDocument) {
    run(DocumentBuilder("Letter.doc")
            .text("Fax ")
            .styled("tlvFaxNumber", "555 1234", sim::Format().bold())
            .text(" or ")
            .text("555 9876", sim::Format().italic().size(9.0f))
            .select(16, 24),
        [](Addin& a, sim::DocumentModel&) {
            MarkFieldCommand(a, FaxField::Number);
            MarkFieldCommand(a, FaxField::Subject);
        });
    EXPECT_TRUE(user.messages().empty());
}

TEST_F(MarkingThroughAutomationTest, AParagraphStyleOfAFieldsNameGivesTheSameDocument) {
    run(DocumentBuilder("Letter.doc").paragraphStyle("tlvRecipientName").text("Ann Smith\r").text("Dear Ann").select(13, 16),
        [](Addin& a, sim::DocumentModel&) { MarkFieldCommand(a, FaxField::Name); });
}

}  // namespace
}  // namespace telvora
