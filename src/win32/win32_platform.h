// The operating system as the add-in uses it on Windows: version, printers, files, machine-wide
// registry reads, programs, the shell, common file dialogs, HTML Help, the clock and the message loop.
#pragma once

#include <mutex>

#include "ports/platform.h"
#include "win32/handles.h"

namespace telvora::win32 {

class Win32Platform final : public Platform {
public:
    std::optional<OsVersion> osVersion() override;
    std::vector<std::string> printers() override;
    std::string tempFolder() override;
    std::string documentsFolder() override;
    std::string environment(const std::string& name) override;
    bool fileExists(const std::string& path) override;
    void deleteFile(const std::string& path) override;
    std::string readFile(const std::string& path) override;
    void writeFile(const std::string& path, const std::string& bytes) override;
    std::string systemCodePageBytes(const std::string& utf8) override;
    std::optional<RegistryValue> machineRegistryValue(const std::string& keyPath,
                                                      const std::string& valueName) override;
    void startProgram(const std::string& commandLine) override;
    [[nodiscard]] bool shellOpen(const std::string& address) override;
    std::optional<std::string> saveFileDialog(const FileDialogRequest& request) override;
    std::optional<std::string> openFileDialog(const FileDialogRequest& request) override;
    void htmlHelp(const std::string& helpFile, HelpCommand command, std::uint32_t data) override;
    LocalTime now() override;
    std::chrono::sys_seconds universalTime(LocalTime local) override;
    std::string addinFolder() override;
    ProductVersion addinVersion() override;
    void yield() override;
    void pause(std::chrono::milliseconds duration) override;

private:
    // hhctrl.ocx stays loaded once help has been shown: closing its windows later needs it.
    std::mutex helpMutex_;
    bool helpLoaded_ = false;
    unique_hmodule helpModule_;
};

// The text of the common dialogs' filter list: description, NUL, pattern, NUL, ..., NUL.
std::wstring dialogFilter(const std::vector<FileFilter>& filters);

}  // namespace telvora::win32
