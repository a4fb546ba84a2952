// Dates and times through the system's own conversions, in the locales of users on both sides of
// the month-first / day-first divide and with month names of their own: every text the dialogs
// write reads back as the same moment.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <cmath>

#include "support/date_time_contract.h"
#include "win32/win32_date_time.h"

namespace telvora::win32 {
namespace {

template <LCID Locale>
class LocaleBinding {
public:
    DateTimeTexts& dateTimes() { return dates_; }

private:
    Win32DateTime dates_{Locale};
};

constexpr LCID kEnglishUS = 0x0409;
constexpr LCID kEnglishUK = 0x0809;
constexpr LCID kGerman = 0x0407;
constexpr LCID kFrench = 0x040C;
constexpr LCID kFinnish = 0x040B;

using Locales = ::testing::Types<LocaleBinding<kEnglishUS>, LocaleBinding<kEnglishUK>, LocaleBinding<kGerman>,
                                 LocaleBinding<kFrench>, LocaleBinding<kFinnish>>;

using namespace telvora::testing;  // the contract's suite
INSTANTIATE_TYPED_TEST_SUITE_P(Win32, DateTimeContract, Locales);

using testing::moment;
using P = DateTimePattern;

TEST(Win32DateTime, TheTwelveHourClockIsWrittenAsWindowsWritesIt) {
    Win32DateTime us(kEnglishUS);
    EXPECT_EQ(us.format(moment(2026, 12, 6, 15, 30, 7), P::DateTimeSeconds12), "06-Dec-2026 03:30:07 PM");
    EXPECT_EQ(us.format(moment(2026, 12, 6, 0, 5), P::Time12), "12:05 AM");
    EXPECT_EQ(us.format(moment(2026, 12, 6, 12, 5), P::DateTimeMinutes12), "06-Dec-2026 12:05 PM");
    EXPECT_EQ(us.format(moment(2026, 12, 6, 15, 30, 7), P::Time24), "15:30");
}

TEST(Win32DateTime, MonthNamesAndDateSeparatorsAreTheLocalesOwn) {
    Win32DateTime german(kGerman);
    const LocalTime december = moment(2026, 12, 6, 15, 30);
    EXPECT_EQ(german.format(december, P::DayMonthNameYear2), "06-Dez-26");
    EXPECT_EQ(german.format(december, P::DayMonthYear), "06.12.2026");
    // Times keep ":" where a Finnish machine would write "15.30", which it cannot read back.
    EXPECT_EQ(Win32DateTime(kFinnish).format(december, P::Time24), "15:30");
}

TEST(Win32DateTime, SerialDatesCountDaysFromTheZeroDayAndTheTimeForwardEvenBeforeIt) {
    using namespace std::chrono;
    const LocalTime afternoon = moment(2026, 12, 6, 15, 30, 7);
    SYSTEMTIME st{2026, 12, 0, 6, 15, 30, 7, 0};
    DATE systems = 0;
    ASSERT_TRUE(::SystemTimeToVariantTime(&st, &systems));
    EXPECT_NEAR(toSerial(afternoon), systems, 1e-9);
    EXPECT_EQ(fromSerial(systems), afternoon);
    EXPECT_DOUBLE_EQ(toSerial(moment(1899, 12, 29, 6)), -1.25);
    EXPECT_EQ(fromSerial(-1.25), moment(1899, 12, 29, 6));
    EXPECT_EQ(fromSerial(0.99999999), moment(1899, 12, 31)) << "rounded to the second";
    EXPECT_EQ(fromSerial(3e6), std::nullopt);
    EXPECT_EQ(fromSerial(std::nan("")), std::nullopt);
}

TEST(Win32DateTime, ATextWithANulInItIsNoDate) {
    Win32DateTime us(kEnglishUS);
    EXPECT_EQ(us.parse(std::string("12/6/2026\0 and more", 19)), std::nullopt);
    EXPECT_EQ(us.parse("12/6/2026"), moment(2026, 12, 6));
}

}  // namespace
}  // namespace telvora::win32
