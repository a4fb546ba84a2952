// XML parts: parsing with positions, namespace lookups and writing.
#include "sim/docx/xml.h"

#include <algorithm>
#include <sstream>

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

}  // namespace

XmlPart::XmlPart(std::string bytes, std::string partName, std::string file)
    : bytes_(std::move(bytes)), partName_(std::move(partName)), file_(std::move(file)) {
    const auto parsed = doc_.load_buffer(bytes_.data(), bytes_.size(), pugi::parse_default | pugi::parse_ws_pcdata_single);
    if (!parsed) throw damaged(file_, partName_ + where(parsed.offset) + ": " + parsed.description() + ".");
    if (!doc_.document_element()) throw damaged(file_, partName_ + ": the part holds no XML element.");
    // The walk is pugixml's own, which keeps no stack of its own frames.
    struct DepthCheck : pugi::xml_tree_walker {
        pugi::xml_node tooDeep;
        bool for_each(pugi::xml_node& node) override {
            if (depth() < kMaxNesting) return true;
            tooDeep = node;
            return false;
        }
    } check;
    doc_.traverse(check);
    if (check.tooDeep) throw fault(check.tooDeep, "its elements nest more than " + std::to_string(kMaxNesting) + " deep.");
    for (const auto& a : root().attributes()) {
        const std::string_view name = a.name();
        if (name == "xmlns") rootPrefixes_[""] = a.value();
        else if (name.starts_with("xmlns:")) rootPrefixes_[std::string(name.substr(6))] = a.value();
    }
}

std::string XmlPart::where(std::ptrdiff_t offset) const {
    if (offset < 0 || static_cast<std::size_t>(offset) > bytes_.size()) return "";
    const auto end = bytes_.begin() + offset;
    const auto line = 1 + std::count(bytes_.begin(), end, '\n');
    const auto lineStart = std::find(std::make_reverse_iterator(end), bytes_.rend(), '\n').base();
    return ", line " + std::to_string(line) + ", column " + std::to_string(end - lineStart + 1);
}

std::string XmlPart::uriOfPrefix(pugi::xml_node node, std::string_view prefix) const {
    const std::string attributeName = prefix.empty() ? std::string("xmlns") : "xmlns:" + std::string(prefix);
    for (auto n = node; n && n.type() == pugi::node_element; n = n.parent()) {
        if (n == root()) break;
        if (const auto a = n.attribute(attributeName.c_str())) return a.value();
    }
    const auto it = rootPrefixes_.find(prefix);
    return it == rootPrefixes_.end() ? std::string() : it->second;
}

std::string XmlPart::namespaceOf(pugi::xml_node node) const { return uriOfPrefix(node, prefixOf(node.name())); }

std::string_view XmlPart::localName(pugi::xml_node node) const { return localOf(node.name()); }

bool XmlPart::is(pugi::xml_node node, const char* uri, std::string_view local) const {
    return node.type() == pugi::node_element && localOf(node.name()) == local && namespaceOf(node) == uri;
}

pugi::xml_node XmlPart::child(pugi::xml_node node, const char* uri, std::string_view local) const {
    for (const auto& c : node.children())
        if (is(c, uri, local)) return c;
    return {};
}

pugi::xml_attribute XmlPart::attribute(pugi::xml_node node, const char* uri, std::string_view local) const {
    for (const auto& a : node.attributes()) {
        const std::string_view name = a.name();
        const auto prefix = prefixOf(name);
        if (prefix.empty() || prefix == "xmlns" || localOf(name) != local) continue;
        if (uriOfPrefix(node, prefix) == uri) return a;
    }
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
