// Fax number, mark and e-mail address checks.
#include "core/validation.h"

#include "base/conversions.h"

namespace telvora {

std::string CleanFaxNumber(std::string_view text) {
    std::string clean;
    clean.reserve(text.size());
    for (char c : text) {
        const auto code = static_cast<unsigned char>(c);
        if (code < 32 || c == '-' || c == '+' || c == '(' || c == ')' || c == ' ') continue;
        clean += c;
    }
    return clean;
}

std::string StripReturns(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c != '\r') out += c;
    }
    return out;
}

bool IsAcceptableFaxNumber(std::string_view text) { return isNumeric(CleanFaxNumber(text)); }

bool HasRequiredMarks(std::string_view number, std::string_view name, std::string_view company) {
    return !number.empty() && (!name.empty() || !company.empty());
}

bool IsValidEmailAddress(std::string_view s) {
    if (s.find('"') != std::string_view::npos) return false;
    if (s.find("..") != std::string_view::npos) return false;
    if (s.find_first_of(kInvalidEmailCharacters) != std::string_view::npos) return false;
    const std::size_t at = s.find('@');
    if (at == std::string_view::npos || at == 0) return false;
    const std::string_view domain = s.substr(at + 1);
    if (domain.find('@') != std::string_view::npos) return false;
    const std::size_t dot = domain.find('.');
    const std::string_view after = dot == std::string_view::npos ? domain : domain.substr(dot + 1);
    if ((dot != std::string_view::npos && dot + 1 == domain.size()) || after.empty()) return false;
    const std::string_view before = dot == std::string_view::npos ? std::string_view() : domain.substr(0, dot);
    return !before.empty();
}

}  // namespace telvora
