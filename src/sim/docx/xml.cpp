// XML parts: parsing with positions, namespace lookups and writing.
#include "sim/docx/xml.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <sstream>
#include <vector>

#include "base/text.h"
#include "sim/docx/package.h"

namespace telvora::sim::docx {
namespace {

std::string_view prefixOf(std::string_view qualified) {
    const auto colon = qualified.find(':');
    return colon == std::string_view::npos ? std::string_view() : qualified.substr(0, colon);
}

std::string_view localOf(std::string_view qualified) {
    const auto colon = qualified.find(':');
    return colon == std::string_view::npos ? qualified : qualified.substr(colon + 1);
}

// The prefix each namespace the readers know goes by once a part is parsed; everything else goes
// by kOtherPrefix, which no file's own declarations can make mean one of these.
struct Known {
    const char* uri;
    std::string_view prefix;
};
constexpr Known kKnown[] = {{ns::W, "w"},   {ns::R, "r"}, {ns::MC, "mc"}, {ns::V, "v"},
                            {ns::A, "a"},   {ns::PackageRelationships, "pr"}, {ns::ContentTypes, "ct"}};
constexpr std::string_view kOtherPrefix = "~";

std::string_view prefixFor(std::string_view uri) {
    for (const auto& k : kKnown)
        if (uri == k.uri) return k.prefix;
    return kOtherPrefix;
}

std::string_view uriOf(std::string_view prefix) {
    for (const auto& k : kKnown)
        if (prefix == k.prefix) return k.uri;
    return "";
}

// The first character of `text` that XML 1.0 does not allow (pugixml lets a character reference
// to one through), as "U+000E"; "" when there is none. Text that is no UTF-8 is "no UTF-8".
std::string forbiddenCharacter(std::string_view text) {
    // Most text is ASCII without control characters, all allowed (a byte past 0x7F is negative).
    if (std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 || c == '\t' || c == '\n' || c == '\r'; }))
        return "";
    if (!isValidUtf8(text)) return "no UTF-8";
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int extra = lead < 0x80 ? 0 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : 1;
        char32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        if (!isXmlCharacter(c)) {
            char shown[16];
            std::snprintf(shown, sizeof shown, "U+%04X", static_cast<unsigned>(c));
            return shown;
        }
        i += 1 + extra;
    }
    return "";
}

// Whether `name` is `prefix`:`local`.
bool named(std::string_view name, std::string_view prefix, std::string_view local) {
    return name.size() == prefix.size() + 1 + local.size() && name.starts_with(prefix) && name[prefix.size()] == ':' &&
           name.ends_with(local);
}

}  // namespace

XmlPart::XmlPart(std::string bytes, std::string partName, std::string file)
    : bytes_(std::move(bytes)), partName_(std::move(partName)), file_(std::move(file)) {
    const auto parsed = doc_.load_buffer(bytes_.data(), bytes_.size(), pugi::parse_default | pugi::parse_ws_pcdata_single);
    if (!parsed) throw damaged(file_, partName_ + where(parsed.offset) + ": " + parsed.description() + ".");
    if (!doc_.document_element()) throw damaged(file_, partName_ + ": the part holds no XML element.");
    resolveNamespaces();
}

void XmlPart::resolveNamespaces() {
    // The namespaces each prefix stands for where the walk is, innermost last ("" the default).
    std::map<std::string, std::vector<std::string>, std::less<>> bound;
    // The prefixes each element being walked through declared, innermost last.
    std::vector<std::vector<std::string>> open;
    const auto rename = [&](auto item, bool isElement) {
        const std::string_view name = item.name();
        const std::string_view prefix = prefixOf(name);
        // An attribute without a prefix is in no namespace, and declarations stay as they are.
        if ((!isElement && prefix.empty()) || prefix == "xmlns" || name == "xmlns" || prefix == "xml") return;
        const auto it = bound.find(prefix);
        const std::string_view uri = it == bound.end() || it->second.empty() ? std::string_view() : it->second.back();
        const std::string_view wanted = prefixFor(uri);
        if (prefix == wanted) return;
        item.set_name((std::string(wanted) + ":" + std::string(localOf(name))).c_str());
    };
    const auto checkText = [&](pugi::xml_node node, std::string_view text) {
        const std::string bad = forbiddenCharacter(text);
        if (bad == "no UTF-8") throw fault(node, "its text is not UTF-8.");
        if (!bad.empty()) throw fault(node, "its text holds a character XML does not allow (" + bad + ").");
    };
    const auto enter = [&](pugi::xml_node element) {
        if (open.size() >= static_cast<std::size_t>(kMaxNesting))
            throw fault(element, "its elements nest more than " + std::to_string(kMaxNesting) + " deep.");
        std::vector<std::string> declared;
        for (const auto& a : element.attributes()) {
            const std::string_view name = a.name();
            if (name != "xmlns" && !name.starts_with("xmlns:")) continue;
            const std::string prefix(name == "xmlns" ? std::string_view() : name.substr(6));
            bound[prefix].push_back(a.value());
            declared.push_back(prefix);
        }
        rename(element, true);
        for (auto a : element.attributes()) {
            rename(a, false);
            checkText(element, a.value());
        }
        open.push_back(std::move(declared));
    };
    const auto leave = [&] {
        for (const auto& prefix : open.back()) bound.find(prefix)->second.pop_back();
        open.pop_back();
    };
    // Depth first, with a stack of its own: the nesting is not known to be sound yet.
    pugi::xml_node node = root();
    while (node) {
        if (node.type() == pugi::node_element) {
            enter(node);
            if (node.first_child()) {
                node = node.first_child();
                continue;
            }
            leave();
        } else if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) {
            checkText(node, node.value());
        }
        while (node != root() && !node.next_sibling()) {
            node = node.parent();
            leave();
        }
        node = node == root() ? pugi::xml_node() : node.next_sibling();
    }
}

std::string XmlPart::where(std::ptrdiff_t offset) const {
    if (offset < 0 || static_cast<std::size_t>(offset) > bytes_.size()) return "";
    const auto end = bytes_.begin() + offset;
    const auto line = 1 + std::count(bytes_.begin(), end, '\n');
    const auto lineStart = std::find(std::make_reverse_iterator(end), bytes_.rend(), '\n').base();
    return ", line " + std::to_string(line) + ", column " + std::to_string(end - lineStart + 1);
}

std::string_view XmlPart::namespaceOf(pugi::xml_node node) const { return uriOf(prefixOf(node.name())); }

std::string_view XmlPart::localName(pugi::xml_node node) const { return localOf(node.name()); }

bool XmlPart::is(pugi::xml_node node, const char* uri, std::string_view local) const {
    return node.type() == pugi::node_element && named(node.name(), prefixFor(uri), local);
}

pugi::xml_node XmlPart::child(pugi::xml_node node, const char* uri, std::string_view local) const {
    for (const auto& c : node.children())
        if (is(c, uri, local)) return c;
    return {};
}

pugi::xml_attribute XmlPart::attribute(pugi::xml_node node, const char* uri, std::string_view local) const {
    const std::string_view prefix = prefixFor(uri);
    for (const auto& a : node.attributes())
        if (named(a.name(), prefix, local)) return a;
    return {};
}

const char* XmlPart::val(pugi::xml_node node) const {
    if (!node) return nullptr;
    const auto a = attribute(node, ns::W, "val");
    return a ? a.value() : nullptr;
}

RuntimeError XmlPart::fault(pugi::xml_node node, const std::string& what) const {
    return damaged(file_, partName_ + where(node.offset_debug()) + ": " + what);
}

std::string serialize(const pugi::xml_document& doc) {
    std::ostringstream out;
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
    doc.save(out, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    return out.str();
}

bool isXmlCharacter(char32_t c) noexcept {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

}  // namespace telvora::sim::docx
