// Small registry helpers shared by the settings store, the registration and the platform: values
// read whole (however long), strings written as REG_SZ.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace telvora::win32 {

struct RawValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

// Reads one value of an open key, growing the buffer until it fits. ERROR_SUCCESS or the
// registry's error (ERROR_FILE_NOT_FOUND for a missing value).
[[nodiscard]] LONG queryValue(HKEY key, const wchar_t* name, RawValue& out) noexcept;

// The UTF-16 text of a string value, exactly as stored (a terminating NUL included when stored).
std::wstring storedText(const RawValue& value);
// The same without the one terminating NUL the registry keeps after a string; NULs that end the
// text itself stay.
std::wstring textWithoutTerminator(const RawValue& value);

[[nodiscard]] LONG setString(HKEY key, const wchar_t* name, const std::wstring& text) noexcept;
[[nodiscard]] LONG setDword(HKEY key, const wchar_t* name, DWORD value) noexcept;

}  // namespace telvora::win32
