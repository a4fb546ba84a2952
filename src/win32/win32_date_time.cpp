// Dates and times through oleaut32.
#include "win32/win32_date_time.h"

#include <oleauto.h>

#include <cmath>

#include "base/date_serial.h"
#include "win32/com_errors.h"
#include "win32/handles.h"
#include "win32/text.h"

namespace telvora::win32 {
namespace {

using namespace std::chrono;


// The Format pattern of each way of writing. Hours, minutes and seconds are joined by an escaped
// ":" so the locale's own time separator (which the system does not always read back) is not put
// in its place; the half of the day is a quoted "AM" or "PM" (see format).
const wchar_t* patternOf(DateTimePattern pattern) noexcept {
    switch (pattern) {
    case DateTimePattern::DayMonthYear: return L"dd/mm/yyyy";
    case DateTimePattern::DayMonthNameYear2: return L"dd-mmm-yy";
    case DateTimePattern::DateTimeSeconds12: return L"dd-mmm-yyyy hh\\:mm\\:ss";
    case DateTimePattern::DateTimeMinutes12: return L"dd-mmm-yyyy hh\\:mm";
    case DateTimePattern::Time12:
    case DateTimePattern::Time24:
    case DateTimePattern::ShortTime: return L"hh\\:mm";
    case DateTimePattern::ShortDate: return L"Short Date";
    case DateTimePattern::MonthAbbreviation: return L"mmm";
    // "/" escaped as ":" is: the locale's date separator must not take its place.
    case DateTimePattern::WinFaxDate: return L"mm\\/dd\\/yy";
    case DateTimePattern::WinFaxTime: return L"hh\\:mm\\:ss";
    }
    return L"";
}

bool twelveHour(DateTimePattern pattern) noexcept {
    return pattern == DateTimePattern::DateTimeSeconds12 || pattern == DateTimePattern::DateTimeMinutes12 ||
           pattern == DateTimePattern::Time12;
}

}  // namespace

std::string Win32DateTime::format(LocalTime moment, DateTimePattern pattern) {
    std::wstring picture = patternOf(pattern);
    LocalTime shown = moment;
    if (twelveHour(pattern)) {
        // Format's "AM/PM" turns the hours to the 12-hour clock on Windows but not on Wine, which
        // keeps "15:30 PM". Writing the 12-hour hour and the half of the day here gives the text
        // Windows gives, everywhere.
        const local_days day = floor<days>(moment);
        const hh_mm_ss<seconds> t(moment - day);
        const auto hour = t.hours().count();
        shown = day + hours(hour % 12 == 0 ? 12 : hour % 12) + t.minutes() + t.seconds();
        picture += hour < 12 ? L" \"AM\"" : L" \"PM\"";
    }
    UniqueVariant value;
    value->vt = VT_DATE;
    value->date = toSerial(shown);
    BYTE tokens[256];
    int used = 0;
    // Sunday first, and the week of 1 January first: the system's defaults (no pattern here names
    // a week).
    HRESULT hr = ::VarTokenizeFormatString(picture.data(), tokens, sizeof tokens, 1, 1, locale_, &used);
    if (FAILED(hr)) throw errorFromHresult(hr);
    Bstr text;
    hr = ::VarFormatFromTokens(value.get(), picture.data(), tokens, 0, text.put(), locale_);
    if (FAILED(hr)) throw errorFromHresult(hr);
    return narrow(bstrText(text.get()));
}

std::optional<LocalTime> Win32DateTime::parse(std::string_view text) {
    // The system would stop reading at a NUL and take what came before it.
    if (text.find('\0') != std::string_view::npos) return std::nullopt;
    Bstr wide = makeBstr(widen(text));
    DATE serial = 0;
    if (FAILED(::VarDateFromStr(wide.get(), locale_, 0, &serial))) return std::nullopt;
    return fromSerial(serial);
}

int Win32DateTime::twoDigitYearMax() {
    DWORD year = 0;
    if (::GetCalendarInfoW(locale_, CAL_GREGORIAN, CAL_ITWODIGITYEARMAX | CAL_RETURN_NUMBER, nullptr, 0, &year) == 0 ||
        year < 99 || year > 9999)
        return 2049;
    return static_cast<int>(year);
}

}  // namespace telvora::win32
