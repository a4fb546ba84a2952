// Dates and times on Windows: the system's own variant date conversions (oleaut32's Format and
// VarDateFromStr) in the user's locale, so the add-in writes and reads a date-time as a macro on
// the same machine does, and as the fax service reads the schedule text it is given.
#pragma once

#include <windows.h>

#include "base/date_serial.h"
#include "ports/date_time.h"

namespace telvora::win32 {

class Win32DateTime final : public DateTimeTexts {
public:
    // The user's locale; a test names another one.
    explicit Win32DateTime(LCID locale = LOCALE_USER_DEFAULT) noexcept : locale_(locale) {}

    std::string format(LocalTime moment, DateTimePattern pattern) override;
    std::optional<LocalTime> parse(std::string_view text) override;
    // The locale's calendar setting; 2049 (the current Windows default) when it cannot be read.
    int twoDigitYearMax() override;

private:
    LCID locale_;
};

}  // namespace telvora::win32
