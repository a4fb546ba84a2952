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

}  // namespace telvora::word
