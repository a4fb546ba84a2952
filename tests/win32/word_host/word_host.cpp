// The Word-like host: loading add-ins, the running object table, serving calls from other processes.
#include "word_host/word_host.h"

#include <oleauto.h>
#include <shlwapi.h>

#include <algorithm>
#include <filesystem>

#include "base/errors.h"
#include "base/text.h"
#include "support.h"
#include "win32/com_errors.h"
#include "win32/registry.h"
#include "win32/text.h"

namespace telvora::win32::host {
namespace {

constexpr const wchar_t* kAddinsKey = L"Software\\Microsoft\\Office\\Word\\Addins";
constexpr const wchar_t* kWordClassKey = L"Software\\Classes\\Word.Application";

class FileAddIn final : public word::AddIn {
public:
    explicit FileAddIn(std::shared_ptr<FileAddIns::Entry> entry) : entry_(std::move(entry)) {}
    bool installed() override { return entry_->installed; }
    void setInstalled(bool installed) override { entry_->installed = installed; }

private:
    std::shared_ptr<FileAddIns::Entry> entry_;
};

// A custom array as Word passes one to its add-ins: empty, owned for the length of a call.
class CustomArray {
public:
    CustomArray() : array_(::SafeArrayCreateVector(VT_VARIANT, 0, 0)) {}
    ~CustomArray() { ::SafeArrayDestroy(array_); }
    CustomArray(const CustomArray&) = delete;
    CustomArray& operator=(const CustomArray&) = delete;
    SAFEARRAY** get() noexcept { return &array_; }

private:
    SAFEARRAY* array_;
};

std::wstring guidText(const GUID& guid) {
    wchar_t text[40] = {};
    ::StringFromGUID2(guid, text, 40);
    return text;
}

}  // namespace

std::shared_ptr<word::AddIn> FileAddIns::item(const std::string& name) {
    for (const auto& e : entries_) {
        const auto dot = e->name.find_last_of('.');
        if (equalsIgnoringCase(e->name, name) || equalsIgnoringCase(e->name.substr(0, dot), name))
            return std::make_shared<FileAddIn>(e);
    }
    throw RuntimeError(err::CollectionMemberMissing, "The requested member of the collection does not exist.",
                       "Microsoft Word");
}

std::shared_ptr<word::AddIn> FileAddIns::add(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(std::filesystem::path(widen(path)), ec))
        throw RuntimeError(5174, "This file could not be found. (" + path + ")", "Microsoft Word");
    for (const auto& e : entries_)
        if (equalsIgnoringCase(e->path, path)) return std::make_shared<FileAddIn>(e);
    const auto slash = path.find_last_of("\\/");
    entries_.push_back(std::make_shared<Entry>(Entry{path.substr(slash == std::string::npos ? 0 : slash + 1), path, true}));
    return std::make_shared<FileAddIn>(entries_.back());
}

std::vector<FileAddIns::Entry> FileAddIns::entries() const {
    std::vector<Entry> out;
    for (const auto& e : entries_) out.push_back(*e);
    return out;
}

WordHost::WordHost(std::shared_ptr<sim::WordProcessor> word)
    : word_(std::move(word)),
      addIns_(std::make_shared<FileAddIns>()),
      served_(word_, addIns_),
      counters_(std::make_shared<HostCounters>()),
      application_(makeHostApplication(served_.application(), served_.events(), counters_)) {}

WordHost::~WordHost() {
    unloadAddins();
    revokeRunning();
    detach(application_.get());
}

IDispatch* WordHost::application() const noexcept { return application_.get(); }

std::size_t WordHost::sinks() const noexcept { return sinkCount(application_.get()); }

std::vector<std::wstring> WordHost::loadAddins(bool ribbon) {
    std::vector<std::wstring> loaded;
    // The user's own add-ins, then those installed for every user of the machine (in the machine's
    // registry as programs of Word's bitness see it); one listed in both loads once.
    std::vector<std::pair<HKEY, std::wstring>> names;
    for (const HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        unique_hkey key;
        if (::RegOpenKeyExW(root, kAddinsKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) continue;
        for (DWORD i = 0;; ++i) {
            wchar_t name[256];
            DWORD length = 256;
            if (::RegEnumKeyExW(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            const std::wstring progId(name, length);
            if (std::none_of(names.begin(), names.end(), [&](const auto& n) { return n.second == progId; }))
                names.emplace_back(root, progId);
        }
    }
    for (const auto& [root, progId] : names) {
        unique_hkey entry;
        if (::RegOpenKeyExW(root, (std::wstring(kAddinsKey) + L"\\" + progId).c_str(), 0, KEY_READ | KEY_SET_VALUE,
                            entry.put()) != ERROR_SUCCESS)
            continue;
        DWORD behaviour = 0;
        DWORD size = sizeof behaviour;
        DWORD type = 0;
        if (::RegQueryValueExW(entry.get(), L"LoadBehavior", nullptr, &type, reinterpret_cast<BYTE*>(&behaviour), &size) !=
                ERROR_SUCCESS ||
            type != REG_DWORD || behaviour != 3)
            continue;
        CLSID clsid{};
        ComPtr<IDTExtensibility2> connection;
        HRESULT hr = ::CLSIDFromProgID(progId.c_str(), &clsid);
        if (SUCCEEDED(hr))
            hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IDTExtensibility2), connection.putVoid());
        CustomArray custom;
        if (SUCCEEDED(hr)) hr = connection->OnConnection(application(), ext_cm_Startup, application(), custom.get());
        if (FAILED(hr)) {
            (void)setDword(entry.get(), L"LoadBehavior", 2);
            continue;
        }
        std::wstring ribbonXml;
        ComPtr<IRibbonExtensibility> extensibility;
        if (ribbon && SUCCEEDED(connection->QueryInterface(__uuidof(IRibbonExtensibility), extensibility.putVoid()))) {
            Bstr id = makeBstr(L"Microsoft.Word.Document");
            BSTR xml = nullptr;
            if (SUCCEEDED(extensibility->GetCustomUI(id.get(), &xml)) && xml) ribbonXml = xml;
            ::SysFreeString(xml);
        }
        (void)connection->OnAddInsUpdate(custom.get());
        (void)connection->OnStartupComplete(custom.get());
        addins_.push_back({progId, std::move(connection), std::move(ribbonXml)});
        loaded.push_back(progId);
    }
    return loaded;
}

void WordHost::unloadAddins() {
    for (auto& addin : addins_) {
        CustomArray custom;
        (void)addin.connection->OnBeginShutdown(custom.get());
        (void)addin.connection->OnDisconnection(ext_dm_HostShutdown, custom.get());
    }
    addins_.clear();
}

void WordHost::registerRunning() {
    if (runningCookie_) return;
    const HRESULT hr = test::registerRunningObject(application(), kClsidWordApplication, &runningCookie_);
    if (FAILED(hr)) throw errorFromHresult(hr, "RegisterActiveObject");
}

void WordHost::revokeRunning() noexcept {
    if (!runningCookie_) return;
    (void)::RevokeActiveObject(runningCookie_, nullptr);
    runningCookie_ = 0;
}

bool idleUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (ULONGLONG now = ::GetTickCount64(); now < deadline; now = ::GetTickCount64()) {
        if (done()) return true;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 100)),
                                    QS_ALLINPUT);
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    return done();
}

WordClassRegistration::WordClassRegistration() {
    // COM under Wine reads classes from the machine's hive only; Word registers there too.
    unique_hkey key;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, (std::wstring(kWordClassKey) + L"\\CLSID").c_str(), 0, nullptr, 0,
                          KEY_SET_VALUE, nullptr, key.put(), nullptr) == ERROR_SUCCESS)
        (void)setString(key.get(), nullptr, guidText(kClsidWordApplication));
}

WordClassRegistration::~WordClassRegistration() { (void)::SHDeleteKeyW(HKEY_LOCAL_MACHINE, kWordClassKey); }

}  // namespace telvora::win32::host
