// The pure checks and clean-ups applied to marked fields and typed texts before anything reaches
// the fax software.
#pragma once

#include <string>
#include <string_view>

namespace telvora {

// The characters an e-mail address for a delivery receipt may not contain (the double quote is
// refused separately).
inline constexpr std::string_view kInvalidEmailCharacters = "!#$%^&*()=+{}[]|\\;:'/?>,< ";

// The number as the fax software receives it: without "-", "+", "(", ")", blanks and control
// characters, everything else kept in order.
std::string CleanFaxNumber(std::string_view text);
// The text without carriage returns; line feeds and everything else stay.
std::string StripReturns(std::string_view text);
// Whether a cleaned number is one the fax software can dial: digits, with group separators (",")
// and at most one decimal separator (".") each standing between digits. Any length passes.
bool IsDialableNumber(std::string_view clean) noexcept;
// Whether the cleaned number is dialable.
bool IsAcceptableFaxNumber(std::string_view text);
// A number, and a name or a company. Texts count as they are: a mark of blanks is present.
bool HasRequiredMarks(std::string_view number, std::string_view name, std::string_view company);
// An address for a delivery receipt: the character and "@"/"." tests of the delivery dialog, and
// nothing that is not printable UTF-8 (no control characters, no DEL, no broken bytes).
bool IsValidEmailAddress(std::string_view text);

}  // namespace telvora
