// A recording automation server for the automation binding's tests: it answers any member name,
// writes every call (flags, positional arguments in call order, named arguments by name) to a log
// file, keeps property puts so they read back, and fails where the test's environment tells it to.
//
// Environment, read at each call (the server is in-process, so it sees the test's variables):
//   TELVORA_RECORDER_LOG      file the calls are appended to, one line each
//   TELVORA_RECORDER_UNKNOWN  a member name the server does not know
//   TELVORA_RECORDER_RAISE    member|scode hex|source|description: an exception the server raises
//   TELVORA_RECORDER_FAIL     member|HRESULT hex: a plain failure without exception information
//   TELVORA_RECORDER_OBJECTS  member,member,...: members that answer a new recording object, as Child
//                             always does (a document's recipients, a server's new document)
#include <windows.h>
#include <oaidl.h>
#include <oleauto.h>

#include <atomic>
#include <cstdio>
#include <cwctype>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace {

// {72403557-E113-451C-87D4-B8DF8FAC2242}
constexpr CLSID kClsidRecorder = {0x72403557, 0xE113, 0x451C, {0x87, 0xD4, 0xB8, 0xDF, 0x8F, 0xAC, 0x22, 0x42}};

std::atomic<long> g_objects{0};

std::wstring env(const wchar_t* name) {
    wchar_t buffer[4096];
    const DWORD n = GetEnvironmentVariableW(name, buffer, 4096);
    return n && n < 4096 ? std::wstring(buffer, n) : std::wstring();
}

std::wstring lower(std::wstring s) {
    for (auto& c : s) c = static_cast<wchar_t>(std::towlower(c));
    return s;
}

std::vector<std::wstring> split(const std::wstring& s, wchar_t sep) {
    std::vector<std::wstring> parts(1);
    for (wchar_t c : s) {
        if (c == sep) parts.emplace_back();
        else parts.back() += c;
    }
    return parts;
}

// A value as the log shows it: type, colon, text.
std::wstring describe(const VARIANT& v) {
    VARIANT plain;
    VariantInit(&plain);
    if (FAILED(VariantCopyInd(&plain, const_cast<VARIANT*>(&v)))) return L"?";
    std::wstring text;
    switch (V_VT(&plain)) {
    case VT_EMPTY: text = L"EMPTY:"; break;
    case VT_NULL: text = L"NULL:"; break;
    case VT_BSTR: text = L"BSTR:" + std::wstring(V_BSTR(&plain) ? V_BSTR(&plain) : L""); break;
    case VT_I2: text = L"I2:" + std::to_wstring(V_I2(&plain)); break;
    case VT_I4: text = L"I4:" + std::to_wstring(V_I4(&plain)); break;
    case VT_R8: text = L"R8:" + std::to_wstring(V_R8(&plain)); break;
    case VT_BOOL: text = std::wstring(L"BOOL:") + (V_BOOL(&plain) ? L"True" : L"False"); break;
    case VT_DATE: text = L"DATE:" + std::to_wstring(V_DATE(&plain)); break;
    case VT_DISPATCH: text = std::wstring(L"DISPATCH:") + (V_DISPATCH(&plain) ? L"object" : L"nothing"); break;
    default: text = L"VT" + std::to_wstring(V_VT(&plain)) + L":"; break;
    }
    VariantClear(&plain);
    return text;
}

void appendLog(const std::wstring& line) {
    const std::wstring path = env(L"TELVORA_RECORDER_LOG");
    if (path.empty()) return;
    FILE* f = _wfopen(path.c_str(), L"ab");
    if (!f) return;
    const int n = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), utf8.data(), n, nullptr, nullptr);
    utf8 += '\n';
    fwrite(utf8.data(), 1, utf8.size(), f);
    fclose(f);
}

class Recorder final : public IDispatch {
public:
    Recorder() { ++g_objects; }
    ~Recorder() {
        for (auto& [name, value] : properties_) VariantClear(&value);
        --g_objects;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDispatch) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --refs_;
        if (!left) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
        *n = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return DISP_E_BADINDEX; }

    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        const std::wstring unknown = lower(env(L"TELVORA_RECORDER_UNKNOWN"));
        HRESULT hr = S_OK;
        for (UINT i = 0; i < count; ++i) {
            const std::wstring name = names[i];
            if (!unknown.empty() && lower(name) == unknown) {
                ids[i] = DISPID_UNKNOWN;
                hr = DISP_E_UNKNOWNNAME;
                continue;
            }
            std::size_t k = 0;
            while (k < names_.size() && lower(names_[k]) != lower(name)) ++k;
            if (k == names_.size()) names_.push_back(name);
            ids[i] = static_cast<DISPID>(k + 100);
        }
        return hr;
    }

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* p, VARIANT* result,
                                     EXCEPINFO* info, UINT*) override {
        const std::wstring member = nameOf(id);
        std::wstring line = L"flags=" + std::to_wstring(flags) + L" member=" + member + L" positional=[";
        const UINT named = p->cNamedArgs;
        for (UINT i = p->cArgs; i-- > named;) {  // rgvarg holds the last positional argument first
            line += describe(p->rgvarg[i]);
            if (i > named) line += L",";
        }
        line += L"] named=[";
        for (UINT i = 0; i < named; ++i) {
            if (i) line += L",";
            line += (p->rgdispidNamedArgs[i] == DISPID_PROPERTYPUT ? std::wstring(L"<put>") : nameOf(p->rgdispidNamedArgs[i])) +
                    L"=" + describe(p->rgvarg[i]);
        }
        line += L"]";
        appendLog(line);

        const auto raise = split(env(L"TELVORA_RECORDER_RAISE"), L'|');
        if (raise.size() == 4 && lower(raise[0]) == lower(member)) {
            *info = EXCEPINFO{};
            info->scode = static_cast<SCODE>(std::wcstoul(raise[1].c_str(), nullptr, 16));
            info->bstrSource = SysAllocString(raise[2].c_str());
            info->bstrDescription = SysAllocString(raise[3].c_str());
            return DISP_E_EXCEPTION;
        }
        const auto fail = split(env(L"TELVORA_RECORDER_FAIL"), L'|');
        if (fail.size() == 2 && lower(fail[0]) == lower(member))
            return static_cast<HRESULT>(std::wcstoul(fail[1].c_str(), nullptr, 16));

        if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
            VARIANT& slot = properties_[lower(member)];
            VariantClear(&slot);
            return VariantCopyInd(&slot, &p->rgvarg[0]);
        }
        if (!result) return S_OK;
        VariantInit(result);
        if (answersObject(member)) {
            V_VT(result) = VT_DISPATCH;
            V_DISPATCH(result) = new Recorder();
            return S_OK;
        }
        if (lower(member) == L"echo" && p->cArgs > named) return VariantCopyInd(result, &p->rgvarg[p->cArgs - 1]);
        if (const auto it = properties_.find(lower(member)); it != properties_.end())
            return VariantCopy(result, &it->second);
        return S_OK;
    }

private:
    static bool answersObject(const std::wstring& member) {
        if (lower(member) == L"child") return true;
        for (const auto& name : split(env(L"TELVORA_RECORDER_OBJECTS"), L',')) {
            if (!name.empty() && lower(name) == lower(member)) return true;
        }
        return false;
    }

    std::wstring nameOf(DISPID id) const {
        const auto k = static_cast<std::size_t>(id - 100);
        return id >= 100 && k < names_.size() ? names_[k] : L"#" + std::to_wstring(id);
    }

    std::atomic<ULONG> refs_{1};
    std::vector<std::wstring> names_;
    std::map<std::wstring, VARIANT> properties_;
};

class Factory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (riid == IID_IUnknown || riid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        ++g_objects;
        return 2;
    }
    ULONG STDMETHODCALLTYPE Release() override {
        --g_objects;
        return 1;
    }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        auto* r = new Recorder();
        const HRESULT hr = r->QueryInterface(riid, out);
        r->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock) ++g_objects;
        else --g_objects;
        return S_OK;
    }
};

Factory g_factory;

}  // namespace

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** out) {
    if (!IsEqualCLSID(clsid, kClsidRecorder)) return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(riid, out);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return g_objects == 0 ? S_OK : S_FALSE; }
