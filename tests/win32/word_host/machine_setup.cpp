// Template file, spooler printer and stored settings for the Windows tests.
#include "word_host/machine_setup.h"

#include <windows.h>
#include <winspool.h>

#include <fstream>

#include "core/settings.h"
#include "win32/handles.h"
#include "win32/registry.h"
#include "win32/registry_settings_store.h"
#include "win32/text.h"

namespace telvora::win32::host {

std::filesystem::path registeredAddinFolder() {
    unique_hkey key;
    const std::wstring path = L"Software\\Classes\\CLSID\\{283238B9-EC67-4AD5-9590-94A72EBE8AF0}\\InprocServer32";
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return {};
    RawValue value;
    if (queryValue(key.get(), nullptr, value) != ERROR_SUCCESS) return {};
    return std::filesystem::path(textWithoutTerminator(value)).parent_path();
}

CompanionTemplate::CompanionTemplate() : path_(registeredAddinFolder() / L"Telvora.dot") {
    std::ofstream(path_) << "companion template";
}

CompanionTemplate::~CompanionTemplate() {
    std::error_code ec;
    std::filesystem::remove(path_, ec);
}

std::string CompanionTemplate::path() const { return narrow(path_.wstring()); }

InstalledPrinter::InstalledPrinter(std::wstring name) : name_(std::move(name)) {
    // Wine brings a PostScript driver; a spooler without any driver installs no printer.
    DRIVER_INFO_3W driver{};
    driver.cVersion = 3;
    driver.pName = const_cast<wchar_t*>(L"Wine PostScript Driver");
    driver.pDriverPath = const_cast<wchar_t*>(L"wineps.drv");
    driver.pDataFile = const_cast<wchar_t*>(L"generic.ppd");
    driver.pConfigFile = const_cast<wchar_t*>(L"wineps.drv");
    (void)::AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&driver), APD_COPY_NEW_FILES);
    PRINTER_INFO_2W info{};
    info.pPrinterName = name_.data();
    info.pPortName = const_cast<wchar_t*>(L"FILE:");
    info.pDriverName = driver.pName;
    info.pPrintProcessor = const_cast<wchar_t*>(L"WinPrint");
    info.pDatatype = const_cast<wchar_t*>(L"RAW");
    if (HANDLE printer = ::AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info))) {
        ::ClosePrinter(printer);
        installed_ = true;
    } else {
        installed_ = ::GetLastError() == ERROR_PRINTER_ALREADY_EXISTS;
    }
}

InstalledPrinter::~InstalledPrinter() {
    HANDLE printer = nullptr;
    PRINTER_DEFAULTSW access{nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (::OpenPrinterW(name_.data(), &printer, &access)) {
        (void)::DeletePrinter(printer);
        ::ClosePrinter(printer);
    }
}

StoredSetting::StoredSetting(std::string key, const std::string& value) : key_(std::move(key)) {
    RegistrySettingsStore store;
    store.SaveSetting(kAppName, kSectionName, key_, value);
}

StoredSetting::~StoredSetting() {
    RegistrySettingsStore store;
    try {
        store.DeleteSetting(kAppName, kSectionName, key_);
    } catch (...) {
        // Nothing more a test's clean-up can do.
    }
}

}  // namespace telvora::win32::host
