// Reading a .docx into the word processor's document model.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <set>

#include "base/text.h"
#include "sim/docx/docx.h"
#include "sim/docx/field_codes.h"
#include "sim/docx/package.h"
#include "sim/docx/run_properties.h"
#include "sim/docx/xml.h"

namespace telvora::sim::docx {
namespace {

namespace fs = std::filesystem;
using word::FontAttribute;

constexpr double kLargestPageTwips = 22 * 1440;

// A real document has a few hundred styles; each is looked for among those before it by name.
constexpr std::size_t kMaxStyles = 4096;

bool typeIs(const Relationship& r, std::string_view kind) {
    return r.type.size() > kind.size() && r.type.ends_with(kind) && r.type[r.type.size() - kind.size() - 1] == '/';
}

// `top` put over `base`.
Format overlay(Format base, const Format& top) {
    for (int a = 0; a < word::kFontAttributeCount; ++a) {
        const auto attribute = static_cast<FontAttribute>(a);
        if (const auto& v = top.get(attribute)) base.set(attribute, *v);
    }
    return base;
}

// A data source's path from the address a document keeps ("file:///C:\Data\x.csv").
std::string pathFromAddress(std::string address) {
    if (address.size() >= 5 && equalsIgnoringCase(address.substr(0, 5), "file:")) {
        address.erase(0, 5);
        if (address.starts_with("///")) address.erase(0, 3);
        else if (address.starts_with("//")) address = "\\\\" + address.substr(2);
    }
    std::string out;
    for (std::size_t i = 0; i < address.size(); ++i) {
        if (address[i] == '%' && i + 2 < address.size() && std::isxdigit(static_cast<unsigned char>(address[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(address[i + 2]))) {
            out += static_cast<char>(std::stoi(address.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += address[i];
        }
    }
    return out;
}

class Reader {
public:
    Reader(const fs::path& file, const std::string& documentName, const std::string& displayName,
           const DataSourceOpener& openDataSource)
        : package_(file, displayName), model_(documentName), openDataSource_(openDataSource) {}

    DocumentModel read() {
        const auto packageRels = package_.relationships("");
        for (const auto& [id, r] : packageRels)
            if (typeIs(r, "officeDocument") && !r.external) mainPart_ = r.target;
        if (mainPart_.empty()) throw damaged(package_.displayName(), "it has no main document part; it is not a Word document.");
        mainRels_ = package_.relationships(mainPart_);
        if (const auto theme = related("theme")) readTheme(*theme);
        if (const auto styles = related("styles")) readStyles(*styles);

        XmlPart document(package_.read(mainPart_), mainPart_, package_.displayName());
        if (!document.is(document.root(), ns::W, "document"))
            throw document.fault(document.root(), "the main part is not a Word document body.");
        const auto body = document.child(document.root(), ns::W, "body");
        if (!body) throw document.fault(document.root(), "the document has no body.");
        readStory(document, body, StoryKind::Main);
        for (const auto& part : headerParts_) readPartStory(part, "hdr", StoryKind::Header);
        for (const auto& part : footerParts_) readPartStory(part, "ftr", StoryKind::Footer);
        if (const auto settings = related("settings")) readSettings(*settings);
        return std::move(model_);
    }

private:
    struct OpenField {
        std::string code;
        bool inResult = false;
        int start = -1;
    };
    // Where the text being read goes.
    struct Story {
        StoryKind kind = StoryKind::Main;
        const XmlPart* part = nullptr;
        // The fields begun and not yet ended, innermost last.
        std::vector<OpenField> fields;
        // How many of them are still in their code: text read meanwhile is code, not text.
        std::size_t inCode = 0;
        // The open fields a complex field's end cannot close: those of the simple fields the
        // reading is inside, which end with their element.
        std::size_t closable = 0;
        std::uint32_t paragraphStyle = kNormalStyle;
    };

    std::optional<std::string> related(std::string_view kind) const {
        for (const auto& [id, r] : mainRels_)
            if (typeIs(r, kind) && !r.external && package_.has(r.target)) return r.target;
        return std::nullopt;
    }

    void readTheme(const std::string& partName) {
        XmlPart theme(package_.read(partName), partName, package_.displayName());
        const auto elements = theme.child(theme.root(), ns::A, "themeElements");
        const auto scheme = theme.child(elements, ns::A, "fontScheme");
        const auto latin = [&](const char* which) {
            return std::string(theme.child(theme.child(scheme, ns::A, which), ns::A, "latin").attribute("typeface").value());
        };
        theme_.major = latin("majorFont");
        theme_.minor = latin("minorFont");
    }

    void readStyles(const std::string& partName) {
        XmlPart styles(package_.read(partName), partName, package_.displayName());
        struct Raw {
            std::string name;
            std::int32_t type = word::wdCharacterStyle;
            std::string basedOn;
            Format own;
            bool custom = false;
            bool isDefault = false;
        };
        std::map<std::string, Raw> raw;
        std::vector<std::string> order;
        Format defaults;
        if (const auto docDefaults = styles.child(styles.root(), ns::W, "docDefaults")) {
            const auto rPr = styles.child(styles.child(docDefaults, ns::W, "rPrDefault"), ns::W, "rPr");
            defaults = readRunProperties(styles, rPr, theme_);
        }
        for (const auto& node : styles.root().children()) {
            if (!styles.is(node, ns::W, "style")) continue;
            Raw r;
            const std::string id = styles.attribute(node, ns::W, "styleId").value();
            const std::string_view type = styles.attribute(node, ns::W, "type").value();
            r.type = type == "character" ? word::wdCharacterStyle
                     : type == "table"   ? wdStyleTypeTable
                     : type == "numbering" ? wdStyleTypeList
                                           : wdStyleTypeParagraph;
            const char* name = styles.val(styles.child(node, ns::W, "name"));
            r.name = name && *name ? name : id;
            if (const char* base = styles.val(styles.child(node, ns::W, "basedOn"))) r.basedOn = base;
            r.own = readRunProperties(styles, styles.child(node, ns::W, "rPr"), theme_);
            const std::string_view custom = styles.attribute(node, ns::W, "customStyle").value();
            r.custom = custom == "1" || custom == "true" || custom == "on";
            const std::string_view isDefault = styles.attribute(node, ns::W, "default").value();
            r.isDefault = isDefault == "1" || isDefault == "true" || isDefault == "on";
            if (id.empty() || raw.contains(id)) continue;
            // Each style is looked for among the document's by name, one after the other.
            if (order.size() == kMaxStyles)
                throw styles.fault(node, "the document has more than " + std::to_string(kMaxStyles) + " styles.");
            raw[id] = std::move(r);
            order.push_back(id);
        }

        std::string normalId, defaultFontId;
        for (const auto& id : order) {
            const auto& r = raw[id];
            if (r.isDefault && r.type == wdStyleTypeParagraph && normalId.empty()) normalId = id;
            if (r.isDefault && r.type == word::wdCharacterStyle && defaultFontId.empty()) defaultFontId = id;
        }
        // A style's look is its own formatting over the styles it is based on, up to Normal (for a
        // paragraph style) or the default paragraph font (for a character style), which the word
        // processor puts under every style itself. Each look is worked out once, a chain of styles
        // based on each other from its far end, a loop in it ending where it closes.
        std::map<std::string, Format> looks;
        const auto flattened = [&](const std::string& id) {
            std::vector<const std::string*> chain;
            std::set<std::string> seen;
            Format look;
            for (const std::string* at = &id; !at->empty() && raw.contains(*at) && seen.insert(*at).second;) {
                if (*at == normalId || *at == defaultFontId) break;
                if (const auto known = looks.find(*at); known != looks.end()) {
                    look = known->second;
                    break;
                }
                chain.push_back(at);
                at = &raw[*at].basedOn;
            }
            for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
                look = overlay(look, raw[**it].own);
                looks[**it] = look;
            }
            return look;
        };

        // Normal: the document's defaults and Normal's own formatting, where they differ from the
        // word processor's defaults. A file that gives no size means 10 points.
        Format normal = overlay(defaults, normalId.empty() ? Format{} : raw[normalId].own);
        if (!normal.get(FontAttribute::Size)) normal.set(FontAttribute::Size, 10.0f);
        if (!normal.get(FontAttribute::SizeBi)) normal.set(FontAttribute::SizeBi, *normal.get(FontAttribute::Size));
        for (int a = 0; a < word::kFontAttributeCount; ++a) {
            const auto attribute = static_cast<FontAttribute>(a);
            if (const auto& v = normal.get(attribute); v && *v == FontAttributes::defaults()[attribute]) normal.clear(attribute);
        }
        model_.styleById(kNormalStyle)->font = normal;
        if (!normalId.empty()) styleIds_[normalId] = kNormalStyle;
        if (!defaultFontId.empty()) styleIds_[defaultFontId] = model_.findStyle("Default Paragraph Font")->id;

        for (const auto& id : order) {
            if (id == normalId || id == defaultFontId) continue;
            const auto& r = raw[id];
            StyleEntry* entry = model_.findStyle(r.name);
            if (!entry) {
                entry = &model_.addStyle(r.name, r.type);
                entry->builtIn = !r.custom;
                entry->font = flattened(id);
            }
            // A second style of the same name (a damaged but readable file) stands for the first.
            styleIds_[id] = entry->id;
        }
    }

    std::uint32_t styleId(const char* id, std::int32_t type) const {
        if (!id) return 0;
        const auto it = styleIds_.find(id);
        if (it == styleIds_.end()) return type == wdStyleTypeParagraph ? kNormalStyle : 0;
        const auto* entry = model_.styleById(it->second);
        if (entry->type != type) return type == wdStyleTypeParagraph ? kNormalStyle : 0;
        return it->second;
    }

    void readPartStory(const std::string& partName, std::string_view rootName, StoryKind kind) {
        XmlPart part(package_.read(partName), partName, package_.displayName());
        if (!part.is(part.root(), ns::W, rootName)) throw part.fault(part.root(), "the part is not a header or footer.");
        (void)model_.story(kind);
        readStory(part, part.root(), kind);
    }

    void readStory(const XmlPart& part, pugi::xml_node container, StoryKind kind) {
        Story story;
        story.kind = kind;
        story.part = &part;
        Story* outer = story_;
        story_ = &story;
        blocks(container);
        story_ = outer;
    }

    // --- Blocks: paragraphs, tables and the containers around them ---------------------------

    // Calls `visit(node, localName)` for each element of the Word namespace among the children of
    // `parent`, looking into a markup-compatibility alternative as the choice it offers.
    template <class Visit>
    void eachWordElement(pugi::xml_node parent, Visit&& visit) {
        const auto& part = *story_->part;
        for (const auto& node : parent.children()) {
            if (node.type() != pugi::node_element) continue;
            const std::string_view ns = part.namespaceOf(node);
            if (ns == ns::MC && part.localName(node) == "AlternateContent") eachWordElement(chosen(node), visit);
            else if (ns == ns::W) visit(node, part.localName(node));
        }
    }

    void blocks(pugi::xml_node parent) {
        eachWordElement(parent, [&](pugi::xml_node node, std::string_view local) {
            if (local == "p") {
                paragraph(node);
            } else if (local == "sectPr") {
                section(node);
            } else if (local == "tbl" || local == "tr" || local == "tc" || local == "sdt" || local == "sdtContent" ||
                       local == "customXml" || local == "ins" || local == "moveTo") {
                // A table's text is its cells' paragraphs in reading order.
                blocks(node);
            }
        });
    }

    pugi::xml_node chosen(pugi::xml_node alternateContent) const {
        const auto& part = *story_->part;
        if (const auto choice = part.child(alternateContent, ns::MC, "Choice")) return choice;
        return part.child(alternateContent, ns::MC, "Fallback");
    }

    void paragraph(pugi::xml_node p) {
        const auto& part = *story_->part;
        const auto pPr = part.child(p, ns::W, "pPr");
        story_->paragraphStyle = styleId(part.val(part.child(pPr, ns::W, "pStyle")), wdStyleTypeParagraph);
        if (!story_->paragraphStyle) story_->paragraphStyle = kNormalStyle;
        inlines(p);
        // The paragraph mark wears the formatting the paragraph properties give it.
        const auto markPr = part.child(pPr, ns::W, "rPr");
        package_.chargeCharacters(1);
        model_.append(story_->kind, "\r", readRunProperties(part, markPr, theme_),
                      styleId(part.val(part.child(markPr, ns::W, "rStyle")), word::wdCharacterStyle),
                      story_->paragraphStyle);
        if (const auto sectPr = part.child(pPr, ns::W, "sectPr")) section(sectPr);
    }

    void inlines(pugi::xml_node parent) {
        eachWordElement(parent, [&](pugi::xml_node node, std::string_view local) {
            if (local == "r") {
                run(node);
            } else if (local == "fldSimple") {
                simpleField(node);
            } else if (local == "hyperlink" || local == "smartTag" || local == "customXml" || local == "ins" ||
                       local == "moveTo" || local == "sdt" || local == "sdtContent" || local == "dir" || local == "bdo") {
                inlines(node);
            }
            // Deleted text (w:del, w:moveFrom), bookmarks and proofing marks hold nothing shown.
        });
    }

    void run(pugi::xml_node r) {
        const auto& part = *story_->part;
        const auto rPr = part.child(r, ns::W, "rPr");
        const Format format = readRunProperties(part, rPr, theme_);
        const std::uint32_t style = styleId(part.val(part.child(rPr, ns::W, "rStyle")), word::wdCharacterStyle);
        runContent(r, format, style);
    }

    void runContent(pugi::xml_node r, const Format& format, std::uint32_t style) {
        const auto& part = *story_->part;
        eachWordElement(r, [&](pugi::xml_node node, std::string_view local) {
            if (local == "t") {
                put(node, node.text().get(), format, style);
            } else if (local == "instrText") {
                if (!story_->fields.empty() && !story_->fields.back().inResult) story_->fields.back().code += node.text().get();
            } else if (local == "tab" || local == "ptab") {
                put(node, "\t", format, style);
            } else if (local == "br") {
                const std::string_view type = part.attribute(node, ns::W, "type").value();
                put(node, type == "page" || type == "column" ? "\f" : "\v", format, style);
            } else if (local == "cr") {
                put(node, "\v", format, style);
            } else if (local == "noBreakHyphen") {
                // As Word's Range.Text gives them: Chr(30) and Chr(31).
                put(node, kNonBreakingHyphen, format, style);
            } else if (local == "softHyphen") {
                put(node, kOptionalHyphen, format, style);
            } else if (local == "fldChar") {
                fieldCharacter(node);
            } else if (local == "drawing" || local == "pict" || local == "object") {
                textBoxesIn(node);
            }
        });
    }

    int length() const { return model_.length(story_->kind); }

    // Text goes into the story unless it is part of a field's code.
    void put(pugi::xml_node node, std::string_view text, const Format& format, std::uint32_t style) {
        if (story_->inCode > 0) return;
        if (!isValidUtf8(text)) throw story_->part->fault(node, "the text is not UTF-8.");
        // Line ends inside a text element are white space; the structure carries Word's breaks. In
        // UTF-8 they are bytes of their own, never part of another character.
        std::string clean(text);
        std::replace_if(clean.begin(), clean.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
        package_.chargeCharacters(characterCount(text));
        model_.append(story_->kind, clean, format, style, story_->paragraphStyle);
    }

    // A simple field holds its result; a complex field begun inside it and left open ends with it.
    void simpleField(pugi::xml_node node) {
        auto& story = *story_;
        openField({story.part->attribute(node, ns::W, "instr").value(), true, length()});
        const std::size_t own = story.fields.size();
        const std::size_t outer = std::exchange(story.closable, own);
        inlines(node);
        while (story.fields.size() > own) closeField();
        story.closable = outer;
        closeField();
    }

    void fieldCharacter(pugi::xml_node node) {
        const std::string_view type = story_->part->attribute(node, ns::W, "fldCharType").value();
        auto& story = *story_;
        if (type == "begin") {
            openField({});
        } else if (type == "separate") {
            if (story.fields.size() > story.closable && !story.fields.back().inResult) {
                story.fields.back().inResult = true;
                story.fields.back().start = length();
                --story.inCode;
            }
        } else if (type == "end") {
            // An end with no field of its own to close (one too many, or inside a simple field
            // that holds no begin) ends nothing.
            if (story.fields.size() > story.closable) closeField();
        }
    }

    void openField(OpenField field) {
        if (!field.inResult) ++story_->inCode;
        story_->fields.push_back(std::move(field));
    }

    void closeField() {
        auto& story = *story_;
        OpenField field = std::move(story.fields.back());
        story.fields.pop_back();
        if (!field.inResult) --story.inCode;
        // A field inside another field's code is part of that code, not of the text.
        if (story.inCode > 0) return;
        FieldEntry entry;
        entry.story = story_->kind;
        entry.code = trimBlanks(field.code);
        entry.type = fieldTypeOf(entry.code);
        if (entry.type == wdFieldMergeField) entry.dataField = mergeFieldName(entry.code);
        entry.end = length();
        entry.start = field.start < 0 ? entry.end : field.start;
        (story_->kind == StoryKind::Main ? model_.fields : model_.storyFields).push_back(std::move(entry));
    }

    // The text boxes a drawing holds, each read into the text box story.
    void textBoxesIn(pugi::xml_node node) {
        const auto& part = *story_->part;
        for (const auto& c : node.children()) {
            if (c.type() != pugi::node_element) continue;
            if (part.is(c, ns::MC, "AlternateContent")) {
                textBoxesIn(chosen(c));
            } else if (part.is(c, ns::W, "txbxContent")) {
                (void)model_.story(StoryKind::TextBox);
                readStory(part, c, StoryKind::TextBox);
            } else {
                textBoxesIn(c);
            }
        }
    }

    void section(pugi::xml_node sectPr) {
        const auto& part = *story_->part;
        const auto twips = [&](pugi::xml_node node, const char* name, double& out) {
            const auto a = part.attribute(node, ns::W, name);
            if (!a) return;
            char* end = nullptr;
            const double value = std::strtod(a.value(), &end);
            if (end == a.value() || *end != '\0' || !std::isfinite(value))
                throw part.fault(node, std::string("the page measure w:") + name + " is not a number.");
            // Word's largest page is 22 inches a side, and no margin is wider than the page.
            if (std::fabs(value) > kLargestPageTwips)
                throw part.fault(node, std::string("the page measure w:") + name + " is more than 22 inches.");
            out = std::fabs(value) / 20.0;
        };
        PageSetup page = model_.page;
        const auto size = part.child(sectPr, ns::W, "pgSz");
        twips(size, "w", page.width);
        twips(size, "h", page.height);
        const auto margins = part.child(sectPr, ns::W, "pgMar");
        twips(margins, "top", page.top);
        twips(margins, "bottom", page.bottom);
        twips(margins, "left", page.left);
        twips(margins, "right", page.right);
        twips(margins, "header", page.header);
        twips(margins, "footer", page.footer);
        if (page.width < 72 || page.height < 72 || page.left + page.right >= page.width - 36 ||
            page.top + page.bottom >= page.height - 36)
            throw part.fault(sectPr, "the page leaves no room for text between its margins.");
        model_.page = page;
        for (const auto& node : sectPr.children()) {
            const bool header = part.is(node, ns::W, "headerReference");
            if (!header && !part.is(node, ns::W, "footerReference")) continue;
            const std::string id = part.attribute(node, ns::R, "id").value();
            const auto it = mainRels_.find(id);
            if (it == mainRels_.end() || it->second.external)
                throw part.fault(node, "the header or footer \"" + id + "\" is not in the package.");
            auto& parts = header ? headerParts_ : footerParts_;
            if (storyParts_.emplace(header, it->second.target).second) parts.push_back(it->second.target);
        }
    }

    void readSettings(const std::string& partName) {
        XmlPart settings(package_.read(partName), partName, package_.displayName());
        const auto mailMerge = settings.child(settings.root(), ns::W, "mailMerge");
        if (!mailMerge) return;
        std::string path;
        if (const auto dataSource = settings.child(mailMerge, ns::W, "dataSource")) {
            const auto rels = package_.relationships(partName);
            const auto it = rels.find(settings.attribute(dataSource, ns::R, "id").value());
            if (it != rels.end()) path = pathFromAddress(it->second.target);
        }
        if (path.empty()) {
            // Without a link, the query names the file: SELECT * FROM `C:\Data\Customers.csv`.
            const char* queryText = settings.val(settings.child(mailMerge, ns::W, "query"));
            const std::string query = queryText ? queryText : "";
            const auto from = lowerAscii(query).find(" from ");
            if (from != std::string::npos) {
                path = trimBlanks(query.substr(from + 6));
                if (path.size() >= 2 && (path.front() == '`' || path.front() == '"' || path.front() == '[')) path = path.substr(1, path.size() - 2);
            }
        }
        if (path.empty()) return;  // merge settings with no data source attached yet

        std::optional<char> delimiter;
        const auto odso = settings.child(mailMerge, ns::W, "odso");
        if (const char* column = settings.val(settings.child(odso, ns::W, "colDelim"))) {
            const int code = std::atoi(column);
            if (code > 0 && code < 128) delimiter = static_cast<char>(code);
        }
        if (!openDataSource_)
            throw wordError(wderr::DataSourceUnreadable, "Word was unable to open the data source \"" + path + "\".");
        MergeState merge;
        merge.source = openDataSource_(path, delimiter);
        merge.activeRecord = merge.source->records.empty() ? 0 : 1;
        if (const char* active = settings.val(settings.child(mailMerge, ns::W, "activeRecord"))) {
            const int record = std::atoi(active);
            if (record >= 1 && record <= static_cast<int>(merge.source->records.size())) merge.activeRecord = record;
        }
        if (const char* destination = settings.val(settings.child(mailMerge, ns::W, "destination"))) {
            const std::string_view d(destination);
            merge.destination = d == "printer" ? 1 : d == "email" ? 2 : d == "fax" ? 3 : word::wdSendToNewDocument;
        }
        model_.merge = std::move(merge);
    }

    PackageReader package_;
    DocumentModel model_;
    const DataSourceOpener& openDataSource_;
    ThemeFonts theme_;
    std::map<std::string, std::uint32_t> styleIds_;
    std::string mainPart_;
    std::map<std::string, Relationship> mainRels_;
    std::vector<std::string> headerParts_;
    std::vector<std::string> footerParts_;
    std::set<std::pair<bool, std::string>> storyParts_;  // both of them, a header's with `true`
    Story* story_ = nullptr;
};

}  // namespace

DocumentModel readDocx(const fs::path& file, const std::string& documentName, const std::string& displayName,
                       const DataSourceOpener& openDataSource) {
    DocumentModel model = Reader(file, documentName, displayName, openDataSource).read();
    // Every story ends with a paragraph mark, as Word's do: a header or text box without a
    // paragraph too.
    for (const auto kind : {StoryKind::Main, StoryKind::Header, StoryKind::Footer, StoryKind::TextBox})
        if ((kind == StoryKind::Main || model.hasStory(kind)) && model.length(kind) == 0) model.append(kind, "\r", Format{}, 0);
    return model;
}

}  // namespace telvora::sim::docx
