// The base every floor shares: the number grammar and conversions a macro would apply to the
// values late-bound calls exchange, text compared and trimmed as the runtime does and kept apart
// from bytes, and the errors the add-in ignores, each leaving a trace.
#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>

#include "base/conversions.h"
#include "base/errors.h"
#include "base/text.h"
#include "base/variant.h"
#include "support/error_number.h"

namespace telvora {
namespace {

using testing::errorOf;

TEST(NumericText, DigitStringsAndOrdinaryNumbersAreNumericAndNothingElse) {
    for (const char* text : {"0", "12345", "0299876543", " 42 ", "-5", "+5", "1.5", ".5", "5.", "1,234",
                             "1,234,567.25", "1e5", "2D3", "&H1F", "&o17"})
        EXPECT_TRUE(isNumeric(text)) << text;
    for (const char* text : {"", " ", "abc", "12a", "ext12", "1#2", "1*2", "1/2", "--", "1.2.3", ",12", "12,",
                             "1,,2", "e5", "1e", "&H", "&HG", "&X12", "1 2", "\t"})
        EXPECT_FALSE(isNumeric(text)) << '"' << text << '"';
}

TEST(NumericText, WholeNumbersRoundHalvesToEvenAndGuardTheirRange) {
    EXPECT_EQ(textToInt16("2.5"), 2);
    EXPECT_EQ(textToInt16("3.5"), 4);
    EXPECT_EQ(textToInt16("-32768"), -32768);
    EXPECT_EQ(textToInt16("&HFFFF"), -1);
    EXPECT_EQ(Variant(-2.5).toInt16(), -2);
    EXPECT_EQ(Variant(" 42 ").toInt16(), 42);
    EXPECT_EQ(Variant(true).toInt16(), -1) << "True is -1";
    EXPECT_EQ(Variant(2147483647.0).toInt32(), 2147483647);
    EXPECT_EQ(errorOf([] { (void)Variant(2147483648.0).toInt32(); }), err::Overflow);
    const RuntimeError overflow = testing::errorRaisedBy([] { textToInt16("32768"); });
    EXPECT_EQ(overflow.number(), err::Overflow);
    EXPECT_EQ(overflow.description(), "Overflow");
    const RuntimeError mismatch = testing::errorRaisedBy([] { textToInt16("seven"); });
    EXPECT_EQ(mismatch.number(), err::TypeMismatch);
    EXPECT_EQ(mismatch.description(), "Type mismatch");
}

TEST(Variant, TextOfEachKindIsWhatAMacroWouldPrintAndADateReadsAsTheSystemWritesIt) {
    const std::pair<Variant, const char*> cases[] = {
        {Variant(), ""}, {Variant(true), "True"}, {Variant(false), "False"}, {Variant(std::int16_t{-7}), "-7"}, {Variant(2.5), "2.5"},
        {Variant(std::int32_t{2000000000}), "2000000000"}, {Variant("0299 876"), "0299 876"},
        // Without the platform's own text, English (United States) rules as a macro's CStr.
        {Variant(DateValue{39807.604166666664, {}}), "12/25/2008 2:30:00 PM"}, {Variant(DateValue{39807.0, {}}), "12/25/2008"},
        {Variant(DateValue{0.75, {}}), "6:00:00 PM"}, {Variant(DateValue{0.0, {}}), "12:00:00 AM"},
        {Variant(DateValue{39807.5, "25.12.2008 12:00:00"}), "25.12.2008 12:00:00"}};
    for (const auto& [value, text] : cases) EXPECT_EQ(value.toString(), text);
    EXPECT_EQ(Variant(DateValue{39807.5, {}}).toDouble(), 39807.5) << "never its serial as text";
}

TEST(Variant, WhatHasNoValueOfTheKindAskedForRaisesTheMacrosError) {
    const Variant ids = Variant::array({Variant("1"), Variant("2")});
    EXPECT_EQ(ids.elements().size(), 2u);
    EXPECT_EQ(Variant("1,234.5").toDouble(), 1234.5);
    EXPECT_EQ(Variant().toDouble(), 0.0) << "Empty reads as zero";
    EXPECT_FALSE(Variant(std::int16_t{1}) == Variant(std::int32_t{1})) << "an Integer is not a Long";
    const Variant null{Null{}};
    EXPECT_FALSE(null.isEmpty());
    const std::pair<std::function<void()>, int> cases[] = {
        {[&] { (void)ids.toString(); }, err::TypeMismatch},
        {[] { (void)Variant(Opaque{36}).toDouble(); }, err::TypeMismatch},
        {[] { (void)Variant("x").elements(); }, err::TypeMismatch},
        {[] { (void)Variant("12a").toDouble(); }, err::TypeMismatch},
        {[] { (void)Variant(Variant::Object()).toDouble(); }, err::TypeMismatch},
        {[] { (void)Variant("yes").toBool(); }, err::TypeMismatch},
        {[&] { (void)null.toString(); }, err::InvalidUseOfNull},
        {[&] { (void)null.toDouble(); }, err::InvalidUseOfNull},
        {[&] { (void)null.toInt16(); }, err::InvalidUseOfNull},
        {[&] { (void)null.toBool(); }, err::InvalidUseOfNull},
        {[] { (void)Variant().toObject(); }, err::ObjectNotSet},
        {[] { (void)Variant(Variant::Object()).toObject(); }, err::ObjectNotSet}};
    for (std::size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(errorOf(cases[i].first), cases[i].second) << "case " << i;
}

TEST(Variant, BooleansReadTrueFalseInAnyCaseOrANumber) {
    const std::pair<Variant, bool> cases[] = {{Variant("TRUE"), true}, {Variant("false"), false}, {Variant("0"), false},
                                              {Variant(std::int32_t{2}), true}, {Variant(), false}};
    for (const auto& [value, expected] : cases) EXPECT_EQ(value.toBool(), expected) << value.toString();
}

TEST(Text, NamesCompareIgnoringOnlyLatinCaseAndTrimRemovesSpacesAsTheRuntimeDoes) {
    EXPECT_TRUE(equalsIgnoringCase("tlvFaxNumber", "TLVFAXNUMBER"));
    EXPECT_FALSE(equalsIgnoringCase("tlvFaxNumber", "tlvFaxNumbers"));
    // Only A-Z fold: bytes of other characters must match exactly.
    EXPECT_FALSE(equalsIgnoringCase("\xC3\xA9", "\xC3\x89"));
    EXPECT_EQ(lowerAscii("Telvora.Buttons \xC3\x89"), "telvora.buttons \xC3\x89");
    EXPECT_EQ(trimBlanks("  x y  "), "x y");
    EXPECT_EQ(trimBlanks("\tx\t"), "\tx\t");
    EXPECT_EQ(trimBlanks("   "), "");
    EXPECT_EQ(trimSpacesAndTabs(" \t12\t "), "12");
}

TEST(Text, CharactersAreCodePointsOfWellFormedUtf8NotBytes) {
    EXPECT_TRUE(isValidUtf8(""));
    EXPECT_TRUE(isValidUtf8("M\xC3\xBCller \xE6\x9D\xB1\xE4\xBA\xAC \xF0\x9F\x93\xA0"));
    for (const char* broken : {"\xC3", "\xC3(", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                               "\xFF", "a\x80"})
        EXPECT_FALSE(isValidUtf8(broken)) << "bytes of " << broken;
    const auto chars = splitCharacters("a\xC3\xBC\xF0\x9F\x93\xA0\r");
    EXPECT_EQ(chars, (std::vector<std::string>{"a", "\xC3\xBC", "\xF0\x9F\x93\xA0", "\r"}));
    EXPECT_EQ(characterCount("a\xC3\xBC\xF0\x9F\x93\xA0\r"), 4u);
    EXPECT_EQ(errorOf([] { splitCharacters("ok\xC3"); }), err::InvalidProcedureCall);
}

class Lines final : public Diagnostics {
public:
    void ignored(const RuntimeError& error, const CodePlace& where) noexcept override {
        lines.push_back(ignoredErrorLine(error, where));
    }
    std::vector<std::string> lines;
};

TEST(IgnoredErrors, EachIsWrittenWithWhereItWasIgnoredAndOnlyRunTimeErrorsAreSwallowed) {
    Lines log;
    EXPECT_FALSE(succeeded(log, [] { throw RuntimeError(5941, "No such member.", "Microsoft Word"); }));
    EXPECT_TRUE(succeeded(log, [] {}));
    ignoreErrors(log, [] { throw RuntimeError::standard(err::Overflow); });
    ASSERT_EQ(log.lines.size(), 2u);
    EXPECT_TRUE(log.lines[0].starts_with("ignored error 5941 (Microsoft Word: No such member.) in base/base_test.cpp:"))
        << log.lines[0];
    EXPECT_TRUE(log.lines[1].starts_with("ignored error 6 (Telvora: Overflow) in ")) << log.lines[1];
    // Memory running out and program faults are never swallowed.
    EXPECT_THROW(ignoreErrors(log, [] { throw std::bad_alloc(); }), std::bad_alloc);
    EXPECT_THROW((void)succeeded(log, [] { throw std::logic_error("a fault"); }), std::logic_error);
    EXPECT_EQ(log.lines.size(), 2u);
}

}  // namespace
}  // namespace telvora
