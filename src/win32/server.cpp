// Class table, class factory and the registration the server writes.
#include "win32/server.h"

#include <shlwapi.h>

#include <array>
#include <new>

#include "base/errors.h"
#include "win32/buttons_object.h"
#include "win32/class_ids.h"
#include "win32/com_errors.h"
#include "win32/com_object.h"
#include "win32/fax_objects.h"
#include "win32/handles.h"
#include "win32/module.h"
#include "win32/pagewire_object.h"
#include "win32/registry.h"
#include "win32/text.h"

namespace telvora::win32 {
namespace {

constexpr std::array<ComClass, 5> kClasses{{
    {&kClsidButtons, kProgIdButtons, L"Telvora Buttons", &kDiidButtons, L"_Buttons",
     [](REFIID riid, void** object) noexcept { return createInstance<ButtonsObject>(riid, object); }},
    {&kClsidPagewire, kProgIdPagewire, L"Telvora Pagewire", nullptr, nullptr,
     [](REFIID riid, void** object) noexcept { return createInstance<PagewireObject>(riid, object); }},
    {&kClsidFax, kProgIdFax, L"Telvora Fax", &kDiidFax, L"_Fax",
     [](REFIID riid, void** object) noexcept { return createInstance<FaxJobObject>(riid, object, faxClass()); }},
    {&kClsidFaxSBS, kProgIdFaxSBS, L"Telvora FaxSBS", &kDiidFaxSBS, L"_FaxSBS",
     [](REFIID riid, void** object) noexcept { return createInstance<FaxJobObject>(riid, object, faxSbsClass()); }},
    {&kClsidWinFax, kProgIdWinFax, L"Telvora WinFax", &kDiidWinFax, L"_WinFax",
     [](REFIID riid, void** object) noexcept { return createInstance<FaxJobObject>(riid, object, winFaxClass()); }},
}};

// The type library's platform key: each build registers the library for its own architecture.
constexpr const wchar_t* kTypeLibPlatform = sizeof(void*) == 8 ? L"win64" : L"win32";
// Where the other build's classes are: a 64-bit Windows keeps the 32-bit programs' classes apart
// (elsewhere both name the one view there is).
constexpr REGSAM kOtherBuildsView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
// Automation's own marshaller, which carries any dispatch interface between apartments.
constexpr const wchar_t* kDispatchProxyStub = L"{00020420-0000-0000-C000-000000000046}";

class ClassFactory final : public ComObject<IClassFactory> {
public:
    explicit ClassFactory(const ComClass& c) noexcept : class_(c) {}

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) noexcept override {
        if (object) *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return class_.create(riid, object);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) noexcept override {
        module::lockServer(lock != FALSE);
        return S_OK;
    }

private:
    const ComClass& class_;
};

std::wstring guidText(const GUID& guid) {
    wchar_t text[40] = {};
    if (::StringFromGUID2(guid, text, 40) == 0) throw std::bad_alloc();
    return text;
}

HRESULT fromWin32(LONG rc) noexcept { return HRESULT_FROM_WIN32(static_cast<DWORD>(rc)); }

HRESULT writeEntry(const RegistryEntry& e) noexcept {
    unique_hkey key;
    LONG rc = ::RegCreateKeyExW(e.root, e.key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr);
    if (rc != ERROR_SUCCESS) return fromWin32(rc);
    const wchar_t* name = e.name.empty() ? nullptr : e.name.c_str();
    if (const auto* text = std::get_if<std::wstring>(&e.value)) {
        rc = setString(key.get(), name, *text);
    } else {
        rc = setDword(key.get(), name, std::get<DWORD>(e.value));
    }
    return fromWin32(rc);
}

bool hasSubkeys(HKEY root, const std::wstring& path, REGSAM view) noexcept {
    unique_hkey key;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, key.put()) != ERROR_SUCCESS) return false;
    DWORD subkeys = 0;
    return ::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                              nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
           subkeys > 0;
}

}  // namespace

std::span<const ComClass> comClasses() noexcept { return kClasses; }

HRESULT getClassObject(REFCLSID clsid, REFIID riid, void** object) noexcept {
    if (!object) return E_POINTER;
    *object = nullptr;
    for (const auto& c : kClasses) {
        if (::IsEqualCLSID(*c.clsid, clsid)) return createInstance<ClassFactory>(riid, object, c);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

RegistrationTable registrationTable(const std::wstring& dllPath) {
    const std::wstring classes = L"Software\\Classes\\";
    const std::wstring libid = guidText(kLibidTelvora);
    RegistrationTable t;
    for (const auto& c : kClasses) {
        const std::wstring clsid = guidText(*c.clsid);
        const std::wstring clsidKey = classes + L"CLSID\\" + clsid;
        const std::wstring progIdKey = classes + c.progId;
        t.ownedKeys.emplace_back(HKEY_CURRENT_USER, clsidKey);
        // The identifier leads the other build's Word to its class too, while that is registered.
        t.sharedKeys.push_back({HKEY_CURRENT_USER, progIdKey, clsidKey, kOtherBuildsView});
        t.entries.push_back({HKEY_CURRENT_USER, clsidKey, L"", std::wstring(c.description)});
        t.entries.push_back({HKEY_CURRENT_USER, clsidKey + L"\\InprocServer32", L"", dllPath});
        t.entries.push_back({HKEY_CURRENT_USER, clsidKey + L"\\InprocServer32", L"ThreadingModel", std::wstring(L"Apartment")});
        t.entries.push_back({HKEY_CURRENT_USER, clsidKey + L"\\ProgID", L"", std::wstring(c.progId)});
        t.entries.push_back({HKEY_CURRENT_USER, progIdKey, L"", std::wstring(c.description)});
        t.entries.push_back({HKEY_CURRENT_USER, progIdKey + L"\\CLSID", L"", clsid});
        if (!c.typeLibInterface) continue;
        t.entries.push_back({HKEY_CURRENT_USER, clsidKey + L"\\TypeLib", L"", libid});
        const std::wstring interfaceKey = classes + L"Interface\\" + guidText(*c.typeLibInterface);
        t.ownedKeys.emplace_back(HKEY_CURRENT_USER, interfaceKey);
        t.entries.push_back({HKEY_CURRENT_USER, interfaceKey, L"", std::wstring(c.typeLibInterfaceName)});
        t.entries.push_back({HKEY_CURRENT_USER, interfaceKey + L"\\ProxyStubClsid32", L"", std::wstring(kDispatchProxyStub)});
        t.entries.push_back({HKEY_CURRENT_USER, interfaceKey + L"\\TypeLib", L"", libid});
        t.entries.push_back({HKEY_CURRENT_USER, interfaceKey + L"\\TypeLib", L"Version", std::wstring(kTypeLibVersion)});
    }
    // The type library inside the DLL, for the macro editor's references and its object browser;
    // its help is the help file beside the DLL.
    const std::wstring typeLibKey = classes + L"TypeLib\\" + libid;
    const std::wstring versionKey = typeLibKey + L"\\" + kTypeLibVersion;
    const std::wstring platformKey = versionKey + L"\\0\\" + kTypeLibPlatform;
    t.ownedKeys.emplace_back(HKEY_CURRENT_USER, platformKey);
    t.sharedKeys.push_back({HKEY_CURRENT_USER, typeLibKey, versionKey + L"\\0"});
    t.entries.push_back({HKEY_CURRENT_USER, versionKey, L"", std::wstring(L"Telvora fax add-in for Word")});
    t.entries.push_back({HKEY_CURRENT_USER, versionKey + L"\\FLAGS", L"", std::wstring(L"0")});
    t.entries.push_back({HKEY_CURRENT_USER, versionKey + L"\\HELPDIR", L"", dllPath.substr(0, dllPath.find_last_of(L'\\'))});
    t.entries.push_back({HKEY_CURRENT_USER, platformKey, L"", dllPath});
    // Word loads the add-in at start-up from its per-user add-in list.
    const std::wstring addinKey = std::wstring(L"Software\\Microsoft\\Office\\Word\\Addins\\") + kProgIdPagewire;
    t.sharedKeys.push_back({HKEY_CURRENT_USER, addinKey, classes + L"CLSID\\" + guidText(kClsidPagewire), kOtherBuildsView});
    t.entries.push_back({HKEY_CURRENT_USER, addinKey, L"FriendlyName", widen(kAppTitle)});
    t.entries.push_back({HKEY_CURRENT_USER, addinKey, L"Description",
                         std::wstring(L"Fax quickly and easily using Fax provided with Windows XP and Windows 2000")});
    t.entries.push_back({HKEY_CURRENT_USER, addinKey, L"LoadBehavior", DWORD{3}});
    return t;
}

HRESULT registerTable(const RegistrationTable& table) noexcept {
    for (const auto& e : table.entries) {
        const HRESULT hr = writeEntry(e);
        if (FAILED(hr)) {
            (void)unregisterTable(table);
            return hr;
        }
    }
    return S_OK;
}

HRESULT unregisterTable(const RegistrationTable& table) noexcept {
    HRESULT first = S_OK;
    for (const auto& [root, key] : table.ownedKeys) {
        const LONG rc = ::SHDeleteKeyW(root, key.c_str());
        if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND && rc != ERROR_PATH_NOT_FOUND && SUCCEEDED(first))
            first = fromWin32(rc);
    }
    for (const auto& shared : table.sharedKeys) {
        if (hasSubkeys(shared.root, shared.inUse, shared.view)) continue;
        const LONG rc = ::SHDeleteKeyW(shared.root, shared.key.c_str());
        if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND && rc != ERROR_PATH_NOT_FOUND && SUCCEEDED(first))
            first = fromWin32(rc);
    }
    return first;
}

std::wstring modulePath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(module::instance(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) throw errorFromHresult(HRESULT_FROM_WIN32(::GetLastError()));
        if (n < buffer.size()) return std::wstring(buffer.data(), n);
        if (buffer.size() >= 32768) throw RuntimeError::standard(err::PathFileAccess);
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace telvora::win32
