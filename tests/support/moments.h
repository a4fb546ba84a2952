// Moments of local time written as a calendar reads them, for tests that set or expect a clock.
#pragma once

#include <chrono>

#include "ports/platform.h"

namespace telvora::testing {

inline LocalTime moment(int y, unsigned mo, unsigned d, int h = 0, int mi = 0, int s = 0) {
    using namespace std::chrono;
    return LocalTime(local_days(year{y} / mo / d).time_since_epoch() + hours(h) + minutes(mi) + seconds(s));
}

inline LocalTime toMinute(LocalTime t) { return std::chrono::floor<std::chrono::minutes>(t); }
inline LocalTime midnightOf(LocalTime t) { return LocalTime(std::chrono::floor<std::chrono::days>(t).time_since_epoch()); }

}  // namespace telvora::testing
