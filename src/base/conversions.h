// Text-to-number and text-to-Boolean conversions with the macro runtime's rules. The number
// grammar is decided here once for the whole add-in: the add-in reads numbers in one fixed form,
// independent of the user's regional settings, so a stored setting or a fax number means the same
// on every machine — "." is the decimal separator and "," the group separator.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace telvora {

// The number a text stands for, or nothing when it is not numeric. Accepted: optional blanks
// around it; an optional leading sign; digits with "," group separators between digits; one "."
// decimal separator; an exponent (E or D, optional sign, digits); or a hexadecimal (&H) or octal
// (&O) literal. The empty text is not numeric.
std::optional<double> parseNumber(std::string_view text);
// Whether the text is numeric by the rule above.
bool isNumeric(std::string_view text);

// A number rounded to a 16-bit integer as the runtime does (halves to even); raises overflow (6).
std::int16_t roundToInt16(double value);
// Text to a 16-bit integer: raises type mismatch (13) for text that is no number and overflow (6)
// for one outside -32768..32767.
std::int16_t textToInt16(std::string_view text);
// Text to a Boolean: "True"/"False" in any letter case (blanks around allowed), or a number where
// 0 is False and anything else True; raises type mismatch (13) for any other text.
bool textToBool(std::string_view text);

// A Boolean as the runtime writes it: "True" or "False".
std::string boolText(bool value);

}  // namespace telvora
