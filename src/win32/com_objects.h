// The add-in's creatable COM objects: Buttons, called by name from the companion template's macros,
// and the classes whose work is not in this build yet.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <atomic>
#include <string>
#include <vector>

namespace telvora::win32 {

// IUnknown and the type-information part of IDispatch, shared by every object of the server. Each
// object counts itself in the module while it lives.
class DispatchBase : public IDispatch {
public:
    DispatchBase() noexcept;
    virtual ~DispatchBase();
    DispatchBase(const DispatchBase&) = delete;
    DispatchBase& operator=(const DispatchBase&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;

private:
    std::atomic<ULONG> references_{1};
};

// Buttons: each method of the command table by name, case-insensitively, DISPID = position + 1.
class ButtonsObject final : public DispatchBase {
public:
    ButtonsObject();  // raises when the add-in state cannot be created

    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID locale, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argError) override;
};

// A class whose behaviour arrives in a later release: creatable and late-bindable, and every call
// fails with a run-time error that says so (never a silent success).
class PendingObject final : public DispatchBase {
public:
    explicit PendingObject(std::wstring progId);

    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID locale, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argError) override;

private:
    std::wstring progId_;
    std::vector<std::wstring> names_;  // a member's DISPID is its position here + 1
};

}  // namespace telvora::win32
