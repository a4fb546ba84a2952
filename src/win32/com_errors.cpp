// The one mapping between run-time errors and HRESULTs.
#include "win32/com_errors.h"

#include "win32/text.h"

namespace telvora::win32 {
namespace {

// The add-in's answer when a text cannot be copied: the error still reaches the caller, without it.
Bstr textOrNothing(const std::string& text) noexcept {
    try {
        return makeBstr(widen(text));
    } catch (...) {
        return Bstr();
    }
}

// The macro runtime's own number for a failure of late binding itself, as a macro's Err shows it;
// 0 for an HRESULT that has none.
std::int32_t lateBindingError(HRESULT hr) noexcept {
    switch (hr) {
    case DISP_E_MEMBERNOTFOUND:
    case DISP_E_UNKNOWNNAME: return err::MemberNotFound;
    case DISP_E_TYPEMISMATCH: return err::TypeMismatch;
    case DISP_E_PARAMNOTFOUND: return err::NamedArgumentNotFound;
    case DISP_E_BADPARAMCOUNT: return err::WrongArgumentCount;
    case DISP_E_PARAMNOTOPTIONAL: return err::ArgumentNotOptional;
    case DISP_E_NONAMEDARGS: return err::NamedArgumentsNotSupported;
    case DISP_E_OVERFLOW: return err::Overflow;
    case DISP_E_BADVARTYPE: return err::UnsupportedAutomationType;
    case DISP_E_BADINDEX: return err::SubscriptOutOfRange;
    case DISP_E_ARRAYISLOCKED: return err::ArrayLocked;
    case DISP_E_DIVBYZERO: return err::DivisionByZero;
    case DISP_E_NOTACOLLECTION: return err::NotACollection;
    case E_NOINTERFACE: return err::NoAutomationInterface;
    case E_OUTOFMEMORY: return err::OutOfMemory;
    default: return 0;
    }
}

}  // namespace

std::string systemMessage(DWORD code) {
    unique_local<wchar_t> buffer;
    const DWORD n = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                         FORMAT_MESSAGE_IGNORE_INSERTS,
                                     nullptr, code, 0, reinterpret_cast<wchar_t*>(buffer.put()), 0, nullptr);
    if (n == 0 || !buffer) return {};
    std::wstring_view text(buffer.get(), n);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.remove_suffix(1);
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

RuntimeError errorFromInvoke(HRESULT hr, ExcepInfo& info, const std::string& source) {
    if (const std::int32_t number = lateBindingError(hr)) return RuntimeError::standard(number, source);
    if (hr != DISP_E_EXCEPTION) return errorFromHresult(hr, source);
    info.fillIn();
    // A server may give its error as an SCODE or as a plain number of its own.
    std::int32_t number = errorNumberOf(E_FAIL);
    HRESULT code = E_FAIL;
    if (info->scode != 0) {
        code = info->scode;
        number = errorNumberOf(info->scode);
    } else if (info->wCode != 0) {
        number = info->wCode;
    }
    std::string description = narrow(bstrText(info->bstrDescription));
    if (description.empty()) description = systemMessage(static_cast<DWORD>(code));
    if (description.empty()) description = "Automation error";
    std::string from = narrow(bstrText(info->bstrSource));
    return RuntimeError(number, std::move(description), from.empty() ? source : std::move(from));
}

HRESULT reportError(const RuntimeError& error, EXCEPINFO* info) noexcept {
    const HRESULT code = hresultOfErrorNumber(error.number());
    if (!info) return code;
    *info = EXCEPINFO{};
    info->scode = code;
    info->bstrSource = textOrNothing(error.source()).release();
    info->bstrDescription = textOrNothing(error.description()).release();
    return DISP_E_EXCEPTION;
}

}  // namespace telvora::win32
