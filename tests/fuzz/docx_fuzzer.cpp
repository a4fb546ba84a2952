// libFuzzer: the .docx reader on untrusted bytes. An input that starts as a ZIP package does is the
// file; any other is the main document part of a well-formed package, so mutations reach the
// reading of WordprocessingML instead of failing the ZIP checksum. A document that reads is
// written and read again: its text must come back, less what a file cannot hold.
#include <fstream>

#include "fuzz/fuzz_support.h"
#include "sim/docx/docx.h"
#include "sim/docx/package.h"
#include "sim/docx/xml.h"

namespace {

using namespace telvora::sim;
using namespace telvora::sim::docx;
namespace fs = std::filesystem;

constexpr const char* kRelationships =
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship Id=\"rId1\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
    "Target=\"word/document.xml\"/></Relationships>";

MergeSource dataSource(const std::string& path, std::optional<char> delimiter) {
    return MergeSource{path, delimiter.value_or(','), {"Name", "Fax"}, {{"Ann Lee", "555 1234"}}};
}

char32_t codePoint(std::string_view glyph) {
    const auto* b = reinterpret_cast<const unsigned char*>(glyph.data());
    if (b[0] < 0x80) return b[0];
    const int extra = b[0] >= 0xF0 ? 3 : b[0] >= 0xE0 ? 2 : 1;
    char32_t c = b[0] & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) c = (c << 6) | (b[k] & 0x3F);
    return c;
}

// A story's text as a file keeps it: Word's breaks and hyphens, and characters XML can hold.
std::string kept(const DocumentModel& d, StoryKind kind) {
    std::string out;
    for (const auto& c : d.story(kind))
        if (c.glyph == "\t" || c.glyph == "\v" || c.glyph == "\f" || c.glyph == "\r" || c.glyph == kNonBreakingHyphen ||
            c.glyph == kOptionalHyphen || isXmlCharacter(codePoint(c.glyph)))
            out += c.glyph;
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const fs::path& folder = telvora::fuzz::scratchFolder("docx");
    const fs::path file = folder / "input.docx";
    if (bytes.starts_with("PK")) {
        std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
    } else {
        PackageWriter package;
        package.add("_rels/.rels", kRelationships);
        package.add("word/document.xml", bytes);
        package.write(file, "input.docx");
    }
    DocumentModel first("input.docx");
    try {
        first = readDocx(file, "input.docx", "input.docx", dataSource);
    } catch (const telvora::RuntimeError&) {
        return 0;  // refused, with Word's error
    }
    const fs::path again = folder / "again.docx";
    try {
        writeDocx(first, again, "again.docx");
        const DocumentModel second = readDocx(again, "again.docx", "again.docx", dataSource);
        for (const auto kind : {StoryKind::Main, StoryKind::Header, StoryKind::Footer, StoryKind::TextBox})
            if (kept(first, kind) != second.text(kind))
                telvora::fuzz::broken("story " + std::to_string(static_cast<int>(kind)) + " changed in a save: \"" +
                                      telvora::fuzz::shown(kept(first, kind)) + "\" came back as \"" +
                                      telvora::fuzz::shown(second.text(kind)) + "\"");
        if (first.fields.size() != second.fields.size()) telvora::fuzz::broken("a save changed the number of fields");
        // Where no character was left out, each field spans what it spanned.
        if (kept(first, StoryKind::Main) == first.text(StoryKind::Main))
            for (std::size_t k = 0; k < first.fields.size(); ++k)
                if (first.fields[k].start != second.fields[k].start || first.fields[k].end != second.fields[k].end ||
                    first.fields[k].type != second.fields[k].type)
                    telvora::fuzz::broken("a save moved field " + std::to_string(k + 1) + " or changed its type");
    } catch (const telvora::RuntimeError& e) {
        telvora::fuzz::broken("a document read could not be saved and read again: " + e.description());
    }
    return 0;
}
