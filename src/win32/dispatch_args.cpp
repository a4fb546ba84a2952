// Text arguments of late-bound calls.
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

HRESULT readTextArguments(const DISPPARAMS& params, std::vector<std::string>& texts, UINT* argError) noexcept {
    texts.clear();
    UINT i = 0;
    try {
        for (; i < params.cArgs; ++i) texts.push_back(argumentText(params.rgvarg[params.cArgs - 1 - i]));
        return S_OK;
    } catch (const RuntimeError&) {
        if (argError) *argError = params.cArgs - 1 - i;
        return DISP_E_TYPEMISMATCH;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT writeBackTextArguments(DISPPARAMS& params, const std::vector<std::string>& before,
                               const std::vector<std::string>& after) noexcept {
    try {
        for (std::size_t i = 0; i < after.size() && i < before.size() && i < params.cArgs; ++i) {
            if (after[i] == before[i]) continue;
            VARIANT& arg = params.rgvarg[params.cArgs - 1 - i];
            if (V_VT(&arg) == (VT_BYREF | VT_BSTR) && V_BSTRREF(&arg)) {
                Bstr text = makeBstr(widen(after[i]));
                Bstr previous(std::exchange(*V_BSTRREF(&arg), text.release()));
            } else if (V_VT(&arg) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(&arg)) {
                VARIANT* target = V_VARIANTREF(&arg);
                // A Variant variable takes the new text whatever it held, as a macro assignment would.
                if (V_VT(target) == (VT_BYREF | VT_BSTR) && V_BSTRREF(target)) {
                    Bstr text = makeBstr(widen(after[i]));
                    Bstr previous(std::exchange(*V_BSTRREF(target), text.release()));
                } else {
                    UniqueVariant value = toVariant(Variant(after[i]));
                    const HRESULT hr = ::VariantClear(target);
                    if (FAILED(hr)) return hr;
                    value.releaseTo(target);
                }
            }
        }
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

}  // namespace telvora::win32
