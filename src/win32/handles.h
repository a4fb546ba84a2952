// Ownership of Windows resources from the moment they are acquired: one template for handles, a
// move-only COM interface pointer, and owners for BSTR and VARIANT.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstring>
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

struct KernelHandleTraits {
    using type = HANDLE;
    static HANDLE invalid() noexcept { return nullptr; }
    static void close(HANDLE h) noexcept { ::CloseHandle(h); }
};
// File handles use INVALID_HANDLE_VALUE, not null, for "none".
struct FileHandleTraits {
    using type = HANDLE;
    static HANDLE invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) noexcept { ::CloseHandle(h); }
};
struct RegKeyTraits {
    using type = HKEY;
    static HKEY invalid() noexcept { return nullptr; }
    static void close(HKEY h) noexcept { ::RegCloseKey(h); }
};
struct ModuleTraits {
    using type = HMODULE;
    static HMODULE invalid() noexcept { return nullptr; }
    static void close(HMODULE h) noexcept { ::FreeLibrary(h); }
};

using unique_handle = unique_any<KernelHandleTraits>;
using unique_file = unique_any<FileHandleTraits>;
using unique_hkey = unique_any<RegKeyTraits>;
using unique_hmodule = unique_any<ModuleTraits>;

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
    ComPtr<U> query() const noexcept {
        ComPtr<U> r;
        if (p_) (void)p_->QueryInterface(__uuidof(U), r.putVoid());
        return r;
    }

private:
    T* p_ = nullptr;
};

// A BSTR that is freed with SysFreeString.
class Bstr {
public:
    Bstr() noexcept = default;
    // Raises std::bad_alloc when the string cannot be allocated.
    explicit Bstr(std::wstring_view text);
    ~Bstr() { reset(); }
    Bstr(Bstr&& other) noexcept : b_(std::exchange(other.b_, nullptr)) {}
    Bstr& operator=(Bstr&& other) noexcept {
        if (this != &other) {
            reset();
            b_ = std::exchange(other.b_, nullptr);
        }
        return *this;
    }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;

    BSTR get() const noexcept { return b_; }
    void reset() noexcept {
        if (b_) ::SysFreeString(std::exchange(b_, nullptr));
    }
    [[nodiscard]] BSTR release() noexcept { return std::exchange(b_, nullptr); }
    BSTR* put() noexcept {
        reset();
        return &b_;
    }
    // The text, which may contain NULs (its length is the BSTR's own length).
    std::wstring_view view() const noexcept { return b_ ? std::wstring_view(b_, ::SysStringLen(b_)) : std::wstring_view(); }

private:
    BSTR b_ = nullptr;
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
