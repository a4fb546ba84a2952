// Fax number, mark and e-mail address checks.
#include "core/validation.h"

#include "base/text.h"

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

bool IsDialableNumber(std::string_view clean) noexcept {
    // Digits, with group separators and at most one decimal separator each standing between two
    // digits, and no group separator after the decimal one. A grammar rather than a conversion, so
    // a number of any length passes and nothing the dialler could read differently (an exponent,
    // a hexadecimal or octal prefix, a currency sign, a separator at either end) does.
    bool decimalSeen = false;
    bool digitBefore = false;
    for (std::size_t i = 0; i < clean.size(); ++i) {
        const char c = clean[i];
        if (c >= '0' && c <= '9') {
            digitBefore = true;
            continue;
        }
        const bool digitAfter = i + 1 < clean.size() && clean[i + 1] >= '0' && clean[i + 1] <= '9';
        if (!digitBefore || !digitAfter) return false;
        if (c == '.' && !decimalSeen) {
            decimalSeen = true;
        } else if (c != ',' || decimalSeen) {
            return false;
        }
        digitBefore = false;
    }
    return digitBefore;
}

bool IsAcceptableFaxNumber(std::string_view text) { return IsDialableNumber(CleanFaxNumber(text)); }

bool HasRequiredMarks(std::string_view number, std::string_view name, std::string_view company) {
    return !number.empty() && (!name.empty() || !company.empty());
}

bool IsValidEmailAddress(std::string_view s) {
    // The address goes into the header of a receipt mail: a line break, any other control
    // character or a broken byte could add headers of the sender's choosing.
    if (!isValidUtf8(s)) return false;
    for (const char c : s) {
        const auto code = static_cast<unsigned char>(c);
        if (code < 32 || code == 127) return false;
    }
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
