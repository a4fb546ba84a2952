// Fax numbers, required marks and delivery-receipt addresses: the checks that stand between a
// user's text and the fax software.
#include "core/validation.h"

#include <gtest/gtest.h>

#include <random>

#include "base/conversions.h"

namespace telvora {
namespace {

TEST(FaxNumber, CleaningKeepsDigitsAndDropsPunctuationBlanksAndControlCharacters) {
    EXPECT_EQ(CleanFaxNumber(""), "");
    EXPECT_EQ(CleanFaxNumber("+1 (2) 3-45"), "12345");
    EXPECT_EQ(CleanFaxNumber("(02) 98 76"), "029876");
    EXPECT_EQ(CleanFaxNumber("02\t98\n76\r"), "029876");
    EXPECT_EQ(CleanFaxNumber("9,555 12#34"), "9,55512#34") << "what is not removed stays in order";
}

TEST(FaxNumber, AcceptsNumbersWithBracketsAndBlanksAndRefusesTheRest) {
    for (const char* ok : {"+1 (55) 12-34", "0299 876 543", "(02)\t9876", "555\r"}) {
        EXPECT_TRUE(IsAcceptableFaxNumber(ok)) << ok;
    }
    for (const char* bad : {"", "   ", "---", "()+ -", "ext 12", "12 34 x", "555-FAX", "12#34", "12*34", "12/34",
                            "\t\r\n"}) {
        EXPECT_FALSE(IsAcceptableFaxNumber(bad)) << '"' << bad << '"';
    }
}

// Whatever the user marks, the acceptance test never crashes and is exactly the numeric test of
// the number the fax software would receive.
TEST(FaxNumber, AcceptanceIsTheNumericTestOfTheCleanedNumberForAnyText) {
    const std::string alphabet = "0123456789 ()-+.,eEdD&HhOo#*/xa\t\r\n\x01\"@";
    std::mt19937 random(20261206);
    for (int i = 0; i < 20000; ++i) {
        std::string s(random() % 12, ' ');
        for (char& c : s) c = alphabet[random() % alphabet.size()];
        ASSERT_EQ(IsAcceptableFaxNumber(s), isNumeric(CleanFaxNumber(s))) << '"' << s << '"';
        ASSERT_EQ(StripReturns(s).find('\r'), std::string::npos);
        (void)IsValidEmailAddress(s);
    }
}

TEST(Marks, ANumberAndANameOrCompanyAreRequired) {
    EXPECT_TRUE(HasRequiredMarks("555", "", "Acme"));
    EXPECT_TRUE(HasRequiredMarks("555", "Ann", ""));
    EXPECT_TRUE(HasRequiredMarks(" ", " ", "")) << "blanks are tested as they are";
    EXPECT_FALSE(HasRequiredMarks("", "Ann", "Acme"));
    EXPECT_FALSE(HasRequiredMarks("555", "", ""));
}

TEST(Marks, StrippingReturnsKeepsLineFeedsAndOrder) {
    EXPECT_EQ(StripReturns("Ann Smith\r"), "Ann Smith");
    EXPECT_EQ(StripReturns("a\r\nb\rc"), "a\nbc");
}

TEST(EmailAddress, OrdinaryAddressesPass) {
    for (const char* ok : {"a@b.c", "ann.smith@example.com", "L.L@L.L", "x_y-z@mail.example.co.uk"}) {
        EXPECT_TRUE(IsValidEmailAddress(ok)) << ok;
    }
}

TEST(EmailAddress, EachRejectingStepRefuses) {
    for (const char* bad : {"a\"b@c.d",  // a double quote
                            "L..L@L.L",  // two dots in a row
                            "an n@b.c", "ann@b.c;", "ann@(b).c", "ann:x@b.c",  // characters never allowed
                            "annb.c", "@L.L",  // no "@", or nothing before it
                            "L@L@L.L",  // a second "@"
                            "L@L.", "L@",  // nothing after the domain's dot, or no domain
                            "L@L", "L@.L"}) {  // nothing before the domain's dot
        EXPECT_FALSE(IsValidEmailAddress(bad)) << bad;
    }
}

}  // namespace
}  // namespace telvora
