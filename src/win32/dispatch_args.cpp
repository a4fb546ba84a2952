// Arguments of late-bound calls read as declared types.
#include "win32/dispatch_args.h"

#include "base/errors.h"
#include "win32/com_variant.h"
#include "win32/handles.h"
#include "win32/text.h"

namespace telvora::win32 {

std::string argumentText(const VARIANT& v) {
    // Integers are written exactly (the Variant keeps only 16- and 32-bit ones); everything else
    // converts as the macro runtime converts it to a string.
    const VARTYPE type = V_VT(&v);
    if (type == (VT_BYREF | VT_VARIANT)) {
        if (!V_VARIANTREF(&v)) return {};
        return argumentText(*V_VARIANTREF(&v));
    }
    const bool byRef = (type & VT_BYREF) != 0;
    if (byRef && !V_BYREF(&v)) return {};
    switch (type & ~VT_BYREF) {
    case VT_I8: return std::to_string(byRef ? *V_I8REF(&v) : V_I8(&v));
    case VT_UI8: return std::to_string(byRef ? *V_UI8REF(&v) : V_UI8(&v));
    case VT_UI4: return std::to_string(byRef ? *V_UI4REF(&v) : V_UI4(&v));
    case VT_UINT: return std::to_string(byRef ? *V_UINTREF(&v) : V_UINT(&v));
    case VT_DISPATCH:
    case VT_UNKNOWN: throw RuntimeError::standard(err::TypeMismatch);
    default: return fromVariant(v).toString();
    }
}

Variant readArgument(const VARIANT& v, DispatchType type) {
    switch (type) {
    case DispatchType::None:
    case DispatchType::Array: return Variant();
    case DispatchType::String: return Variant(argumentText(v));
    case DispatchType::Boolean: return Variant(fromVariant(v).toBool());
    case DispatchType::Long: return Variant(fromVariant(v).toInt32());
    case DispatchType::Object: {
        Variant value = fromVariant(v);
        if (!value.is<Variant::Object>()) throw RuntimeError::standard(err::TypeMismatch);
        return value;
    }
    }
    throw RuntimeError::standard(err::TypeMismatch);
}

UniqueVariant resultVariant(const Variant& answer, DispatchType type) {
    switch (type) {
    case DispatchType::None:
    case DispatchType::Array: return UniqueVariant();
    case DispatchType::String: return toVariant(Variant(answer.toString()));
    case DispatchType::Boolean: return toVariant(Variant(answer.toBool()));
    case DispatchType::Long: return toVariant(Variant(answer.toInt32()));
    case DispatchType::Object:
        if (!answer.is<Variant::Object>()) throw RuntimeError::standard(err::TypeMismatch);
        return toVariant(answer);
    }
    return UniqueVariant();
}

void writeBackText(VARIANT& argument, const std::string& text) {
    BSTR* target = nullptr;
    if (V_VT(&argument) == (VT_BYREF | VT_BSTR)) {
        target = V_BSTRREF(&argument);
    } else if (V_VT(&argument) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(&argument)) {
        VARIANT* variable = V_VARIANTREF(&argument);
        if (V_VT(variable) == (VT_BYREF | VT_BSTR)) {
            target = V_BSTRREF(variable);
        } else {
            // A Variant variable takes the new text whatever it held, as a macro assignment would.
            UniqueVariant value = toVariant(Variant(text));
            if (FAILED(::VariantClear(variable))) throw RuntimeError::standard(err::TypeMismatch);
            value.releaseTo(variable);
            return;
        }
    }
    if (!target) return;
    Bstr replacement = makeBstr(widen(text));
    Bstr previous(std::exchange(*target, replacement.release()));
}

}  // namespace telvora::win32
