// Buttons over IDispatch, and the placeholder classes.
#include "win32/com_objects.h"

#include <cwctype>

#include "host/buttons.h"
#include "win32/com_errors.h"
#include "win32/com_variant.h"
#include "win32/dispatch_args.h"
#include "win32/module.h"
#include "win32/text.h"

namespace telvora::win32 {
namespace {

// The DISPIDs of Buttons follow the method order and never change; 0 is kept free because it
// means "the default member".
constexpr DISPID kFirstDispid = 1;

std::wstring lower(std::wstring_view s) {
    std::wstring r(s);
    for (auto& c : r) c = static_cast<wchar_t>(std::towlower(c));
    return r;
}

}  // namespace

DispatchBase::DispatchBase() noexcept { module::objectCreated(); }
DispatchBase::~DispatchBase() { module::objectDestroyed(); }

HRESULT DispatchBase::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG DispatchBase::AddRef() { return ++references_; }

ULONG DispatchBase::Release() {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

HRESULT DispatchBase::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;  // late binding by name only
    return S_OK;
}

HRESULT DispatchBase::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return DISP_E_BADINDEX;
}

ButtonsObject::ButtonsObject() { (void)module::addin(); }

HRESULT ButtonsObject::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (!names || !ids || count == 0) return E_INVALIDARG;
    return barrier([&] {
        const int index = names[0] ? telvora::Buttons::findMethod(narrow(names[0])) : -1;
        ids[0] = index < 0 ? DISPID_UNKNOWN : kFirstDispid + index;
        // The commands take no named arguments.
        for (UINT i = 1; i < count; ++i) ids[i] = DISPID_UNKNOWN;
        return index < 0 || count > 1 ? DISP_E_UNKNOWNNAME : S_OK;
    });
}

HRESULT ButtonsObject::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                              EXCEPINFO* exception, UINT* argError) {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    const auto methods = telvora::Buttons::methods();
    if (id < kFirstDispid || static_cast<std::size_t>(id - kFirstDispid) >= methods.size())
        return DISP_E_MEMBERNOTFOUND;
    // Every member is a method; a macro reading it like a property (no parentheses) is a call too.
    if (!(flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET))) return DISP_E_MEMBERNOTFOUND;
    const auto index = static_cast<std::size_t>(id - kFirstDispid);
    DISPPARAMS none{};
    DISPPARAMS& p = params ? *params : none;
    if (p.cNamedArgs != 0) return DISP_E_NONAMEDARGS;
    if (p.cArgs != methods[index].argCount) return DISP_E_BADPARAMCOUNT;
    if (result) ::VariantInit(result);

    std::vector<std::string> texts;
    if (const HRESULT hr = readTextArguments(p, texts, argError); FAILED(hr)) return hr;
    const std::vector<std::string> before = texts;
    return barrier(
        [&] {
            telvora::Buttons buttons(module::addin());
            Variant answer;
            try {
                answer = buttons.invoke(index, texts);
            } catch (...) {
                // A method may change its by-reference arguments before it fails; the caller sees that too.
                (void)writeBackTextArguments(p, before, texts);
                throw;
            }
            if (const HRESULT hr = writeBackTextArguments(p, before, texts); FAILED(hr)) return hr;
            if (result) toVariant(answer).releaseTo(result);
            return S_OK;
        },
        exception);
}

PendingObject::PendingObject(std::wstring progId) : progId_(std::move(progId)) {}

HRESULT PendingObject::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (!names || !ids || count == 0) return E_INVALIDARG;
    return barrier([&] {
        // Every name is answered so that the call itself reaches Invoke and reports what is missing.
        for (UINT i = 0; i < count; ++i) {
            const std::wstring name = names[i] ? names[i] : L"";
            std::size_t k = 0;
            while (k < names_.size() && lower(names_[k]) != lower(name)) ++k;
            if (k == names_.size()) names_.push_back(name);
            ids[i] = static_cast<DISPID>(k + 1);
        }
    });
}

HRESULT PendingObject::Invoke(DISPID id, REFIID riid, LCID, WORD, DISPPARAMS*, VARIANT* result,
                              EXCEPINFO* exception, UINT*) {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (result) ::VariantInit(result);
    return barrier(
        [&] {
            const bool known = id >= 1 && static_cast<std::size_t>(id) <= names_.size();
            const std::string object = narrow(progId_);
            std::string what = object;
            if (known) {
                what += '.';
                what += narrow(names_[static_cast<std::size_t>(id - 1)]);
            }
            throw RuntimeError::notAvailableYet(what, object);
        },
        exception);
}

}  // namespace telvora::win32
