// The character formatting of a run or style (w:rPr) and the word processor's font attributes,
// both ways, in the element order Word requires of a file it opens.
#pragma once

#include <string>

#include <pugixml.hpp>

#include "sim/docx/xml.h"
#include "sim/word/word_model.h"

namespace telvora::sim::docx {

// The document theme's two fonts, which formatting may name instead of a font.
struct ThemeFonts {
    std::string major;  // headings
    std::string minor;  // body text
};

// The attributes an rPr element sets (its character style aside); raises the corrupted-file
// error for a value the format does not allow.
Format readRunProperties(const XmlPart& part, pugi::xml_node rPr, const ThemeFonts& theme);

// Appends the attributes `format` sets to `rPr` (after an rStyle the caller may have put first).
void writeRunProperties(pugi::xml_node rPr, const Format& format);

}  // namespace telvora::sim::docx
