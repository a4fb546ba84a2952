// Describes a document for the simulated word processor in a few lines: its text, which spans carry
// which style and direct formatting, paragraph styles, the selection, fields, the other stories and
// the merge data.
//
//     auto letter = DocumentBuilder("Letter.doc")
//                       .text("Fax: ").styled("tlvFaxNumber", "555 1234", Format().bold()).text("\r")
//                       .text("Dear ").mergeField("Name").text("\r")
//                       .inHeader().styled("tlvSubject", "Not searched")
//                       .mergeData("C:\\Data\\Customers.csv", {"Name", "Fax"}, {{"Ann", "555 1"}})
//                       .select(0, 4)
//                       .build();
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "sim/word/word_model.h"

namespace telvora::sim {

class DocumentBuilder {
public:
    explicit DocumentBuilder(std::string name);

    // Text goes to the end of the current story (the main text unless switched) with `font` as its
    // direct formatting. "\r" ends a paragraph; the next paragraph is in Normal.
    DocumentBuilder& text(std::string_view utf8, const Format& font = {});
    // Text carrying a character style; the style is made (with no formatting of its own) if the
    // document has none of that name.
    DocumentBuilder& styled(const std::string& style, std::string_view utf8, const Format& font = {});
    // A style the document has, whether or not any text carries it, with formatting of its own.
    DocumentBuilder& style(const std::string& name, std::int32_t type = word::wdCharacterStyle,
                           const Format& own = {});
    // The paragraph being written (and the text still to come in it) takes a paragraph style, made
    // with no formatting of its own if the document has none of that name.
    DocumentBuilder& paragraphStyle(const std::string& name);
    // Spans of the current story given by character positions, for styles and looks that overlap.
    DocumentBuilder& applyStyle(const std::string& style, int start, int end);
    DocumentBuilder& applyFont(int start, int end, const Format& font);

    // A field of the main text showing `result`; a merge field shows «name» until merged.
    DocumentBuilder& field(std::int32_t type, std::string code, std::string_view result, const Format& font = {});
    DocumentBuilder& mergeField(const std::string& dataField, const Format& font = {});

    DocumentBuilder& inMain();
    DocumentBuilder& inHeader();
    DocumentBuilder& inFooter();
    DocumentBuilder& inTextBox();
    // The number of characters in the current story so far: where the next text starts.
    int position() const;

    // The selection in the main text; the text form selects its first occurrence.
    DocumentBuilder& select(int start, int end);
    DocumentBuilder& select(std::string_view text);

    // The mail-merge data source; its name is what Word reports (the data file's path).
    DocumentBuilder& mergeData(std::string name, std::vector<std::string> fieldNames,
                               std::vector<std::vector<std::string>> records);
    DocumentBuilder& mergeDataFromCsv(const std::filesystem::path& file);

    // The document's window shows an e-mail envelope (Word in use as an e-mail editor).
    DocumentBuilder& emailEnvelope(bool shown = true);

    // The document, every story ending in a paragraph mark as Word's stories do.
    DocumentModel build() const;

private:
    std::uint32_t characterStyle(const std::string& name);
    void put(std::string_view utf8, const Format& font, std::uint32_t styleId);
    // The paragraph style of the paragraph the next character goes into.
    std::uint32_t currentParagraphStyle(StoryKind kind) const;

    DocumentModel model_;
    StoryKind story_ = StoryKind::Main;
    // A paragraph style chosen for a paragraph that has no characters yet.
    std::map<StoryKind, std::uint32_t> pendingParagraphStyle_;
};

}  // namespace telvora::sim
