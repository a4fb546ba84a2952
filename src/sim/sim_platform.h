// A simulated operating system: installed printers, a drive C: on the real disk (so the files the
// add-in writes can be inspected) that no path can lead out of, a fixed clock, and a record of every
// help call, program start and shell open.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/product_info.h"
#include "ports/platform.h"
#include "sim/machine/machine_paths.h"

namespace telvora::sim {

struct HelpCall {
    std::string helpFile;
    HelpCommand command;
    std::uint32_t data;
};

class SimPlatform final : public Platform {
public:
    // `root` is a real folder that stands for drive C: and holds the simulated temporary and
    // add-in folders. The file calls raise 75 for a path that leads out of it (MachinePaths).
    explicit SimPlatform(std::filesystem::path root);

    std::optional<OsVersion> osVersion() override;
    std::vector<std::string> printers() override;
    std::string tempFolder() override;
    std::string documentsFolder() override { return documents; }
    std::string environment(const std::string& name) override;
    bool fileExists(const std::string& path) override;
    void deleteFile(const std::string& path) override;
    std::string readFile(const std::string& path) override;
    void writeFile(const std::string& path, const std::string& bytes) override;
    // Windows-1252, the code page of an English or Western European Windows; "?" for the rest.
    std::string systemCodePageBytes(const std::string& utf8) override;
    std::optional<RegistryValue> machineRegistryValue(const std::string& keyPath, const std::string& valueName) override;
    void startProgram(const std::string& commandLine) override;
    [[nodiscard]] bool shellOpen(const std::string& address) override;
    std::optional<std::string> saveFileDialog(const FileDialogRequest& request) override;
    std::optional<std::string> openFileDialog(const FileDialogRequest& request) override;
    void htmlHelp(const std::string& helpFile, HelpCommand command, std::uint32_t data) override;
    LocalTime now() override { return clock; }
    std::chrono::sys_seconds universalTime(LocalTime local) override {
        return std::chrono::sys_seconds(local.time_since_epoch() - zoneOffset);
    }
    std::string addinFolder() override;
    ProductVersion addinVersion() override { return ownVersion; }
    void yield() override { ++yields; }
    // Resting moves the machine's clock on, so a wait for another program passes time here too.
    void pause(std::chrono::milliseconds duration) override;

    // Maps a Windows-style path the add-in builds ("C:\\...\\x.txt" or a plain path) to the real
    // file that stands for it; raises 75 for one that leads out of the machine.
    std::filesystem::path realPath(const std::string& path) const { return paths_.toHost(path); }
    // The machine's drive, for the word processor that prints onto it.
    const MachinePaths& paths() const noexcept { return paths_; }

    // The machine as the test sets it up.
    std::optional<OsVersion> version = OsVersion{2, 10, 0, 19045};
    std::vector<std::string> installedPrinters;
    std::map<std::string, std::string> variables;
    // HKEY_LOCAL_MACHINE by key path and value name; both compare without regard to case, as
    // the registry compares them.
    std::map<std::pair<std::string, std::string>, RegistryValue> machineRegistry;
    LocalTime clock{};
    // How far the clock's zone is ahead of universal time (one offset all year).
    std::chrono::minutes zoneOffset{0};
    // What the temporary-path query answers; empty: the query fails.
    std::string temporaryFolder = "C:\\Temp\\";
    // The user's Documents folder.
    std::string documents = "C:\\Users\\User\\Documents";
    // Answers the next file dialogs, in order; an empty entry is a cancelled dialog.
    std::vector<std::optional<std::string>> fileDialogAnswers;
    // The add-in's version: the build's own.
    ProductVersion ownVersion{product::kVersionMajor, product::kVersionMinor, product::kVersionRevision};

    // What the add-in did. A program starts when the file its command line names is on the
    // machine's drive (found as Windows finds it: a quoted path, or the shortest run of words up to
    // a blank that names a file, ".exe" added to a name without an extension).
    std::vector<HelpCall> helpCalls;
    std::vector<std::string> programsStarted;
    std::vector<std::string> addressesOpened;
    std::vector<FileDialogRequest> fileDialogsShown;
    int yields = 0;
    std::chrono::milliseconds rested{0};

    // Every call that can fail on Windows, in order, named ("deleteFile C:\Temp\x.tif"). The one
    // recorded as calls[failingCall - 1] fails as Windows fails it: the file calls, the temporary
    // path and starting a program raise 75; the version, the printers, a variable, a registry value
    // and whether a file exists are answered as none; a file dialog as cancelled; the shell as
    // refusing. The clock, the add-in's own folder and version, help and waiting cannot fail.
    std::vector<std::string> calls;
    std::optional<std::size_t> failingCall;

private:
    // Records the call; answers whether it is the one that fails.
    bool fails(std::string call);
    void raiseIfFails(std::string call);
    bool exists(const std::string& path) const;
    bool isProgramFile(const std::string& path);
    std::optional<std::string> nextFileDialogAnswer(const FileDialogRequest& request);
    MachinePaths paths_;
};

}  // namespace telvora::sim
