// The diagnostics log.
#include "win32/diagnostics_log.h"

#include <shlobj.h>

#include <cstdio>

#include "win32/handles.h"
#include "win32/text.h"

namespace telvora::win32 {

DiagnosticsLog::DiagnosticsLog(std::wstring folder, std::uint64_t limitBytes)
    : folder_(std::move(folder)), path_(folder_.empty() ? std::wstring() : folder_ + L"\\Telvora.log"), limit_(limitBytes) {}

std::wstring DiagnosticsLog::defaultFolder() {
    wchar_t base[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, base))) return {};
    return std::wstring(base) + L"\\Telvora";
}

void DiagnosticsLog::ignored(const RuntimeError& error, const CodePlace& where) noexcept {
    try {
        SYSTEMTIME now{};
        ::GetLocalTime(&now);
        char stamp[32];
        std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u ", now.wYear, now.wMonth, now.wDay, now.wHour,
                      now.wMinute, now.wSecond);
        const std::string line = stamp + ignoredErrorLine(error, where);
        ::OutputDebugStringW((L"Telvora: " + widen(line) + L"\n").c_str());
        append(line);
    } catch (...) {
        // The log is the last resort: a note that cannot be written is lost, never raised.
    }
}

void DiagnosticsLog::append(const std::string& line) {
    if (path_.empty()) return;
    std::lock_guard guard(mutex_);
    ::CreateDirectoryW(folder_.c_str(), nullptr);
    WIN32_FILE_ATTRIBUTE_DATA info{};
    if (::GetFileAttributesExW(path_.c_str(), GetFileExInfoStandard, &info)) {
        const std::uint64_t size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
        if (size + line.size() + 2 > limit_)
            ::MoveFileExW(path_.c_str(), (path_ + L".old").c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    unique_file file(::CreateFileW(path_.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    const std::string bytes = line + "\r\n";
    DWORD written = 0;
    ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace telvora::win32
