// The word-processor operations the add-in uses, shaped like Word's object model: one call here is
// one object-model call, so the Windows binding is a mechanical late-bound mapping and the call
// sequences stay in portable code where the tests see them. Objects are shared references, as
// automation references are. Every operation raises the run-time error a macro would see: 91 where
// Word supplies no object, 5941 for a missing collection member, 5825 for an object whose document
// or style is gone. No call answers an empty pointer: where a macro would get Nothing and fail on
// its next call, the port call itself fails with that error.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "base/variant.h"

namespace telvora::word {

#define TELVORA_WORD_INTERFACE(Name)          \
    Name() = default;                         \
    virtual ~Name() = default;                \
    Name(const Name&) = delete;               \
    Name& operator=(const Name&) = delete

// The font attributes the field marking saves and restores, in the order it reads and writes them.
enum class FontAttribute {
    AllCaps, StrikeThrough, Subscript, Superscript, Bold, BoldBi, DisableCharacterSpaceGrid,
    DoubleStrikeThrough, Emboss, EmphasisMark, Engrave, Italic, ItalicBi, Outline, Shadow, Spacing,
    Size, SizeBi, SmallCaps, Color, ColorIndex, ColorIndexBi, DiacriticColor, Underline,
    UnderlineColor, Animation, Name
};
inline constexpr int kFontAttributeCount = 27;
// The object model's property name of an attribute ("AllCaps", ..., "Name").
inline const char* fontAttributeName(FontAttribute a) noexcept {
    static constexpr const char* names[kFontAttributeCount] = {
        "AllCaps", "StrikeThrough", "Subscript", "Superscript", "Bold", "BoldBi",
        "DisableCharacterSpaceGrid", "DoubleStrikeThrough", "Emboss", "EmphasisMark", "Engrave", "Italic",
        "ItalicBi", "Outline", "Shadow", "Spacing", "Size", "SizeBi", "SmallCaps", "Color", "ColorIndex",
        "ColorIndexBi", "DiacriticColor", "Underline", "UnderlineColor", "Animation", "Name"};
    const auto i = static_cast<int>(a);
    return i >= 0 && i < kFontAttributeCount ? names[i] : "";
}
// Whole numbers and Booleans as Word reports them (True = -1), spacing and sizes in points, the
// font name as text.
using FontValue = std::variant<std::int32_t, float, std::string>;
// What Word answers for an attribute that differs across the text it covers: this number for
// whole numbers and points, "" for the font name.
inline constexpr std::int32_t wdUndefined = 9999999;
inline bool isUndefined(const FontValue& value) noexcept {
    if (const auto* i = std::get_if<std::int32_t>(&value)) return *i == wdUndefined;
    if (const auto* f = std::get_if<float>(&value)) return *f == static_cast<float>(wdUndefined);
    return std::get<std::string>(value).empty();
}

// Constants of the object model the add-in passes.
inline constexpr std::int32_t wdCharacterStyle = 2;
inline constexpr std::int32_t wdFindStop = 0;
inline constexpr std::int32_t wdFieldRef = 3;
inline constexpr std::int32_t wdFirstRecord = -4;
inline constexpr std::int32_t wdNextRecord = -2;
inline constexpr std::int32_t wdLastRecord = -5;
inline constexpr std::int32_t wdSendToNewDocument = 0;
inline constexpr std::int32_t wdDoNotSaveChanges = 0;

class Font {
public:
    TELVORA_WORD_INTERFACE(Font);
    virtual FontValue get(FontAttribute attribute) = 0;
    virtual void set(FontAttribute attribute, const FontValue& value) = 0;
};

class Style {
public:
    TELVORA_WORD_INTERFACE(Style);
    virtual std::string name() = 0;
    virtual std::int32_t type() = 0;
    // The style's own font: what it sets changes the look of every text carrying the style.
    // Raises 5825 once the style was deleted.
    virtual std::shared_ptr<Font> font() = 0;
    // Takes the style off every text that carried it, and with it the look the style gave; the
    // text keeps its direct formatting. The paragraphs of a paragraph style become Normal.
    virtual void Delete() = 0;
};

class Styles {
public:
    TELVORA_WORD_INTERFACE(Styles);
    // Raises 5941 when the document has no style of that name.
    virtual std::shared_ptr<Style> item(const std::string& name) = 0;
    // The new style, with no formatting of its own; raises 5173 for a name the document uses.
    virtual std::shared_ptr<Style> add(const std::string& name, std::int32_t type) = 0;
};

class Find {
public:
    TELVORA_WORD_INTERFACE(Find);
    virtual void ClearFormatting() = 0;
    virtual void ClearAllFuzzyOptions() = 0;
    virtual void setForward(bool forward) = 0;
    virtual void setWrap(std::int32_t wrap) = 0;
    virtual void setText(const std::string& text) = 0;
    // Raises when the document has no style of that name.
    virtual void setStyle(const std::string& styleName) = 0;
    // Answers whether something was found; when it was, the range this find belongs to is narrowed
    // to the found text. `format` is Word's Format argument: True makes the formatting set on the
    // find (its style) part of the search, as Word's searches by style must say; False leaves the
    // formatting out. Every other argument is omitted.
    virtual bool Execute(bool format) = 0;
};

class Range {
public:
    TELVORA_WORD_INTERFACE(Range);
    virtual std::string text() = 0;
    virtual std::int32_t start() = 0;
    virtual std::int32_t end() = 0;
    // Both always answer an object while the document is open (5825 after it was closed).
    virtual std::shared_ptr<Find> find() = 0;
    // The look of the range's text; writing an attribute formats the text directly.
    virtual std::shared_ptr<Font> font() = 0;
};

class Selection {
public:
    TELVORA_WORD_INTERFACE(Selection);
    // Always a range; an insertion point is an empty one.
    virtual std::shared_ptr<Range> range() = 0;
    // A character style goes on the selected text, a paragraph style on every paragraph the
    // selection touches. Raises 91 for an empty style.
    virtual void setStyle(const std::shared_ptr<Style>& style) = 0;
};

class Field {
public:
    TELVORA_WORD_INTERFACE(Field);
    virtual std::int32_t type() = 0;
};

class Fields {
public:
    TELVORA_WORD_INTERFACE(Fields);
    virtual std::int32_t count() = 0;
    // 1-based, as the object model counts; raises 5941 for an index outside 1 to count.
    virtual std::shared_ptr<Field> item(std::int32_t index) = 0;
    virtual void Update() = 0;
};

class MailMergeDataSource {
public:
    TELVORA_WORD_INTERFACE(MailMergeDataSource);
    // "" when the document is not linked to a data source.
    virtual std::string name() = 0;
    virtual std::vector<std::string> fieldNames() = 0;
    // The value of the field in the active record.
    virtual std::string dataFieldValue(const std::string& fieldName) = 0;
    // Read as a record number (0 for an empty source); set with a record number or one of the codes
    // wdFirstRecord, wdNextRecord, wdLastRecord. Moving past the last record leaves it unchanged.
    virtual std::int32_t activeRecord() = 0;
    virtual void setActiveRecord(std::int32_t record) = 0;
    virtual std::int32_t firstRecord() = 0;
    virtual void setFirstRecord(std::int32_t record) = 0;
    virtual std::int32_t lastRecord() = 0;
    virtual void setLastRecord(std::int32_t record) = 0;
};

class MailMerge {
public:
    TELVORA_WORD_INTERFACE(MailMerge);
    // Always a data source object, also for a document that is not a main document (its name is
    // then "").
    virtual std::shared_ptr<MailMergeDataSource> dataSource() = 0;
    virtual void setDestination(std::int32_t destination) = 0;
    // Merges the first-to-last records into a new document, which becomes the active document.
    virtual void Execute() = 0;
};

class Window {
public:
    TELVORA_WORD_INTERFACE(Window);
    // True when Word is in use as an e-mail editor in this window.
    virtual bool envelopeVisible() = 0;
};

class Document {
public:
    TELVORA_WORD_INTERFACE(Document);
    virtual std::string name() = 0;
    // The objects of an open document are always there; every call raises 5825 once the
    // document was closed.
    // The main text from start to end: no headers, footers or text boxes.
    virtual std::shared_ptr<Range> content() = 0;
    virtual std::shared_ptr<Styles> styles() = 0;
    virtual std::shared_ptr<Fields> fields() = 0;
    virtual std::shared_ptr<MailMerge> mailMerge() = 0;
    virtual void Close(std::int32_t saveChanges) = 0;
    // Prints the document in the foreground with Word's other print options at their defaults.
    virtual void PrintOut() = 0;
};

class Documents {
public:
    TELVORA_WORD_INTERFACE(Documents);
    virtual std::int32_t count() = 0;
    // Makes the document of that name the active document; raises 5941 when none has that name.
    virtual void activate(const std::string& name) = 0;
};

class CommandBarControl;

class CommandBarControls {
public:
    TELVORA_WORD_INTERFACE(CommandBarControls);
    virtual std::int32_t count() = 0;
    // 1-based; raises 5941 for an index outside 1 to count.
    virtual std::shared_ptr<CommandBarControl> item(std::int32_t index) = 0;
};

class CommandBarControl {
public:
    TELVORA_WORD_INTERFACE(CommandBarControl);
    virtual std::string tag() = 0;
    virtual bool isPopup() = 0;
    // The controls of a pop-up; raises 438 for a control that is not one (a button has no
    // controls). Every call raises 5825 once the control was deleted or dropped by a reset.
    virtual std::shared_ptr<CommandBarControls> controls() = 0;
    virtual void Delete() = 0;
};

class CommandBar {
public:
    TELVORA_WORD_INTERFACE(CommandBar);
    // The first control of the bar, searched through its pop-ups too, with that tag. When there is
    // none the object model's FindControl answers Nothing and a macro's next call on it fails with
    // 91; this call raises that 91 (Word as the source) itself.
    virtual std::shared_ptr<CommandBarControl> findControl(const std::string& tag) = 0;
    virtual void Reset() = 0;
    virtual bool visible() = 0;
    virtual void setVisible(bool visible) = 0;
};

class CommandBars {
public:
    TELVORA_WORD_INTERFACE(CommandBars);
    // Raises 5941 for a bar that does not exist.
    virtual std::shared_ptr<CommandBar> item(const std::string& name) = 0;
};

class AddIn {
public:
    TELVORA_WORD_INTERFACE(AddIn);
    virtual bool installed() = 0;
    virtual void setInstalled(bool installed) = 0;
};

class AddIns {
public:
    TELVORA_WORD_INTERFACE(AddIns);
    // Raises 5941 for a name that is not in the list.
    virtual std::shared_ptr<AddIn> item(const std::string& name) = 0;
    // The add-in of that template, listed and installed; a template listed already answers its
    // entry. Raises 5174 when the file is not there.
    virtual std::shared_ptr<AddIn> add(const std::string& path) = 0;
};

// Named arguments of the application's "PrintOut", called by member name.
using PrintOutArgs = NamedArgs;

class Application {
public:
    TELVORA_WORD_INTERFACE(Application);
    // Raise 91 when no document is open.
    virtual std::shared_ptr<Document> activeDocument() = 0;
    virtual std::shared_ptr<Selection> selection() = 0;
    // The collections are always there, empty or not.
    virtual std::shared_ptr<Documents> documents() = 0;
    virtual std::shared_ptr<CommandBars> commandBars() = 0;
    virtual std::shared_ptr<AddIns> addIns() = 0;

    // "ActivePrinter": a device name written here receives the next print. Writing a name that is
    // not an installed printer raises.
    virtual std::string activePrinter() = 0;
    virtual void setActivePrinter(const std::string& deviceName) = 0;
    // "PrintOut" of the active document with named arguments; with "Background" False it returns
    // when printing is done.
    virtual void PrintOut(const PrintOutArgs& args) = 0;
    // Prints a file given by name (the "FileName" print).
    virtual void printFile(const std::string& path) = 0;
    // The folder Word runs from.
    virtual std::string path() = 0;
    // "StatusBar": the text Word's status bar shows until the next one; "" gives the bar back to
    // Word.
    virtual void setStatusBar(const std::string& text) = 0;
    // The text the status bar shows now, whoever put it there.
    virtual std::string statusBarText() = 0;

    // The window-activation event: one handler, replaced by the next subscription; an empty
    // handler ends the subscription. The handler is given the document and its window, never empty.
    using WindowActivateHandler =
        std::function<void(const std::shared_ptr<Document>&, const std::shared_ptr<Window>&)>;
    virtual void onWindowActivate(WindowActivateHandler handler) = 0;
};

#undef TELVORA_WORD_INTERFACE

}  // namespace telvora::word
