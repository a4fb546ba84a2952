// The simulated machine's dates and times: a United States machine's texts, and its reading of what
// a user or the add-in may hand it.
#include "sim/sim_date_time.h"

#include <gtest/gtest.h>

#include "sim/sim_platform.h"
#include "support/date_time_contract.h"
#include "support/sim_addin.h"

namespace telvora::testing {
namespace {

class SimDateTimeBinding {
public:
    DateTimeTexts& dateTimes() { return dates_; }

private:
    ScratchFolder scratch_;
    sim::SimPlatform platform_{scratch_.path()};
    sim::SimDateTime dates_{platform_};
};

}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Sim, DateTimeContract, SimDateTimeBinding);

namespace {

using P = DateTimePattern;

class SimDateTimeTest : public ::testing::Test {
protected:
    SimDateTimeTest() { platform.clock = moment(2026, 3, 17, 9, 15); }

    ScratchFolder scratch;
    sim::SimPlatform platform{scratch.path()};
    sim::SimDateTime dates{platform};
};

TEST_F(SimDateTimeTest, WritesAsAUnitedStatesMachineDoes) {
    const LocalTime afternoon = moment(2026, 12, 6, 15, 30, 7);
    EXPECT_EQ(dates.format(afternoon, P::DayMonthYear), "06/12/2026");
    EXPECT_EQ(dates.format(afternoon, P::DayMonthNameYear2), "06-Dec-26");
    EXPECT_EQ(dates.format(afternoon, P::DateTimeSeconds12), "06-Dec-2026 03:30:07 PM");
    EXPECT_EQ(dates.format(afternoon, P::DateTimeMinutes12), "06-Dec-2026 03:30 PM");
    EXPECT_EQ(dates.format(afternoon, P::Time24), "15:30");
    EXPECT_EQ(dates.format(afternoon, P::ShortDate), "12/6/2026");
    EXPECT_EQ(dates.format(afternoon, P::ShortTime), "15:30");
    // The hour after midnight and the hour after noon are both 12 on the 12-hour clock.
    EXPECT_EQ(dates.format(moment(2026, 1, 1, 0, 5), P::Time12), "12:05 AM");
    EXPECT_EQ(dates.format(moment(2026, 1, 1, 12, 5), P::Time12), "12:05 PM");
    EXPECT_EQ(dates.format(moment(2005, 1, 1), P::DayMonthNameYear2), "01-Jan-05");
}

TEST_F(SimDateTimeTest, ReadsMonthFirstUnlessOnlyDayFirstIsADate) {
    EXPECT_EQ(dates.parse("6/12/2026"), moment(2026, 6, 12));
    EXPECT_EQ(dates.parse("25/12/2026"), moment(2026, 12, 25));
    EXPECT_EQ(dates.parse("2026-12-06"), moment(2026, 12, 6));
    EXPECT_EQ(dates.parse("6/12"), moment(2026, 6, 12)) << "this year, from the machine's clock";
    EXPECT_EQ(dates.parse("12/2027"), moment(2027, 12, 1));
}

TEST_F(SimDateTimeTest, ReadsMonthNamesWhereverTheyStand) {
    EXPECT_EQ(dates.parse("07-Jun-26"), moment(2026, 6, 7));
    EXPECT_EQ(dates.parse("Jun 7, 2026"), moment(2026, 6, 7));
    EXPECT_EQ(dates.parse("7 JUNE 2026 3:30 pm"), moment(2026, 6, 7, 15, 30));
    EXPECT_EQ(dates.parse("3:30 PM 7-jun-2026"), moment(2026, 6, 7, 15, 30));
    EXPECT_EQ(dates.parse("Jun 2026"), moment(2026, 6, 1));
}

TEST_F(SimDateTimeTest, ReadsTimesOnTheZeroDay) {
    const LocalTime zero(kZeroDay.time_since_epoch());
    using namespace std::chrono;
    EXPECT_EQ(dates.parse("3 PM"), zero + hours(15));
    EXPECT_EQ(dates.parse("15:30"), zero + hours(15) + minutes(30));
    EXPECT_EQ(dates.parse("12:00 AM"), zero);
    EXPECT_EQ(dates.parse("12:30 PM"), zero + hours(12) + minutes(30));
    EXPECT_EQ(dates.parse(" 03:30:07 p "), zero + hours(15) + minutes(30) + seconds(7));
}

TEST_F(SimDateTimeTest, WhatIsNoDateTimeReadsAsNothing) {
    for (const char* text : {"", "   ", "Invalid", "13:00 PM", "24:00", "10:60", "3:30 PM 4 PM", "6/12/2026 am",
                             "31/31/2026", "Time: 03:30 PM", "6/12/2026\xC2\xA0", "Jun Jul 2026", "5"}) {
        EXPECT_EQ(dates.parse(text), std::nullopt) << '"' << text << '"';
    }
}

}  // namespace
}  // namespace telvora::testing
