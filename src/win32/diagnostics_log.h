// The add-in's diagnostics on Windows: every error it deliberately ignores goes to the debugger's
// output and to a text log in the user's local application data folder (Telvora\Telvora.log),
// which is kept small: past its size limit it is moved aside to Telvora.log.old and begun anew.
#pragma once

#include <windows.h>

#include <cstdint>
#include <mutex>
#include <string>

#include "base/errors.h"

namespace telvora::win32 {

class DiagnosticsLog final : public Diagnostics {
public:
    // `folder`: where the log lies; by default the user's local application data folder's
    // Telvora folder (the log is then off when that folder cannot be found).
    explicit DiagnosticsLog(std::wstring folder = defaultFolder(), std::uint64_t limitBytes = 256 * 1024);

    void ignored(const RuntimeError& error, const CodePlace& where) noexcept override;

    const std::wstring& path() const noexcept { return path_; }
    static std::wstring defaultFolder();

private:
    void append(const std::string& line);

    std::wstring folder_;
    std::wstring path_;
    std::uint64_t limit_;
    std::mutex mutex_;
};

}  // namespace telvora::win32
