// Names of the font attributes as the object model spells its properties.
#include "ports/word.h"

namespace telvora::word {

const char* fontAttributeName(FontAttribute a) noexcept {
    static constexpr const char* names[kFontAttributeCount] = {
        "AllCaps", "StrikeThrough", "Subscript", "Superscript", "Bold", "BoldBi",
        "DisableCharacterSpaceGrid", "DoubleStrikeThrough", "Emboss", "EmphasisMark", "Engrave", "Italic",
        "ItalicBi", "Outline", "Shadow", "Spacing", "Size", "SizeBi", "SmallCaps", "Color", "ColorIndex",
        "ColorIndexBi", "DiacriticColor", "Underline", "UnderlineColor", "Animation", "Name"};
    const auto i = static_cast<int>(a);
    return i >= 0 && i < kFontAttributeCount ? names[i] : "";
}

bool isUndefined(const FontValue& value) noexcept {
    if (const auto* i = std::get_if<std::int32_t>(&value)) return *i == wdUndefined;
    if (const auto* f = std::get_if<float>(&value)) return *f == static_cast<float>(wdUndefined);
    return std::get<std::string>(value).empty();
}

}  // namespace telvora::word
