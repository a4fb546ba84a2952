// Building documents for the simulated word processor.
#include "sim/word/document_builder.h"

#include <algorithm>

#include "sim/word/csv_data_source.h"

namespace telvora::sim {
namespace {

[[noreturn]] void misuse(const std::string& what) { throw RuntimeError(err::InvalidProcedureCall, what); }

}  // namespace

DocumentBuilder::DocumentBuilder(std::string name) : model_(std::move(name)) {}

std::uint32_t DocumentBuilder::currentParagraphStyle(StoryKind kind) const {
    const auto& chars = model_.story(kind);
    if (!chars.empty() && chars.back().glyph != "\r") return chars.back().paragraphStyle;
    const auto pending = pendingParagraphStyle_.find(kind);
    return pending == pendingParagraphStyle_.end() ? kNormalStyle : pending->second;
}

void DocumentBuilder::put(std::string_view utf8, const Format& font, std::uint32_t styleId) {
    for (const auto& glyph : splitCharacters(utf8)) {
        model_.append(story_, glyph, font, styleId, currentParagraphStyle(story_));
        if (glyph == "\r") pendingParagraphStyle_.erase(story_);
    }
}

DocumentBuilder& DocumentBuilder::text(std::string_view utf8, const Format& font) {
    put(utf8, font, 0);
    return *this;
}

DocumentBuilder& DocumentBuilder::styled(const std::string& style, std::string_view utf8, const Format& font) {
    put(utf8, font, characterStyle(style));
    return *this;
}

DocumentBuilder& DocumentBuilder::paragraphStyle(const std::string& name) {
    auto* entry = model_.findStyle(name);
    if (!entry) entry = &model_.addStyle(name, wdStyleTypeParagraph);
    if (entry->type != wdStyleTypeParagraph) misuse("The style " + name + " is not a paragraph style.");
    const auto& chars = model_.story(story_);
    if (!chars.empty() && chars.back().glyph != "\r") model_.applyStyle(story_, Span{position(), position()}, entry->id);
    pendingParagraphStyle_[story_] = entry->id;
    return *this;
}

DocumentBuilder& DocumentBuilder::style(const std::string& name, std::int32_t type, const Format& own) {
    auto* entry = model_.findStyle(name);
    if (!entry) entry = &model_.addStyle(name, type);
    if (entry->type != type) misuse("The style " + name + " exists with another type.");
    for (int a = 0; a < word::kFontAttributeCount; ++a) {
        const auto attribute = static_cast<word::FontAttribute>(a);
        if (const auto& v = own.get(attribute)) entry->font.set(attribute, *v);
    }
    return *this;
}

DocumentBuilder& DocumentBuilder::applyStyle(const std::string& style, int start, int end) {
    if (start < 0 || end < start || end > position()) misuse("The span is outside the story.");
    model_.applyStyle(story_, Span{start, end}, characterStyle(style));
    return *this;
}

DocumentBuilder& DocumentBuilder::applyFont(int start, int end, const Format& font) {
    if (start < 0 || end < start || end > position()) misuse("The span is outside the story.");
    for (int a = 0; a < word::kFontAttributeCount; ++a) {
        const auto attribute = static_cast<word::FontAttribute>(a);
        if (const auto& v = font.get(attribute)) model_.setFontValue(story_, Span{start, end}, attribute, *v);
    }
    return *this;
}

DocumentBuilder& DocumentBuilder::field(std::int32_t type, std::string code, std::string_view result,
                                        const Format& font) {
    if (story_ != StoryKind::Main) misuse("Fields are kept in the main text only.");
    FieldEntry entry;
    entry.type = type;
    entry.code = std::move(code);
    entry.start = position();
    text(result, font);
    entry.end = position();
    if (entry.end == entry.start) misuse("A field needs a result to show.");
    model_.fields.push_back(std::move(entry));
    return *this;
}

DocumentBuilder& DocumentBuilder::mergeField(const std::string& dataField, const Format& font) {
    field(wdFieldMergeField, "MERGEFIELD " + dataField, "\xC2\xAB" + dataField + "\xC2\xBB", font);
    model_.fields.back().dataField = dataField;
    return *this;
}

DocumentBuilder& DocumentBuilder::inMain() {
    story_ = StoryKind::Main;
    return *this;
}

DocumentBuilder& DocumentBuilder::inHeader() {
    story_ = StoryKind::Header;
    (void)model_.story(story_);
    return *this;
}

DocumentBuilder& DocumentBuilder::inFooter() {
    story_ = StoryKind::Footer;
    (void)model_.story(story_);
    return *this;
}

DocumentBuilder& DocumentBuilder::inTextBox() {
    story_ = StoryKind::TextBox;
    (void)model_.story(story_);
    return *this;
}

int DocumentBuilder::position() const { return model_.length(story_); }

DocumentBuilder& DocumentBuilder::select(int start, int end) {
    if (start < 0 || end < start) misuse("A selection runs from its start to its end.");
    model_.selection = Span{start, end};
    return *this;
}

DocumentBuilder& DocumentBuilder::select(std::string_view text) {
    const auto needle = splitCharacters(text);
    const auto& chars = model_.story(StoryKind::Main);
    const auto it = std::search(chars.begin(), chars.end(), needle.begin(), needle.end(),
                                [](const Character& c, const std::string& g) { return c.glyph == g; });
    if (needle.empty() || it == chars.end()) misuse("The main text does not contain the text to select.");
    const int start = static_cast<int>(it - chars.begin());
    return select(start, start + static_cast<int>(needle.size()));
}

DocumentBuilder& DocumentBuilder::mergeData(std::string name, std::vector<std::string> fieldNames,
                                            std::vector<std::vector<std::string>> records) {
    for (const auto& r : records)
        if (r.size() != fieldNames.size()) misuse("Every record needs a value for every field.");
    MergeSource source{std::move(name), ',', std::move(fieldNames), std::move(records)};
    model_.merge = MergeState{};
    model_.merge.activeRecord = source.records.empty() ? 0 : 1;
    model_.merge.source = std::move(source);
    return *this;
}

DocumentBuilder& DocumentBuilder::mergeDataFromCsv(const std::filesystem::path& file) {
    auto source = readCsvFile(file);
    return mergeData(std::move(source.name), std::move(source.fieldNames), std::move(source.records));
}

DocumentBuilder& DocumentBuilder::emailEnvelope(bool shown) {
    model_.envelopeVisible = shown;
    return *this;
}

DocumentModel DocumentBuilder::build() const {
    DocumentModel out = model_;
    for (const auto kind : {StoryKind::Main, StoryKind::Header, StoryKind::Footer, StoryKind::TextBox}) {
        if (!out.hasStory(kind)) continue;
        const auto& chars = out.story(kind);
        if (chars.empty() || chars.back().glyph != "\r") out.append(kind, "\r", Format{}, 0, currentParagraphStyle(kind));
    }
    if (out.selection.end > out.length(StoryKind::Main)) misuse("The selection ends beyond the main text.");
    return out;
}

std::uint32_t DocumentBuilder::characterStyle(const std::string& name) {
    if (const auto* entry = model_.findStyle(name)) {
        if (entry->type != word::wdCharacterStyle) misuse("The style " + name + " is not a character style.");
        return entry->id;
    }
    return model_.addStyle(name, word::wdCharacterStyle).id;
}

}  // namespace telvora::sim
