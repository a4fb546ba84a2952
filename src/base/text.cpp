// UTF-8 text helpers.
#include "base/text.h"

#include <cstdint>

#include "base/errors.h"

namespace telvora {
namespace {

char foldAscii(char c) noexcept { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The length of the well-formed UTF-8 sequence at `i`, or 0 when there is none.
std::size_t sequenceAt(std::string_view s, std::size_t i) noexcept {
    const auto lead = static_cast<unsigned char>(s[i]);
    std::size_t n = 0;
    std::uint32_t cp = 0;
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) {
        n = 2;
        cp = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        n = 3;
        cp = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        n = 4;
        cp = lead & 0x07;
    } else {
        return 0;
    }
    if (i + n > s.size()) return 0;
    for (std::size_t k = 1; k < n; ++k) {
        const auto c = static_cast<unsigned char>(s[i + k]);
        if ((c & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (c & 0x3F);
    }
    static constexpr std::uint32_t minimum[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < minimum[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return n;
}

}  // namespace

bool equalsIgnoringCase(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (foldAscii(a[i]) != foldAscii(b[i])) return false;
    }
    return true;
}

std::string lowerAscii(std::string_view text) {
    std::string out(text);
    for (auto& c : out) c = foldAscii(c);
    return out;
}

std::string trimBlanks(std::string_view text) {
    std::size_t b = 0, e = text.size();
    while (b < e && text[b] == ' ') ++b;
    while (e > b && text[e - 1] == ' ') --e;
    return std::string(text.substr(b, e - b));
}

std::string_view trimSpacesAndTabs(std::string_view s) noexcept {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

bool isValidUtf8(std::string_view text) noexcept {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = sequenceAt(text, i);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

std::vector<std::string> splitCharacters(std::string_view utf8) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t n = sequenceAt(utf8, i);
        if (n == 0)
            throw RuntimeError(err::InvalidProcedureCall, "Text is not valid UTF-8 at byte " + std::to_string(i) + ".");
        out.emplace_back(utf8.substr(i, n));
        i += n;
    }
    return out;
}

std::size_t characterCount(std::string_view utf8) noexcept {
    std::size_t count = 0;
    for (char c : utf8) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
    }
    return count;
}

}  // namespace telvora
