// The documented types every stand-in answers by: a value put into a typed member is coerced as a
// type-library server coerces it or refused; an answer of a type the documentation does not give
// fails the test that met it.
#include "documented/members.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace telvora::documented {
namespace {

TEST(DocumentedMembers, AValueIsCoercedToItsDocumentedTypeOrRefused) {
    const auto readDate = [](std::string_view text) -> std::optional<double> {
        return text == "12/25/2008 2:30:00 PM" ? std::optional<double>(39807.604166666664) : std::nullopt;
    };
    const struct {
        Type type;
        Variant value;
        std::optional<Variant> coerced;
    } cases[] = {
        {Type::Long, Variant(std::int16_t{4}), Variant(std::int32_t{4})},
        {Type::Long, Variant("12"), Variant(std::int32_t{12})},
        {Type::Long, Variant(true), Variant(std::int32_t{-1})},
        {Type::Long, Variant("twelve"), std::nullopt},
        {Type::Long, Variant(3e10), std::nullopt},
        {Type::Boolean, Variant(std::int32_t{1}), Variant(true)},
        {Type::Boolean, Variant("maybe"), std::nullopt},
        {Type::Integer, Variant(std::int32_t{70000}), std::nullopt},
        {Type::String, Variant(std::int32_t{5}), Variant("5")},
        {Type::String, Variant::array({Variant("a")}), std::nullopt},
        {Type::String, Variant(Null{}), std::nullopt},
        {Type::Date, Variant("12/25/2008 2:30:00 PM"), Variant(DateValue{39807.604166666664, {}})},
        {Type::Date, Variant("next Tuesday"), std::nullopt},
        {Type::Date, Variant(39807.5), Variant(DateValue{39807.5, {}})},
        {Type::Object, Variant("x"), std::nullopt},
        {Type::Variant, Variant::array({Variant("a")}), Variant::array({Variant("a")})},
    };
    for (const auto& c : cases) {
        const auto got = coerce(c.type, c.value, readDate);
        EXPECT_EQ(got.has_value(), c.coerced.has_value()) << static_cast<int>(c.type) << " " << c.value.toString();
        if (got && c.coerced) {
            EXPECT_EQ(*got, *c.coerced);
        }
    }
}

TEST(DocumentedMembers, AnAnswerOfAnotherTypeIsAViolationThatIsNeverSwallowed) {
    std::vector<std::string> violations;
    const Member& submit = *find("FAXCOMEX.FaxDocument", "ConnectedSubmit");
    const Variant ids = Variant::array({Variant("0201c4a3"), Variant("0201c4a4")});
    EXPECT_EQ(checkedAnswer(submit, ids, violations), ids);
    // A job identifier as a plain text is what a kind stand-in would answer.
    EXPECT_THROW((void)checkedAnswer(submit, Variant("0201c4a3"), violations), std::logic_error);
    // True is a Boolean, never the number 1.
    EXPECT_THROW((void)checkedAnswer(*find("Word.Find", "Execute"), Variant(std::int32_t{1}), violations),
                 std::logic_error);
    ASSERT_EQ(violations.size(), 2u);
    EXPECT_NE(violations[0].find("FAXCOMEX.FaxDocument.ConnectedSubmit answered a String"), std::string::npos)
        << violations[0];
}

}  // namespace
}  // namespace telvora::documented
