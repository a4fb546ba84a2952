// The schedule dialog's reading of dates and times.
#include "dialogs/schedule_dates.h"

#include <algorithm>
#include <string>

#include "base/errors.h"
#include "base/text.h"

namespace telvora {
namespace {

using namespace std::chrono;

bool isDigit(char c) noexcept { return c >= '0' && c <= '9'; }

// Punctuation that can stand between the parts of a date (the locale's separator among them);
// ":" belongs to times.
bool isDateSeparator(char c) noexcept {
    return c != ':' && ((c >= '!' && c <= '/') || (c >= ':' && c <= '@') || (c >= '[' && c <= '`') || (c >= '{' && c <= '~'));
}

class Scanner {
public:
    explicit Scanner(std::string_view text) : text_(text) {}

    bool atEnd() const noexcept { return pos_ >= text_.size(); }
    char peek() const noexcept { return atEnd() ? '\0' : text_[pos_]; }
    void skip() noexcept { ++pos_; }
    void skipBlanks() noexcept {
        while (peek() == ' ') ++pos_;
    }
    // A run of digits: its value and how many digits it has (0 when there is none).
    std::pair<int, int> number() noexcept {
        int value = 0, count = 0;
        while (isDigit(peek())) {
            if (count < 6) value = value * 10 + (peek() - '0');
            ++count;
            ++pos_;
        }
        return {value, count};
    }
    // Up to the separator, a blank or the end.
    std::string_view word(char separator) noexcept {
        const std::size_t start = pos_;
        while (!atEnd() && peek() != separator && peek() != ' ') ++pos_;
        return text_.substr(start, pos_ - start);
    }
    std::string_view rest() const noexcept { return text_.substr(std::min(pos_, text_.size())); }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

std::string_view withoutFinalDot(std::string_view s) noexcept {
    return !s.empty() && s.back() == '.' ? s.substr(0, s.size() - 1) : s;
}

// 1..12 for the locale's abbreviated name of a month, in any letter case, with or without the
// final dot some locales give it; 0 otherwise.
unsigned monthNamed(DateTimeTexts& dates, std::string_view word) {
    if (withoutFinalDot(word).empty()) return 0;
    for (unsigned m = 1; m <= 12; ++m) {
        const LocalTime first(local_days(year{2000} / month{m} / day{1}).time_since_epoch());
        const std::string name = dates.format(first, DateTimePattern::MonthAbbreviation);
        if (equalsIgnoringCase(withoutFinalDot(name), withoutFinalDot(word))) return m;
    }
    return 0;
}

int fullYear(int twoDigits, int maxYear) noexcept {
    const int century = maxYear - maxYear % 100;
    return twoDigits <= maxYear % 100 ? century + twoDigits : century - 100 + twoDigits;
}

enum class Verdict { NotDayFirst, Read, NoDateTime };

struct Reading {
    Verdict verdict;
    LocalTime moment{};
};

Reading readDayFirst(DateTimeTexts& dates, LocalTime now, std::string_view text) {
    Scanner s(text);
    const auto [dayNumber, dayDigits] = s.number();
    if (dayDigits < 1 || dayDigits > 2 || !isDateSeparator(s.peek())) return {Verdict::NotDayFirst};
    const char separator = s.peek();
    s.skip();
    s.skipBlanks();

    unsigned monthNumber = 0;
    if (isDigit(s.peek())) {
        const auto [value, digits] = s.number();
        if (digits > 2) return {Verdict::NotDayFirst};
        monthNumber = static_cast<unsigned>(value);
    } else {
        monthNumber = monthNamed(dates, s.word(separator));
        if (monthNumber == 0) return {Verdict::NotDayFirst};
    }

    int yearNumber = static_cast<int>(year_month_day(floor<days>(now)).year());
    if (s.peek() == separator) {
        s.skip();
        s.skipBlanks();
        const auto [value, digits] = s.number();
        if (digits == 1 || digits == 2) yearNumber = fullYear(value, dates.twoDigitYearMax());
        else if (digits == 4) yearNumber = value;
        else return {Verdict::NotDayFirst};
    }
    if (!s.atEnd() && s.peek() != ' ') return {Verdict::NotDayFirst};

    const year_month_day date = year{yearNumber} / month{monthNumber} / day{static_cast<unsigned>(dayNumber)};
    if (!date.ok()) return {Verdict::NotDayFirst};
    const LocalTime midnight(local_days(date).time_since_epoch());

    const std::string time = trimBlanks(s.rest());
    if (time.empty()) return {Verdict::Read, midnight};
    // What follows the date must be a time alone.
    const auto t = dates.parse(time);
    if (!t || floor<days>(*t) != kZeroDay) return {Verdict::NoDateTime};
    return {Verdict::Read, midnight + (*t - LocalTime(kZeroDay.time_since_epoch()))};
}

}  // namespace

std::optional<LocalTime> ReadScheduleDate(DateTimeTexts& dates, LocalTime now, std::string_view text) {
    const std::string trimmed = trimBlanks(text);
    const Reading r = readDayFirst(dates, now, trimmed);
    switch (r.verdict) {
    case Verdict::Read: return r.moment;
    case Verdict::NoDateTime: return std::nullopt;
    case Verdict::NotDayFirst: break;
    }
    return dates.parse(trimmed);
}

std::optional<LocalTime> TimeTest(Addin& addin, std::string_view time) {
    DateTimeTexts& dates = addin.dateTimes();
    const LocalTime now = addin.platform().now();
    std::optional<LocalTime> read;
    // A conversion that fails is a time that does not pass.
    ignoreErrors(addin.diagnostics(), [&] { read = dates.parse(dates.format(now, DateTimePattern::ShortDate) + " " + std::string(time)); });
    return read;
}

std::optional<LocalTime> DateTest(Addin& addin, std::string_view date) {
    DateTimeTexts& dates = addin.dateTimes();
    const LocalTime now = addin.platform().now();
    std::optional<LocalTime> read;
    ignoreErrors(addin.diagnostics(), [&] {
        read = ReadScheduleDate(dates, now, std::string(date) + " " + dates.format(now, DateTimePattern::ShortTime));
    });
    return read;
}

int minuteOfDay(LocalTime moment) noexcept {
    return static_cast<int>(duration_cast<minutes>(moment - floor<days>(moment)).count());
}

local_days dayOf(LocalTime moment) noexcept { return floor<days>(moment); }

}  // namespace telvora
