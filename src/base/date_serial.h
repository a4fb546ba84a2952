// The automation world's date-time: days since 30 December 1899, the fraction the time of day
// (before that day the whole days count back while the fraction still counts forward). A Date
// value travels in this form between the add-in, Word and the fax software.
#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace telvora {

using LocalSeconds = std::chrono::local_time<std::chrono::seconds>;

double toSerial(LocalSeconds moment) noexcept;
// Nothing for a value outside the years 100-9999, which the system's conversions refuse too.
// Rounded to the second: a time of day kept in a double is never exact.
std::optional<LocalSeconds> fromSerial(double serial) noexcept;

// A Date as a macro's CStr writes it under English (United States) rules: "12/25/2008 2:30:00 PM";
// the date alone at midnight, the time alone on the zero day ("2:30:00 PM"). Raises overflow (6)
// for a serial outside the system's range.
std::string usDateText(double serial);

}  // namespace telvora
