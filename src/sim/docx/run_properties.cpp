// One table of the run properties the word processor keeps, read and written in schema order.
#include "sim/docx/run_properties.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>

#include "base/text.h"

namespace telvora::sim::docx {
namespace {

using word::FontAttribute;

enum class Kind { Font, Toggle, GridToggle, Color, Twips, HalfPoints, Underline, VerticalAlign, Emphasis };

struct Slot {
    const char* element;
    Kind kind;
    FontAttribute attribute;
};

// The order of this table is the order the elements must appear in within w:rPr.
constexpr std::array kSlots = {
    Slot{"rFonts", Kind::Font, FontAttribute::Name},
    Slot{"b", Kind::Toggle, FontAttribute::Bold},
    Slot{"bCs", Kind::Toggle, FontAttribute::BoldBi},
    Slot{"i", Kind::Toggle, FontAttribute::Italic},
    Slot{"iCs", Kind::Toggle, FontAttribute::ItalicBi},
    Slot{"caps", Kind::Toggle, FontAttribute::AllCaps},
    Slot{"smallCaps", Kind::Toggle, FontAttribute::SmallCaps},
    Slot{"strike", Kind::Toggle, FontAttribute::StrikeThrough},
    Slot{"dstrike", Kind::Toggle, FontAttribute::DoubleStrikeThrough},
    Slot{"outline", Kind::Toggle, FontAttribute::Outline},
    Slot{"shadow", Kind::Toggle, FontAttribute::Shadow},
    Slot{"emboss", Kind::Toggle, FontAttribute::Emboss},
    Slot{"imprint", Kind::Toggle, FontAttribute::Engrave},
    Slot{"snapToGrid", Kind::GridToggle, FontAttribute::DisableCharacterSpaceGrid},
    Slot{"color", Kind::Color, FontAttribute::Color},
    Slot{"spacing", Kind::Twips, FontAttribute::Spacing},
    Slot{"sz", Kind::HalfPoints, FontAttribute::Size},
    Slot{"szCs", Kind::HalfPoints, FontAttribute::SizeBi},
    Slot{"u", Kind::Underline, FontAttribute::Underline},
    Slot{"vertAlign", Kind::VerticalAlign, FontAttribute::Superscript},
    Slot{"em", Kind::Emphasis, FontAttribute::EmphasisMark},
};

struct Named {
    const char* name;
    std::int32_t value;
};
// The file's underline kinds and Word's numbers for them.
constexpr std::array kUnderlines = {
    Named{"none", 0},         Named{"single", 1},         Named{"words", 2},          Named{"double", 3},
    Named{"dotted", 4},       Named{"thick", 6},          Named{"dash", 7},           Named{"dotDash", 9},
    Named{"dotDotDash", 10},  Named{"wave", 11},          Named{"dottedHeavy", 20},   Named{"dashedHeavy", 23},
    Named{"dashDotHeavy", 25}, Named{"dashDotDotHeavy", 26}, Named{"wavyHeavy", 27},  Named{"dashLong", 39},
    Named{"wavyDouble", 43},  Named{"dashLongHeavy", 55},
};
constexpr std::array kEmphasis = {Named{"none", 0}, Named{"dot", 1}, Named{"comma", 2}, Named{"circle", 3},
                                  Named{"underDot", 4}};
// Word's "automatic" colour.
constexpr std::int32_t kAutomaticColor = -16777216;
constexpr std::int32_t kTrue = -1;

template <std::size_t N>
std::optional<std::int32_t> lookUp(const std::array<Named, N>& table, std::string_view name) {
    for (const auto& n : table)
        if (name == n.name) return n.value;
    return std::nullopt;
}

template <std::size_t N>
const char* nameOf(const std::array<Named, N>& table, std::int32_t value, const char* otherwise) {
    for (const auto& n : table)
        if (value == n.value) return n.name;
    return otherwise;
}

std::optional<long> wholeNumber(std::string_view text) {
    long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<bool> onOff(const char* value) {
    if (!value) return true;
    const std::string_view v(value);
    if (v == "1" || v == "true" || v == "on") return true;
    if (v == "0" || v == "false" || v == "off") return false;
    return std::nullopt;
}

std::string themeFont(const XmlPart& part, pugi::xml_node rFonts, const ThemeFonts& theme) {
    for (const char* a : {"asciiTheme", "hAnsiTheme"}) {
        const std::string_view value = part.attribute(rFonts, ns::W, a).value();
        if (value.starts_with("major")) return theme.major;
        if (value.starts_with("minor")) return theme.minor;
    }
    return "";
}

}  // namespace

Format readRunProperties(const XmlPart& part, pugi::xml_node rPr, const ThemeFonts& theme) {
    Format format;
    if (!rPr) return format;
    const auto bad = [&](pugi::xml_node node, const char* what) {
        return part.fault(node, std::string("the value of w:") + part.localName(node).data() + " " + what + ".");
    };
    for (const auto& slot : kSlots) {
        const auto node = part.child(rPr, ns::W, slot.element);
        if (!node) continue;
        const char* value = part.val(node);
        switch (slot.kind) {
        case Kind::Font: {
            std::string name;
            for (const char* a : {"ascii", "hAnsi"}) {
                name = part.attribute(node, ns::W, a).value();
                if (!name.empty()) break;
            }
            if (name.empty()) name = themeFont(part, node, theme);
            if (!name.empty()) format.set(slot.attribute, name);
            break;
        }
        case Kind::Toggle:
        case Kind::GridToggle: {
            const auto on = onOff(value);
            if (!on) throw bad(node, "is not on or off");
            const bool set = slot.kind == Kind::GridToggle ? !*on : *on;
            format.set(slot.attribute, std::int32_t{set ? kTrue : 0});
            break;
        }
        case Kind::Color: {
            const std::string_view v = value ? value : "";
            if (v == "auto") {
                format.set(slot.attribute, kAutomaticColor);
                break;
            }
            unsigned rgb = 0;
            const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), rgb, 16);
            if (v.size() != 6 || ec != std::errc() || end != v.data() + v.size()) throw bad(node, "is no colour");
            // Word numbers a colour red first: red + green * 256 + blue * 65536.
            const std::int32_t word = static_cast<std::int32_t>(((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16));
            format.set(slot.attribute, word);
            break;
        }
        case Kind::Twips: {
            const auto n = wholeNumber(value ? value : "");
            if (!n) throw bad(node, "is not a whole number");
            format.set(slot.attribute, static_cast<float>(*n) / 20.0f);
            break;
        }
        case Kind::HalfPoints: {
            const auto n = wholeNumber(value ? value : "");
            if (!n || *n < 2 || *n > 3276) throw bad(node, "is not a font size");
            format.set(slot.attribute, static_cast<float>(*n) / 2.0f);
            break;
        }
        case Kind::Underline: {
            // An underline kind this simulator does not know is still an underline.
            format.set(slot.attribute, value ? lookUp(kUnderlines, value).value_or(1) : 1);
            break;
        }
        case Kind::VerticalAlign: {
            const std::string_view v = value ? value : "";
            if (v != "superscript" && v != "subscript" && v != "baseline") throw bad(node, "is no vertical alignment");
            format.set(FontAttribute::Superscript, std::int32_t{v == "superscript" ? kTrue : 0});
            format.set(FontAttribute::Subscript, std::int32_t{v == "subscript" ? kTrue : 0});
            break;
        }
        case Kind::Emphasis:
            format.set(slot.attribute, value ? lookUp(kEmphasis, value).value_or(0) : 0);
            break;
        }
    }
    return format;
}

void writeRunProperties(pugi::xml_node rPr, const Format& format) {
    const auto number = [](const word::FontValue& v) -> double {
        if (const auto* i = std::get_if<std::int32_t>(&v)) return *i;
        if (const auto* f = std::get_if<float>(&v)) return *f;
        return 0;
    };
    for (const auto& slot : kSlots) {
        const std::string element = std::string("w:") + slot.element;
        if (slot.kind == Kind::VerticalAlign) {
            const auto& sup = format.get(FontAttribute::Superscript);
            const auto& sub = format.get(FontAttribute::Subscript);
            if (!sup && !sub) continue;
            const char* v = sup && number(*sup) != 0 ? "superscript" : sub && number(*sub) != 0 ? "subscript" : "baseline";
            rPr.append_child(element.c_str()).append_attribute("w:val") = v;
            continue;
        }
        const auto& value = format.get(slot.attribute);
        if (!value) continue;
        auto node = rPr.append_child(element.c_str());
        switch (slot.kind) {
        case Kind::Font: {
            const auto& name = std::get<std::string>(*value);
            for (const char* a : {"w:ascii", "w:hAnsi", "w:eastAsia", "w:cs"}) node.append_attribute(a) = name.c_str();
            break;
        }
        case Kind::Toggle:
            if (number(*value) == 0) node.append_attribute("w:val") = "0";
            break;
        case Kind::GridToggle:
            node.append_attribute("w:val") = number(*value) == 0 ? "1" : "0";
            break;
        case Kind::Color: {
            const auto word = static_cast<std::int32_t>(number(*value));
            if (word == kAutomaticColor || word < 0) {
                node.append_attribute("w:val") = "auto";
                break;
            }
            char hex[8];
            std::snprintf(hex, sizeof hex, "%02X%02X%02X", word & 0xFF, (word >> 8) & 0xFF, (word >> 16) & 0xFF);
            node.append_attribute("w:val") = hex;
            break;
        }
        case Kind::Twips:
            node.append_attribute("w:val") = static_cast<long long>(std::lround(number(*value) * 20));
            break;
        case Kind::HalfPoints:
            node.append_attribute("w:val") = static_cast<long long>(std::lround(number(*value) * 2));
            break;
        case Kind::Underline:
            node.append_attribute("w:val") = nameOf(kUnderlines, static_cast<std::int32_t>(number(*value)), "single");
            break;
        case Kind::Emphasis:
            node.append_attribute("w:val") = nameOf(kEmphasis, static_cast<std::int32_t>(number(*value)), "none");
            break;
        case Kind::VerticalAlign: break;
        }
    }
}

}  // namespace telvora::sim::docx
