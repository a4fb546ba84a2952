// UTF-8 inside the add-in, UTF-16 at the Windows boundary: the two conversions, and the run-time
// errors made from Windows error codes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "base/errors.h"

namespace telvora::win32 {

// Malformed input becomes U+FFFD rather than being dropped, so a damaged text stays visible.
std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

// The system's text for an HRESULT or Win32 error code, without the trailing line break; empty
// when the system has none.
std::string systemMessage(DWORD code);

// The number a macro sees for a failed call: errors raised by a macro runtime (facility "control")
// show their own number; every other HRESULT shows as a signed 32-bit number.
std::int32_t errorNumberOf(HRESULT hr) noexcept;

// The HRESULT that carries a run-time error number back out of a COM call, as a macro runtime's
// own server does (facility "control" for the macro runtime's numbers).
HRESULT hresultOfErrorNumber(std::int32_t number) noexcept;

// A run-time error for a failed HRESULT, with the system's text when there is one.
RuntimeError errorFromHresult(HRESULT hr, const std::string& source = kAppTitle);

}  // namespace telvora::win32
