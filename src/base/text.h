// UTF-8 text helpers shared by every floor: one case-insensitive name comparison, one trim per
// meaning, and the checks and splits that keep characters (code points) apart from bytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace telvora {

// Whether two names are equal ignoring the letter case of A-Z, as member names, programmatic
// identifiers, style names and environment variable names compare.
bool equalsIgnoringCase(std::string_view a, std::string_view b) noexcept;
// The text with A-Z turned to a-z; every other byte kept.
std::string lowerAscii(std::string_view text);

// The text with leading and trailing blanks (spaces only) removed, as the runtime's Trim does.
std::string trimBlanks(std::string_view text);
// The text with leading and trailing spaces and tabs removed: the white space a number may carry.
std::string_view trimSpacesAndTabs(std::string_view text) noexcept;

// Whether the bytes are well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool isValidUtf8(std::string_view text) noexcept;
// The text split into characters, one code point each. Raises "Invalid procedure call or
// argument" (5) naming the byte where the text stops being UTF-8.
std::vector<std::string> splitCharacters(std::string_view utf8);
// The number of characters (code points) of well-formed UTF-8 text.
std::size_t characterCount(std::string_view utf8) noexcept;

}  // namespace telvora
