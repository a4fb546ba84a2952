// Documents a scenario describes inline: marked spans become text in their character styles,
// merge fields become fields, lines become paragraphs, and a selection counts characters, not
// bytes, so text after an accented letter is selected where the user sees it. And the progress
// bar of long work: on a terminal only, never in the kept transcript.
#include <gtest/gtest.h>

#include <sstream>

#include "sim/cli/scenario.h"
#include "sim/cli/simulation.h"
#include "sim/cli/transcript.h"

namespace telvora::sim::cli {
namespace {

TEST(InlineDocument, MarkedSpansMergeFieldsParagraphsAndTheSelectionAreWhatTheTextSays) {
    const Scenario s = parseScenario(R"(documents:
  - name: Café note.docx
    text: |
      Café Müller, [tlvCompanyName: Müller & Söhne] [[urgent]
      Fax [tlvFaxNumber: 555 1234] or [tlvFaxNumber: 555 9999]
      Dear «Contact»,
    select: 555 1234
steps: [{call: cmdQuickFax, select: Söhne}]
)", "note.yaml");
    ASSERT_EQ(s.documents.size(), 1u);
    const DocumentModel& doc = s.documents[0].model;
    EXPECT_EQ(doc.name, "Café note.docx");
    EXPECT_TRUE(s.documents[0].active) << "the only document is the active one";
    EXPECT_EQ(s.documents[0].machinePath, "C:\\Users\\Public\\Documents\\Café note.docx");
    EXPECT_EQ(doc.text(StoryKind::Main),
              "Café Müller, Müller & Söhne [urgent]\rFax 555 1234 or 555 9999\rDear «Contact»,\r");
    EXPECT_EQ(markedText(doc, "tlvCompanyName"), "Müller & Söhne");
    EXPECT_EQ(markedText(doc, "tlvFaxNumber"), "555 1234|555 9999");
    ASSERT_EQ(doc.fields.size(), 1u);
    EXPECT_EQ(doc.fields[0].dataField, "Contact");

    // "Café Müller, Müller & Söhne [urgent]\rFax " is 41 characters (47 bytes).
    EXPECT_EQ(doc.selection, (Span{41, 49}));
    EXPECT_EQ(doc.text(StoryKind::Main, doc.selection.start, doc.selection.end), "555 1234");
    const auto span = findInMainText(doc, "Söhne");
    ASSERT_TRUE(span);
    EXPECT_EQ(doc.text(StoryKind::Main, span->start, span->end), "Söhne");
    EXPECT_EQ(s.steps[0].selectText, "Söhne");
}

TEST(InlineDocument, AMarkUnclosedWithoutAStyleNameOrInAParagraphStyleIsRefusedWithItsPlace) {
    for (const auto& [text, refusal] : {std::pair{"Fax [tlvFaxNumber 555", "a marked span is written [style: text]"},
                                        std::pair{"Fax [: 555]", "document text: A style needs a name."},
                                        std::pair{"Fax [Normal: 555]", "document text: The style Normal is not a character style."}}) {
        try {
            (void)parseScenario(std::string("documents:\n  - text: \"") + text + "\"\nsteps: [{start: Word}]\n", "bad.yaml");
            ADD_FAILURE() << text << " was taken";
        } catch (const InputError& e) {
            EXPECT_EQ(std::string(e.what()).rfind(std::string("bad.yaml:2:11: ") + refusal, 0), 0u) << e.what();
        }
    }
}

}  // namespace
}  // namespace telvora::sim::cli

namespace telvora::sim::cli {
namespace {

TEST(TranscriptProgress, ABarIsRedrawnInPlaceOnATerminalAndKeptNowhereElse) {
    std::ostringstream terminal;
    Transcript shown(&terminal, true);
    shown.step("MergeFax");
    shown.progress(1, 4, "Checking record 1 of 4");
    shown.progress(2, 4, "Checking record 2 of 4");
    shown.problem("the printer jammed");  // what comes next starts on a line of its own
    EXPECT_EQ(terminal.str(),
              "--- MergeFax\n"
              "\r[#######                       ] Checking record 1 of 4\033[K"
              "\r[###############               ] Checking record 2 of 4\033[K\n"
              "PROBLEM: the printer jammed\n");
    EXPECT_EQ(shown.text(), "--- MergeFax\nPROBLEM: the printer jammed\n");

    // Into a pipe or a file the frames would pile up: no bar there.
    std::ostringstream piped;
    Transcript quiet(&piped, false);
    quiet.progress(1, 4, "records");
    quiet.progress(4, 4, "records");
    EXPECT_EQ(piped.str(), "");
}

}  // namespace
}  // namespace telvora::sim::cli
