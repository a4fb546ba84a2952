// The machine a Word start finds, set up for the length of a test or a benchmark run: the companion
// template in the add-in's folder, a printer installed in the spooler, the add-in's stored settings.
#pragma once

#include <filesystem>
#include <string>

namespace telvora::win32::host {

// The folder regsvr32 registered the add-in's DLL in: the add-in's own folder.
std::filesystem::path registeredAddinFolder();

// The companion template "Telvora.dot" in the add-in's folder, removed again afterwards.
class CompanionTemplate {
public:
    CompanionTemplate();
    ~CompanionTemplate();
    CompanionTemplate(const CompanionTemplate&) = delete;
    CompanionTemplate& operator=(const CompanionTemplate&) = delete;
    std::string path() const;

private:
    std::filesystem::path path_;
};

// A printer the spooler lists, printing to a file port with Wine's own driver; deleted afterwards.
class InstalledPrinter {
public:
    explicit InstalledPrinter(std::wstring name);
    ~InstalledPrinter();
    InstalledPrinter(const InstalledPrinter&) = delete;
    InstalledPrinter& operator=(const InstalledPrinter&) = delete;
    bool installed() const noexcept { return installed_; }

private:
    std::wstring name_;
    bool installed_ = false;
};

// One of the add-in's settings, as the settings dialog would have stored it; removed afterwards.
class StoredSetting {
public:
    StoredSetting(std::string key, const std::string& value);
    ~StoredSetting();
    StoredSetting(const StoredSetting&) = delete;
    StoredSetting& operator=(const StoredSetting&) = delete;

private:
    std::string key_;
};

}  // namespace telvora::win32::host
