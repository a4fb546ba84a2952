// The in-memory document: characters, fonts, styles, searches and the merge of records.
#include "sim/word/word_model.h"

#include <algorithm>
#include <cmath>

#include "base/conversions.h"

namespace telvora::sim {

using word::FontAttribute;
using word::FontValue;

RuntimeError wordError(std::int32_t number, std::string description) {
    return RuntimeError(number, std::move(description), "Microsoft Word");
}

namespace {

enum class AttributeKind { Boolean, Whole, Points, Text };

AttributeKind kindOf(FontAttribute a) {
    switch (a) {
    case FontAttribute::Spacing:
    case FontAttribute::Size:
    case FontAttribute::SizeBi: return AttributeKind::Points;
    case FontAttribute::Name: return AttributeKind::Text;
    case FontAttribute::EmphasisMark:
    case FontAttribute::Color:
    case FontAttribute::ColorIndex:
    case FontAttribute::ColorIndexBi:
    case FontAttribute::DiacriticColor:
    case FontAttribute::Underline:
    case FontAttribute::UnderlineColor:
    case FontAttribute::Animation: return AttributeKind::Whole;
    default: return AttributeKind::Boolean;
    }
}

// A numeric value as a whole number, rounded as Word rounds a property value.
std::optional<double> numberOf(const FontValue& v) {
    if (const auto* i = std::get_if<std::int32_t>(&v)) return *i;
    if (const auto* f = std::get_if<float>(&v)) return *f;
    return std::nullopt;
}

}  // namespace

const FontAttributes& FontAttributes::defaults() {
    static const FontAttributes normal = [] {
        FontAttributes f;
        for (auto& v : f.values) v = std::int32_t{0};
        constexpr std::int32_t wdColorAutomatic = -16777216;
        f[FontAttribute::Spacing] = 0.0f;
        f[FontAttribute::Size] = 12.0f;
        f[FontAttribute::SizeBi] = 12.0f;
        f[FontAttribute::Color] = wdColorAutomatic;
        f[FontAttribute::DiacriticColor] = wdColorAutomatic;
        f[FontAttribute::UnderlineColor] = wdColorAutomatic;
        f[FontAttribute::Name] = std::string("Times New Roman");
        return f;
    }();
    return normal;
}

FontChange convertFontValue(FontAttribute attribute, const FontValue& value) {
    const auto kind = kindOf(attribute);
    if (kind == AttributeKind::Text) {
        const auto* s = std::get_if<std::string>(&value);
        if (!s) throw RuntimeError::standard(err::TypeMismatch, "Microsoft Word");
        if (s->empty()) return {FontChange::Kind::Keep, {}};
        return {FontChange::Kind::Set, *s};
    }
    const auto n = numberOf(value);
    if (!n) throw RuntimeError::standard(err::TypeMismatch, "Microsoft Word");
    if (*n == wdUndefined) return {FontChange::Kind::Keep, {}};
    if (kind == AttributeKind::Points) {
        const bool isSize = attribute != FontAttribute::Spacing;
        if (isSize && (*n < 1.0 || *n > 1638.0)) throw wordError(wderr::ValueOutOfRange, "Value out of range");
        return {FontChange::Kind::Set, static_cast<float>(*n)};
    }
    const auto whole = static_cast<std::int32_t>(std::lround(*n));
    if (kind == AttributeKind::Boolean) {
        if (whole == wdToggle) return {FontChange::Kind::Toggle, {}};
        return {FontChange::Kind::Set, std::int32_t{whole == 0 ? 0 : -1}};
    }
    return {FontChange::Kind::Set, whole};
}

Format& Format::set(FontAttribute attribute, FontValue value) {
    const auto change = convertFontValue(attribute, value);
    if (change.kind != FontChange::Kind::Set)
        throw RuntimeError(err::InvalidProcedureCall, std::string("A format needs a definite value for ") +
                                                          word::fontAttributeName(attribute) + ".");
    values_[static_cast<int>(attribute)] = change.value;
    return *this;
}

bool Format::empty() const {
    return std::none_of(values_.begin(), values_.end(), [](const auto& v) { return v.has_value(); });
}

FontAttributes Format::over(const FontAttributes& base) const {
    FontAttributes out = base;
    for (std::size_t i = 0; i < values_.size(); ++i)
        if (values_[i]) out.values[i] = *values_[i];
    return out;
}

DocumentModel::DocumentModel(std::string documentName) : name(std::move(documentName)) {
    stories_[StoryKind::Main];
    internFormat(Format{});
    auto& normal = addStyle("Normal", wdStyleTypeParagraph);
    normal.builtIn = true;
    auto& paragraphFont = addStyle("Default Paragraph Font", word::wdCharacterStyle);
    paragraphFont.builtIn = true;
}

const std::vector<Character>& DocumentModel::story(StoryKind kind) const {
    static const std::vector<Character> none;
    const auto it = stories_.find(kind);
    return it == stories_.end() ? none : it->second;
}

std::vector<Character>& DocumentModel::story(StoryKind kind) { return stories_[kind]; }

std::string DocumentModel::text(StoryKind kind, int start, int end) const {
    const auto& chars = story(kind);
    std::string out;
    for (int i = std::max(start, 0); i < end && i < static_cast<int>(chars.size()); ++i) out += chars[i].glyph;
    return out;
}

void DocumentModel::append(StoryKind kind, std::string_view utf8, const Format& direct, std::uint32_t styleId,
                           std::uint32_t paragraphStyleId) {
    const auto formatId = internFormat(direct);
    auto& chars = story(kind);
    for (auto& glyph : splitCharacters(utf8)) chars.push_back({std::move(glyph), styleId, formatId, paragraphStyleId});
}

std::uint32_t DocumentModel::internFormat(const Format& direct) {
    if (const auto it = formatIndex_.find(direct); it != formatIndex_.end()) return it->second;
    const auto id = static_cast<std::uint32_t>(formats_.size());
    formats_.push_back(direct);
    formatIndex_.emplace(direct, id);
    return id;
}

FontAttributes DocumentModel::styleLook(std::uint32_t id) const {
    const auto* normal = styleById(kNormalStyle);
    const FontAttributes normalLook = normal->font.over(FontAttributes::defaults());
    const auto* entry = styleById(id);
    if (!entry || entry->deleted || id == kNormalStyle) return normalLook;
    return entry->font.over(normalLook);
}

FontAttributes DocumentModel::fontAt(StoryKind kind, int position) const {
    const auto& chars = story(kind);
    if (chars.empty()) return styleLook(kNormalStyle);
    const auto& c = chars.at(static_cast<std::size_t>(std::clamp(position, 0, static_cast<int>(chars.size()) - 1)));
    FontAttributes look = styleLook(c.paragraphStyle);
    if (const auto* style = styleById(c.style); style && !style->deleted) look = style->font.over(look);
    return formats_.at(c.direct).over(look);
}

const Format& DocumentModel::directAt(StoryKind kind, int position) const {
    return formats_.at(story(kind).at(static_cast<std::size_t>(position)).direct);
}

FontValue DocumentModel::fontValue(StoryKind kind, Span span, FontAttribute attribute) const {
    if (span.end <= span.start) return fontAt(kind, span.start)[attribute];
    const FontValue first = fontAt(kind, span.start)[attribute];
    for (int i = span.start + 1; i < span.end; ++i) {
        if (fontAt(kind, i)[attribute] != first) {
            switch (kindOf(attribute)) {
            case AttributeKind::Text: return std::string();
            case AttributeKind::Points: return static_cast<float>(wdUndefined);
            default: return std::int32_t{wdUndefined};
            }
        }
    }
    return first;
}

void DocumentModel::setFontValue(StoryKind kind, Span span, FontAttribute attribute, const FontValue& value) {
    const auto change = convertFontValue(attribute, value);
    if (change.kind == FontChange::Kind::Keep) return;
    auto& chars = story(kind);
    for (int i = span.start; i < span.end; ++i) {
        Format direct = formats_.at(chars.at(i).direct);
        if (change.kind == FontChange::Kind::Toggle)
            direct.set(attribute, std::int32_t{std::get<std::int32_t>(fontAt(kind, i)[attribute]) == 0 ? -1 : 0});
        else
            direct.set(attribute, change.value);
        chars[i].direct = internFormat(direct);
    }
}

StyleEntry* DocumentModel::findStyle(std::string_view styleName) {
    for (auto& s : styles_)
        if (!s.deleted && equalsIgnoringCase(s.name, styleName)) return &s;
    return nullptr;
}

StyleEntry* DocumentModel::styleById(std::uint32_t id) {
    return id == 0 || id > styles_.size() ? nullptr : &styles_[id - 1];
}

const StyleEntry* DocumentModel::styleById(std::uint32_t id) const {
    return id == 0 || id > styles_.size() ? nullptr : &styles_[id - 1];
}

StyleEntry& DocumentModel::addStyle(const std::string& styleName, std::int32_t type) {
    if (styleName.empty()) throw wordError(err::InvalidProcedureCall, "A style needs a name.");
    if (type < wdStyleTypeParagraph || type > wdStyleTypeList) throw wordError(wderr::ValueOutOfRange, "Value out of range");
    if (findStyle(styleName))
        throw wordError(wderr::StyleNameExists,
                        "This style name already exists or is reserved for a built-in style.");
    StyleEntry entry;
    entry.id = static_cast<std::uint32_t>(styles_.size() + 1);
    entry.name = styleName;
    entry.type = type;
    styles_.push_back(std::move(entry));
    return styles_.back();
}

void DocumentModel::deleteStyle(std::uint32_t id) {
    auto* entry = styleById(id);
    if (!entry || entry->deleted) throw wordError(wderr::ObjectDeleted, "Object has been deleted.");
    if (entry->builtIn) throw wordError(wderr::CommandNotAvailable, "A built-in style cannot be deleted.");
    for (auto& [kind, chars] : stories_) {
        for (auto& c : chars) {
            if (c.style == id) c.style = 0;
            if (c.paragraphStyle == id) c.paragraphStyle = kNormalStyle;
        }
    }
    entry->deleted = true;
}

Span DocumentModel::paragraphsOf(StoryKind kind, Span span) const {
    const auto& chars = story(kind);
    const int n = static_cast<int>(chars.size());
    int start = std::clamp(span.start, 0, n);
    while (start > 0 && chars[start - 1].glyph != "\r") --start;
    // The paragraph of the last character of the span, or of the insertion point.
    int end = std::clamp(std::max(span.end - 1, span.start), 0, n);
    while (end < n && chars[end].glyph != "\r") ++end;
    return Span{start, std::min(end + 1, n)};
}

void DocumentModel::applyStyle(StoryKind kind, Span span, std::uint32_t id) {
    const auto* entry = styleById(id);
    if (!entry || entry->deleted) throw wordError(wderr::ObjectDeleted, "Object has been deleted.");
    auto& chars = story(kind);
    if (entry->type == word::wdCharacterStyle) {
        for (int i = span.start; i < span.end; ++i) chars.at(i).style = id;
    } else if (entry->type == wdStyleTypeParagraph) {
        const auto paragraphs = paragraphsOf(kind, span);
        for (int i = paragraphs.start; i < paragraphs.end; ++i) chars[i].paragraphStyle = id;
    } else {
        throw wordError(wderr::CommandNotAvailable,
                        "The style " + entry->name + " formats tables or lists and cannot be applied to text.");
    }
}

std::string DocumentModel::styleNameAt(StoryKind kind, int position) const {
    const auto* entry = styleById(story(kind).at(position).style);
    return entry ? entry->name : std::string();
}

std::string DocumentModel::paragraphStyleNameAt(StoryKind kind, int position) const {
    return styleById(story(kind).at(position).paragraphStyle)->name;
}

bool DocumentModel::carries(const Character& c, std::uint32_t styleId) const {
    const auto* entry = styleById(styleId);
    return entry && entry->type == wdStyleTypeParagraph ? c.paragraphStyle == styleId : c.style == styleId;
}

std::optional<Span> DocumentModel::findStyleRun(StoryKind kind, Span within, std::uint32_t styleId,
                                                bool forward) const {
    const auto& chars = story(kind);
    const int lo = std::max(within.start, 0);
    const int hi = std::min(within.end, static_cast<int>(chars.size()));
    if (styleId == 0 || lo >= hi) return std::nullopt;
    const auto carries = [&](int i) { return this->carries(chars[i], styleId); };
    if (forward) {
        for (int i = lo; i < hi; ++i) {
            if (!carries(i)) continue;
            int end = i;
            while (end < hi && carries(end)) ++end;
            return Span{i, end};
        }
    } else {
        for (int i = hi - 1; i >= lo; --i) {
            if (!carries(i)) continue;
            int start = i;
            while (start > lo && carries(start - 1)) --start;
            return Span{start, i + 1};
        }
    }
    return std::nullopt;
}

std::optional<Span> DocumentModel::findText(StoryKind kind, Span within, const std::vector<std::string>& needle,
                                            std::uint32_t styleId, bool forward) const {
    const auto& chars = story(kind);
    const int lo = std::max(within.start, 0);
    const int hi = std::min(within.end, static_cast<int>(chars.size()));
    const int n = static_cast<int>(needle.size());
    if (n == 0 || hi - lo < n) return std::nullopt;
    const auto matchesAt = [&](int at) {
        for (int k = 0; k < n; ++k) {
            const auto& c = chars[at + k];
            if (lowerAscii(c.glyph) != lowerAscii(needle[k])) return false;
            if (styleId != 0 && !carries(c, styleId)) return false;
        }
        return true;
    };
    if (forward) {
        for (int at = lo; at + n <= hi; ++at)
            if (matchesAt(at)) return Span{at, at + n};
    } else {
        for (int at = hi - n; at >= lo; --at)
            if (matchesAt(at)) return Span{at, at + n};
    }
    return std::nullopt;
}

DocumentModel DocumentModel::mergeRecords(std::string newName, const std::vector<int>& recordNumbers) const {
    // The main document's stories, formatting, styles and page, and nothing of its mail merge: a
    // whole copy would copy the data source, every record of it, for each merged document, and a
    // merge's time would grow with the square of its records.
    DocumentModel out(std::move(newName));
    out.stories_ = stories_;
    out.formats_ = formats_;
    out.formatIndex_ = formatIndex_;
    out.styles_ = styles_;
    out.storyFields = storyFields;
    out.page = page;

    const auto& source = merge.source.value();
    const auto& main = story(StoryKind::Main);
    std::vector<FieldEntry> ordered = fields;
    std::sort(ordered.begin(), ordered.end(), [](const auto& a, const auto& b) { return a.start < b.start; });

    std::vector<Character> merged;
    for (std::size_t r = 0; r < recordNumbers.size(); ++r) {
        const auto& record = source.records.at(static_cast<std::size_t>(recordNumbers[r] - 1));
        if (r > 0) merged.push_back({"\f", 0, 0, kNormalStyle});  // Word's section break between merged records
        std::size_t nextField = 0;
        for (int i = 0; i < static_cast<int>(main.size());) {
            while (nextField < ordered.size() && ordered[nextField].start < i) ++nextField;
            if (nextField < ordered.size() && ordered[nextField].start == i && ordered[nextField].end > i) {
                const auto& field = ordered[nextField];
                if (field.type == wdFieldMergeField) {
                    std::string value;
                    for (std::size_t k = 0; k < source.fieldNames.size(); ++k)
                        if (equalsIgnoringCase(source.fieldNames[k], field.dataField)) value = record.at(k);
                    // A line break inside a data value becomes a paragraph mark, as text in Word.
                    std::string normalised;
                    for (std::size_t k = 0; k < value.size(); ++k) {
                        if (value[k] == '\r' && k + 1 < value.size() && value[k + 1] == '\n') continue;
                        normalised += value[k] == '\n' ? '\r' : value[k];
                    }
                    // The value wears the formatting of the field it replaces.
                    for (auto& glyph : splitCharacters(normalised)) {
                        Character c = main[i];
                        c.glyph = std::move(glyph);
                        merged.push_back(std::move(c));
                    }
                } else {
                    FieldEntry copy = field;
                    copy.start = static_cast<int>(merged.size());
                    copy.end = copy.start + (field.end - field.start);
                    out.fields.push_back(copy);
                    merged.insert(merged.end(), main.begin() + field.start, main.begin() + field.end);
                }
                i = field.end;
                ++nextField;
                continue;
            }
            merged.push_back(main[i]);
            ++i;
        }
    }
    out.stories_[StoryKind::Main] = std::move(merged);
    return out;
}

}  // namespace telvora::sim
