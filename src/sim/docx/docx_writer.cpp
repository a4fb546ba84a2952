// Writing the word processor's document model as a .docx.
#include <algorithm>
#include <cctype>
#include <map>
#include <set>

#include "sim/docx/docx.h"
#include "sim/docx/package.h"
#include "sim/docx/run_properties.h"
#include "sim/docx/xml.h"

namespace telvora::sim::docx {
namespace {

namespace fs = std::filesystem;

constexpr const char* kRelationshipBase = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
constexpr const char* kContentTypeBase = "application/vnd.openxmlformats-officedocument.wordprocessingml.";

// The code point of one character (a glyph of the model: one code point, UTF-8).
char32_t codePoint(const std::string& glyph) {
    const auto* b = reinterpret_cast<const unsigned char*>(glyph.data());
    if (glyph.empty()) return 0;
    if (b[0] < 0x80) return b[0];
    const int extra = b[0] >= 0xF0 ? 3 : b[0] >= 0xE0 ? 2 : 1;
    char32_t c = b[0] & (0x3F >> extra);
    for (int k = 1; k <= extra && k < static_cast<int>(glyph.size()); ++k) c = (c << 6) | (b[k] & 0x3F);
    return c;
}

std::string twips(double points) { return std::to_string(static_cast<long long>(points * 20 + (points >= 0 ? 0.5 : -0.5))); }

class Writer {
public:
    explicit Writer(const DocumentModel& document) : doc_(document) { nameStyles(); }

    PackageWriter write() {
        const bool header = doc_.hasStory(StoryKind::Header);
        const bool footer = doc_.hasStory(StoryKind::Footer);
        const bool merge = doc_.merge.source.has_value();

        PackageWriter package;
        package.add("[Content_Types].xml", contentTypes(header, footer));
        package.add("_rels/.rels", relationships({{"rId1", "officeDocument", "word/document.xml", false}}));
        package.add("word/document.xml", document(header, footer));
        std::vector<Relationship> rels = {{"rId1", "styles", "styles.xml", false}, {"rId2", "settings", "settings.xml", false}};
        if (header) rels.push_back({"rId3", "header", "header1.xml", false});
        if (footer) rels.push_back({"rId4", "footer", "footer1.xml", false});
        package.add("word/_rels/document.xml.rels", relationships(rels));
        package.add("word/styles.xml", styles());
        package.add("word/settings.xml", settings());
        if (merge) {
            package.add("word/_rels/settings.xml.rels",
                        relationships({{"rId1", "mailMergeSource", "file:///" + doc_.merge.source->name, true}}));
        }
        if (header) package.add("word/header1.xml", storyPart("w:hdr", StoryKind::Header));
        if (footer) package.add("word/footer1.xml", storyPart("w:ftr", StoryKind::Footer));
        return package;
    }

private:
    // Style ids are the names without what an id may not hold, made unique.
    void nameStyles() {
        std::set<std::string> used;
        for (const auto& s : doc_.styles()) {
            if (s.deleted) continue;
            std::string id;
            for (const char c : s.name)
                if (std::isalnum(static_cast<unsigned char>(c))) id += c;
            if (id.empty()) id = "Style";
            std::string unique = id;
            for (int n = 2; used.contains(unique); ++n) unique = id + std::to_string(n);
            used.insert(unique);
            ids_[s.id] = unique;
        }
    }

    static void declare(pugi::xml_node root) {
        root.append_attribute("xmlns:w") = ns::W;
        root.append_attribute("xmlns:r") = ns::R;
        root.append_attribute("xmlns:v") = ns::V;
    }

    std::string contentTypes(bool header, bool footer) const {
        pugi::xml_document xml;
        auto types = xml.append_child("Types");
        types.append_attribute("xmlns") = ns::ContentTypes;
        const auto byExtension = [&](const char* extension, const char* type) {
            auto d = types.append_child("Default");
            d.append_attribute("Extension") = extension;
            d.append_attribute("ContentType") = type;
        };
        const auto part = [&](const char* name, const std::string& type) {
            auto o = types.append_child("Override");
            o.append_attribute("PartName") = name;
            o.append_attribute("ContentType") = (kContentTypeBase + type).c_str();
        };
        byExtension("rels", "application/vnd.openxmlformats-package.relationships+xml");
        byExtension("xml", "application/xml");
        part("/word/document.xml", "document.main+xml");
        part("/word/styles.xml", "styles+xml");
        part("/word/settings.xml", "settings+xml");
        if (header) part("/word/header1.xml", "header+xml");
        if (footer) part("/word/footer1.xml", "footer+xml");
        return serialize(xml);
    }

    static std::string relationships(const std::vector<Relationship>& list) {
        pugi::xml_document xml;
        auto root = xml.append_child("Relationships");
        root.append_attribute("xmlns") = ns::PackageRelationships;
        for (const auto& r : list) {
            auto node = root.append_child("Relationship");
            node.append_attribute("Id") = r.id.c_str();
            node.append_attribute("Type") = (kRelationshipBase + r.type).c_str();
            node.append_attribute("Target") = r.target.c_str();
            if (r.external) node.append_attribute("TargetMode") = "External";
        }
        return serialize(xml);
    }

    std::string document(bool header, bool footer) const {
        pugi::xml_document xml;
        auto root = xml.append_child("w:document");
        declare(root);
        auto body = root.append_child("w:body");
        writeStory(body, StoryKind::Main);
        auto sectPr = body.append_child("w:sectPr");
        if (header) {
            auto ref = sectPr.append_child("w:headerReference");
            ref.append_attribute("w:type") = "default";
            ref.append_attribute("r:id") = "rId3";
        }
        if (footer) {
            auto ref = sectPr.append_child("w:footerReference");
            ref.append_attribute("w:type") = "default";
            ref.append_attribute("r:id") = "rId4";
        }
        const auto& page = doc_.page;
        auto size = sectPr.append_child("w:pgSz");
        size.append_attribute("w:w") = twips(page.width).c_str();
        size.append_attribute("w:h") = twips(page.height).c_str();
        if (page.width > page.height) size.append_attribute("w:orient") = "landscape";
        auto margins = sectPr.append_child("w:pgMar");
        margins.append_attribute("w:top") = twips(page.top).c_str();
        margins.append_attribute("w:right") = twips(page.right).c_str();
        margins.append_attribute("w:bottom") = twips(page.bottom).c_str();
        margins.append_attribute("w:left") = twips(page.left).c_str();
        margins.append_attribute("w:header") = twips(page.header).c_str();
        margins.append_attribute("w:footer") = twips(page.footer).c_str();
        margins.append_attribute("w:gutter") = "0";
        return serialize(xml);
    }

    std::string storyPart(const char* rootName, StoryKind kind) const {
        pugi::xml_document xml;
        auto root = xml.append_child(rootName);
        declare(root);
        writeStory(root, kind);
        return serialize(xml);
    }

    // The paragraphs of a story, with their runs and fields; the main story's first paragraph
    // anchors the text box.
    void writeStory(pugi::xml_node container, StoryKind kind) const {
        const auto& chars = doc_.story(kind);
        const int n = static_cast<int>(chars.size());
        std::vector<FieldEntry> fields;
        for (const auto& f : kind == StoryKind::Main ? doc_.fields : doc_.storyFields)
            if (f.story == kind && f.start >= 0 && f.end <= n && f.start <= f.end) fields.push_back(f);
        // Outer fields first where two begin together, so nested fields close inside out. Of two
        // with the same span the later is the outer, as a field ends after those inside it: read
        // back, the fields come in the same order.
        std::reverse(fields.begin(), fields.end());
        std::stable_sort(fields.begin(), fields.end(), [](const auto& a, const auto& b) {
            return a.start != b.start ? a.start < b.start : a.end > b.end;
        });

        std::size_t nextBegin = 0;
        std::vector<const FieldEntry*> open;
        int start = 0;
        while (start < n) {
            int end = start;
            while (end < n && chars[end].glyph != "\r") ++end;
            auto p = container.append_child("w:p");
            paragraphProperties(p, kind, end < n ? end : n - 1);
            if (kind == StoryKind::Main && start == 0 && doc_.hasStory(StoryKind::TextBox)) textBox(p);
            const bool last = end >= n - 1;
            for (int i = start; i <= std::min(end, n); ++i) {
                // Fields that end here close before new ones begin; empty fields that begin here
                // end here, inside each other like fields of one span.
                const auto closeEnded = [&] {
                    while (!open.empty() && open.back()->end <= i) {
                        fieldCharacter(p, "end");
                        open.pop_back();
                    }
                };
                closeEnded();
                while (nextBegin < fields.size() && fields[nextBegin].start == i) {
                    const auto& f = fields[nextBegin++];
                    fieldCharacter(p, "begin");
                    auto instr = p.append_child("w:r").append_child("w:instrText");
                    instr.append_attribute("xml:space") = "preserve";
                    instr.text() = (" " + xmlText(f.code) + " ").c_str();
                    fieldCharacter(p, "separate");
                    open.push_back(&f);
                }
                closeEnded();
                if (i >= end || i >= n) break;
                i = run(p, kind, i, end, fields, nextBegin, open) - 1;
            }
            if (last) {
                while (!open.empty()) {
                    fieldCharacter(p, "end");
                    open.pop_back();
                }
            }
            start = end + 1;
        }
        if (n == 0) container.append_child("w:p");
    }

    void paragraphProperties(pugi::xml_node p, StoryKind kind, int mark) const {
        if (mark < 0) return;
        const auto& c = doc_.story(kind)[mark];
        const auto& direct = doc_.directAt(kind, mark);
        const bool styled = c.paragraphStyle != kNormalStyle && ids_.contains(c.paragraphStyle);
        const bool markStyled = c.style != 0 && ids_.contains(c.style);
        if (!styled && !markStyled && direct.empty()) return;
        auto pPr = p.append_child("w:pPr");
        if (styled) pPr.append_child("w:pStyle").append_attribute("w:val") = ids_.at(c.paragraphStyle).c_str();
        if (markStyled || !direct.empty()) {
            auto rPr = pPr.append_child("w:rPr");
            if (markStyled) rPr.append_child("w:rStyle").append_attribute("w:val") = ids_.at(c.style).c_str();
            writeRunProperties(rPr, direct);
        }
    }

    // One run from `i`: characters of the same style and formatting, up to the paragraph's end or
    // the next field boundary. Answers where the run stopped.
    int run(pugi::xml_node p, StoryKind kind, int i, int end, const std::vector<FieldEntry>& fields, std::size_t nextBegin,
            const std::vector<const FieldEntry*>& open) const {
        const auto& chars = doc_.story(kind);
        int stop = end;
        if (nextBegin < fields.size()) stop = std::min(stop, std::max(fields[nextBegin].start, i + 1));
        // Fields close innermost first: the next end written is the innermost open field's.
        if (!open.empty()) stop = std::min(stop, open.back()->end);
        auto r = p.append_child("w:r");
        const auto& first = chars[i];
        const auto& direct = doc_.directAt(kind, i);
        if ((first.style != 0 && ids_.contains(first.style)) || !direct.empty()) {
            auto rPr = r.append_child("w:rPr");
            if (first.style != 0 && ids_.contains(first.style))
                rPr.append_child("w:rStyle").append_attribute("w:val") = ids_.at(first.style).c_str();
            writeRunProperties(rPr, direct);
        }
        std::string text;
        const auto flush = [&] {
            if (text.empty()) return;
            auto t = r.append_child("w:t");
            t.append_attribute("xml:space") = "preserve";
            t.text() = text.c_str();
            text.clear();
        };
        int at = i;
        for (; at < stop; ++at) {
            const auto& c = chars[at];
            if (at > i && (c.style != first.style || c.direct != first.direct)) break;
            if (c.glyph == "\t") {
                flush();
                r.append_child("w:tab");
            } else if (c.glyph == "\v") {
                flush();
                r.append_child("w:br");
            } else if (c.glyph == "\f") {
                flush();
                r.append_child("w:br").append_attribute("w:type") = "page";
            } else if (c.glyph == kNonBreakingHyphen) {
                flush();
                r.append_child("w:noBreakHyphen");
            } else if (c.glyph == kOptionalHyphen) {
                flush();
                r.append_child("w:softHyphen");
            } else if (isXmlCharacter(codePoint(c.glyph))) {
                text += c.glyph;
            }
            // Other control characters have no place in the file's text; they are left out.
        }
        flush();
        return at;
    }

    // A field code as a file can hold it: a control character becomes a space, which keeps the
    // code's words apart as the line break it may have been did.
    static std::string xmlText(const std::string& text) {
        std::string out;
        for (const char c : text) out += static_cast<unsigned char>(c) >= 0x20 || c == '\t' ? c : ' ';
        return out;
    }

    static void fieldCharacter(pugi::xml_node p, const char* type) {
        p.append_child("w:r").append_child("w:fldChar").append_attribute("w:fldCharType") = type;
    }

    void textBox(pugi::xml_node p) const {
        auto shape = p.append_child("w:r").append_child("w:pict").append_child("v:shape");
        shape.append_attribute("id") = "TextBox1";
        shape.append_attribute("style") = "width:216pt;height:72pt;mso-wrap-style:square";
        auto content = shape.append_child("v:textbox").append_child("w:txbxContent");
        writeStory(content, StoryKind::TextBox);
    }

    std::string styles() const {
        pugi::xml_document xml;
        auto root = xml.append_child("w:styles");
        declare(root);
        // The word processor's defaults for text no style formats.
        Format defaults;
        defaults.set(word::FontAttribute::Name, FontAttributes::defaults()[word::FontAttribute::Name]);
        defaults.set(word::FontAttribute::Size, FontAttributes::defaults()[word::FontAttribute::Size]);
        defaults.set(word::FontAttribute::SizeBi, FontAttributes::defaults()[word::FontAttribute::SizeBi]);
        writeRunProperties(root.append_child("w:docDefaults").append_child("w:rPrDefault").append_child("w:rPr"), defaults);

        const std::uint32_t defaultFont = [&] {
            for (const auto& s : doc_.styles())
                if (!s.deleted && s.builtIn && s.name == "Default Paragraph Font") return s.id;
            return 0u;
        }();
        for (const auto& s : doc_.styles()) {
            if (s.deleted) continue;
            auto style = root.append_child("w:style");
            const char* type = s.type == word::wdCharacterStyle ? "character"
                               : s.type == wdStyleTypeTable     ? "table"
                               : s.type == wdStyleTypeList      ? "numbering"
                                                                : "paragraph";
            style.append_attribute("w:type") = type;
            if (s.id == kNormalStyle || s.id == defaultFont) style.append_attribute("w:default") = "1";
            if (!s.builtIn) style.append_attribute("w:customStyle") = "1";
            style.append_attribute("w:styleId") = ids_.at(s.id).c_str();
            style.append_child("w:name").append_attribute("w:val") = s.name.c_str();
            if (s.type == wdStyleTypeParagraph && s.id != kNormalStyle)
                style.append_child("w:basedOn").append_attribute("w:val") = ids_.at(kNormalStyle).c_str();
            if (s.type == word::wdCharacterStyle && s.id != defaultFont && defaultFont != 0)
                style.append_child("w:basedOn").append_attribute("w:val") = ids_.at(defaultFont).c_str();
            if (!s.font.empty() && (s.type == wdStyleTypeParagraph || s.type == word::wdCharacterStyle))
                writeRunProperties(style.append_child("w:rPr"), s.font);
        }
        return serialize(xml);
    }

    std::string settings() const {
        pugi::xml_document xml;
        auto root = xml.append_child("w:settings");
        declare(root);
        if (const auto& source = doc_.merge.source) {
            auto mm = root.append_child("w:mailMerge");
            mm.append_child("w:mainDocumentType").append_attribute("w:val") = "formLetters";
            mm.append_child("w:linkToQuery");
            mm.append_child("w:dataType").append_attribute("w:val") = "textFile";
            mm.append_child("w:connectString").append_attribute("w:val") = "";
            mm.append_child("w:query").append_attribute("w:val") = ("SELECT * FROM " + source->name).c_str();
            mm.append_child("w:dataSource").append_attribute("r:id") = "rId1";
            const auto destination = doc_.merge.destination;
            mm.append_child("w:destination").append_attribute("w:val") =
                destination == 1 ? "printer" : destination == 2 ? "email" : destination == 3 ? "fax" : "newDocument";
            if (doc_.merge.activeRecord > 0)
                mm.append_child("w:activeRecord").append_attribute("w:val") = doc_.merge.activeRecord;
            auto odso = mm.append_child("w:odso");
            odso.append_child("w:colDelim").append_attribute("w:val") = static_cast<int>(static_cast<unsigned char>(source->delimiter));
            odso.append_child("w:fHdr");
        }
        root.append_child("w:defaultTabStop").append_attribute("w:val") = "720";
        return serialize(xml);
    }

    const DocumentModel& doc_;
    std::map<std::uint32_t, std::string> ids_;
};

}  // namespace

void writeDocx(const DocumentModel& document, const fs::path& file, const std::string& displayName) {
    Writer(document).write().write(file, displayName);
}

}  // namespace telvora::sim::docx
