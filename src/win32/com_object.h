// IUnknown written once: every COM object of the server (class factories and automation classes)
// derives from ComObject with the interfaces it implements, and is counted in the module while it
// lives so the DLL is not unloaded under it.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <atomic>
#include <tuple>
#include <utility>

#include "win32/com_errors.h"
#include "win32/handles.h"
#include "win32/module.h"

namespace telvora::win32 {

template <class... Interfaces>
class ComObject : public Interfaces... {
    static_assert(sizeof...(Interfaces) > 0, "a COM object implements at least one interface");
    // IUnknown is always answered with the first interface, so the object has one identity.
    using Primary = std::tuple_element_t<0, std::tuple<Interfaces...>>;

public:
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) noexcept override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (riid == IID_IUnknown) {
            *object = static_cast<Primary*>(this);
        } else {
            (void)((riid == __uuidof(Interfaces) ? (*object = static_cast<Interfaces*>(this), true) : false) || ...);
        }
        if (!*object) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() noexcept override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() noexcept override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

protected:
    // A new object holds one reference: its creator's (see makeComObject).
    ComObject() noexcept { module::objectCreated(); }
    virtual ~ComObject() { module::objectDestroyed(); }

private:
    std::atomic<ULONG> references_{1};
};

// A new object of class T, owned from the start. Raises what T's constructor raises.
template <class T, class... Args>
ComPtr<T> makeComObject(Args&&... args) {
    return ComPtr<T>::attach(new T(std::forward<Args>(args)...));
}

// IClassFactory::CreateInstance's work for class T: a new object, handed out as `riid`.
template <class T, class... Args>
[[nodiscard]] HRESULT createInstance(REFIID riid, void** object, Args&&... args) noexcept {
    if (!object) return E_POINTER;
    *object = nullptr;
    return barrier([&] { return makeComObject<T>(std::forward<Args>(args)...)->QueryInterface(riid, object); });
}

}  // namespace telvora::win32
