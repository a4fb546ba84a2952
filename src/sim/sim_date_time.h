// Dates and times on the simulated machine: English (United States) rules, as a Windows machine set
// to that locale writes and reads them, with the machine's own clock for dates typed without a year.
#pragma once

#include "ports/date_time.h"
#include "ports/platform.h"

namespace telvora::sim {

// Reading follows the system's rules for that locale: a numeric date is month first ("6/12/2026"
// is June 12) unless that is no date and day first is ("25/12/2026"); a year of four digits may
// lead ("2026-12-06"); month names (full or three letters, any letter case) stand anywhere in the
// date ("07-Jun-26", "Jun 7, 2026"); a time is hours with optional minutes and seconds after ":",
// and AM, PM, A or P ("3 PM", "15:30", "03:30:07 PM"), before or after the date. Two-digit years
// fall in 1950-2049.
class SimDateTime final : public DateTimeTexts {
public:
    explicit SimDateTime(Platform& clock) : clock_(clock) {}

    std::string format(LocalTime moment, DateTimePattern pattern) override;
    std::optional<LocalTime> parse(std::string_view text) override;
    int twoDigitYearMax() override { return 2049; }

private:
    Platform& clock_;
};

}  // namespace telvora::sim
