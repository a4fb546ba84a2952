// The add-in's one number grammar: what counts as numeric text, and the 16-bit conversion.
#include "base/conversions.h"

#include <gtest/gtest.h>

#include "base/errors.h"

namespace telvora {
namespace {

TEST(NumericText, DigitStringsAndOrdinaryNumbersAreNumeric) {
    for (const char* text : {"0", "12345", "0299876543", " 42 ", "-5", "+5", "1.5", ".5", "5.", "1,234",
                             "1,234,567.25", "1e5", "2D3", "&H1F", "&o17"}) {
        EXPECT_TRUE(isNumeric(text)) << text;
    }
}

TEST(NumericText, TextThatFormsNoNumberIsNotNumeric) {
    for (const char* text : {"", " ", "abc", "12a", "ext12", "1#2", "1*2", "1/2", "--", "1.2.3", ",12", "12,",
                             "1,,2", "e5", "1e", "&H", "&HG", "&X12", "1 2", "\t"}) {
        EXPECT_FALSE(isNumeric(text)) << '"' << text << '"';
    }
}

TEST(NumericText, ConversionToAShortRoundsHalvesToEvenAndGuardsItsRange) {
    EXPECT_EQ(textToInt16("7"), 7);
    EXPECT_EQ(textToInt16("2.5"), 2);
    EXPECT_EQ(textToInt16("3.5"), 4);
    EXPECT_EQ(textToInt16("-32768"), -32768);
    EXPECT_EQ(textToInt16("&HFFFF"), -1);
    try {
        textToInt16("32768");
        ADD_FAILURE() << "no overflow";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), err::Overflow);
        EXPECT_EQ(e.description(), "Overflow");
    }
    try {
        textToInt16("seven");
        ADD_FAILURE() << "no type mismatch";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), err::TypeMismatch);
        EXPECT_EQ(e.description(), "Type mismatch");
    }
}

}  // namespace
}  // namespace telvora
