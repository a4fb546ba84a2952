// The add-in's one number grammar and the conversions built on it.
#include "base/conversions.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

#include "base/errors.h"
#include "base/text.h"

namespace telvora {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
std::optional<double> parseRadix(std::string_view digits, int radix) {
    if (digits.empty() || digits.size() > 16) return std::nullopt;
    std::uint64_t v = 0;
    for (char c : digits) {
        int d;
        if (isDigit(c)) d = c - '0';
        else if (radix == 16 && std::isxdigit(static_cast<unsigned char>(c))) d = std::toupper(c) - 'A' + 10;
        else return std::nullopt;
        if (d >= radix) return std::nullopt;
        v = v * static_cast<unsigned>(radix) + static_cast<unsigned>(d);
    }
    // Literals of up to four hex digits are 16-bit, up to eight 32-bit, with the sign bit set
    // meaning a negative number.
    if (v <= 0xFFFF && digits.size() <= (radix == 16 ? 4u : 6u)) return static_cast<double>(static_cast<std::int16_t>(v));
    if (v <= 0xFFFFFFFFull) return static_cast<double>(static_cast<std::int32_t>(v));
    return std::nullopt;
}

}  // namespace

std::optional<double> parseNumber(std::string_view text) {
    std::string_view s = trimSpacesAndTabs(text);
    if (s.size() >= 2 && s[0] == '&') {
        const char kind = static_cast<char>(std::toupper(static_cast<unsigned char>(s[1])));
        if (kind == 'H') return parseRadix(s.substr(2), 16);
        if (kind == 'O') return parseRadix(s.substr(2), 8);
        return std::nullopt;
    }
    std::string plain;  // digits, sign, point and exponent, group separators dropped
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) plain += s[i++];
    bool digitsBefore = false;
    while (i < s.size() && (isDigit(s[i]) || s[i] == ',')) {
        if (s[i] == ',') {
            // A group separator stands between digits.
            if (!digitsBefore || i + 1 >= s.size() || !isDigit(s[i + 1])) return std::nullopt;
        } else {
            plain += s[i];
            digitsBefore = true;
        }
        ++i;
    }
    bool digitsAfter = false;
    if (i < s.size() && s[i] == '.') {
        plain += s[i++];
        while (i < s.size() && isDigit(s[i])) {
            plain += s[i++];
            digitsAfter = true;
        }
    }
    if (!digitsBefore && !digitsAfter) return std::nullopt;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        plain += 'e';
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) plain += s[i++];
        bool expDigits = false;
        while (i < s.size() && isDigit(s[i])) {
            plain += s[i++];
            expDigits = true;
        }
        if (!expDigits) return std::nullopt;
    }
    if (i != s.size()) return std::nullopt;
    char* end = nullptr;
    const double v = std::strtod(plain.c_str(), &end);
    if (end != plain.c_str() + plain.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

bool isNumeric(std::string_view text) { return parseNumber(text).has_value(); }

std::int16_t roundToInt16(double value) {
    const double r = std::nearbyint(value);  // the default rounding mode rounds halves to even
    if (!std::isfinite(r) || r < -32768.0 || r > 32767.0) throw RuntimeError::standard(err::Overflow);
    return static_cast<std::int16_t>(r);
}

std::int16_t textToInt16(std::string_view text) {
    const auto v = parseNumber(text);
    if (!v) throw RuntimeError::standard(err::TypeMismatch);
    return roundToInt16(*v);
}

bool textToBool(std::string_view text) {
    const std::string_view s = trimSpacesAndTabs(text);
    if (equalsIgnoringCase(s, "true")) return true;
    if (equalsIgnoringCase(s, "false")) return false;
    const auto v = parseNumber(s);
    if (!v) throw RuntimeError::standard(err::TypeMismatch);
    return *v != 0.0;
}

std::string boolText(bool value) { return value ? "True" : "False"; }

}  // namespace telvora
