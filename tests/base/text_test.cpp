// The text helpers every floor shares: names compared as Word compares them, the runtime's trim,
// and characters kept apart from bytes so no broken UTF-8 reaches a document or a receipt mail.
#include "base/text.h"

#include <gtest/gtest.h>

#include "base/errors.h"
#include "support/error_number.h"

namespace telvora {
namespace {

TEST(Text, NamesCompareWithoutRegardToTheCaseOfLatinLetters) {
    EXPECT_TRUE(equalsIgnoringCase("tlvFaxNumber", "TLVFAXNUMBER"));
    EXPECT_FALSE(equalsIgnoringCase("tlvFaxNumber", "tlvFaxNumbers"));
    // Only A-Z fold: bytes of other characters must match exactly.
    EXPECT_FALSE(equalsIgnoringCase("\xC3\xA9", "\xC3\x89"));
    EXPECT_EQ(lowerAscii("Telvora.Buttons \xC3\x89"), "telvora.buttons \xC3\x89");
}

TEST(Text, TrimRemovesSpacesOnlyAsTheRuntimeDoesWhileNumbersMayCarryTabs) {
    EXPECT_EQ(trimBlanks("  x y  "), "x y");
    EXPECT_EQ(trimBlanks("\tx\t"), "\tx\t");
    EXPECT_EQ(trimBlanks("   "), "");
    EXPECT_EQ(trimSpacesAndTabs(" \t12\t "), "12");
}

TEST(Text, WellFormedUtf8IsToldFromBrokenBytes) {
    EXPECT_TRUE(isValidUtf8(""));
    EXPECT_TRUE(isValidUtf8("M\xC3\xBCller \xE6\x9D\xB1\xE4\xBA\xAC \xF0\x9F\x93\xA0"));
    for (const char* broken : {"\xC3", "\xC3(", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                               "\xFF", "a\x80"}) {
        EXPECT_FALSE(isValidUtf8(broken)) << "bytes of " << broken;
    }
}

TEST(Text, CharactersAreCodePointsNotBytes) {
    const auto chars = splitCharacters("a\xC3\xBC\xF0\x9F\x93\xA0\r");
    ASSERT_EQ(chars.size(), 4u);
    EXPECT_EQ(chars[1], "\xC3\xBC");
    EXPECT_EQ(chars[2], "\xF0\x9F\x93\xA0");
    EXPECT_EQ(characterCount("a\xC3\xBC\xF0\x9F\x93\xA0\r"), 4u);
    EXPECT_EQ(testing::errorOf([] { splitCharacters("ok\xC3"); }), err::InvalidProcedureCall);
}

}  // namespace
}  // namespace telvora
