// The value a late-bound call passes and returns: the subset of the automation VARIANT the
// add-in and the fax software exchange.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace telvora {

class AutomationObject;

struct Empty {
    bool operator==(const Empty&) const = default;
};

// A macro's Null: no valid data. Any conversion of it raises "Invalid use of Null" (94).
struct Null {
    bool operator==(const Null&) const = default;
};

// A date-time as the automation world keeps it: days since 30 December 1899, fraction = time.
// `text` is the date as the platform writes it in the user's locale (what a macro's CStr gives
// there); a date made without one reads under English (United States) rules.
struct DateValue {
    double serial = 0.0;
    std::string text;
    bool operator==(const DateValue& other) const noexcept { return serial == other.serial; }
};

// A value of a kind the add-in does not read (a record, a multi-dimensional array, an interface
// that is no automation object): it can be held and passed over, and any use of it as a value
// raises type mismatch (13), as it would in a macro.
struct Opaque {
    std::uint16_t kind = 0;  // what the platform calls its type (a VARTYPE on Windows)
    bool operator==(const Opaque&) const = default;
};

class Variant {
public:
    using Object = std::shared_ptr<AutomationObject>;
    // A one-dimensional array (a SAFEARRAY on Windows), its elements in order from its lower bound.
    // Arrays are values: a copy shares the elements, which nothing changes.
    using Array = std::shared_ptr<const std::vector<Variant>>;
    using Value =
        std::variant<Empty, Null, bool, std::int16_t, std::int32_t, double, std::string, DateValue, Object, Array, Opaque>;

    Variant() = default;
    Variant(bool v) : value_(v) {}
    Variant(std::int16_t v) : value_(v) {}
    Variant(std::int32_t v) : value_(v) {}
    Variant(double v) : value_(v) {}
    Variant(std::string v) : value_(std::move(v)) {}
    Variant(const char* v) : value_(std::string(v)) {}
    Variant(DateValue v) : value_(v) {}
    Variant(Null v) : value_(v) {}
    Variant(Object v) : value_(std::move(v)) {}
    Variant(Opaque v) : value_(v) {}
    // An array of these elements.
    static Variant array(std::vector<Variant> elements);

    const Value& value() const noexcept { return value_; }
    bool isEmpty() const noexcept { return std::holds_alternative<Empty>(value_); }
    bool isNull() const noexcept { return std::holds_alternative<Null>(value_); }
    template <class T> bool is() const noexcept { return std::holds_alternative<T>(value_); }
    template <class T> const T& get() const { return std::get<T>(value_); }

    // Conversions with the macro runtime's rules; each raises type mismatch (13), overflow (6) or
    // invalid use of Null (94) where a macro would.
    std::string toString() const;
    std::int16_t toInt16() const;
    std::int32_t toInt32() const;
    double toDouble() const;
    bool toBool() const;
    Object toObject() const;
    // The elements of an array; raises 13 for any other value.
    const std::vector<Variant>& elements() const;

    bool operator==(const Variant& other) const;

private:
    Value value_;
};

// A value as the type it travels as through late binding, colon, its text, as logs show it:
// "BSTR:PC1", "I4:5", "I2:1", "BOOL:True", "R8:2.500000", "DATE:39807.604167", "EMPTY:",
// "DISPATCH:object", "ARRAY:[BSTR:1,BSTR:2]", "OPAQUE:8195".
std::string describeTyped(const Variant& value);

// One named argument of a late-bound call ("ServerName" := "PC1").
struct NamedArg {
    std::string name;
    Variant value;
};

using Args = std::vector<Variant>;
using NamedArgs = std::vector<NamedArg>;

}  // namespace telvora
