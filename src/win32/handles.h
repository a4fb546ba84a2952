// Ownership of Windows resources from the moment they are acquired: one template for handles,
// strings and buffers, a move-only COM interface pointer, and owners for VARIANT and EXCEPINFO.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <climits>
#include <cstring>
#include <new>
#include <string_view>
#include <utility>
#include <vector>

namespace telvora::win32 {

// A handle closed exactly once. `Traits` names the handle type, its "no handle" value and how it
// is closed, so every kind of handle gets the same move-only owner.
template <class Traits>
class unique_any {
public:
    using pointer = typename Traits::type;

    unique_any() noexcept = default;
    explicit unique_any(pointer h) noexcept : h_(h) {}
    ~unique_any() { reset(); }
    unique_any(unique_any&& other) noexcept : h_(other.release()) {}
    unique_any& operator=(unique_any&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    unique_any(const unique_any&) = delete;
    unique_any& operator=(const unique_any&) = delete;

    pointer get() const noexcept { return h_; }
    explicit operator bool() const noexcept { return h_ != Traits::invalid(); }
    void reset(pointer h = Traits::invalid()) noexcept {
        if (h_ != Traits::invalid()) Traits::close(h_);
        h_ = h;
    }
    [[nodiscard]] pointer release() noexcept { return std::exchange(h_, Traits::invalid()); }
    // For out-parameters: drops what is held and hands out the slot.
    pointer* put() noexcept {
        reset();
        return &h_;
    }

private:
    pointer h_ = Traits::invalid();
};

// The traits of a resource whose "none" is null and that `Close` releases.
template <class T, auto Close>
struct NullIsNoneTraits {
    using type = T;
    static T invalid() noexcept { return nullptr; }
    static void close(T h) noexcept { (void)Close(h); }
};
// File handles use INVALID_HANDLE_VALUE, not null, for "none".
struct FileHandleTraits {
    using type = HANDLE;
    static HANDLE invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) noexcept { ::CloseHandle(h); }
};

// A directory search handle is closed with FindClose and is INVALID_HANDLE_VALUE for "none".
struct FindHandleTraits {
    using type = HANDLE;
    static HANDLE invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) noexcept { ::FindClose(h); }
};

using KernelHandleTraits = NullIsNoneTraits<HANDLE, &::CloseHandle>;
using RegKeyTraits = NullIsNoneTraits<HKEY, &::RegCloseKey>;
using ModuleTraits = NullIsNoneTraits<HMODULE, &::FreeLibrary>;
using BstrTraits = NullIsNoneTraits<BSTR, &::SysFreeString>;
using SafeArrayTraits = NullIsNoneTraits<SAFEARRAY*, &::SafeArrayDestroy>;
// Memory the system allocated for the caller with LocalAlloc (FormatMessage's buffer).
template <class T>
using LocalMemoryTraits = NullIsNoneTraits<T*, &::LocalFree>;

using unique_handle = unique_any<KernelHandleTraits>;
using unique_file = unique_any<FileHandleTraits>;
using unique_find = unique_any<FindHandleTraits>;
using unique_hkey = unique_any<RegKeyTraits>;
using unique_hmodule = unique_any<ModuleTraits>;
template <class T>
using unique_local = unique_any<LocalMemoryTraits<T>>;
// A BSTR freed with SysFreeString.
using Bstr = unique_any<BstrTraits>;
// A SAFEARRAY destroyed with its elements.
using unique_safearray = unique_any<SafeArrayTraits>;

// A new BSTR holding `text` (which may contain NULs). Raises std::bad_alloc when it cannot be
// allocated.
inline Bstr makeBstr(std::wstring_view text) {
    if (text.size() > UINT_MAX / 2) throw std::bad_alloc();
    Bstr b(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
    if (!b) throw std::bad_alloc();
    return b;
}

// The text of a BSTR, NULs included (its length is the BSTR's own length); empty for none.
inline std::wstring_view bstrText(BSTR b) noexcept {
    return b ? std::wstring_view(b, ::SysStringLen(b)) : std::wstring_view();
}

// A COM interface pointer that releases what it holds. Move-only: a second owner is made
// explicitly with copy(), which AddRefs.
template <class T>
class ComPtr {
public:
    ComPtr() noexcept = default;
    ComPtr(std::nullptr_t) noexcept {}
    ~ComPtr() { reset(); }
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            reset();
            p_ = std::exchange(other.p_, nullptr);
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    // Takes over a reference the caller already owns.
    static ComPtr attach(T* p) noexcept {
        ComPtr r;
        r.p_ = p;
        return r;
    }
    // Adds a reference of its own.
    static ComPtr addRef(T* p) noexcept {
        if (p) p->AddRef();
        return attach(p);
    }
    ComPtr copy() const noexcept { return addRef(p_); }

    T* get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    void reset() noexcept {
        if (p_) std::exchange(p_, nullptr)->Release();
    }
    [[nodiscard]] T* detach() noexcept { return std::exchange(p_, nullptr); }
    T** put() noexcept {
        reset();
        return &p_;
    }
    void** putVoid() noexcept { return reinterpret_cast<void**>(put()); }

    // Another interface of the same object; empty when the object does not have it.
    template <class U>
    ComPtr<U> try_query() const noexcept {
        ComPtr<U> r;
        if (p_) (void)p_->QueryInterface(__uuidof(U), r.putVoid());
        return r;
    }

private:
    T* p_ = nullptr;
};

// A VARIANT that is cleared (releasing strings and objects it holds) when it goes.
class UniqueVariant {
public:
    UniqueVariant() noexcept { ::VariantInit(&v_); }
    ~UniqueVariant() { ::VariantClear(&v_); }
    UniqueVariant(UniqueVariant&& other) noexcept {
        std::memcpy(&v_, &other.v_, sizeof v_);
        ::VariantInit(&other.v_);
    }
    UniqueVariant& operator=(UniqueVariant&& other) noexcept {
        if (this != &other) {
            ::VariantClear(&v_);
            std::memcpy(&v_, &other.v_, sizeof v_);
            ::VariantInit(&other.v_);
        }
        return *this;
    }
    UniqueVariant(const UniqueVariant&) = delete;
    UniqueVariant& operator=(const UniqueVariant&) = delete;

    VARIANT* get() noexcept { return &v_; }
    const VARIANT* get() const noexcept { return &v_; }
    VARIANT* operator->() noexcept { return &v_; }
    const VARIANT* operator->() const noexcept { return &v_; }
    // Clears what is held and hands out the slot for an out-parameter.
    VARIANT* put() noexcept {
        ::VariantClear(&v_);
        return &v_;
    }
    // Hands the value to a caller-owned VARIANT (which must be empty or already cleared).
    void releaseTo(VARIANT* target) noexcept {
        std::memcpy(target, &v_, sizeof v_);
        ::VariantInit(&v_);
    }

private:
    VARIANT v_;
};

// The EXCEPINFO a called server fills when it raises an error; the strings it allocated there are
// freed when this goes, whether or not anyone read them.
class ExcepInfo {
public:
    ExcepInfo() noexcept = default;
    ~ExcepInfo() { clear(); }
    ExcepInfo(const ExcepInfo&) = delete;
    ExcepInfo& operator=(const ExcepInfo&) = delete;

    EXCEPINFO* get() noexcept { return &info_; }
    const EXCEPINFO* operator->() const noexcept { return &info_; }
    // Lets a server that defers filling in its details fill them now.
    void fillIn() noexcept {
        if (info_.pfnDeferredFillIn) (void)info_.pfnDeferredFillIn(&info_);
        info_.pfnDeferredFillIn = nullptr;
    }
    void clear() noexcept {
        ::SysFreeString(info_.bstrSource);
        ::SysFreeString(info_.bstrDescription);
        ::SysFreeString(info_.bstrHelpFile);
        info_ = EXCEPINFO{};
    }

private:
    EXCEPINFO info_{};
};

}  // namespace telvora::win32

namespace telvora::win32 {

// The argument array of a late-bound call, laid out as DISPPARAMS wants it (contiguous VARIANTs),
// cleared when the call is over.
class VariantArray {
public:
    explicit VariantArray(std::size_t count) : items_(count) {
        for (auto& v : items_) ::VariantInit(&v);
    }
    ~VariantArray() {
        for (auto& v : items_) ::VariantClear(&v);
    }
    VariantArray(const VariantArray&) = delete;
    VariantArray& operator=(const VariantArray&) = delete;

    VARIANT* data() noexcept { return items_.empty() ? nullptr : items_.data(); }
    VARIANT& operator[](std::size_t i) noexcept { return items_[i]; }
    std::size_t size() const noexcept { return items_.size(); }

private:
    std::vector<VARIANT> items_;
};

}  // namespace telvora::win32
