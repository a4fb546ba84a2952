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
    {&kClsidButtons, kProgIdButtons, L"Telvora Buttons",
     [](REFIID riid, void** object) noexcept { return createInstance<ButtonsObject>(riid, object); }},
    {&kClsidPagewire, kProgIdPagewire, L"Telvora Pagewire",
     [](REFIID riid, void** object) noexcept { return createInstance<PagewireObject>(riid, object); }},
    {&kClsidFax, kProgIdFax, L"Telvora Fax",
     [](REFIID riid, void** object) noexcept { return createInstance<FaxJobObject>(riid, object, faxClass()); }},
    {&kClsidFaxSBS, kProgIdFaxSBS, L"Telvora FaxSBS",
     [](REFIID riid, void** object) noexcept { return createInstance<FaxJobObject>(riid, object, faxSbsClass()); }},
    {&kClsidWinFax, kProgIdWinFax, L"Telvora WinFax",
     [](REFIID riid, void** object) noexcept { return createInstance<FaxJobObject>(riid, object, winFaxClass()); }},
}};

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
    RegistrationTable t;
    for (const auto& c : kClasses) {
        const std::wstring clsid = guidText(*c.clsid);
        const std::wstring clsidKey = classes + L"CLSID\\" + clsid;
        const std::wstring progIdKey = classes + c.progId;
        t.ownedKeys.emplace_back(HKEY_CURRENT_USER, clsidKey);
        t.ownedKeys.emplace_back(HKEY_CURRENT_USER, progIdKey);
        t.entries.push_back({HKEY_CURRENT_USER, clsidKey, L"", std::wstring(c.description)});
        t.entries.push_back({HKEY_CURRENT_USER, clsidKey + L"\\InprocServer32", L"", dllPath});
        t.entries.push_back({HKEY_CURRENT_USER, clsidKey + L"\\InprocServer32", L"ThreadingModel", std::wstring(L"Apartment")});
        t.entries.push_back({HKEY_CURRENT_USER, clsidKey + L"\\ProgID", L"", std::wstring(c.progId)});
        t.entries.push_back({HKEY_CURRENT_USER, progIdKey, L"", std::wstring(c.description)});
        t.entries.push_back({HKEY_CURRENT_USER, progIdKey + L"\\CLSID", L"", clsid});
    }
    // Word loads the add-in at start-up from its per-user add-in list.
    const std::wstring addinKey = std::wstring(L"Software\\Microsoft\\Office\\Word\\Addins\\") + kProgIdPagewire;
    t.ownedKeys.emplace_back(HKEY_CURRENT_USER, addinKey);
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
