// Shared helpers of the Windows tests.
#include "support.h"

#include <objbase.h>
#include <oleauto.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <vector>

#include "win32/handles.h"
#include "win32/registry.h"

namespace telvora::win32::test {

Apartment::Apartment() {
    if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) throw std::runtime_error("CoInitializeEx failed");
}
Apartment::~Apartment() { ::CoUninitialize(); }

std::wstring programFolder() {
    std::vector<wchar_t> buffer(32768);
    const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    std::wstring path(buffer.data(), n);
    return path.substr(0, path.find_last_of(L"\\/"));
}

ScopedEnvironment::ScopedEnvironment(std::wstring name, const std::wstring& value) : name_(std::move(name)) {
    std::vector<wchar_t> buffer(32768);
    const DWORD n = ::GetEnvironmentVariableW(name_.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    had_ = n != 0 || ::GetLastError() != ERROR_ENVVAR_NOT_FOUND;
    old_.assign(buffer.data(), n);
    ::SetEnvironmentVariableW(name_.c_str(), value.c_str());
}

ScopedEnvironment::~ScopedEnvironment() { ::SetEnvironmentVariableW(name_.c_str(), had_ ? old_.c_str() : nullptr); }

std::wstring environmentText(const wchar_t* name) {
    std::vector<wchar_t> buffer(4096);
    const DWORD n = ::GetEnvironmentVariableW(name, buffer.data(), static_cast<DWORD>(buffer.size()));
    return n < buffer.size() ? std::wstring(buffer.data(), n) : std::wstring();
}

int runScript(const std::wstring& script, const std::wstring& arguments) {
    const std::wstring path =
        script.find(L'\\') == std::wstring::npos ? environmentText(L"TELVORA_TEST_SCRIPTS") + L"\\" + script : script;
    return runProgram(L"cscript.exe //nologo \"" + path + L"\" " + arguments);
}

int runProgram(const std::wstring& commandLine, std::string* output, DWORD timeoutMs) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    unique_handle readEnd;
    unique_handle writeEnd;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (output) {
        HANDLE r = nullptr;
        HANDLE w = nullptr;
        if (!::CreatePipe(&r, &w, &inherit, 0)) return -1;
        readEnd.reset(r);
        writeEnd.reset(w);
        ::SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError = writeEnd.get();
        startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    }
    std::wstring line = commandLine;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, output != nullptr, 0, nullptr, nullptr, &startup,
                          &process))
        return -1;
    unique_handle processHandle(process.hProcess);
    unique_handle threadHandle(process.hThread);
    writeEnd.reset();

    // The program's calls into this apartment arrive as window messages: keep them flowing, and
    // keep the pipe drained so the program never blocks on a full one.
    const auto drain = [&] {
        DWORD available = 0;
        while (output && ::PeekNamedPipe(readEnd.get(), nullptr, 0, nullptr, &available, nullptr) && available > 0) {
            char buffer[4096];
            DWORD got = 0;
            if (!::ReadFile(readEnd.get(), buffer, std::min<DWORD>(available, sizeof buffer), &got, nullptr) || got == 0)
                break;
            output->append(buffer, got);
        }
    };
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    bool ended = false;
    for (ULONGLONG now = ::GetTickCount64(); !ended && now < deadline; now = ::GetTickCount64()) {
        HANDLE waitOn = processHandle.get();
        ended = ::MsgWaitForMultipleObjects(1, &waitOn, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 50)),
                                            QS_ALLINPUT) == WAIT_OBJECT_0;
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        drain();
    }
    if (!ended) {
        ::TerminateProcess(processHandle.get(), 1);
        return -1;
    }
    drain();
    DWORD code = 0;
    ::GetExitCodeProcess(processHandle.get(), &code);
    return static_cast<int>(code);
}

HRESULT invoke(IDispatch* object, DISPID id, WORD flags, std::vector<VARIANT> args, VARIANT* result, EXCEPINFO* info,
               UINT* argError, std::vector<DISPID> named) {
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), named.empty() ? nullptr : named.data(),
                      static_cast<UINT>(reversed.size()), static_cast<UINT>(named.size())};
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, info, argError);
}

DISPID idOf(IDispatch* object, const std::wstring& name) {
    std::wstring copy = name;
    LPOLESTR names[] = {copy.data()};
    DISPID id = DISPID_UNKNOWN;
    (void)object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    return id;
}

VARIANT textArgument(BSTR text) {
    VARIANT v;
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = text;
    return v;
}

VARIANT byReference(BSTR* variable) {
    VARIANT v;
    V_VT(&v) = VT_BYREF | VT_BSTR;
    V_BSTRREF(&v) = variable;
    return v;
}

VARIANT byReference(VARIANT* variable) {
    VARIANT v;
    V_VT(&v) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&v) = variable;
    return v;
}

VARIANT objectArgument(IDispatch* object) {
    VARIANT v;
    V_VT(&v) = VT_DISPATCH;
    V_DISPATCH(&v) = object;
    return v;
}

namespace {

// One class of the recording server per programmatic identifier: the CLSIDs differ in their last
// byte, and the server learns which class it plays from the identifier registered for the CLSID.
std::wstring recorderClsid(std::size_t index) {
    wchar_t text[64];
    std::swprintf(text, 64, L"{72403557-E113-451C-87D4-B8DF8FAC22%02X}", static_cast<unsigned>(0x42 + index));
    return text;
}

std::wstring classKey(const std::wstring& clsid) { return L"Software\\Classes\\CLSID\\" + clsid; }

void setMachineDefault(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    unique_hkey k;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, k.put(), nullptr) !=
            ERROR_SUCCESS ||
        setString(k.get(), name, value) != ERROR_SUCCESS)
        throw std::runtime_error("cannot register the recording server");
}

}  // namespace

RecorderRegistration::RecorderRegistration(std::vector<std::wstring> progIds)
    : progIds_(std::move(progIds)), log_(scratchFile(L"recorder") + L".log"), logSetting_(L"TELVORA_RECORDER_LOG", log_) {
    for (std::size_t i = 0; i < progIds_.size(); ++i) {
        const std::wstring clsid = recorderClsid(i);
        setMachineDefault(classKey(clsid) + L"\\InprocServer32", nullptr, programFolder() + L"\\telvora_recorder.dll");
        setMachineDefault(classKey(clsid) + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
        setMachineDefault(classKey(clsid) + L"\\ProgID", nullptr, progIds_[i]);
        setMachineDefault(L"Software\\Classes\\" + progIds_[i] + L"\\CLSID", nullptr, clsid);
    }
}

RecorderRegistration::~RecorderRegistration() {
    for (std::size_t i = 0; i < progIds_.size(); ++i) {
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, classKey(recorderClsid(i)).c_str());
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, (L"Software\\Classes\\" + progIds_[i]).c_str());
    }
    clearLog();
}

std::vector<std::string> RecorderRegistration::log() const {
    std::ifstream in{std::filesystem::path(log_)};
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::vector<std::string> RecorderRegistration::calls() const {
    std::vector<std::string> lines = log();
    for (auto& line : lines) line.erase(0, line.find(' ') + 1);
    return lines;
}

void RecorderRegistration::clearLog() const { ::DeleteFileW(log_.c_str()); }

std::wstring scratchFile(const std::wstring& stem) {
    wchar_t temp[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, temp);
    return std::wstring(temp) + stem + L"-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
           std::to_wstring(::GetTickCount());
}

HRESULT registerRunningObject(IUnknown* object, const CLSID& clsid, DWORD* cookie) {
    HRESULT hr = E_FAIL;
    for (int attempt = 0; attempt < 10; ++attempt) {
        hr = ::RegisterActiveObject(object, clsid, ACTIVEOBJECT_STRONG, cookie);
        if (hr != HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE)) break;
    }
    return hr;
}

}  // namespace telvora::win32::test
