// UTF-8 inside the add-in, UTF-16 at the Windows boundary: the two conversions.
#pragma once

#include <string>
#include <string_view>

namespace telvora::win32 {

// Malformed input becomes U+FFFD rather than being dropped, so a damaged text stays visible.
std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

}  // namespace telvora::win32
