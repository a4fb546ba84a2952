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
#include "win32/com_object.h"
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

[[noreturn]] void missingMember() {
    throw RuntimeError(err::CollectionMemberMissing, "The requested member of the collection does not exist.",
                       "Microsoft Word");
}

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

// Hands out the host's application to whoever creates Word.
class ApplicationFactory final : public ComObject<IClassFactory> {
public:
    explicit ApplicationFactory(IDispatch* application) noexcept : application_(ComPtr<IDispatch>::addRef(application)) {}
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) noexcept override {
        if (object) *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return application_->QueryInterface(riid, object);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) noexcept override { return S_OK; }

private:
    ComPtr<IDispatch> application_;
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
    missingMember();
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

WordHost::WordHost(std::shared_ptr<sim::WordProcessor> word, const Extension& extension)
    : word_(std::move(word)),
      addIns_(std::make_shared<FileAddIns>()),
      served_(word_, addIns_),
      counters_(std::make_shared<HostCounters>()),
      application_(makeHostApplication(extension ? extension(served_.application()) : served_.application(),
                                       served_.events(), counters_)) {}

WordHost::~WordHost() {
    unloadAddins();
    revokeClass();
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

void WordHost::registerClass() {
    if (classCookie_) return;
    auto factory = makeComObject<ApplicationFactory>(application());
    const HRESULT hr = ::CoRegisterClassObject(kClsidWordApplication, factory.get(), CLSCTX_LOCAL_SERVER,
                                               REGCLS_MULTIPLEUSE, &classCookie_);
    if (FAILED(hr)) throw errorFromHresult(hr, "CoRegisterClassObject");
}

void WordHost::revokeClass() noexcept {
    if (!classCookie_) return;
    (void)::CoRevokeClassObject(classCookie_);
    classCookie_ = 0;
}

void WordHost::revokeRunning() noexcept {
    if (!runningCookie_) return;
    (void)::RevokeActiveObject(runningCookie_, nullptr);
    runningCookie_ = 0;
}

int WordHost::runServing(const std::wstring& commandLine, std::string& output, DWORD timeoutMs) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    unique_handle readEnd;
    unique_handle writeEnd;
    {
        HANDLE r = nullptr;
        HANDLE w = nullptr;
        if (!::CreatePipe(&r, &w, &inherit, 0)) return -1;
        readEnd.reset(r);
        writeEnd.reset(w);
    }
    ::SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd.get();
    startup.hStdError = writeEnd.get();
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    std::wstring line = commandLine;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process))
        return -1;
    unique_handle processHandle(process.hProcess);
    unique_handle threadHandle(process.hThread);
    writeEnd.reset();

    // The program's calls into this apartment arrive as window messages: keep them flowing, and
    // keep the pipe drained so the program never blocks on a full one.
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    bool ended = false;
    const auto drain = [&] {
        DWORD available = 0;
        while (::PeekNamedPipe(readEnd.get(), nullptr, 0, nullptr, &available, nullptr) && available > 0) {
            char buffer[4096];
            DWORD got = 0;
            if (!::ReadFile(readEnd.get(), buffer, std::min<DWORD>(available, sizeof buffer), &got, nullptr) || got == 0)
                break;
            output.append(buffer, got);
        }
    };
    while (!ended) {
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline) break;
        HANDLE waitOn = processHandle.get();
        const DWORD wait = ::MsgWaitForMultipleObjects(1, &waitOn, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 50)),
                                                       QS_ALLINPUT);
        if (wait == WAIT_OBJECT_0) ended = true;
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
