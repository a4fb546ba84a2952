// One XML part of a .docx, parsed with pugixml: elements and attributes found by namespace and
// local name whatever prefixes the writer chose, and every fault reported with the file, the part
// and the line.
#pragma once

#include <string>
#include <string_view>

#include <pugixml.hpp>

#include "base/errors.h"

namespace telvora::sim::docx {

namespace ns {
inline constexpr const char* W = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
inline constexpr const char* R = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
inline constexpr const char* MC = "http://schemas.openxmlformats.org/markup-compatibility/2006";
inline constexpr const char* V = "urn:schemas-microsoft-com:vml";
inline constexpr const char* A = "http://schemas.openxmlformats.org/drawingml/2006/main";
inline constexpr const char* PackageRelationships = "http://schemas.openxmlformats.org/package/2006/relationships";
inline constexpr const char* ContentTypes = "http://schemas.openxmlformats.org/package/2006/content-types";
}  // namespace ns

// How deep a part's elements may nest: the readers walk a part by recursion, and a real document
// (tables in tables, content controls, text boxes) stays far below it.
inline constexpr int kMaxNesting = 256;

class XmlPart {
public:
    // Parses the part; raises the corrupted-file error naming `file`, `partName`, the line and
    // column and what the parser found, for anything that is not well-formed XML, nests deeper
    // than kMaxNesting or holds text (or an attribute) that is no UTF-8 or a character XML does
    // not allow, as Word refuses it.
    XmlPart(std::string bytes, std::string partName, std::string file);
    XmlPart(const XmlPart&) = delete;
    XmlPart& operator=(const XmlPart&) = delete;

    pugi::xml_node root() const { return doc_.document_element(); }
    // `uri` is one of the namespaces of ns:: (the others are never looked for).
    bool is(pugi::xml_node node, const char* uri, std::string_view local) const;
    pugi::xml_node child(pugi::xml_node node, const char* uri, std::string_view local) const;
    pugi::xml_attribute attribute(pugi::xml_node node, const char* uri, std::string_view local) const;
    // The text of a w:val attribute; nothing when the element or the attribute is absent.
    const char* val(pugi::xml_node node) const;
    std::string_view localName(pugi::xml_node node) const;
    // The namespace of an element among those of ns::; "" for any other, or none.
    std::string_view namespaceOf(pugi::xml_node node) const;

    // The corrupted-file error for something wrong at `node`.
    RuntimeError fault(pugi::xml_node node, const std::string& what) const;
    const std::string& partName() const noexcept { return partName_; }

private:
    // Checks the nesting and gives every element and attribute of a namespace of ns:: its own
    // prefix for it, whatever the file declared, in one walk: a namespace is then read off a
    // name, not looked for up the tree at every question.
    void resolveNamespaces();
    std::string where(std::ptrdiff_t offset) const;

    std::string bytes_;
    std::string partName_;
    std::string file_;
    pugi::xml_document doc_;
};

// The document as a part's bytes: an XML declaration, UTF-8, no indentation.
std::string serialize(const pugi::xml_document& doc);

// Whether a code point may stand in XML 1.0 text.
bool isXmlCharacter(char32_t c) noexcept;

}  // namespace telvora::sim::docx
