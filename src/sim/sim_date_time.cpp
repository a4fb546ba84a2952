// Dates and times in English (United States).
#include "sim/sim_date_time.h"

#include <array>
#include <cstdio>
#include <vector>

#include "base/text.h"

namespace telvora::sim {
namespace {

using namespace std::chrono;

constexpr std::array<const char*, 12> kMonthNames = {"January", "February", "March",     "April",   "May",      "June",
                                                     "July",    "August",   "September", "October", "November", "December"};

std::string abbreviation(unsigned month) { return std::string(kMonthNames[month - 1], 3); }

struct Parts {
    year_month_day date;
    hh_mm_ss<seconds> time;
};

Parts split(LocalTime moment) {
    const local_days day = floor<days>(moment);
    return {year_month_day(day), hh_mm_ss<seconds>(moment - day)};
}

std::string formatted(const char* pattern, auto... values) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, pattern, values...);
    return buffer;
}

// "03:30 PM": the 12-hour clock, 12 for the hour after midnight and after noon.
std::string clock12(const hh_mm_ss<seconds>& t, bool withSeconds) {
    const int hour = static_cast<int>(t.hours().count());
    const int shown = hour % 12 == 0 ? 12 : hour % 12;
    const char* half = hour < 12 ? "AM" : "PM";
    const int m = static_cast<int>(t.minutes().count());
    const int s = static_cast<int>(t.seconds().count());
    return withSeconds ? formatted("%02d:%02d:%02d %s", shown, m, s, half) : formatted("%02d:%02d %s", shown, m, half);
}

// --- Reading ------------------------------------------------------------------------------------

struct Token {
    enum Kind { Number, Word, Separator } kind;
    int value = 0;   // Number
    int digits = 0;  // Number
    std::string text{};  // Word, lower case
    char separator = 0;
};

std::optional<std::vector<Token>> tokens(std::string_view text) {
    std::vector<Token> out;
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (c == ' ' || c == '\t') {
            ++i;
        } else if (c >= '0' && c <= '9') {
            Token t{Token::Number};
            while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
                if (t.digits < 9) t.value = t.value * 10 + (text[i] - '0');
                ++t.digits;
                ++i;
            }
            out.push_back(t);
        } else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
            Token t{Token::Word};
            while (i < text.size() && ((text[i] >= 'a' && text[i] <= 'z') || (text[i] >= 'A' && text[i] <= 'Z')))
                t.text += text[i++];
            t.text = lowerAscii(t.text);
            out.push_back(t);
        } else if (c == '/' || c == '-' || c == '.' || c == ',' || c == ':') {
            Token t{Token::Separator};
            t.separator = c;
            out.push_back(t);
            ++i;
        } else {
            return std::nullopt;
        }
    }
    return out;
}

// 1..12 for a month's full name or its first three letters, 0 otherwise.
unsigned monthOf(const std::string& word) {
    for (unsigned m = 1; m <= 12; ++m) {
        const std::string full = lowerAscii(kMonthNames[m - 1]);
        if (word == full || word == full.substr(0, 3)) return m;
    }
    return 0;
}

int halfOfDay(const std::string& word) {
    if (word == "am" || word == "a") return 1;
    if (word == "pm" || word == "p") return 2;
    return 0;
}

// Takes the one time out of the tokens: "h:mm[:ss] [AM|PM]" or "h AM|PM". Nothing when a time is
// malformed; zero seconds of day and no change when there is no time.
std::optional<seconds> takeTime(std::vector<Token>& t, bool& found) {
    found = false;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i].kind != Token::Number) continue;
        const bool colon = i + 1 < t.size() && t[i + 1].kind == Token::Separator && t[i + 1].separator == ':';
        const bool halfOnly = i + 1 < t.size() && t[i + 1].kind == Token::Word && halfOfDay(t[i + 1].text) != 0;
        if (!colon && !halfOnly) continue;
        std::size_t end = i + 1;
        int h = t[i].value, m = 0, s = 0;
        if (colon) {
            if (end + 1 >= t.size() || t[end + 1].kind != Token::Number) return std::nullopt;
            m = t[end + 1].value;
            end += 2;
            if (end + 1 < t.size() && t[end].kind == Token::Separator && t[end].separator == ':') {
                if (t[end + 1].kind != Token::Number) return std::nullopt;
                s = t[end + 1].value;
                end += 2;
            }
        }
        int half = 0;
        if (end < t.size() && t[end].kind == Token::Word && halfOfDay(t[end].text) != 0) half = halfOfDay(t[end++].text);
        if (m > 59 || s > 59 || t[i].digits > 2) return std::nullopt;
        if (half != 0) {
            if (h > 12) return std::nullopt;
            if (half == 1 && h == 12) h = 0;
            if (half == 2 && h < 12) h += 12;
        } else if (h > 23) {
            return std::nullopt;
        }
        t.erase(t.begin() + static_cast<std::ptrdiff_t>(i), t.begin() + static_cast<std::ptrdiff_t>(end));
        found = true;
        return hours(h) + minutes(m) + seconds(s);
    }
    return seconds(0);
}

bool yearLike(const Token& n) { return n.digits >= 3 || n.value > 31; }

}  // namespace

std::string SimDateTime::format(LocalTime moment, DateTimePattern pattern) {
    const Parts p = split(moment);
    const int y = static_cast<int>(p.date.year());
    const unsigned mo = static_cast<unsigned>(p.date.month());
    const unsigned d = static_cast<unsigned>(p.date.day());
    const int hour = static_cast<int>(p.time.hours().count());
    const int minute = static_cast<int>(p.time.minutes().count());
    switch (pattern) {
    case DateTimePattern::DayMonthYear: return formatted("%02u/%02u/%04d", d, mo, y);
    case DateTimePattern::DayMonthNameYear2: return formatted("%02u-%s-%02d", d, abbreviation(mo).c_str(), (y % 100 + 100) % 100);
    case DateTimePattern::DateTimeSeconds12:
        return formatted("%02u-%s-%04d ", d, abbreviation(mo).c_str(), y) + clock12(p.time, true);
    case DateTimePattern::DateTimeMinutes12:
        return formatted("%02u-%s-%04d ", d, abbreviation(mo).c_str(), y) + clock12(p.time, false);
    case DateTimePattern::Time12: return clock12(p.time, false);
    case DateTimePattern::Time24:
    case DateTimePattern::ShortTime: return formatted("%02d:%02d", hour, minute);
    case DateTimePattern::ShortDate: return formatted("%u/%u/%04d", mo, d, y);
    case DateTimePattern::MonthAbbreviation: return abbreviation(mo);
    case DateTimePattern::WinFaxDate: return formatted("%02u/%02u/%02d", mo, d, (y % 100 + 100) % 100);
    case DateTimePattern::WinFaxTime:
        return formatted("%02d:%02d:%02d", hour, minute, static_cast<int>(p.time.seconds().count()));
    }
    return {};
}

std::optional<LocalTime> SimDateTime::parse(std::string_view text) {
    auto t = tokens(text);
    if (!t) return std::nullopt;
    bool hasTime = false;
    const auto time = takeTime(*t, hasTime);
    if (!time) return std::nullopt;

    std::vector<Token> numbers;
    unsigned namedMonth = 0;
    for (const Token& token : *t) {
        if (token.kind == Token::Number) {
            numbers.push_back(token);
        } else if (token.kind == Token::Word) {
            const unsigned m = monthOf(token.text);
            if (m == 0 || namedMonth != 0) return std::nullopt;
            namedMonth = m;
        } else if (token.separator == ':') {
            return std::nullopt;
        }
    }
    if (numbers.empty() && namedMonth == 0) {
        if (!hasTime) return std::nullopt;
        return LocalTime(kZeroDay.time_since_epoch() + *time);
    }

    const int maxYear = twoDigitYearMax();
    auto fullYear = [&](const Token& n) {
        if (n.digits > 2) return n.value;
        const int century = maxYear - maxYear % 100;
        return n.value <= maxYear % 100 ? century + n.value : century - 100 + n.value;
    };
    const int thisYear = static_cast<int>(year_month_day(floor<days>(clock_.now())).year());
    auto make = [](int y, int m, int d) {
        // Out of every calendar's range: no date (chrono keeps only small values of each part).
        if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1 || d > 31) return year_month_day{};
        return year{y} / month{static_cast<unsigned>(m)} / day{static_cast<unsigned>(d)};
    };

    std::vector<year_month_day> candidates;
    if (namedMonth != 0) {
        const int m = static_cast<int>(namedMonth);
        if (numbers.size() == 2) {
            if (yearLike(numbers[0]) && !yearLike(numbers[1])) candidates.push_back(make(fullYear(numbers[0]), m, numbers[1].value));
            else candidates.push_back(make(fullYear(numbers[1]), m, numbers[0].value));
        } else if (numbers.size() == 1) {
            if (yearLike(numbers[0])) candidates.push_back(make(fullYear(numbers[0]), m, 1));
            else candidates.push_back(make(thisYear, m, numbers[0].value));
        }
    } else if (numbers.size() == 3) {
        if (numbers[0].digits >= 3) {
            candidates.push_back(make(numbers[0].value, numbers[1].value, numbers[2].value));
        } else {
            const int y = fullYear(numbers[2]);
            candidates.push_back(make(y, numbers[0].value, numbers[1].value));
            candidates.push_back(make(y, numbers[1].value, numbers[0].value));
        }
    } else if (numbers.size() == 2) {
        if (yearLike(numbers[1])) {
            candidates.push_back(make(fullYear(numbers[1]), numbers[0].value, 1));
        } else if (numbers[0].digits >= 3) {
            candidates.push_back(make(numbers[0].value, numbers[1].value, 1));
        } else {
            candidates.push_back(make(thisYear, numbers[0].value, numbers[1].value));
            candidates.push_back(make(thisYear, numbers[1].value, numbers[0].value));
        }
    }
    for (const auto& ymd : candidates) {
        if (ymd.ok()) return LocalTime(local_days(ymd).time_since_epoch() + *time);
    }
    return std::nullopt;
}

}  // namespace telvora::sim
