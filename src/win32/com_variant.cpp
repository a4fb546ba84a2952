// Conversions between Variant and VARIANT.
#include "win32/com_variant.h"

#include <utility>

#include "base/errors.h"
#include "win32/automation.h"
#include "win32/text.h"

namespace telvora::win32 {
namespace {

// Small integers stay 16-bit (a macro's Integer); everything wider is a Long when it fits and a
// Double otherwise, so a 32-bit value never comes back as a different type.
template <class T>
Variant integer(T n) {
    if (std::in_range<std::int32_t>(n)) return Variant(static_cast<std::int32_t>(n));
    return Variant(static_cast<double>(n));
}

Variant shortInteger(std::int16_t n) { return Variant(n); }

// The element types a VARIANT can hold, which a one-dimensional SAFEARRAY of them carries too.
bool variantElement(VARTYPE element) noexcept {
    switch (element) {
    case VT_I1: case VT_UI1: case VT_I2: case VT_UI2: case VT_I4: case VT_UI4: case VT_INT: case VT_UINT:
    case VT_I8: case VT_UI8: case VT_R4: case VT_R8: case VT_CY: case VT_DATE: case VT_BSTR: case VT_DISPATCH:
    case VT_UNKNOWN: case VT_ERROR: case VT_BOOL: case VT_VARIANT: case VT_DECIMAL:
        return true;
    default:
        return false;
    }
}

// A one-dimensional array as the elements it holds, from its lower bound up; anything else (more
// dimensions, records, an element type no VARIANT holds) is an opaque value.
Variant fromSafeArray(SAFEARRAY* array, VARTYPE type, const std::string& source) {
    if (!array) return Variant(Opaque{type});
    VARTYPE element = VT_EMPTY;
    if (::SafeArrayGetDim(array) != 1 || FAILED(::SafeArrayGetVartype(array, &element)) || !variantElement(element))
        return Variant(Opaque{type});
    LONG lower = 0;
    LONG upper = -1;
    if (FAILED(::SafeArrayGetLBound(array, 1, &lower)) || FAILED(::SafeArrayGetUBound(array, 1, &upper)))
        return Variant(Opaque{type});
    std::vector<Variant> elements;
    for (LONG i = lower; i <= upper; ++i) {
        UniqueVariant item;
        // An element is copied into a VARIANT of its own type (a VARIANT element as it stands), so
        // strings and objects it holds are owned by the copy.
        void* slot = element == VT_VARIANT ? static_cast<void*>(item.get()) : static_cast<void*>(&item->llVal);
        if (element == VT_DECIMAL) slot = &item->decVal;
        if (FAILED(::SafeArrayGetElement(array, &i, slot))) return Variant(Opaque{type});
        if (element != VT_VARIANT) V_VT(item.get()) = element;
        elements.push_back(fromVariant(*item.get(), source));
    }
    return Variant::array(std::move(elements));
}

// The text a macro's CStr gives for a Date in the user's locale: the system's own conversion.
std::string dateText(DATE serial) {
    UniqueVariant date;
    V_VT(date.get()) = VT_DATE;
    V_DATE(date.get()) = serial;
    UniqueVariant text;
    if (FAILED(::VariantChangeTypeEx(text.get(), date.get(), LOCALE_USER_DEFAULT, 0, VT_BSTR))) return {};
    return narrow(bstrText(V_BSTR(text.get())));
}

}  // namespace

Variant fromVariant(const VARIANT& v, const std::string& source) {
    const VARTYPE type = V_VT(&v);
    if (type == (VT_BYREF | VT_VARIANT)) {
        if (!V_VARIANTREF(&v)) return Variant();
        return fromVariant(*V_VARIANTREF(&v), source);
    }
    const bool byRef = (type & VT_BYREF) != 0;
    if (byRef && !V_BYREF(&v)) return Variant();
    if (type & VT_ARRAY) return fromSafeArray(byRef ? *V_ARRAYREF(&v) : V_ARRAY(&v), type, source);
    switch (type & ~VT_BYREF) {
    case VT_EMPTY:
    case VT_ERROR:  // an omitted optional argument
        return Variant();
    case VT_NULL: return Variant(Null{});
    case VT_BOOL: return Variant((byRef ? *V_BOOLREF(&v) : V_BOOL(&v)) != VARIANT_FALSE);
    case VT_I1: return shortInteger(static_cast<signed char>(byRef ? *V_I1REF(&v) : V_I1(&v)));
    case VT_UI1: return shortInteger(byRef ? *V_UI1REF(&v) : V_UI1(&v));
    case VT_I2: return shortInteger(byRef ? *V_I2REF(&v) : V_I2(&v));
    case VT_UI2: return integer(byRef ? *V_UI2REF(&v) : V_UI2(&v));
    case VT_I4: return integer(byRef ? *V_I4REF(&v) : V_I4(&v));
    case VT_UI4: return integer(byRef ? *V_UI4REF(&v) : V_UI4(&v));
    case VT_INT: return integer(byRef ? *V_INTREF(&v) : V_INT(&v));
    case VT_UINT: return integer(byRef ? *V_UINTREF(&v) : V_UINT(&v));
    case VT_I8: return integer(byRef ? *V_I8REF(&v) : V_I8(&v));
    case VT_UI8: return integer(byRef ? *V_UI8REF(&v) : V_UI8(&v));
    case VT_R4: return Variant(static_cast<double>(byRef ? *V_R4REF(&v) : V_R4(&v)));
    case VT_R8: return Variant(byRef ? *V_R8REF(&v) : V_R8(&v));
    case VT_CY: return Variant(static_cast<double>((byRef ? *V_CYREF(&v) : V_CY(&v)).int64) / 10000.0);
    case VT_DECIMAL: {
        double d = 0;
        DECIMAL value = byRef ? *V_DECIMALREF(&v) : V_DECIMAL(&v);
        if (FAILED(::VarR8FromDec(&value, &d)))
            throw RuntimeError::standard(err::Overflow);
        return Variant(d);
    }
    case VT_DATE: {
        const DATE serial = byRef ? *V_DATEREF(&v) : V_DATE(&v);
        return Variant(DateValue{serial, dateText(serial)});
    }
    case VT_BSTR: {
        return Variant(narrow(bstrText(byRef ? *V_BSTRREF(&v) : V_BSTR(&v))));
    }
    case VT_DISPATCH: {
        IDispatch* d = byRef ? *V_DISPATCHREF(&v) : V_DISPATCH(&v);
        if (!d) return Variant(Variant::Object());  // Nothing
        return Variant(Variant::Object(std::make_shared<DispatchObject>(ComPtr<IDispatch>::addRef(d), source)));
    }
    case VT_UNKNOWN: {
        IUnknown* u = byRef ? *V_UNKNOWNREF(&v) : V_UNKNOWN(&v);
        if (!u) return Variant(Variant::Object());
        auto d = ComPtr<IUnknown>::addRef(u).try_query<IDispatch>();
        // An interface that is no automation object is nothing a macro could call either.
        if (!d) return Variant(Opaque{type});
        return Variant(Variant::Object(std::make_shared<DispatchObject>(std::move(d), source)));
    }
    default: return Variant(Opaque{type});
    }
}

UniqueVariant toVariant(const Variant& value) {
    UniqueVariant out;
    VARIANT* v = out.get();
    if (value.isEmpty()) return out;
    if (value.isNull()) {
        V_VT(v) = VT_NULL;
    } else if (value.is<bool>()) {
        V_VT(v) = VT_BOOL;
        V_BOOL(v) = value.get<bool>() ? VARIANT_TRUE : VARIANT_FALSE;
    } else if (value.is<std::int16_t>()) {
        V_VT(v) = VT_I2;
        V_I2(v) = value.get<std::int16_t>();
    } else if (value.is<std::int32_t>()) {
        V_VT(v) = VT_I4;
        V_I4(v) = value.get<std::int32_t>();
    } else if (value.is<double>()) {
        V_VT(v) = VT_R8;
        V_R8(v) = value.get<double>();
    } else if (value.is<DateValue>()) {
        V_VT(v) = VT_DATE;
        V_DATE(v) = value.get<DateValue>().serial;
    } else if (value.is<std::string>()) {
        V_BSTR(v) = makeBstr(widen(value.get<std::string>())).release();
        V_VT(v) = VT_BSTR;
    } else if (value.is<Variant::Object>()) {
        const auto& object = value.get<Variant::Object>();
        ComPtr<IDispatch> d;  // Nothing when there is no object
        if (object) {
            const auto* dispatch = dynamic_cast<const DispatchObject*>(object.get());
            if (!dispatch) throw RuntimeError::standard(err::TypeMismatch);
            d = dispatch->share();
        }
        V_DISPATCH(v) = d.detach();
        V_VT(v) = VT_DISPATCH;
    } else if (value.is<Variant::Array>()) {
        const auto& elements = value.elements();
        SAFEARRAYBOUND bound{static_cast<ULONG>(elements.size()), 0};
        unique_safearray array(::SafeArrayCreate(VT_VARIANT, 1, &bound));
        if (!array) throw std::bad_alloc();
        for (LONG i = 0; i < static_cast<LONG>(elements.size()); ++i) {
            UniqueVariant element = toVariant(elements[static_cast<std::size_t>(i)]);
            if (FAILED(::SafeArrayPutElement(array.get(), &i, element.get()))) throw std::bad_alloc();
        }
        V_ARRAY(v) = array.release();
        V_VT(v) = VT_ARRAY | VT_VARIANT;
    } else {
        // An opaque value carries nothing that could be handed on.
        throw RuntimeError::standard(err::TypeMismatch);
    }
    return out;
}

}  // namespace telvora::win32
