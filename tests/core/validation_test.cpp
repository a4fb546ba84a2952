// Fax numbers, required marks and delivery-receipt addresses: the checks that stand between a
// user's text and the fax software.
#include "core/validation.h"

#include <gtest/gtest.h>

#include <random>

#include <regex>

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
    for (const std::string& ok : {std::string("+1 (55) 12-34"), std::string("0299 876 543"), std::string("(02)\t9876"),
                                  std::string("555\r"), std::string("1,234"), std::string("12.5"),
                                  std::string("1,234,567.89"), std::string(309, '9'), std::string(5000, '1')})
        EXPECT_TRUE(IsAcceptableFaxNumber(ok)) << ok;
    // The cleaned text is what the fax software dials: an exponent, a hexadecimal or octal
    // literal, a currency sign or a dangling separator is no telephone number.
    for (const char* bad : {"", "   ", "---", "()+ -", "ext 12", "12 34 x", "555-FAX", "12#34", "12*34", "12/34",
                            "\t\r\n", "&H1F", "&O17", "1E5", "2D3", "555.", ".555", "5,", ",5", "1..2", "1.2.3", "1,,2",
                            "1.2,3", "$555", "555\xE2\x82\xAC", "\xEF\xBC\x95\xEF\xBC\x95"})
        EXPECT_FALSE(IsAcceptableFaxNumber(bad)) << '"' << bad << '"';
}

// Whatever the user marks, the acceptance test never crashes and is exactly the dialable-number
// grammar applied to the number the fax software would receive.
TEST(FaxNumber, AcceptanceIsTheGrammarOfTheCleanedNumberForAnyText) {
    const std::regex dialable("[0-9]+(,[0-9]+)*(\\.[0-9]+)?");
    const std::string alphabet = "0123456789 ()-+.,eEdD&HhOo#*/xa\t\r\n\x01\"@";
    std::mt19937 random(20261206);
    for (int i = 0; i < 20000; ++i) {
        std::string s(random() % 12, ' ');
        for (char& c : s) c = alphabet[random() % alphabet.size()];
        const std::string clean = CleanFaxNumber(s);
        ASSERT_EQ(IsAcceptableFaxNumber(s), std::regex_match(clean, dialable)) << '"' << s << '"';
        ASSERT_EQ(StripReturns(s).find('\r'), std::string::npos);
        (void)IsValidEmailAddress(s);
    }
}

TEST(Marks, ANumberAndANameOrCompanyAreRequiredAndReturnsAreStripped) {
    EXPECT_TRUE(HasRequiredMarks("555", "", "Acme"));
    EXPECT_TRUE(HasRequiredMarks("555", "Ann", ""));
    EXPECT_TRUE(HasRequiredMarks(" ", " ", "")) << "blanks are tested as they are";
    EXPECT_FALSE(HasRequiredMarks("", "Ann", "Acme"));
    EXPECT_FALSE(HasRequiredMarks("555", "", ""));
    EXPECT_EQ(StripReturns("Ann Smith\r"), "Ann Smith");
    EXPECT_EQ(StripReturns("a\r\nb\rc"), "a\nbc");
}

TEST(EmailAddress, ControlCharactersAndBrokenBytesNeverReachAReceiptMail) {
    // A line break in the address would add mail headers of the typist's choosing.
    for (const std::string& bad : {std::string("a\r\nbcc@b.c"), std::string("a@b.c\n"), std::string("a\tb@c.d"),
                                  std::string("a\0b@c.d", 7), std::string("a\x7F@b.c"), std::string("a\xC3@b.c"),
                                  std::string("a\xFF@b.c")}) {
        EXPECT_FALSE(IsValidEmailAddress(bad)) << bad;
    }
    for (const char* ok : {"a@b.c", "ann.smith@example.com", "L.L@L.L", "x_y-z@mail.example.co.uk", "m\xC3\xBCller@example.com"})
        EXPECT_TRUE(IsValidEmailAddress(ok)) << ok;
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
