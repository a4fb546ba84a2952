// What every date-time conversion promises (the simulated machine's, and Windows' in several
// locales): each text the schedule and confirmation dialogs write reads back as the same moment,
// the way the dialogs and the fax software read it. A test program instantiates the suite with
// binding types that offer
//
//     DateTimeTexts& dateTimes();
//
//     INSTANTIATE_TYPED_TEST_SUITE_P(Sim, DateTimeContract, SimDateTimeBinding);
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "dialogs/schedule_dates.h"
#include "ports/date_time.h"
#include "support/moments.h"

namespace telvora::testing {

// Days across the two-digit-year window (1950-2049) every 17 days, and the days where a mistake
// shows: 29 February, the turn of the year, the turn of the century, the window's ends. Each day
// gets a time of its own, and the hours where the 12-hour clock turns.
inline std::vector<LocalTime> sampleMoments() {
    using namespace std::chrono;
    std::vector<LocalTime> out;
    const int specialTimes[][3] = {{0, 0, 0},   {0, 0, 1},   {0, 59, 59}, {11, 59, 59}, {12, 0, 0},
                                   {12, 0, 1},  {12, 30, 0}, {13, 0, 0},  {23, 59, 59}, {9, 5, 7}};
    const LocalTime specialDays[] = {moment(1950, 1, 1),   moment(1999, 12, 31), moment(2000, 1, 1),
                                     moment(2000, 2, 29),  moment(2024, 2, 29),  moment(2026, 12, 31),
                                     moment(2027, 1, 1),   moment(2028, 2, 29),  moment(2048, 2, 29),
                                     moment(2049, 12, 31)};
    for (const LocalTime day : specialDays)
        for (const auto& t : specialTimes) out.push_back(day + hours(t[0]) + minutes(t[1]) + seconds(t[2]));
    unsigned seed = 12345;
    for (LocalTime day = moment(1950, 1, 1); day < moment(2050, 1, 1); day += days(17)) {
        seed = seed * 1103515245u + 12345u;
        out.push_back(day + seconds((seed >> 8) % 86400));
    }
    return out;
}

template <class Binding>
class DateTimeContract : public ::testing::Test {
protected:
    std::string format(LocalTime t, DateTimePattern p) { return dates.format(t, p); }
    // The schedule dialog's reading of its date field.
    std::optional<LocalTime> readField(const std::string& text, LocalTime now) { return ReadScheduleDate(dates, now, text); }

    Binding binding;
    DateTimeTexts& dates = binding.dateTimes();
};

TYPED_TEST_SUITE_P(DateTimeContract);

TYPED_TEST_P(DateTimeContract, EveryTextTheDialogsWriteReadsBackAsTheSameMoment) {
    using P = DateTimePattern;
    auto& d = this->dates;
    int checks = 0;
    auto same = [&](const std::optional<LocalTime>& read, LocalTime expected, const std::string& text) {
        ++checks;
        EXPECT_TRUE(read.has_value() && *read == expected) << '"' << text << "\" read as "
                                                           << (read ? this->format(*read, P::DateTimeSeconds12) : "nothing");
    };
    for (const LocalTime m : sampleMoments()) {
        const LocalTime day = midnightOf(m);
        // The schedule dialog's date field as it opens, and after "tomorrow" was accepted.
        const std::string field = d.format(m, P::DayMonthYear);
        const std::string tomorrowField = d.format(m, P::DayMonthNameYear2);
        same(this->readField(field, m), day, field);
        same(this->readField(tomorrowField, m), day, tomorrowField);
        // The date test: either field and the current time.
        for (const std::string& date : {field, tomorrowField}) {
            const std::string dateTest = date + " " + d.format(m, P::ShortTime);
            same(this->readField(dateTest, m), toMinute(m), dateTest);
        }
        // The time field as it opens, read by the time test; and the two together as the schedule
        // label is worked out from them.
        const std::string timeField = d.format(m, P::Time12);
        const std::string timeTest = d.format(m, P::ShortDate) + " " + timeField;
        same(d.parse(timeTest), toMinute(m), timeTest);
        same(this->readField(tomorrowField + " " + timeField, m), toMinute(m), tomorrowField + " " + timeField);
        // The schedule texts the fax software is given, read as the system reads them.
        const std::string withSeconds = d.format(m, P::DateTimeSeconds12);
        const std::string withMinutes = d.format(m, P::DateTimeMinutes12);
        same(d.parse(withSeconds), m, withSeconds);
        same(d.parse(withMinutes), toMinute(m), withMinutes);
        // A 24-hour time alone falls on the zero day.
        const std::string time24 = d.format(m, P::Time24);
        same(d.parse(time24), LocalTime(kZeroDay.time_since_epoch()) + (toMinute(m) - day), time24);
    }
    EXPECT_GT(checks, 10000);
    ::testing::Test::RecordProperty("round trips", checks);
}

TYPED_TEST_P(DateTimeContract, EveryEntryOfTheTimeListPassesTheTimeTestAtItsOwnTime) {
    using namespace std::chrono;
    const LocalTime today = moment(2026, 3, 17);
    int entry = 0;
    for (const char* half : {"AM", "PM"}) {
        for (int h = 0; h < 12; ++h) {
            for (int mi : {0, 30}) {
                char text[16];
                std::snprintf(text, sizeof text, "%02d:%02d %s", h == 0 ? 12 : h, mi, half);
                const std::string timeTest = this->dates.format(today, DateTimePattern::ShortDate) + " " + text;
                EXPECT_EQ(this->dates.parse(timeTest), today + minutes(30 * entry)) << timeTest;
                ++entry;
            }
        }
    }
}

TYPED_TEST_P(DateTimeContract, TheDateFieldIsReadDayFirstWhateverTheLocale) {
    const LocalTime now = moment(2026, 3, 17, 9, 15);
    EXPECT_EQ(this->readField("06/12/2026", now), moment(2026, 12, 6));
    EXPECT_EQ(this->readField("6.12.26", now), moment(2026, 12, 6));
    EXPECT_EQ(this->readField("06-12-2026 03:30 PM", now), moment(2026, 12, 6, 15, 30));
    EXPECT_EQ(this->readField("6/12", now), moment(2026, 12, 6)) << "a year left out is this year's";
    // A numeric date that is no date day first is read as the system reads it.
    EXPECT_EQ(this->readField("12/25/2026", now), moment(2026, 12, 25));
    // What is no date stays none: no century is guessed, no month moved over.
    EXPECT_EQ(this->readField("31/02/2026", now), std::nullopt);
    EXPECT_EQ(this->readField("06/12/2026 25:00", now), std::nullopt);
    EXPECT_EQ(this->readField("06/12/2026 06/12/2026", now), std::nullopt);
    EXPECT_EQ(this->readField("next Tuesday", now), std::nullopt);
    EXPECT_EQ(this->readField("", now), std::nullopt);
}

TYPED_TEST_P(DateTimeContract, ATwoDigitYearFallsInTheSystemWindow) {
    const int max = this->dates.twoDigitYearMax();
    const LocalTime now = moment(2026, 3, 17);
    char last[16], first[16];
    std::snprintf(last, sizeof last, "01/01/%02d", max % 100);
    std::snprintf(first, sizeof first, "01/01/%02d", (max + 1) % 100);
    EXPECT_EQ(this->readField(last, now), moment(max, 1, 1));
    EXPECT_EQ(this->readField(first, now), moment(max - 99, 1, 1));
}

TYPED_TEST_P(DateTimeContract, WinFaxIsGivenItsFixedFormsWhateverTheLocale) {
    // WinFax reads "MM/DD/YY" and 24-hour "HH:MM:SS" only: a locale's separator, order or 12-hour
    // clock would send the fax at another time or not at all.
    const std::tuple<LocalTime, const char*, const char*> cases[] = {
        {moment(2026, 12, 6, 15, 30, 7), "12/06/26", "15:30:07"}, {moment(2000, 2, 29, 0, 0, 1), "02/29/00", "00:00:01"},
        {moment(1950, 1, 1, 12, 0, 0), "01/01/50", "12:00:00"}, {moment(2049, 12, 31, 23, 59, 59), "12/31/49", "23:59:59"}};
    for (const auto& [m, date, time] : cases) {
        EXPECT_EQ(this->format(m, DateTimePattern::WinFaxDate), date);
        EXPECT_EQ(this->format(m, DateTimePattern::WinFaxTime), time);
    }
}

REGISTER_TYPED_TEST_SUITE_P(DateTimeContract, EveryTextTheDialogsWriteReadsBackAsTheSameMoment,
                            EveryEntryOfTheTimeListPassesTheTimeTestAtItsOwnTime,
                            TheDateFieldIsReadDayFirstWhateverTheLocale, ATwoDigitYearFallsInTheSystemWindow,
                            WinFaxIsGivenItsFixedFormsWhateverTheLocale);

}  // namespace telvora::testing
