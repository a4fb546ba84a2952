// The values late-bound calls exchange, converted as a macro converts them: what the fax software
// and Word hand back must read the same here as in the template's macros.
#include "base/variant.h"

#include <gtest/gtest.h>

#include "base/errors.h"
#include "support/error_number.h"

namespace telvora {
namespace {

using testing::errorOf;

TEST(Variant, TextOfEachKindIsWhatAMacroWouldPrint) {
    EXPECT_EQ(Variant().toString(), "");
    EXPECT_EQ(Variant(true).toString(), "True");
    EXPECT_EQ(Variant(false).toString(), "False");
    EXPECT_EQ(Variant(std::int16_t{-7}).toString(), "-7");
    EXPECT_EQ(Variant(std::int32_t{2000000000}).toString(), "2000000000");
    EXPECT_EQ(Variant(2.5).toString(), "2.5");
    EXPECT_EQ(Variant("0299 876").toString(), "0299 876");
}

TEST(Variant, ADateReadsAsTheSystemWritesItAndAnArrayIsNoText) {
    // Without the platform's own text, English (United States) rules as a macro's CStr.
    EXPECT_EQ(Variant(DateValue{39807.604166666664, {}}).toString(), "12/25/2008 2:30:00 PM");
    EXPECT_EQ(Variant(DateValue{39807.0, {}}).toString(), "12/25/2008");
    EXPECT_EQ(Variant(DateValue{0.75, {}}).toString(), "6:00:00 PM");
    EXPECT_EQ(Variant(DateValue{0.0, {}}).toString(), "12:00:00 AM");
    EXPECT_EQ(Variant(DateValue{39807.5, "25.12.2008 12:00:00"}).toString(), "25.12.2008 12:00:00");
    EXPECT_EQ(Variant(DateValue{39807.5, {}}).toDouble(), 39807.5) << "never its serial as text";
    const Variant ids = Variant::array({Variant("1"), Variant("2")});
    EXPECT_EQ(ids.elements().size(), 2u);
    EXPECT_EQ(ids, Variant::array({Variant("1"), Variant("2")}));
    EXPECT_EQ(errorOf([&] { (void)ids.toString(); }), err::TypeMismatch);
    EXPECT_EQ(errorOf([] { (void)Variant(Opaque{36}).toDouble(); }), err::TypeMismatch);
    EXPECT_EQ(errorOf([] { (void)Variant("x").elements(); }), err::TypeMismatch);
}

TEST(Variant, NumbersFromTextFollowTheAddinsNumberGrammar) {
    EXPECT_EQ(Variant("1,234.5").toDouble(), 1234.5);
    EXPECT_EQ(Variant(" 42 ").toInt16(), 42);
    EXPECT_EQ(Variant().toDouble(), 0.0) << "Empty reads as zero";
    EXPECT_EQ(Variant(true).toInt16(), -1) << "True is -1";
    EXPECT_EQ(errorOf([] { (void)Variant("12a").toDouble(); }), err::TypeMismatch);
    EXPECT_EQ(errorOf([] { (void)Variant(Variant::Object()).toDouble(); }), err::TypeMismatch);
}

TEST(Variant, WholeNumbersRoundHalvesToEvenAndOverflowBeyondTheirRange) {
    EXPECT_EQ(Variant(2.5).toInt16(), 2);
    EXPECT_EQ(Variant(3.5).toInt16(), 4);
    EXPECT_EQ(Variant(-2.5).toInt16(), -2);
    EXPECT_EQ(Variant("-32768").toInt16(), -32768);
    EXPECT_EQ(errorOf([] { (void)Variant("32768").toInt16(); }), err::Overflow);
    EXPECT_EQ(Variant(2147483647.0).toInt32(), 2147483647);
    EXPECT_EQ(errorOf([] { (void)Variant(2147483648.0).toInt32(); }), err::Overflow);
}

TEST(Variant, BooleansReadTrueFalseInAnyCaseOrANumber) {
    EXPECT_TRUE(Variant("TRUE").toBool());
    EXPECT_FALSE(Variant("false").toBool());
    EXPECT_FALSE(Variant("0").toBool());
    EXPECT_TRUE(Variant(std::int32_t{2}).toBool());
    EXPECT_FALSE(Variant().toBool());
    EXPECT_EQ(errorOf([] { (void)Variant("yes").toBool(); }), err::TypeMismatch);
}

TEST(Variant, NullCannotBeUsedAsAnyValue) {
    const Variant null{Null{}};
    EXPECT_TRUE(null.isNull());
    EXPECT_FALSE(null.isEmpty());
    EXPECT_EQ(errorOf([&] { (void)null.toString(); }), err::InvalidUseOfNull);
    EXPECT_EQ(errorOf([&] { (void)null.toDouble(); }), err::InvalidUseOfNull);
    EXPECT_EQ(errorOf([&] { (void)null.toInt16(); }), err::InvalidUseOfNull);
    EXPECT_EQ(errorOf([&] { (void)null.toBool(); }), err::InvalidUseOfNull);
}

TEST(Variant, NothingIsNoObjectAndValuesKeepTheirKind) {
    EXPECT_EQ(errorOf([] { (void)Variant().toObject(); }), err::ObjectNotSet);
    EXPECT_EQ(errorOf([] { (void)Variant(Variant::Object()).toObject(); }), err::ObjectNotSet);
    EXPECT_FALSE(Variant(std::int16_t{1}) == Variant(std::int32_t{1})) << "an Integer is not a Long";
    EXPECT_TRUE(Variant("a") == Variant(std::string("a")));
}

}  // namespace
}  // namespace telvora
