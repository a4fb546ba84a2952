// Date serials.
#include "base/date_serial.h"

#include <cmath>
#include <cstdio>

#include "base/errors.h"

namespace telvora {
namespace {

using namespace std::chrono;

constexpr double kSecondsPerDay = 86400.0;
// 1 January 100 and 31 December 9999: the range of the system's date-time.
constexpr double kFirstSerial = -657434.0;
constexpr double kLastSerial = 2958465.0;
constexpr local_days kZero{year{1899} / 12 / 30};

}  // namespace

double toSerial(LocalSeconds moment) noexcept {
    const local_days day = floor<days>(moment);
    const double wholeDays = static_cast<double>((day - kZero).count());
    const double fraction = static_cast<double>((moment - day).count()) / kSecondsPerDay;
    return wholeDays >= 0 ? wholeDays + fraction : wholeDays - fraction;
}

std::optional<LocalSeconds> fromSerial(double serial) noexcept {
    if (!std::isfinite(serial) || serial < kFirstSerial || serial >= kLastSerial + 1.0) return std::nullopt;
    const double wholeDays = std::trunc(serial);
    const auto secondsOfDay = std::llround(std::fabs(serial - wholeDays) * kSecondsPerDay);
    return LocalSeconds(kZero.time_since_epoch() + days(static_cast<long long>(wholeDays)) + seconds(secondsOfDay));
}

std::string usDateText(double serial) {
    const auto moment = fromSerial(serial);
    if (!moment) throw RuntimeError::standard(err::Overflow);
    const local_days day = floor<days>(*moment);
    const year_month_day date(day);
    const hh_mm_ss<seconds> time(*moment - day);
    char dateText[32] = "";
    char timeText[32] = "";
    if (day != kZero)
        std::snprintf(dateText, sizeof dateText, "%u/%u/%d", static_cast<unsigned>(date.month()),
                      static_cast<unsigned>(date.day()), static_cast<int>(date.year()));
    const auto hour = time.hours().count();
    if (day == kZero || *moment != day)
        std::snprintf(timeText, sizeof timeText, "%d:%02d:%02d %s", static_cast<int>(hour % 12 == 0 ? 12 : hour % 12),
                      static_cast<int>(time.minutes().count()), static_cast<int>(time.seconds().count()),
                      hour < 12 ? "AM" : "PM");
    if (!*dateText) return timeText;
    if (!*timeText) return dateText;
    return std::string(dateText) + " " + timeText;
}

}  // namespace telvora
