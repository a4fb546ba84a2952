// The Windows operating system behind the Platform port.
#include "win32/win32_platform.h"

#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>
#include <winspool.h>

#include <algorithm>
#include <cstring>

#include "base/errors.h"
#include "base/product_info.h"
#include "win32/com_errors.h"
#include "win32/registry.h"
#include "win32/text.h"

namespace telvora::win32 {
namespace {

// The longest path the wide file APIs accept; dialogs get buffers this large so no chosen path is cut.
constexpr DWORD kMaxPathChars = 32768;

[[noreturn]] void raiseFileError(DWORD code) {
    const bool missing = code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
    throw RuntimeError::standard(missing ? err::FileNotFound : err::PathFileAccess);
}

std::optional<std::string> fileDialog(const FileDialogRequest& request, bool save) {
    const std::wstring filter = dialogFilter(request.filters);
    const std::wstring title = widen(request.title);
    const std::wstring folder = widen(request.initialFolder);
    const std::wstring extension = widen(request.defaultExtension);
    std::wstring file = widen(request.fileName);
    if (file.size() >= kMaxPathChars) file.clear();
    std::vector<wchar_t> buffer(kMaxPathChars, L'\0');
    std::copy(file.begin(), file.end(), buffer.begin());

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = kMaxPathChars;
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
    ofn.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    // The save dialog asks before an existing file is replaced; a file to open must exist.
    ofn.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST |
                (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    const BOOL chosen = save ? ::GetSaveFileNameW(&ofn) : ::GetOpenFileNameW(&ofn);
    if (!chosen) return std::nullopt;  // cancelled, or the dialog failed: either way nothing chosen
    return narrow(buffer.data());
}

// The module this code was linked into: the add-in's DLL inside Word, not Word's program.
HMODULE ownModule() {
    HMODULE self = nullptr;
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              reinterpret_cast<const wchar_t*>(&raiseFileError), &self))
        throw errorFromHresult(HRESULT_FROM_WIN32(::GetLastError()));
    return self;
}

// The file version in the module's version record, read from the resource itself (the record
// starts with its header and the key "VS_VERSION_INFO", then the fixed part on a 32-bit boundary).
std::optional<ProductVersion> versionRecord(HMODULE module) {
    const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
    if (!found) return std::nullopt;
    const HGLOBAL resource = ::LoadResource(module, found);
    const auto* bytes = resource ? static_cast<const BYTE*>(::LockResource(resource)) : nullptr;
    const DWORD size = ::SizeofResource(module, found);
    constexpr std::size_t header = 3 * sizeof(WORD) + sizeof(L"VS_VERSION_INFO");
    constexpr std::size_t fixedAt = (header + 3) & ~std::size_t{3};
    if (!bytes || size < fixedAt + sizeof(VS_FIXEDFILEINFO)) return std::nullopt;
    VS_FIXEDFILEINFO info{};
    std::memcpy(&info, bytes + fixedAt, sizeof info);
    if (info.dwSignature != 0xFEEF04BD) return std::nullopt;
    return ProductVersion{HIWORD(info.dwFileVersionMS), LOWORD(info.dwFileVersionMS), HIWORD(info.dwFileVersionLS)};
}

}  // namespace

std::wstring dialogFilter(const std::vector<FileFilter>& filters) {
    std::wstring text;
    for (const auto& f : filters) {
        text += widen(f.description);
        text += L'\0';
        text += widen(f.pattern.empty() ? std::string("*.*") : f.pattern);
        text += L'\0';
    }
    if (text.empty()) {
        text = L"All Files";
        text += L'\0';
        text += L"*.*";
        text += L'\0';
    }
    text += L'\0';
    return text;
}

std::optional<OsVersion> Win32Platform::osVersion() {
    // RtlGetVersion reports the running system; GetVersionEx is shimmed to an older version for
    // programs (Word among them) not manifested for the newest Windows.
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    if (!ntdll) return std::nullopt;
    const auto fn = reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void*>(::GetProcAddress(ntdll, "RtlGetVersion")));
    if (!fn) return std::nullopt;
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (fn(&info) != 0) return std::nullopt;
    return OsVersion{info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber};
}

std::vector<std::string> Win32Platform::printers() {
    const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    std::vector<BYTE> buffer;
    DWORD needed = 0;
    DWORD count = 0;
    // Printers can be added between the two calls; ask again with the size needed now.
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (::EnumPrintersW(flags, nullptr, 4, buffer.empty() ? nullptr : buffer.data(),
                            static_cast<DWORD>(buffer.size()), &needed, &count))
            break;
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return {};
        buffer.resize(needed);
        count = 0;
    }
    std::vector<std::string> names;
    const auto* info = reinterpret_cast<const PRINTER_INFO_4W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        if (info[i].pPrinterName) names.push_back(narrow(info[i].pPrinterName));
    }
    return names;
}

std::string Win32Platform::tempFolder() {
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    for (;;) {
        const DWORD n = ::GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data());
        if (n == 0) throw errorFromHresult(HRESULT_FROM_WIN32(::GetLastError()));
        if (n < buffer.size()) return narrow(std::wstring_view(buffer.data(), n));
        buffer.resize(n + 1);  // too small: n is the size needed, terminator included
    }
}

std::string Win32Platform::documentsFolder() {
    // The shell's own answer, which follows a Documents folder the user moved.
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
    return narrow(path);
}

std::string Win32Platform::environment(const std::string& name) {
    const std::wstring wname = widen(name);
    std::vector<wchar_t> buffer(256);
    for (;;) {
        ::SetLastError(ERROR_SUCCESS);
        const DWORD n = ::GetEnvironmentVariableW(wname.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};  // not set, or set to the empty text
        if (n < buffer.size()) return narrow(std::wstring_view(buffer.data(), n));
        buffer.resize(n);
    }
}

bool Win32Platform::fileExists(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void Win32Platform::deleteFile(const std::string& path) {
    if (::DeleteFileW(widen(path).c_str())) return;
    const DWORD code = ::GetLastError();
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return;
    raiseFileError(code);
}

std::string Win32Platform::readFile(const std::string& path) {
    unique_file file(::CreateFileW(widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) raiseFileError(::GetLastError());
    std::string bytes;
    char chunk[65536];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr)) raiseFileError(::GetLastError());
        if (got == 0) return bytes;
        bytes.append(chunk, got);
    }
}

void Win32Platform::writeFile(const std::string& path, const std::string& bytes) {
    unique_file file(::CreateFileW(widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) raiseFileError(::GetLastError());
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD part = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        if (!::WriteFile(file.get(), bytes.data() + done, part, &written, nullptr) || written == 0)
            raiseFileError(::GetLastError());
        done += written;
    }
}

std::string Win32Platform::systemCodePageBytes(const std::string& utf8) {
    const std::wstring wide = widen(utf8);
    if (wide.empty()) return {};
    const int size = static_cast<int>(wide.size());
    // No default character given: the system's own replacement stands for what the code page lacks.
    const int needed = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) raiseFileError(::GetLastError());
    std::string bytes(static_cast<std::size_t>(needed), '\0');
    if (::WideCharToMultiByte(CP_ACP, 0, wide.data(), size, bytes.data(), needed, nullptr, nullptr) != needed)
        raiseFileError(::GetLastError());
    return bytes;
}

std::optional<RegistryValue> Win32Platform::machineRegistryValue(const std::string& keyPath,
                                                                 const std::string& valueName) {
    // Reading needs only read access: asking for more fails for an ordinary user.
    unique_hkey key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, widen(keyPath).c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
        return std::nullopt;
    RawValue raw;
    if (queryValue(key.get(), widen(valueName).c_str(), raw) != ERROR_SUCCESS) return std::nullopt;
    RegistryValue value;
    value.type = raw.type;
    if (raw.type == REG_DWORD) {
        if (raw.data.size() < sizeof(DWORD)) return std::nullopt;
        DWORD n = 0;
        std::memcpy(&n, raw.data.data(), sizeof n);
        value.number = n;
    } else if (raw.type == REG_SZ || raw.type == REG_EXPAND_SZ) {
        value.text = narrow(storedText(raw));
    }
    return value;
}

void Win32Platform::startProgram(const std::string& commandLine) {
    // CreateProcessW may write into the command line, so it gets a copy of its own.
    std::wstring line = widen(commandLine);
    line.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        const DWORD code = ::GetLastError();
        const bool missing = code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
        throw RuntimeError(missing ? err::FileNotFound : err::InvalidProcedureCall,
                           missing ? standardErrorText(err::FileNotFound)
                                   : "The program could not be started: " + commandLine);
    }
    unique_handle processHandle(process.hProcess);
    unique_handle threadHandle(process.hThread);
}

bool Win32Platform::shellOpen(const std::string& address) {
    const auto result = ::ShellExecuteW(::GetForegroundWindow(), L"open", widen(address).c_str(), nullptr, nullptr,
                                        SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

std::optional<std::string> Win32Platform::saveFileDialog(const FileDialogRequest& request) {
    return fileDialog(request, true);
}

std::optional<std::string> Win32Platform::openFileDialog(const FileDialogRequest& request) {
    return fileDialog(request, false);
}

void Win32Platform::htmlHelp(const std::string& helpFile, HelpCommand command, std::uint32_t data) {
    using HtmlHelpFn = HWND(WINAPI*)(HWND, const wchar_t*, UINT, DWORD_PTR);
    HtmlHelpFn fn = nullptr;
    {
        std::lock_guard lock(helpMutex_);
        if (!helpLoaded_) {
            helpLoaded_ = true;  // one attempt: a machine without the help engine stays without it
            helpModule_.reset(::LoadLibraryW(L"hhctrl.ocx"));
        }
        if (helpModule_)
            fn = reinterpret_cast<HtmlHelpFn>(reinterpret_cast<void*>(::GetProcAddress(helpModule_.get(), "HtmlHelpW")));
    }
    if (!fn) return;
    // Closing all windows must not load a missing help file; displaying one shows nothing if the
    // file is absent. The help engine reports failure by its result, which no caller examines.
    if (command == HelpCommand::DisplayContext && !fileExists(helpFile.substr(0, helpFile.find("::")))) return;
    (void)fn(nullptr, widen(helpFile).c_str(), static_cast<UINT>(command), static_cast<DWORD_PTR>(data));
}

LocalTime Win32Platform::now() {
    SYSTEMTIME t{};
    ::GetLocalTime(&t);
    using namespace std::chrono;
    const local_days day = local_days(year(t.wYear) / month(t.wMonth) / std::chrono::day(t.wDay));
    return LocalTime(day.time_since_epoch() + hours(t.wHour) + minutes(t.wMinute) + seconds(t.wSecond));
}

std::chrono::sys_seconds Win32Platform::universalTime(LocalTime local) {
    using namespace std::chrono;
    const local_days day = floor<days>(local);
    const year_month_day date{day};
    const hh_mm_ss time{local - day};
    SYSTEMTIME l{};
    l.wYear = static_cast<WORD>(static_cast<int>(date.year()));
    l.wMonth = static_cast<WORD>(static_cast<unsigned>(date.month()));
    l.wDay = static_cast<WORD>(static_cast<unsigned>(date.day()));
    l.wHour = static_cast<WORD>(time.hours().count());
    l.wMinute = static_cast<WORD>(time.minutes().count());
    l.wSecond = static_cast<WORD>(time.seconds().count());
    // With no zone given, the system's current zone and the daylight rule of the date converted.
    SYSTEMTIME u{};
    if (!::TzSpecificLocalTimeToSystemTime(nullptr, &l, &u)) throw errorFromHresult(HRESULT_FROM_WIN32(::GetLastError()));
    const sys_days utcDay = sys_days(year(u.wYear) / month(u.wMonth) / std::chrono::day(u.wDay));
    return sys_seconds(utcDay.time_since_epoch() + hours(u.wHour) + minutes(u.wMinute) + seconds(u.wSecond));
}

std::string Win32Platform::addinFolder() {
    const HMODULE self = ownModule();
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(self, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) throw errorFromHresult(HRESULT_FROM_WIN32(::GetLastError()));
        if (n < buffer.size()) {
            std::wstring path(buffer.data(), n);
            const auto slash = path.find_last_of(L"\\/");
            return narrow(slash == std::wstring::npos ? std::wstring() : path.substr(0, slash));
        }
        if (buffer.size() >= kMaxPathChars) throw RuntimeError::standard(err::PathFileAccess);
        buffer.resize(buffer.size() * 2);
    }
}

ProductVersion Win32Platform::addinVersion() {
    // The version record of the add-in's own file, as Windows shows it in the file's properties; a
    // file built without one answers the version it was built as.
    if (const auto version = versionRecord(ownModule())) return *version;
    return {product::kVersionMajor, product::kVersionMinor, product::kVersionRevision};
}

void Win32Platform::yield() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // The quit request belongs to the host's own loop: hand it back.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

void Win32Platform::pause(std::chrono::milliseconds duration) {
    if (duration.count() <= 0) return;
    // Sleeps until the time is up or input arrives for this thread, whichever comes first.
    (void)::MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(duration.count()), QS_ALLINPUT,
                                        MWMO_INPUTAVAILABLE);
}

}  // namespace telvora::win32
