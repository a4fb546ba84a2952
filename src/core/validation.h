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
// Whether the cleaned number is numeric text.
bool IsAcceptableFaxNumber(std::string_view text);
// A number, and a name or a company. Texts count as they are: a mark of blanks is present.
bool HasRequiredMarks(std::string_view number, std::string_view name, std::string_view company);
bool IsValidEmailAddress(std::string_view text);

}  // namespace telvora
