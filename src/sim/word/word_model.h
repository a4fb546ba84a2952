// The in-memory word processor's document: stories of characters with their paragraph style,
// character style and direct formatting, the styles, the fields and the mail-merge state, and the
// searches and edits Word offers on them. Plain data and logic only; the object-model classes wrap it.
#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/errors.h"
#include "base/text.h"
#include "ports/word.h"

namespace telvora::sim {

// Errors as Word raises them: the number a macro sees and Word as the source.
RuntimeError wordError(std::int32_t number, std::string description);

// Word's numbers for the errors the simulated word processor raises.
namespace wderr {
inline constexpr std::int32_t CommandNotAvailable = 4605;
inline constexpr std::int32_t ValueOutOfRange = 4608;
inline constexpr std::int32_t FileNotFound = 5174;
inline constexpr std::int32_t StyleNameExists = 5173;
inline constexpr std::int32_t PrinterError = 5216;
inline constexpr std::int32_t NoRecordsMatched = 5631;
inline constexpr std::int32_t ObjectDeleted = 5825;
inline constexpr std::int32_t DataSourceUnreadable = 5922;
}  // namespace wderr

// Word's toggle value of a font attribute (its "undefined" value is the port's).
using word::wdUndefined;
inline constexpr std::int32_t wdToggle = 9999998;
// The type code of a merge field ({ MERGEFIELD name }).
inline constexpr std::int32_t wdFieldMergeField = 59;

// A full set of font attributes: what one character looks like.
struct FontAttributes {
    std::array<word::FontValue, word::kFontAttributeCount> values;

    const word::FontValue& operator[](word::FontAttribute a) const { return values[static_cast<int>(a)]; }
    word::FontValue& operator[](word::FontAttribute a) { return values[static_cast<int>(a)]; }
    auto operator<=>(const FontAttributes&) const = default;

    // The look of text in a new document: Word's Normal style, Times New Roman 12 pt, automatic
    // colour, nothing switched on.
    static const FontAttributes& defaults();
};

// How one attribute is written, after Word's conventions for a value given to it.
struct FontChange {
    enum class Kind { Set, Keep, Toggle } kind = Kind::Set;
    word::FontValue value;
};
// Converts a value written to an attribute: Booleans become True (-1) or False (0), sizes become
// points, and the "undefined" value (9999999, or "" for the name) leaves the attribute as it is, so
// writing back what was read over mixed text does not flatten it. Raises type mismatch (13) for a
// value of the wrong kind and 4608 for a size Word refuses.
FontChange convertFontValue(word::FontAttribute attribute, const word::FontValue& value);

// Some font attributes, the others left alone: what a style defines or a span of built text wears.
class Format {
public:
    Format& set(word::FontAttribute attribute, word::FontValue value);
    Format& bold(bool on = true) { return set(word::FontAttribute::Bold, on ? -1 : 0); }
    Format& italic(bool on = true) { return set(word::FontAttribute::Italic, on ? -1 : 0); }
    Format& underline(std::int32_t kind = 1) { return set(word::FontAttribute::Underline, kind); }
    Format& size(float points) { return set(word::FontAttribute::Size, points); }
    Format& name(std::string font) { return set(word::FontAttribute::Name, std::move(font)); }
    Format& color(std::int32_t rgb) { return set(word::FontAttribute::Color, rgb); }

    const std::optional<word::FontValue>& get(word::FontAttribute a) const { return values_[static_cast<int>(a)]; }
    void clear(word::FontAttribute a) { values_[static_cast<int>(a)].reset(); }
    bool empty() const;
    // `base` with these attributes put over it.
    FontAttributes over(const FontAttributes& base) const;
    auto operator<=>(const Format&) const = default;

private:
    std::array<std::optional<word::FontValue>, word::kFontAttributeCount> values_;
};

enum class StoryKind { Main, Header, Footer, TextBox };

// Word's style types.
inline constexpr std::int32_t wdStyleTypeParagraph = 1;
inline constexpr std::int32_t wdStyleTypeTable = 3;
inline constexpr std::int32_t wdStyleTypeList = 4;
// The id of the Normal style, the first style of every document.
inline constexpr std::uint32_t kNormalStyle = 1;

// Word's hyphens that are characters of their own, as Range.Text gives them: the non-breaking
// hyphen is Chr(30) and the optional (soft) hyphen Chr(31).
inline constexpr const char* kNonBreakingHyphen = "\x1E";
inline constexpr const char* kOptionalHyphen = "\x1F";

// One character, with the three layers of formatting Word keeps apart. Its look is its direct
// formatting over its character style's formatting over its paragraph style's formatting over
// Normal's, so restyling or deleting a style changes the look of every character carrying it and
// leaves what was typed onto the character alone.
struct Character {
    std::string glyph;                        // one code point, UTF-8; "\r" ends a paragraph
    std::uint32_t style = 0;                  // character style id, 0 for none
    std::uint32_t direct = 0;                 // direct formatting: index into the document's format table
    std::uint32_t paragraphStyle = kNormalStyle;  // the same for every character of a paragraph
};

struct StyleEntry {
    std::uint32_t id = 0;
    std::string name;
    std::int32_t type = word::wdCharacterStyle;
    // The style's own formatting; the attributes it leaves out come from the paragraph's look (a
    // character style) or from Normal (a paragraph style).
    Format font;
    bool builtIn = false;
    bool deleted = false;
};

// A field; its result text occupies [start, end) of its story.
struct FieldEntry {
    StoryKind story = StoryKind::Main;
    std::int32_t type = 0;
    std::string code;       // "MERGEFIELD Fax", "REF Total"
    std::string dataField;  // the data source field a merge field shows
    int start = 0;
    int end = 0;
};

// The paper and margins of the document's pages, in points: Word's defaults for a new document
// (US Letter, one-inch margins, headers and footers half an inch from the edge).
struct PageSetup {
    double width = 612;
    double height = 792;
    double top = 72;
    double bottom = 72;
    double left = 72;
    double right = 72;
    double header = 36;
    double footer = 36;
    bool operator==(const PageSetup&) const = default;
};

struct MergeSource {
    std::string name;  // as Word reports it: the data file's path
    char delimiter = ',';  // what separates the fields of a text data file
    std::vector<std::string> fieldNames;
    std::vector<std::vector<std::string>> records;
};

struct MergeState {
    std::optional<MergeSource> source;
    int activeRecord = 0;  // 1-based; 0 while the source has no records
    int firstRecord = 1;
    std::optional<int> lastRecord;  // nothing: through the last record
    std::int32_t destination = word::wdSendToNewDocument;
};

// A run of characters found by a search: [start, end) of a story.
struct Span {
    int start = 0;
    int end = 0;
    bool operator==(const Span&) const = default;
};

class DocumentModel {
public:
    explicit DocumentModel(std::string name);

    std::string name;

    // Stories. The main story always exists; the others exist once text was put into them.
    const std::vector<Character>& story(StoryKind kind) const;
    std::vector<Character>& story(StoryKind kind);
    bool hasStory(StoryKind kind) const { return stories_.contains(kind); }
    int length(StoryKind kind) const { return static_cast<int>(story(kind).size()); }
    std::string text(StoryKind kind) const { return text(kind, 0, length(kind)); }
    std::string text(StoryKind kind, int start, int end) const;
    // Appends text with the direct formatting `direct`, carrying the character style `styleId` (0 for
    // none) in paragraphs of the style `paragraphStyleId`.
    void append(StoryKind kind, std::string_view utf8, const Format& direct, std::uint32_t styleId,
                std::uint32_t paragraphStyleId = kNormalStyle);

    // What a character looks like, its direct formatting put over its styles' looks.
    FontAttributes fontAt(StoryKind kind, int position) const;
    // The character's direct formatting alone.
    const Format& directAt(StoryKind kind, int position) const;
    // The look of the attribute over [start, end): its value when every character agrees, Word's
    // undefined otherwise; an empty span answers the look at that point.
    word::FontValue fontValue(StoryKind kind, Span span, word::FontAttribute attribute) const;
    // Writes the attribute as direct formatting of every character of the span.
    void setFontValue(StoryKind kind, Span span, word::FontAttribute attribute, const word::FontValue& value);

    // Styles. Names compare without regard to letter case, as Word's do.
    StyleEntry* findStyle(std::string_view name);
    StyleEntry* styleById(std::uint32_t id);
    const StyleEntry* styleById(std::uint32_t id) const;
    StyleEntry& addStyle(const std::string& name, std::int32_t type);
    // Every style in the order it was made, the deleted ones flagged.
    const std::vector<StyleEntry>& styles() const noexcept { return styles_; }
    // The look a style gives: its own formatting over Normal's (Normal's own over Word's defaults).
    FontAttributes styleLook(std::uint32_t id) const;
    // Takes the style off every character of every story and removes it: a character style leaves
    // its characters, the paragraphs of a paragraph style become Normal. Direct formatting stays.
    void deleteStyle(std::uint32_t id);
    // A character style goes on the characters of the span; a paragraph style on every paragraph
    // the span touches (an empty span: the paragraph it is in).
    void applyStyle(StoryKind kind, Span span, std::uint32_t id);
    // The name of the character style a character carries; "" for none.
    std::string styleNameAt(StoryKind kind, int position) const;
    // The name of the paragraph style of the paragraph a character is in.
    std::string paragraphStyleNameAt(StoryKind kind, int position) const;
    // The whole paragraphs the span touches.
    Span paragraphsOf(StoryKind kind, Span span) const;

    // Searches inside [within.start, within.end) of a story, forward from the start (or backward
    // from the end): the first maximal run of characters carrying the style (for a paragraph style,
    // the characters of paragraphs in that style), and the first occurrence of the text (letter
    // case ignored), all of whose characters carry the style when `styleId` is not 0.
    std::optional<Span> findStyleRun(StoryKind kind, Span within, std::uint32_t styleId, bool forward) const;
    std::optional<Span> findText(StoryKind kind, Span within, const std::vector<std::string>& needle,
                                 std::uint32_t styleId, bool forward) const;

    // The main text's fields, which the document's Fields collection holds, and the fields of the
    // other stories (page numbers in a footer), kept apart so that collection stays as Word's is.
    std::vector<FieldEntry> fields;
    std::vector<FieldEntry> storyFields;
    int fieldUpdates = 0;
    PageSetup page;
    MergeState merge;
    Span selection;
    bool envelopeVisible = false;
    bool closed = false;

    // A new document named `name` holding the main story once per record, each merge field
    // replaced by the record's value, records separated by a section break.
    DocumentModel mergeRecords(std::string newName, const std::vector<int>& recordNumbers) const;

private:
    std::uint32_t internFormat(const Format& direct);
    bool carries(const Character& c, std::uint32_t styleId) const;

    std::map<StoryKind, std::vector<Character>> stories_;
    std::vector<Format> formats_;  // direct formatting, kept once per distinct set
    std::map<Format, std::uint32_t> formatIndex_;
    std::vector<StyleEntry> styles_;
};

}  // namespace telvora::sim
