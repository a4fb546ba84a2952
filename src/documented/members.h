// Every member the add-in calls on Word, the Windows fax service (legacy and extended) and WinFax,
// with the argument and result types their makers document and the page that documents each. The
// stand-ins for these programs (the simulated fax software and Word, the Wine recording server)
// answer and coerce by this table, so none of them is kinder to the add-in than the real program.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/variant.h"

namespace telvora::documented {

// The types the documentation gives, as a macro declares them.
enum class Type : std::uint8_t {
    Void,         // a Sub, or a method whose answer is documented as none: Empty
    Boolean,      // VT_BOOL; True is -1
    Integer,      // 16-bit (VT_I2)
    Long,         // 32-bit (VT_I4); Word's enumerations are Longs
    Single,       // VT_R4 (read as a Double here)
    Date,         // VT_DATE
    String,       // VT_BSTR
    Object,       // an automation object, or Nothing
    Variant,      // any value
    StringArray,  // a Variant holding a one-dimensional array of strings
};

enum class Kind : std::uint8_t {
    Method,
    Property,          // read and assigned
    ReadOnlyProperty,  // read only
};

struct Argument {
    std::string_view name;
    Type type;
    bool optional;
};

struct Member {
    std::string_view object;  // the class as its maker names it: "Word.Find", "FAXCOMEX.FaxDocument"
    std::string_view name;
    Kind kind;
    Type type;                // a method's answer or a property's value
    std::string_view answers; // for an Object: the class of the object answered
    std::vector<Argument> arguments;
    std::string_view page;    // where the maker documents it
};

// The whole table, in the order of the objects.
std::span<const Member> members();
// One member of a class, names compared without regard to letter case; null when the add-in
// never calls it.
const Member* find(std::string_view object, std::string_view member);
// The members of one class.
std::vector<const Member*> membersOf(std::string_view object);

// Whether `value` is of `type` as the program answers it (an Integer is no Long, True is a
// Boolean, a Single or Double is a number with a fraction allowed).
bool holds(Type type, const Variant& value);

// What a program built on a type library makes of a value put into a property or passed for an
// argument of `type` (DispInvoke's VariantChangeType in the caller's locale, here English (United
// States)): the value of `type`, or nothing when the value cannot become one, which the program
// refuses with a type mismatch. `readDate` reads a text as a date-time serial in that locale.
std::optional<Variant> coerce(Type type, const Variant& value,
                              const std::function<std::optional<double>(std::string_view)>& readDate = {});

// The text a violation of the table is reported with: what answered, and what the table allows.
std::string violation(const Member& member, const Variant& answer);

// A stand-in's answer as the table allows it: the answer itself; otherwise the violation is added
// to `violations` and raised as a logic error, which no part of the add-in swallows, so the test
// that met it fails.
Variant checkedAnswer(const Member& member, Variant answer, std::vector<std::string>& violations);

}  // namespace telvora::documented
