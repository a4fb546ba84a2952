// Variant conversions with the macro runtime's rules.
#include "base/variant.h"

#include <cmath>
#include <cstdio>

#include "base/conversions.h"
#include "base/date_serial.h"
#include "base/errors.h"

namespace telvora {
namespace {

template <class... F>
struct Overload : F... {
    using F::operator()...;
};
template <class... F>
Overload(F...) -> Overload<F...>;

[[noreturn]] void mismatch() { throw RuntimeError::standard(err::TypeMismatch); }
[[noreturn]] void nullUsed() { throw RuntimeError::standard(err::InvalidUseOfNull); }

}  // namespace

std::string Variant::toString() const {
    return std::visit(Overload{
                          [](const Empty&) { return std::string(); },
                          [](const Null&) -> std::string { nullUsed(); },
                          [](bool b) { return boolText(b); },
                          [](std::int16_t v) { return std::to_string(v); },
                          [](std::int32_t v) { return std::to_string(v); },
                          [](double v) {
                              char buf[32];
                              std::snprintf(buf, sizeof buf, "%.15g", v);
                              return std::string(buf);
                          },
                          [](const std::string& s) { return s; },
                          [](const DateValue& d) { return d.text.empty() ? usDateText(d.serial) : d.text; },
                          [](const Object&) -> std::string { mismatch(); },
                          [](const Array&) -> std::string { mismatch(); },
                          [](const Opaque&) -> std::string { mismatch(); },
                      },
                      value_);
}

double Variant::toDouble() const {
    return std::visit(Overload{
                          [](const Empty&) { return 0.0; },
                          [](const Null&) -> double { nullUsed(); },
                          [](bool b) { return b ? -1.0 : 0.0; },
                          [](std::int16_t v) { return static_cast<double>(v); },
                          [](std::int32_t v) { return static_cast<double>(v); },
                          [](double v) { return v; },
                          [](const std::string& s) {
                              const auto v = parseNumber(s);
                              if (!v) mismatch();
                              return *v;
                          },
                          [](const DateValue& d) { return d.serial; },
                          [](const Object&) -> double { mismatch(); },
                          [](const Array&) -> double { mismatch(); },
                          [](const Opaque&) -> double { mismatch(); },
                      },
                      value_);
}

std::int16_t Variant::toInt16() const { return roundToInt16(toDouble()); }

std::int32_t Variant::toInt32() const {
    const double r = std::nearbyint(toDouble());
    if (!std::isfinite(r) || r < -2147483648.0 || r > 2147483647.0) throw RuntimeError::standard(err::Overflow);
    return static_cast<std::int32_t>(r);
}

bool Variant::toBool() const {
    if (const auto* s = std::get_if<std::string>(&value_)) return textToBool(*s);
    if (const auto* b = std::get_if<bool>(&value_)) return *b;
    return toDouble() != 0.0;
}

Variant::Object Variant::toObject() const {
    if (const auto* o = std::get_if<Object>(&value_); o && *o) return *o;
    throw RuntimeError::objectNotSet();
}

Variant Variant::array(std::vector<Variant> elements) {
    Variant v;
    v.value_ = std::make_shared<const std::vector<Variant>>(std::move(elements));
    return v;
}

const std::vector<Variant>& Variant::elements() const {
    if (const auto* a = std::get_if<Array>(&value_); a && *a) return **a;
    mismatch();
}

std::string describeTyped(const Variant& value) {
    if (value.isEmpty()) return "EMPTY:";
    if (value.isNull()) return "NULL:";
    if (value.is<bool>()) return std::string("BOOL:") + (value.get<bool>() ? "True" : "False");
    if (value.is<std::int16_t>()) return "I2:" + std::to_string(value.get<std::int16_t>());
    if (value.is<std::int32_t>()) return "I4:" + std::to_string(value.get<std::int32_t>());
    if (value.is<double>()) return "R8:" + std::to_string(value.get<double>());
    if (value.is<DateValue>()) return "DATE:" + std::to_string(value.get<DateValue>().serial);
    if (value.is<std::string>()) return "BSTR:" + value.get<std::string>();
    if (value.is<Opaque>()) return "OPAQUE:" + std::to_string(value.get<Opaque>().kind);
    if (value.is<Variant::Array>()) {
        std::string text = "ARRAY:[";
        for (const auto& e : value.elements()) {
            if (text.size() > 7) text += ',';
            text += describeTyped(e);
        }
        return text + "]";
    }
    return std::string("DISPATCH:") + (value.get<Variant::Object>() ? "object" : "nothing");
}

bool Variant::operator==(const Variant& other) const {
    // Arrays are equal element by element, whoever holds them.
    const auto* a = std::get_if<Array>(&value_);
    const auto* b = std::get_if<Array>(&other.value_);
    if (a && b) return **a == **b;
    return value_ == other.value_;
}

}  // namespace telvora
