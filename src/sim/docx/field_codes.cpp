// Field codes: keywords to Word's field type numbers.
#include "sim/docx/field_codes.h"

#include <array>
#include <vector>

#include "base/text.h"
#include "sim/word/word_model.h"

namespace telvora::sim::docx {
namespace {

struct Keyword {
    const char* name;
    std::int32_t type;
};

// Word's field type numbers by keyword.
constexpr std::array kKeywords = {
    Keyword{"REF", 3},          Keyword{"XE", 4},           Keyword{"SET", 6},           Keyword{"IF", 7},
    Keyword{"INDEX", 8},        Keyword{"TC", 9},           Keyword{"STYLEREF", 10},     Keyword{"RD", 11},
    Keyword{"SEQ", 12},         Keyword{"TOC", 13},         Keyword{"INFO", 14},         Keyword{"TITLE", 15},
    Keyword{"SUBJECT", 16},     Keyword{"AUTHOR", 17},      Keyword{"KEYWORDS", 18},     Keyword{"COMMENTS", 19},
    Keyword{"LASTSAVEDBY", 20}, Keyword{"CREATEDATE", 21},  Keyword{"SAVEDATE", 22},     Keyword{"PRINTDATE", 23},
    Keyword{"REVNUM", 24},      Keyword{"EDITTIME", 25},    Keyword{"NUMPAGES", 26},     Keyword{"NUMWORDS", 27},
    Keyword{"NUMCHARS", 28},    Keyword{"FILENAME", 29},    Keyword{"TEMPLATE", 30},     Keyword{"DATE", 31},
    Keyword{"TIME", 32},        Keyword{"PAGE", 33},        Keyword{"QUOTE", 35},        Keyword{"INCLUDE", 36},
    Keyword{"PAGEREF", 37},     Keyword{"ASK", 38},         Keyword{"FILLIN", 39},       Keyword{"DATA", 40},
    Keyword{"NEXT", 41},        Keyword{"NEXTIF", 42},      Keyword{"SKIPIF", 43},       Keyword{"MERGEREC", 44},
    Keyword{"DDE", 45},         Keyword{"DDEAUTO", 46},     Keyword{"GLOSSARY", 47},     Keyword{"PRINT", 48},
    Keyword{"EQ", 49},          Keyword{"GOTOBUTTON", 50},  Keyword{"MACROBUTTON", 51},  Keyword{"AUTONUMOUT", 52},
    Keyword{"AUTONUMLGL", 53},  Keyword{"AUTONUM", 54},     Keyword{"IMPORT", 55},       Keyword{"LINK", 56},
    Keyword{"SYMBOL", 57},      Keyword{"EMBED", 58},       Keyword{"MERGEFIELD", wdFieldMergeField},
    Keyword{"USERNAME", 60},    Keyword{"USERINITIALS", 61}, Keyword{"USERADDRESS", 62}, Keyword{"BARCODE", 63},
    Keyword{"DOCVARIABLE", 64}, Keyword{"SECTION", 65},     Keyword{"SECTIONPAGES", 66}, Keyword{"INCLUDEPICTURE", 67},
    Keyword{"INCLUDETEXT", 68}, Keyword{"FILESIZE", 69},    Keyword{"FORMTEXT", 70},     Keyword{"FORMCHECKBOX", 71},
    Keyword{"NOTEREF", 72},     Keyword{"TOA", 73},         Keyword{"TA", 74},           Keyword{"MERGESEQ", 75},
    Keyword{"PRIVATE", 77},     Keyword{"DATABASE", 78},    Keyword{"AUTOTEXT", 79},     Keyword{"COMPARE", 80},
    Keyword{"ADDIN", 81},       Keyword{"FORMDROPDOWN", 83}, Keyword{"ADVANCE", 84},     Keyword{"DOCPROPERTY", 85},
    Keyword{"HYPERLINK", 88},   Keyword{"AUTOTEXTLIST", 89}, Keyword{"LISTNUM", 90},     Keyword{"BIDIOUTLINE", 92},
    Keyword{"ADDRESSBLOCK", 93}, Keyword{"GREETINGLINE", 94}, Keyword{"SHAPE", 95},      Keyword{"CITATION", 96},
    Keyword{"BIBLIOGRAPHY", 97}, Keyword{"MERGEBARCODE", 98}, Keyword{"DISPLAYBARCODE", 99},
};
constexpr std::int32_t wdFieldEmpty = -1;
constexpr std::int32_t wdFieldExpression = 34;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The words of a code, a quoted one as one word without its quotes.
std::vector<std::string> wordsOf(std::string_view code) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < code.size()) {
        while (i < code.size() && isBlank(code[i])) ++i;
        if (i >= code.size()) break;
        std::string word;
        if (code[i] == '"') {
            ++i;
            while (i < code.size() && code[i] != '"') word += code[i++];
            ++i;
        } else {
            while (i < code.size() && !isBlank(code[i])) word += code[i++];
        }
        words.push_back(std::move(word));
    }
    return words;
}

}  // namespace

std::int32_t fieldTypeOf(std::string_view code) {
    const auto words = wordsOf(code);
    if (words.empty()) return wdFieldEmpty;
    if (words.front().starts_with("=")) return wdFieldExpression;
    for (const auto& k : kKeywords)
        if (equalsIgnoringCase(words.front(), k.name)) return k.type;
    return word::wdFieldRef;
}

std::string mergeFieldName(std::string_view code) {
    const auto words = wordsOf(code);
    if (words.size() < 2 || !equalsIgnoringCase(words.front(), "MERGEFIELD")) return "";
    return words[1];
}

}  // namespace telvora::sim::docx
