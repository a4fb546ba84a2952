// How the schedule dialog reads the date and time typed into it: its date field is read day first,
// as its hint "(dd/mm/yyyy)" promises, on every machine, and every date it writes reads back as the
// same day.
#pragma once

#include <optional>
#include <string_view>

#include "app/addin.h"
#include "ports/date_time.h"

namespace telvora {

// The date field, alone or followed by a time. A numeric date ("06/12/2026", "6.12.26", "06/12")
// is day, month and year in that order, whatever the locale (a United States system alone would
// read "06/12/2026" as June 12); a date with the locale's abbreviated month name in the middle
// ("07-Dec-26", the form the dialog writes for tomorrow) is read too. Anything else, and a numeric
// date that is no date day first ("12/25/2026"), is read as the system reads it. A year left out
// is this year's; a two-digit year falls in the system's window. Nothing when it is no date.
std::optional<LocalTime> ReadScheduleDate(DateTimeTexts& dates, LocalTime now, std::string_view text);

// The dialog's time test: today's date in the short date form, a blank and the text, read as a
// date-time; nothing when that is no date-time. The answer is today at the time typed.
std::optional<LocalTime> TimeTest(Addin& addin, std::string_view time);
// The dialog's date test: the text, a blank and the current time in the short time form, read as
// the date field is; nothing when that is no date-time. The answer is that day at the current time.
std::optional<LocalTime> DateTest(Addin& addin, std::string_view date);

// The minutes since midnight: times are compared to the minute, so a time in the current minute
// has not passed.
int minuteOfDay(LocalTime moment) noexcept;
std::chrono::local_days dayOf(LocalTime moment) noexcept;

}  // namespace telvora
