// Run-time errors and HRESULTs, both ways, and the one barrier that keeps C++ exceptions inside
// every exported function and COM method.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <cstdint>
#include <string>
#include <type_traits>

#include "base/errors.h"
#include "win32/handles.h"

namespace telvora::win32 {

// The system's text for an HRESULT or Win32 error code, without the trailing line break; empty
// when the system has none.
std::string systemMessage(DWORD code);

// The number a macro sees for a failed call: errors raised by a macro runtime (facility "control")
// show their own number; every other HRESULT shows as a signed 32-bit number.
std::int32_t errorNumberOf(HRESULT hr) noexcept;

// The HRESULT that carries a run-time error number back out of a COM call, as a macro runtime's
// own server does (facility "control" for the macro runtime's numbers). Never a success code.
HRESULT hresultOfErrorNumber(std::int32_t number) noexcept;

// A run-time error for a failed HRESULT, with the system's text when there is one.
RuntimeError errorFromHresult(HRESULT hr, const std::string& source = kAppTitle);

// The run-time error a failed IDispatch::GetIDsOfNames or Invoke stands for: for DISP_E_EXCEPTION
// the number, source and description the server put in `info`; for a failure of late binding
// itself the macro runtime's own number (438 no such member, 13 type mismatch, 448 named argument
// not found, 450 wrong number of arguments, 6 overflow, ...); otherwise the HRESULT. `source`
// names the object where the server names none.
RuntimeError errorFromInvoke(HRESULT hr, ExcepInfo& info, const std::string& source);

// Hands a run-time error to the caller of IDispatch::Invoke as a macro runtime's own server does:
// number, source and description in `info` and DISP_E_EXCEPTION, so the caller's Err object shows
// them. Without an EXCEPINFO the error's HRESULT alone.
[[nodiscard]] HRESULT reportError(const RuntimeError& error, EXCEPINFO* info) noexcept;

// Runs the body of an exported function or a COM method so that no C++ exception leaves it. The
// body answers an HRESULT (or nothing, for S_OK). Where the interface has an EXCEPINFO, pass it:
// a run-time error (and any other exception, as the run-time error it stands for) is reported in
// it. Without one the answer is the error's HRESULT, E_OUTOFMEMORY when memory ran out.
template <class Body>
[[nodiscard]] HRESULT barrier(Body&& body, EXCEPINFO* info = nullptr) noexcept {
    try {
        if constexpr (std::is_void_v<std::invoke_result_t<Body&>>) {
            body();
            return S_OK;
        } else {
            return body();
        }
    } catch (...) {
        const RuntimeError error = currentAsRuntimeError();
        if (!info && error.number() == err::OutOfMemory) return E_OUTOFMEMORY;
        return reportError(error, info);
    }
}

}  // namespace telvora::win32
