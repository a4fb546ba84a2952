// Text conversions and Windows error codes as run-time errors.
#include "win32/text.h"

#include <climits>
#include <new>

#include "win32/handles.h"

namespace telvora::win32 {

std::wstring widen(std::string_view utf8) {
    if (utf8.empty()) return {};
    if (utf8.size() > static_cast<std::size_t>(INT_MAX)) throw std::bad_alloc();
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

std::string narrow(std::wstring_view utf16) {
    if (utf16.empty()) return {};
    if (utf16.size() > static_cast<std::size_t>(INT_MAX / 3)) throw std::bad_alloc();
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), nullptr, 0,
                                        nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::string systemMessage(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD n = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                         FORMAT_MESSAGE_IGNORE_INSERTS,
                                     nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    if (n == 0 || !buffer) return {};
    std::wstring text(buffer, n);
    ::LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
    return narrow(text);
}

std::int32_t errorNumberOf(HRESULT hr) noexcept {
    if (HRESULT_FACILITY(hr) == FACILITY_CONTROL && HRESULT_SEVERITY(hr) == SEVERITY_ERROR)
        return static_cast<std::int32_t>(HRESULT_CODE(hr));
    return static_cast<std::int32_t>(hr);
}

HRESULT hresultOfErrorNumber(std::int32_t number) noexcept {
    if (number > 0 && number <= 0xFFFF) return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number);
    if (number < 0) return static_cast<HRESULT>(number);
    return E_FAIL;  // 0 or out of range: still a failure, never success
}

RuntimeError errorFromHresult(HRESULT hr, const std::string& source) {
    std::string text = systemMessage(static_cast<DWORD>(hr));
    if (text.empty()) text = "Automation error";
    return RuntimeError(errorNumberOf(hr), std::move(text), source);
}

Bstr::Bstr(std::wstring_view text) {
    if (text.size() > UINT_MAX / 2) throw std::bad_alloc();
    b_ = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!b_) throw std::bad_alloc();
}

}  // namespace telvora::win32
