// Registry values read whole and written as the add-in stores them.
#include "win32/registry.h"

#include <cstring>
#include <new>

namespace telvora::win32 {

LONG queryValue(HKEY key, const wchar_t* name, RawValue& out) noexcept {
    try {
        DWORD size = 256;
        for (int attempt = 0; attempt < 8; ++attempt) {
            out.data.resize(size);
            DWORD type = REG_NONE;
            DWORD got = size;
            const LONG rc = ::RegQueryValueExW(key, name, nullptr, &type, out.data.data(), &got);
            if (rc == ERROR_SUCCESS) {
                out.type = type;
                out.data.resize(got);
                return ERROR_SUCCESS;
            }
            if (rc != ERROR_MORE_DATA) return rc;
            // The value may grow between the two calls; ask again with what it needs now.
            size = got > size ? got : size * 2;
        }
        return ERROR_MORE_DATA;
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

std::wstring storedText(const RawValue& value) {
    const std::size_t chars = value.data.size() / sizeof(wchar_t);
    std::wstring text(chars, L'\0');
    if (chars) std::memcpy(text.data(), value.data.data(), chars * sizeof(wchar_t));
    return text;
}

std::wstring textWithoutTerminator(const RawValue& value) {
    std::wstring text = storedText(value);
    if (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
}

LONG setString(HKEY key, const wchar_t* name, const std::wstring& text) noexcept {
    const auto bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    return ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), bytes);
}

LONG setDword(HKEY key, const wchar_t* name, DWORD value) noexcept {
    return ::RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

}  // namespace telvora::win32
