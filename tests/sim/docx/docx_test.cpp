// Word documents as .docx files: what the simulator writes reads back the same in the simulator and
// in an independent reader (python-docx), what that independent writer makes reads into the word
// processor, marks made by the add-in are real character styles in the saved file, and damaged
// files are refused with the file and the fault named.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>

#include "base/text.h"
#include "core/validation.h"
#include "fields/marking.h"
#include "sim/docx/docx.h"
#include "sim/docx/package.h"
#include "sim/word/csv_data_source.h"
#include "sim/word/document_builder.h"
#include "sim/word/word_processor.h"
#include "sim/host_tools.h"
#include "support/error_number.h"
#include "support/processor_time.h"
#include "support/sim_addin.h"

namespace telvora::sim::docx {
namespace {

using telvora::testing::contains;
namespace fs = std::filesystem;
using telvora::testing::errorOf;
using word::FontAttribute;

// What python-docx sees of a file: paragraphs with their style and runs, the styles with their
// types, the header and footer text and the page.
constexpr const char* kIndependentReader = R"(
import sys, json, docx
d = docx.Document(sys.argv[1])
def runs(p):
    return [{"text": r.text, "style": r.style.name, "bold": r.bold, "italic": r.italic,
             "size": r.font.size.pt if r.font.size else None, "font": r.font.name} for r in p.runs]
sec = d.sections[0]
print(json.dumps({
    "paragraphs": [{"style": p.style.name, "text": p.text, "runs": runs(p)} for p in d.paragraphs],
    "styles": {s.name: int(s.type) for s in d.styles},
    "header": [p.text for p in sec.header.paragraphs],
    "footer": [p.text for p in sec.footer.paragraphs],
    "page": [sec.page_width.pt, sec.page_height.pt, sec.left_margin.pt, sec.top_margin.pt]}))
)";

class DocxFiles : public ::testing::Test {
protected:
    // The machine's drive C:.
    telvora::testing::ScratchFolder scratch;
    MachinePaths drive{scratch.path()};

    void put(const std::string& windowsPath, const std::string& bytes) {
        const auto file = drive.toHost(windowsPath);
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << bytes;
    }

    // The corrupted-file error an open raises, as the user reads it; "" when it opened.
    std::string openError(const std::string& windowsPath) {
        const RuntimeError e = telvora::testing::errorRaisedBy([&] { (void)openDocx(drive, windowsPath); });
        return e.number() ? std::to_string(e.number()) + " " + e.description() : "";
    }
};

int positionOf(const DocumentModel& doc, StoryKind kind, const std::string& text) {
    const auto at = doc.text(kind).find(text);
    EXPECT_NE(at, std::string::npos) << text;
    // Characters, not bytes: the texts searched are ASCII up to them.
    return static_cast<int>(at);
}

TEST_F(DocxFiles, AWrittenDocumentReadsBackWithItsStylesLooksFieldsStoriesPageAndMergeData) {
    put("C:\\Data\\Customers.txt", "Name;Fax\r\nAnn;555 1\r\nBob;555 2\r\n");
    auto letter = DocumentBuilder("Letter.docx")
                      .style("Heading 1", wdStyleTypeParagraph, Format().bold().size(16))
                      .style("tlvSubject", word::wdCharacterStyle, Format().italic())
                      .paragraphStyle("Heading 1")
                      .text("Quarterly figures\r")
                      .text("Fax: ")
                      .styled("tlvFaxNumber", "555 1234", Format().bold().size(14).name("Arial"))
                      .text("\tDear ")
                      .mergeField("Name")
                      .text(", total ")
                      .field(word::wdFieldRef, "REF\nTotal \\# 0.00", "12.50")  // a line break between words
                      .text("\r")
                      .text("Re: ")
                      .styled("tlvSubject", "Invoice\v42")
                      .text(" \x01gone\fNext page <&> \xC3\xA9t\xC3\xA9\r")
                      .inHeader()
                      .text("Acme letterhead", Format().underline().color(255))
                      .inFooter()
                      .text("Footer")
                      .inTextBox()
                      .styled("tlvCompanyName", "Acme Ltd")
                      .build();
    letter.page = PageSetup{595.3, 841.9, 56.7, 56.7, 70.9, 70.9, 35.4, 35.4};
    letter.storyFields.push_back({StoryKind::Footer, 33, "PAGE", "", 0, 0});
    letter.merge.source = readDataSourceFile(drive.toHost("C:\\Data\\Customers.txt"), "C:\\Data\\Customers.txt");
    letter.merge.activeRecord = 2;

    fs::create_directories(drive.toHost("C:\\Docs"));
    saveDocx(letter, drive, "C:\\Docs\\Letter.docx");
    const auto back = openDocx(drive, "C:\\Docs\\Letter.docx");

    EXPECT_EQ(back.name, "Letter.docx");
    // The control character has no place in a file; everything else is kept.
    std::string expected = letter.text(StoryKind::Main);
    expected.erase(expected.find('\x01'), 1);
    EXPECT_EQ(back.text(StoryKind::Main), expected);
    for (const auto kind : {StoryKind::Header, StoryKind::Footer, StoryKind::TextBox})
        EXPECT_EQ(back.text(kind), letter.text(kind));

    const int number = positionOf(back, StoryKind::Main, "555 1234");
    EXPECT_EQ(back.styleNameAt(StoryKind::Main, number), "tlvFaxNumber");
    EXPECT_EQ(back.styleNameAt(StoryKind::Main, number - 1), "");
    EXPECT_EQ(back.fontAt(StoryKind::Main, number), letter.fontAt(StoryKind::Main, positionOf(letter, StoryKind::Main, "555 1234")));
    EXPECT_EQ(back.directAt(StoryKind::Main, number), Format().bold().size(14).name("Arial"));
    const int subject = positionOf(back, StoryKind::Main, "Invoice");
    EXPECT_EQ(back.styleNameAt(StoryKind::Main, subject), "tlvSubject");
    EXPECT_EQ(back.fontAt(StoryKind::Main, subject)[FontAttribute::Italic], word::FontValue(std::int32_t{-1}));
    EXPECT_EQ(back.paragraphStyleNameAt(StoryKind::Main, 0), "Heading 1");
    EXPECT_EQ(back.fontAt(StoryKind::Main, 0)[FontAttribute::Size], word::FontValue(16.0f));
    EXPECT_EQ(back.fontAt(StoryKind::Header, 0), letter.fontAt(StoryKind::Header, 0));
    EXPECT_EQ(back.styleNameAt(StoryKind::TextBox, 0), "tlvCompanyName");

    ASSERT_EQ(back.fields.size(), 2u);
    EXPECT_EQ(back.fields[0].type, wdFieldMergeField);
    EXPECT_EQ(back.fields[0].dataField, "Name");
    EXPECT_EQ(back.text(StoryKind::Main, back.fields[0].start, back.fields[0].end), "\xC2\xABName\xC2\xBB");
    EXPECT_EQ(back.fields[1].type, word::wdFieldRef);
    EXPECT_EQ(back.fields[1].code, "REF Total \\# 0.00");  // still two words
    EXPECT_EQ(back.text(StoryKind::Main, back.fields[1].start, back.fields[1].end), "12.50");
    ASSERT_EQ(back.storyFields.size(), 1u);
    EXPECT_EQ(back.storyFields[0].story, StoryKind::Footer);
    EXPECT_EQ(back.storyFields[0].type, 33);

    EXPECT_NEAR(back.page.width, 595.3, 0.05);
    EXPECT_NEAR(back.page.left, 70.9, 0.05);
    ASSERT_TRUE(back.merge.source.has_value());
    EXPECT_EQ(back.merge.source->name, "C:\\Data\\Customers.txt");
    EXPECT_EQ(back.merge.source->fieldNames, (std::vector<std::string>{"Name", "Fax"}));
    EXPECT_EQ(back.merge.source->records.size(), 2u);
    EXPECT_EQ(back.merge.activeRecord, 2);

    // The merge still works on what was read: the merge field is a merge field.
    const auto merged = back.mergeRecords("Letters1", {2});
    EXPECT_TRUE(contains(merged.text(StoryKind::Main), "Dear Bob, total 12.50"));
}

// The marking commands run on a letter; the saved file, read by python-docx, has the four field
// styles as character styles on exactly the marked text, and keeps the rest.
class MarkedLetter : public telvora::testing::SimAddinTest {
protected:
    MarkedLetter() { addin.setWord(wp); }

    void select(const std::string& text) {
        auto doc = wp->document("Letter.docx");
        const std::string all = doc->text(StoryKind::Main);
        const auto at = all.find(text);
        ASSERT_NE(at, std::string::npos) << text;
        const auto start = static_cast<int>(characterCount(all.substr(0, at)));
        doc->selection = Span{start, start + static_cast<int>(characterCount(text))};
    }

    telvora::testing::ScratchFolder tools;
    std::shared_ptr<WordProcessor> wp = std::make_shared<WordProcessor>();
};

TEST_F(MarkedLetter, MarksMadeOnALetterAreCharacterStylesInTheSavedFileAsAnIndependentReaderSeesIt) {
    const MachinePaths drive(scratch.path());
    fs::create_directories(scratch.path() / "Docs");
    // The example letter python-docx wrote: its plain text wears the document's defaults, the font
    // named by the document's theme, and its heading its own direct formatting.
    const auto example = readDocx(fs::path(TELVORA_EXAMPLES_DIR) / "quote-letter.docx", "q", "q", {});
    const auto plain = example.fontAt(StoryKind::Main, positionOf(example, StoryKind::Main, "14 Harbour"));
    EXPECT_EQ(plain[FontAttribute::Name], word::FontValue(std::string("Cambria")));
    EXPECT_EQ(plain[FontAttribute::Size], word::FontValue(11.0f));
    EXPECT_EQ(example.directAt(StoryKind::Main, 0), Format().bold().size(16));

    auto letter = DocumentBuilder("Letter.docx")
                      .style("Heading 1", wdStyleTypeParagraph, Format().bold().size(16))
                      .paragraphStyle("Heading 1")
                      .text("Quarterly figures\r")
                      .text("Fax: ")
                      .text("555 1234", Format().bold().size(14).name("Arial"))
                      .text(" at once\rTo: Ann Lee\rCompany: Acme Ltd\rRe: Invoice 42\r")
                      .inHeader()
                      .text("Acme letterhead")
                      .build();
    wp->open(std::move(letter));
    const std::pair<const char*, FaxField> marks[] = {{"555 1234", FaxField::Number},
                                                      {"Ann Lee", FaxField::Name},
                                                      {"Acme Ltd", FaxField::Company},
                                                      {"Invoice 42", FaxField::Subject}};
    for (const auto& [text, field] : marks) {
        select(text);
        MarkFieldCommand(addin, field);
    }
    for (const auto& m : user.messages()) ADD_FAILURE() << m.prompt;
    saveDocx(*wp->document("Letter.docx"), drive, "C:\\Docs\\Marked.docx");

    const auto seen = nlohmann::json::parse(telvora::testing::runPython(
        tools.path(), kIndependentReader, telvora::testing::quoted(scratch.path() / "Docs" / "Marked.docx")));
    constexpr int kCharacterStyle = 2;
    for (const auto& [text, field] : marks) {
        const std::string style = FieldStyleName(field);
        EXPECT_EQ(seen["styles"][style], kCharacterStyle) << style;
        std::string marked;
        for (const auto& p : seen["paragraphs"])
            for (const auto& r : p["runs"])
                if (r["style"] == style) marked += r["text"].get<std::string>();
        EXPECT_EQ(marked, text) << style;
    }
    // The mark changed no look: the number is still bold 14 pt Arial, the heading a heading.
    const auto& fax = seen["paragraphs"][1];
    EXPECT_EQ(fax["text"], "Fax: 555 1234 at once");
    for (const auto& r : fax["runs"]) {
        if (r["text"] != "555 1234") continue;
        EXPECT_EQ(r["bold"], true);
        EXPECT_EQ(r["size"], 14.0);
        EXPECT_EQ(r["font"], "Arial");
    }
    EXPECT_EQ(seen["paragraphs"][0]["style"], "Heading 1");
    EXPECT_EQ(seen["header"], nlohmann::json::array({"Acme letterhead"}));
}

TEST_F(DocxFiles, DamagedDocumentsAreRefusedNamingTheFileThePartAndTheFault) {
    // A real document to damage.
    fs::create_directories(drive.toHost("C:\\Docs"));
    saveDocx(DocumentBuilder("Good.docx").text(std::string(3000, 'x')).build(), drive, "C:\\Docs\\Good.docx");
    const std::string good = telvora::testing::readBytes(drive.toHost("C:\\Docs\\Good.docx"));
    // The main part's compressed bytes changed: its checksum no longer matches.
    std::string flipped = good;
    const auto body = flipped.find("word/document.xml") + 40;
    flipped[body] = static_cast<char>(flipped[body] ^ 0x55);
    // A package of the given main part (none when empty).
    const auto package = [&](const std::string& document) {
        PackageWriter p;
        p.add("[Content_Types].xml", "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>");
        p.add("_rels/.rels",
              "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
              "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
              "officeDocument\" Target=\"word/document.xml\"/></Relationships>");
        if (!document.empty()) p.add("word/document.xml", "<w:document xmlns:w=\"http://schemas.openxmlformats.org/"
                                                          "wordprocessingml/2006/main\">" + document + "</w:document>");
        const auto file = scratch.path() / "package.docx";
        p.write(file, "package.docx");
        return telvora::testing::readBytes(file);
    };
    const std::pair<std::string, std::string> cases[] = {
        {"Dear Sir,\r\n", "it is not a .docx document (no ZIP package)."},
        {std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(600, '\0'),
         "it is a Word 97-2003 document (.doc); only .docx documents are read."},
        {good.substr(0, good.size() / 2), "its ZIP package is cut short or its directory is damaged."},
        {flipped, "the part word/document.xml is damaged ("},
        {package(""), "the part word/document.xml is missing."},
        {package("\n<w:body>\n<w:p><w:r><w:t>Hi</w:p>\n</w:body>"), "word/document.xml, line 3, column 20: Start-end tags mismatch."},
        {package("<w:body><w:p><w:r><w:rPr><w:sz w:val=\"big\"/></w:rPr><w:t>Hi</w:t></w:r></w:p></w:body>"),
         "word/document.xml, line 1, column 110: the value of w:sz is not a font size."},
        {package("<w:body><w:p/><w:sectPr><w:pgSz w:w=\"6.6e38\" w:h=\"15840\"/></w:sectPr></w:body>"),
         "word/document.xml, line 1, column 109: the page measure w:w is more than 22 inches."}};
    for (const auto& [bytes, fault] : cases) {
        put("C:\\Docs\\Damaged.docx", bytes);
        EXPECT_TRUE(openError("C:\\Docs\\Damaged.docx")
                        .starts_with("5792 The file \"C:\\Docs\\Damaged.docx\" appears to be corrupted: " + fault))
            << openError("C:\\Docs\\Damaged.docx");
    }
    EXPECT_EQ(openError("C:\\Docs\\Missing.docx"), "5174 This file could not be found. (C:\\Docs\\Missing.docx)");
    EXPECT_EQ(errorOf([&] { (void)openDocx(drive, "C:\\..\\Letter.docx"); }), err::PathFileAccess);
}

TEST_F(DocxFiles, AMergeDocumentWhoseDataFileIsBrokenOrGoneIsNotOpened) {
    fs::create_directories(drive.toHost("C:\\Docs"));
    put("C:\\Docs\\Customers.csv", "Name,Fax\r\nAnn,555 1\r\nBob,\"555 2\r\n");
    saveDocx(DocumentBuilder("Letter.docx").mergeField("Name").mergeData("C:\\Docs\\Customers.csv", {"Name"}, {{"x"}}).build(),
             drive, "C:\\Docs\\Letter.docx");
    EXPECT_EQ(openError("C:\\Docs\\Letter.docx"), std::to_string(wderr::DataSourceUnreadable) +
                                                   " Word was unable to open the data source \"C:\\Docs\\Customers.csv\": "
                                                   "line 3: a quoted field is never closed");
    fs::remove(drive.toHost("C:\\Docs\\Customers.csv"));
    EXPECT_EQ(openError("C:\\Docs\\Letter.docx"), "5174 This file could not be found. (C:\\Docs\\Customers.csv)");
}

TEST_F(DocxFiles, ASaveThatCannotBeWrittenLeavesTheOldFileAndNoOther) {
    fs::create_directories(drive.toHost("C:\\Docs"));
    saveDocx(DocumentBuilder("Letter.docx").text("First").build(), drive, "C:\\Docs\\Letter.docx");
    const auto before = telvora::testing::readBytes(drive.toHost("C:\\Docs\\Letter.docx"));
    // A folder in the way of the file: the new package cannot take the old one's place.
    fs::create_directories(drive.toHost("C:\\Docs\\Busy.docx\\inside"));

    EXPECT_EQ(errorOf([&] { saveDocx(DocumentBuilder("x").build(), drive, "C:\\Docs\\Busy.docx"); }), err::PathFileAccess);
    EXPECT_EQ(errorOf([&] { saveDocx(DocumentBuilder("x").build(), drive, "C:\\Missing\\Letter.docx"); }), err::PathFileAccess);
    EXPECT_EQ(errorOf([&] { saveDocx(DocumentBuilder("x").build(), drive, "C:\\Docs\\..\\..\\Letter.docx"); }), err::PathFileAccess);
    EXPECT_EQ(telvora::testing::readBytes(drive.toHost("C:\\Docs\\Letter.docx")), before);
    std::vector<std::string> left;
    for (const auto& entry : fs::recursive_directory_iterator(scratch.path())) left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"Busy.docx", "Docs", "Letter.docx", "inside"}));
}

// Documents no word processor writes, each aimed at one way a reader of untrusted files fails
// (tests/data/docx/make-crafted.py makes them): refused as damaged, with the reason, or read as
// Word reads them, in a moment either way.
class CraftedDocument : public ::testing::TestWithParam<std::pair<std::string, std::string>> {
protected:
    static DocumentModel read(const std::string& file) {
        return readDocx(fs::path(TELVORA_TEST_DATA) / "docx" / file, file, file, {});
    }
};

TEST_P(CraftedDocument, IsRefusedAsDamagedNamingWhy) {
    const std::string file = GetParam().first;
    const auto started = telvora::testing::processorTime();
    const RuntimeError e = telvora::testing::errorRaisedBy([&] { (void)read(file); });
    EXPECT_EQ(e.number(), kFileCorrupted) << file << " was read";
    EXPECT_TRUE(e.description().starts_with("The file \"" + file + "\" appears to be corrupted: ")) << e.description();
    EXPECT_TRUE(e.description().ends_with(GetParam().second)) << e.description();
    EXPECT_LT(telvora::testing::processorTime() - started, std::chrono::seconds(20));
}

INSTANTIATE_TEST_SUITE_P(
    Crafted, CraftedDocument,
    ::testing::ValuesIn(std::vector<std::pair<std::string, std::string>>{
        {"deep-tables.docx", "its elements nest more than 256 deep."},
        {"deep-content-controls.docx", "its elements nest more than 256 deep."},
        {"deep-hyperlinks.docx", "its elements nest more than 256 deep."},
        {"deep-text-boxes.docx", "its elements nest more than 256 deep."},
        {"deep-alternate-content.docx", "its elements nest more than 256 deep."},
        {"unpacks-too-large.docx", "its parts unpack to more than 32 MB."},
        {"text-too-long.docx", "its text is longer than 2097152 characters."},
        {"many-styles.docx", "the document has more than 4096 styles."},
        {"control-character.docx", "its text holds a character XML does not allow (U+000E)."}}),
    [](const auto& info) {
        std::string name;
        for (const char c : info.param.first.substr(0, info.param.first.find('.')))
            if (std::isalnum(static_cast<unsigned char>(c))) name += c;
        return name;
    });

TEST_F(CraftedDocument, FieldsOutOfTurnOrNestedDeeplyTablesInTablesEmptyTextBoxesAndOddPrefixesReadAsWordReadsThem) {
    // A complex field's end inside a simple field ends nothing; a complex field begun inside a
    // simple field ends with it.
    const auto simple = read("field-end-in-simple-field.docx");
    EXPECT_EQ(simple.text(StoryKind::Main), "Fax: «Fax» end\r7\r\r");
    const auto fields = [](const DocumentModel& d) {
        std::vector<std::tuple<std::string, std::string>> out;
        for (const auto& f : d.fields) out.emplace_back(f.code, d.text(StoryKind::Main, f.start, f.end));
        return out;
    };
    EXPECT_EQ(fields(simple), (std::vector<std::tuple<std::string, std::string>>{
                                  {"MERGEFIELD Fax", "«Fax»"}, {"PAGE", "7"}, {"REF Total", "7"}, {"", ""},
                                  {"MERGEFIELD Company", ""}}));
    // Saved and read back, two fields of one span, empty or not, are still inner and outer in that
    // order.
    const telvora::testing::ScratchFolder scratch;
    writeDocx(simple, scratch.path() / "saved.docx", "saved.docx");
    EXPECT_EQ(fields(readDocx(scratch.path() / "saved.docx", "saved.docx", "saved.docx", {})), fields(simple));

    // 150,000 fields each in the code of the one before (one field, its code all of it), and
    // 150,000 each in the result of the one before.
    const auto started = telvora::testing::processorTime();
    const auto nested = read("nested-fields.docx");
    EXPECT_LT(telvora::testing::processorTime() - started, std::chrono::seconds(20));
    EXPECT_EQ(nested.text(StoryKind::Main), "\ry\r");
    ASSERT_EQ(nested.fields.size(), 150001u);
    EXPECT_EQ(nested.fields.back().start, 1);
    EXPECT_EQ(nested.fields.back().end, 2);

    EXPECT_EQ(read("tables-in-tables.docx").text(StoryKind::Main), "inside\r");
    // Every story ends with a paragraph mark, a text box without a paragraph too.
    EXPECT_EQ(read("empty-text-box.docx").text(StoryKind::TextBox), "\r");
    // Word's elements and attributes whatever prefix names them, and another namespace's not.
    const auto prefixed = read("namespaces.docx");
    EXPECT_EQ(prefixed.text(StoryKind::Main), "a\rb\rc\r");
    ASSERT_EQ(prefixed.fields.size(), 1u);
    EXPECT_EQ(prefixed.fields[0].code, "PAGE");
}

TEST_F(DocxFiles, WordsHyphensReadAsRangeTextGivesThemAndStayThroughASave) {
    put("C:\\Docs\\Hyphens.docx", telvora::testing::readBytes(fs::path(TELVORA_TEST_DATA) / "docx" / "hyphens.docx"));
    const auto letter = openDocx(drive, "C:\\Docs\\Hyphens.docx");
    const std::string number = "0893\x1E" "351\x1F" "234";
    EXPECT_EQ(letter.text(StoryKind::Main), "Fax: " + number + "\r");
    // The add-in's number cleaning takes them out, as it does Word's.
    EXPECT_EQ(CleanFaxNumber(number), "0893351234");

    saveDocx(letter, drive, "C:\\Docs\\Saved.docx");
    EXPECT_EQ(openDocx(drive, "C:\\Docs\\Saved.docx").text(StoryKind::Main), letter.text(StoryKind::Main));
    // Written as Word writes them: elements of their own, not characters of the text.
    const std::string xml = PackageReader(drive.toHost("C:\\Docs\\Saved.docx"), "Saved.docx").read("word/document.xml");
    const auto hyphen = xml.find("<w:noBreakHyphen/>");
    EXPECT_NE(hyphen, std::string::npos) << xml;
    EXPECT_NE(xml.find("<w:softHyphen/>", hyphen), std::string::npos) << xml;
}

}  // namespace
}  // namespace telvora::sim::docx
