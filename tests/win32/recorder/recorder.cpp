// A recording automation server for the automation binding's tests: it writes every call (flags,
// positional arguments in call order, named arguments by name) to a log file, keeps property puts
// so they read back, and fails where the test's environment tells it to.
//
// Registered under the programmatic identifier of a documented class (a fax service's object,
// WinFax's), it is that class as its maker documents it: only its documented members, their
// arguments and assigned values coerced to the documented types in the caller's locale or refused
// with DISP_E_TYPEMISMATCH, and answers of the documented types (ConnectedSubmit an array of job
// identifiers, the legacy Send a Long, objects of the documented classes). Under any other
// identifier it answers any member name.
//
// Environment, read at each call (the server is in-process, so it sees the test's variables):
//   TELVORA_RECORDER_LOG      file the calls are appended to, one line each
//   TELVORA_RECORDER_UNKNOWN  a member name the server does not know
//   TELVORA_RECORDER_RAISE    member|scode hex|source|description: an exception the server raises
//   TELVORA_RECORDER_FAIL     member|HRESULT hex: a plain failure without exception information
//   TELVORA_RECORDER_OBJECTS  member,member,...: members that answer a new recording object, as Child
//                             always does (a document's recipients, a server's new document)
//   TELVORA_RECORDER_LONGS    member=n,n,...;member=...: the Long a documented member answers at each
//                             reading in turn, the last one from then on, counted for each job apart
//                             (a job asked for by its identifier moves through its states)
//   TELVORA_RECORDER_UNDOCUMENTED  set: a documented class answers any member name too (Word's
//                             members the add-in never calls, as a build script calls them)
//   TELVORA_RECORDER_EVENTS   set: the extended fax server raises its server events; while a sink is
//                             advised and the server listens for the outgoing queue, it tells
//                             OnOutgoingJobChanged for the latest job every half second
// Besides, Echo answers its first argument and Matrix a two-dimensional array.
#include <windows.h>
#include <oaidl.h>
#include <oleauto.h>
#include <ocidl.h>
#include <olectl.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cwchar>
#include <cstring>
#include <cwctype>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "documented/members.h"
#include "win32/text.h"

namespace {

// {72403557-E113-451C-87D4-B8DF8FAC2242}
constexpr CLSID kClsidRecorder = {0x72403557, 0xE113, 0x451C, {0x87, 0xD4, 0xB8, 0xDF, 0x8F, 0xAC, 0x22, 0x42}};

std::atomic<long> g_objects{0};
// The jobs submitted in this process, each given its own identifier.
std::atomic<long> g_jobs{0};
// How often each member of TELVORA_RECORDER_LONGS was read, for each job.
std::mutex g_readingsLock;
std::map<std::wstring, std::size_t> g_readings;

std::wstring env(const wchar_t* name) {
    wchar_t buffer[4096];
    const DWORD n = GetEnvironmentVariableW(name, buffer, 4096);
    return n && n < 4096 ? std::wstring(buffer, n) : std::wstring();
}

std::wstring lower(std::wstring s) {
    for (auto& c : s) c = static_cast<wchar_t>(std::towlower(c));
    return s;
}

namespace doc = telvora::documented;
using telvora::win32::narrow;
using telvora::win32::widen;

// The VARIANT type a documented type travels as.
VARTYPE vartypeOf(doc::Type type) {
    switch (type) {
    case doc::Type::Boolean: return VT_BOOL;
    case doc::Type::Integer: return VT_I2;
    case doc::Type::Long: return VT_I4;
    case doc::Type::Single: return VT_R4;
    case doc::Type::Date: return VT_DATE;
    case doc::Type::String: return VT_BSTR;
    case doc::Type::Object: return VT_DISPATCH;
    default: return VT_EMPTY;  // Void, Variant and arrays are not converted
    }
}

// What DispInvoke does with an argument or assigned value of a typed member: the value converted
// in the caller's locale, or DISP_E_TYPEMISMATCH.
HRESULT coerced(const VARIANT& value, doc::Type type, LCID locale, VARIANT* out) {
    VariantInit(out);
    const VARTYPE target = vartypeOf(type);
    if (target == VT_EMPTY) return VariantCopyInd(out, const_cast<VARIANT*>(&value));
    const HRESULT hr = VariantChangeTypeEx(out, const_cast<VARIANT*>(&value), locale, 0, target);
    return FAILED(hr) ? DISP_E_TYPEMISMATCH : S_OK;
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
    const std::string utf8 = narrow(line) + '\n';
    fwrite(utf8.data(), 1, utf8.size(), f);
    fclose(f);
}

std::wstring jobIdText(long job) {
    wchar_t text[24];
    std::swprintf(text, 24, L"20a3d7e1c5b4%04lx", job);
    return text;
}

// The extended fax server's connection point for _IFaxServerNotify2, a tear-off of its server
// object: one sink at a time, told while the server listens for the outgoing queue.
constexpr IID kIidFaxServerNotify2 = {0xEC9C69B9, 0x5FE7, 0x4805, {0x94, 0x67, 0x82, 0xFC, 0xD9, 0x6A, 0xF9, 0x03}};
constexpr DISPID kOnOutgoingJobChanged = 6;  // its place in the interface; the add-in reads the arguments
constexpr LONG kListenOutgoingQueue = 0x2;

class ServerEvents final : public IConnectionPointContainer, public IConnectionPoint {
public:
    explicit ServerEvents(IDispatch* server) : server_(server) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (riid == IID_IConnectionPointContainer) {
            *out = static_cast<IConnectionPointContainer*>(this);
        } else if (riid == IID_IConnectionPoint) {
            *out = static_cast<IConnectionPoint*>(this);
        } else {
            return server_->QueryInterface(riid, out);  // the server object's identity
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return server_->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return server_->Release(); }

    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (riid != kIidFaxServerNotify2) return CONNECT_E_NOCONNECTION;
        *out = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override {
        if (!iid) return E_POINTER;
        *iid = kIidFaxServerNotify2;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** out) override {
        if (!out) return E_POINTER;
        *out = this;
        AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override {
        if (!sink || !cookie) return E_POINTER;
        if (sink_) return CONNECT_E_ADVISELIMIT;
        IDispatch* dispatch = nullptr;
        if (FAILED(sink->QueryInterface(kIidFaxServerNotify2, reinterpret_cast<void**>(&dispatch))) || !dispatch)
            return CONNECT_E_CANNOTCONNECT;
        sink_ = dispatch;
        *cookie = 1;
        appendLog(L"advise");
        update();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override {
        if (cookie != 1 || !sink_) return CONNECT_E_NOCONNECTION;
        appendLog(L"unadvise");
        std::exchange(sink_, nullptr)->Release();
        update();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }

    void listen(LONG kinds) {
        kinds_ = kinds;
        update();
    }
    // The server object goes: so does anything still told.
    void close() {
        if (sink_) std::exchange(sink_, nullptr)->Release();
        kinds_ = 0;
        update();
    }

private:
    // Telling runs on a thread timer of the thread the server lives on (the add-in's STA).
    void update() {
        const bool telling = sink_ && (kinds_ & kListenOutgoingQueue);
        if (telling && !timer_) {
            timer_ = SetTimer(nullptr, 0, 500, &ServerEvents::fire);
            const std::lock_guard<std::mutex> lock(telling_lock());
            telling_map()[timer_] = this;
        } else if (!telling && timer_) {
            KillTimer(nullptr, timer_);
            const std::lock_guard<std::mutex> lock(telling_lock());
            telling_map().erase(timer_);
            timer_ = 0;
        }
    }
    static std::mutex& telling_lock() {
        static std::mutex lock;
        return lock;
    }
    static std::map<UINT_PTR, ServerEvents*>& telling_map() {
        static std::map<UINT_PTR, ServerEvents*> map;
        return map;
    }
    static void CALLBACK fire(HWND, UINT, UINT_PTR timer, DWORD) {
        ServerEvents* events = nullptr;
        {
            const std::lock_guard<std::mutex> lock(telling_lock());
            const auto it = telling_map().find(timer);
            if (it != telling_map().end()) events = it->second;
        }
        if (events) events->tell();
    }
    void tell() {
        const long job = g_jobs;
        if (!sink_ || job == 0) return;
        IDispatch* sink = sink_;
        sink->AddRef();
        server_->AddRef();
        // rgvarg holds the last argument first: the job's status, its identifier, the server.
        VARIANT args[3];
        for (auto& a : args) VariantInit(&a);
        V_VT(&args[1]) = VT_BSTR;
        V_BSTR(&args[1]) = SysAllocString(jobIdText(job).c_str());
        V_VT(&args[2]) = VT_DISPATCH;
        V_DISPATCH(&args[2]) = server_;
        DISPPARAMS params{args, nullptr, 3, 0};
        appendLog(L"event=OnOutgoingJobChanged job=" + jobIdText(job));
        (void)sink->Invoke(kOnOutgoingJobChanged, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr,
                           nullptr, nullptr);
        for (auto& a : args) VariantClear(&a);  // lets go of the server's reference
        sink->Release();
    }

    IDispatch* server_;  // not held: this lives inside the server object
    IDispatch* sink_ = nullptr;
    LONG kinds_ = 0;
    UINT_PTR timer_ = 0;
};

class Recorder final : public IDispatch {
public:
    // `className`: the documented class it plays, or "" to answer any member.
    // `job`: the job identifier it was asked for by, for an object standing for one job.
    explicit Recorder(std::string className = {}, std::wstring job = {}) : class_(std::move(className)), job_(std::move(job)) {
        if (doc::membersOf(class_).empty() || !env(L"TELVORA_RECORDER_UNDOCUMENTED").empty()) class_.clear();
        if (class_ == "FAXCOMEX.FaxServer" && !env(L"TELVORA_RECORDER_EVENTS").empty())
            events_ = std::make_unique<ServerEvents>(this);
        ++g_objects;
    }
    ~Recorder() {
        if (events_) events_->close();
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
        if (events_ && riid == IID_IConnectionPointContainer) {
            *out = static_cast<IConnectionPointContainer*>(events_.get());
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
        if (!class_.empty()) return documentedIds(names, count, ids);
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

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID locale, WORD flags, DISPPARAMS* p, VARIANT* result,
                                     EXCEPINFO* info, UINT* argError) override {
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
            line += (p->rgdispidNamedArgs[i] == DISPID_PROPERTYPUT ? std::wstring(L"<put>")
                                                                    : argumentName(member, p->rgdispidNamedArgs[i])) +
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

        if (!class_.empty()) return documentedInvoke(member, locale, flags, *p, result, argError);
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
        // A value of a kind no macro reads: a two-dimensional array.
        if (lower(member) == L"matrix") {
            SAFEARRAYBOUND bounds[2] = {{2, 0}, {2, 0}};
            V_ARRAY(result) = SafeArrayCreate(VT_I4, 2, bounds);
            if (!V_ARRAY(result)) return E_OUTOFMEMORY;
            V_VT(result) = VT_ARRAY | VT_I4;
            return S_OK;
        }
        if (const auto it = properties_.find(lower(member)); it != properties_.end())
            return VariantCopy(result, &it->second);
        return S_OK;
    }

private:
    // The members of the documented class only; named arguments by their documented names, each
    // numbered by its place.
    HRESULT documentedIds(LPOLESTR* names, UINT count, DISPID* ids) {
        const doc::Member* m = doc::find(class_, narrow(names[0]));
        for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
        if (!m) return DISP_E_UNKNOWNNAME;
        std::size_t k = 0;
        while (k < names_.size() && lower(names_[k]) != lower(widen(m->name))) ++k;
        if (k == names_.size()) names_.push_back(widen(m->name));
        ids[0] = static_cast<DISPID>(k + 100);
        HRESULT hr = S_OK;
        for (UINT i = 1; i < count; ++i) {
            for (std::size_t a = 0; a < m->arguments.size(); ++a) {
                if (lower(widen(m->arguments[a].name)) == lower(names[i])) ids[i] = static_cast<DISPID>(a);
            }
            if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
        }
        return hr;
    }

    HRESULT documentedInvoke(const std::wstring& name, LCID locale, WORD flags, DISPPARAMS& p, VARIANT* result,
                             UINT* argError) {
        const doc::Member* m = doc::find(class_, narrow(name));
        if (!m) return DISP_E_MEMBERNOTFOUND;
        const std::wstring key = lower(name);
        if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
            if (m->kind != doc::Kind::Property || p.cArgs != 1) return DISP_E_BADPARAMCOUNT;
            VARIANT value;
            if (const HRESULT hr = coerced(p.rgvarg[0], m->type, locale, &value); FAILED(hr)) {
                if (argError) *argError = 0;
                return hr;
            }
            VARIANT& slot = properties_[key];
            VariantClear(&slot);
            slot = value;
            return S_OK;
        }
        // The arguments: positional ones from the first, named ones in their places, each of its type.
        if (p.cArgs > m->arguments.size()) return DISP_E_BADPARAMCOUNT;
        std::vector<bool> given(m->arguments.size(), false);
        std::wstring job;
        for (UINT i = 0; i < p.cArgs; ++i) {
            const UINT slot = i < p.cNamedArgs ? static_cast<UINT>(p.rgdispidNamedArgs[i]) : p.cArgs - 1 - i;
            if (slot >= m->arguments.size() || given[slot]) return DISP_E_PARAMNOTFOUND;
            given[slot] = true;
            VARIANT value;
            const HRESULT hr = coerced(p.rgvarg[i], m->arguments[slot].type, locale, &value);
            if (SUCCEEDED(hr) && slot == 0 && V_VT(&value) == VT_BSTR && V_BSTR(&value)) job = V_BSTR(&value);
            if (SUCCEEDED(hr) && events_ && key == L"listentoserverevents" && V_VT(&value) == VT_I4)
                events_->listen(V_I4(&value));
            VariantClear(&value);
            if (FAILED(hr)) {
                if (argError) *argError = i;
                return hr;
            }
        }
        for (std::size_t a = 0; a < m->arguments.size(); ++a) {
            if (!given[a] && !m->arguments[a].optional) return DISP_E_PARAMNOTOPTIONAL;
        }
        if (!result) return S_OK;
        VariantInit(result);
        if (const auto it = properties_.find(key); it != properties_.end()) return VariantCopy(result, &it->second);
        return answer(*m, result, job);
    }

    // An answer of the documented type.
    // `job`: the String first argument it was called with, which names the job an object answered stands for.
    HRESULT answer(const doc::Member& m, VARIANT* result, const std::wstring& job) {
        switch (m.type) {
        case doc::Type::Object:
            V_VT(result) = VT_DISPATCH;
            V_DISPATCH(result) = new Recorder(std::string(m.answers), job);
            return S_OK;
        case doc::Type::StringArray: {
            // One job identifier per recipient, as the extended fax service names its jobs.
            SAFEARRAYBOUND bound{1, 0};
            SAFEARRAY* ids = SafeArrayCreate(VT_BSTR, 1, &bound);
            if (!ids) return E_OUTOFMEMORY;
            LONG first = 0;
            BSTR id = SysAllocString(jobIdText(++g_jobs).c_str());
            const HRESULT hr = SafeArrayPutElement(ids, &first, id);
            SysFreeString(id);
            if (FAILED(hr)) {
                SafeArrayDestroy(ids);
                return hr;
            }
            V_VT(result) = VT_ARRAY | VT_BSTR;
            V_ARRAY(result) = ids;
            return S_OK;
        }
        case doc::Type::Long:
            // A count of one fax device, or the number of the job queued.
            V_VT(result) = VT_I4;
            V_I4(result) = nextLong(lower(widen(m.name))).value_or(1);
            return S_OK;
        case doc::Type::Integer:
            // WinFax's status: 0 for a request taken; its two polls: ready.
            V_VT(result) = VT_I2;
            V_I2(result) = m.name.starts_with("Is") ? 1 : 0;
            return S_OK;
        case doc::Type::Boolean:
            V_VT(result) = VT_BOOL;
            V_BOOL(result) = VARIANT_FALSE;
            return S_OK;
        case doc::Type::String:
            V_VT(result) = VT_BSTR;
            V_BSTR(result) = SysAllocString(L"");
            return S_OK;
        case doc::Type::Date:
            V_VT(result) = VT_DATE;
            V_DATE(result) = 0;
            return S_OK;
        default: return S_OK;  // nothing
        }
    }

    std::optional<LONG> nextLong(const std::wstring& member) const {
        for (const auto& entry : split(env(L"TELVORA_RECORDER_LONGS"), L';')) {
            const std::size_t equals = entry.find(L'=');
            if (equals == std::wstring::npos || lower(entry.substr(0, equals)) != member) continue;
            const auto values = split(entry.substr(equals + 1), L',');
            if (values.empty()) return std::nullopt;
            const std::lock_guard<std::mutex> lock(g_readingsLock);
            const std::size_t n = g_readings[job_ + L"|" + member]++;
            return static_cast<LONG>(std::wcstol(values[std::min(n, values.size() - 1)].c_str(), nullptr, 0));
        }
        return std::nullopt;
    }

    static bool answersObject(const std::wstring& member) {
        if (lower(member) == L"child") return true;
        for (const auto& name : split(env(L"TELVORA_RECORDER_OBJECTS"), L',')) {
            if (!name.empty() && lower(name) == lower(member)) return true;
        }
        return false;
    }

    // A named argument's name: a documented class numbers its arguments by their places.
    std::wstring argumentName(const std::wstring& member, DISPID id) const {
        if (class_.empty()) return nameOf(id);
        const doc::Member* m = doc::find(class_, narrow(member));
        if (!m || id < 0 || static_cast<std::size_t>(id) >= m->arguments.size()) return L"#" + std::to_wstring(id);
        return widen(m->arguments[static_cast<std::size_t>(id)].name);
    }

    std::wstring nameOf(DISPID id) const {
        const auto k = static_cast<std::size_t>(id - 100);
        return id >= 100 && k < names_.size() ? names_[k] : L"#" + std::to_wstring(id);
    }

    std::atomic<ULONG> refs_{1};
    std::string class_;
    std::wstring job_;
    std::vector<std::wstring> names_;
    std::map<std::wstring, VARIANT> properties_;
    std::unique_ptr<ServerEvents> events_;  // the extended fax server's, when it raises events
};

// The factory of the class registered under one CLSID: the class is the programmatic identifier
// that CLSID was registered with.
class Factory final : public IClassFactory {
public:
    explicit Factory(std::string className) : class_(std::move(className)) { ++g_objects; }
    ~Factory() { --g_objects; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (riid == IID_IUnknown || riid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
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
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        auto* r = new Recorder(class_);
        const HRESULT hr = r->QueryInterface(riid, out);
        r->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock) ++g_objects;
        else --g_objects;
        return S_OK;
    }

private:
    std::atomic<ULONG> refs_{1};
    std::string class_;
};

}  // namespace

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** out) {
    // Every recorder class shares the first eight bytes of the CLSID; the rest tells them apart.
    if (memcmp(&clsid, &kClsidRecorder, 8) != 0) return CLASS_E_CLASSNOTAVAILABLE;
    std::string className;
    LPOLESTR progId = nullptr;
    if (SUCCEEDED(ProgIDFromCLSID(clsid, &progId)) && progId) {
        className = narrow(progId);
        CoTaskMemFree(progId);
    }
    auto* factory = new Factory(className);
    const HRESULT hr = factory->QueryInterface(riid, out);
    factory->Release();
    return hr;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return g_objects == 0 ? S_OK : S_FALSE; }
