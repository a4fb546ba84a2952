// The text arguments of a late-bound call as macros pass them: plain or by-reference strings,
// by-reference Variants and numbers of any integer type, with changed texts written back.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>
#include <vector>

namespace telvora::win32 {

// Reads the positional arguments in call order (rgvarg is in reverse). On a value that is no
// text and cannot become one, answers DISP_E_TYPEMISMATCH and sets `argError` to its rgvarg index.
[[nodiscard]] HRESULT readTextArguments(const DISPPARAMS& params, std::vector<std::string>& texts,
                                        UINT* argError) noexcept;

// Writes each text that the method changed back into its argument, where the caller passed it
// by reference as a string or a Variant (a by-value argument or a number variable keeps its value,
// as with a macro's own ByRef String parameters).
[[nodiscard]] HRESULT writeBackTextArguments(DISPPARAMS& params, const std::vector<std::string>& before,
                                             const std::vector<std::string>& after) noexcept;

// The integer and text forms a text argument may take.
std::string argumentText(const VARIANT& v);

}  // namespace telvora::win32
