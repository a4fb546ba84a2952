// Dates and times as texts: the one conversion the whole add-in uses to write a date-time with the
// patterns of its dialogs and to read a typed or written text back, in the user's locale. A
// schedule text travels from the dialogs to the fax software, so it must mean the same moment at
// every step on the user's machine.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "ports/platform.h"

namespace telvora {

// The day a time read without a date falls on, as the automation world counts days.
inline constexpr std::chrono::local_days kZeroDay{std::chrono::year{1899} / 12 / 30};

// How a date-time is written. The texts in quotes are the patterns as the dialogs name them.
enum class DateTimePattern {
    DayMonthYear,       // "dd/mm/yyyy", with the locale's date separator
    DayMonthNameYear2,  // "dd-mmm-yy", the locale's abbreviated month name
    DateTimeSeconds12,  // "dd-mmm-yyyy hh:mm:ss AM/PM"
    DateTimeMinutes12,  // "dd-mmm-yyyy hh:mm AM/PM"
    Time12,             // "hh:mm AM/PM"
    Time24,             // "hh:mm", 24-hour
    ShortDate,          // the locale's short date
    ShortTime,          // the short time form: 24-hour hours and minutes
    MonthAbbreviation,  // "mmm": the month's name as the "dd-mmm-yy" form writes it
    // The fixed forms WinFax takes a send time in, whatever the locale: "MM/DD/YY" (two-digit
    // month, day and year with "/") and "HH:MM:SS" (24-hour).
    WinFaxDate,
    WinFaxTime,
};

// Times are written with ":" between hours, minutes and seconds and with "AM"/"PM" as they stand,
// whatever the locale: every locale reads them back, while some cannot read their own time
// separator (a Finnish "03.30" comes back as 30 March).
class DateTimeTexts {
public:
    DateTimeTexts() = default;
    virtual ~DateTimeTexts() = default;
    DateTimeTexts(const DateTimeTexts&) = delete;
    DateTimeTexts& operator=(const DateTimeTexts&) = delete;

    virtual std::string format(LocalTime moment, DateTimePattern pattern) = 0;

    // Reads a date, a time, or both, as the user's system reads them (a macro's CDate); nothing for
    // a text that is none. A time alone falls on kZeroDay; a date alone is at midnight; a date
    // without a year is in the current year; a two-digit year falls in the hundred years that end
    // with twoDigitYearMax().
    virtual std::optional<LocalTime> parse(std::string_view text) = 0;

    // The last year a two-digit year can mean (2049 on current Windows).
    virtual int twoDigitYearMax() = 0;
};

}  // namespace telvora
