// Settings in the registry at VBA's location.
#include "win32/registry_settings_store.h"

#include <windows.h>

#include "base/errors.h"
#include "win32/com_errors.h"
#include "win32/handles.h"
#include "win32/registry.h"
#include "win32/text.h"

namespace telvora::win32 {
namespace {

constexpr const wchar_t* kRoot = L"Software\\VB and VBA Program Settings\\";

[[noreturn]] void refuse() { throw RuntimeError::standard(err::InvalidProcedureCall, "Settings"); }

// An empty application or section would address the level above the section, where settings of
// other programs live: refuse it as VBA does (invalid procedure call).
std::wstring sectionPath(const std::string& application, const std::string& section) {
    if (application.empty() || section.empty()) refuse();
    return kRoot + widen(application) + L"\\" + widen(section);
}

// An empty key would address the section key's own default value, which is no setting.
std::wstring valueName(const std::string& key) {
    if (key.empty()) refuse();
    return widen(key);
}

[[noreturn]] void raise(LONG rc) { throw errorFromHresult(HRESULT_FROM_WIN32(static_cast<DWORD>(rc)), "Settings"); }

}  // namespace

std::string RegistrySettingsStore::GetSetting(const std::string& application, const std::string& section,
                                              const std::string& key, const std::string& defaultValue) {
    const std::wstring path = sectionPath(application, section);
    const std::wstring name = valueName(key);
    unique_hkey hkey;
    LONG rc = ::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, hkey.put());
    if (rc == ERROR_FILE_NOT_FOUND) return defaultValue;
    if (rc != ERROR_SUCCESS) raise(rc);
    RawValue value;
    rc = queryValue(hkey.get(), name.c_str(), value);
    if (rc == ERROR_FILE_NOT_FOUND) return defaultValue;
    if (rc != ERROR_SUCCESS) raise(rc);
    // Only text is a setting; a value of another type was not written by SaveSetting.
    if (value.type != REG_SZ && value.type != REG_EXPAND_SZ) return defaultValue;
    return narrow(textWithoutTerminator(value));
}

void RegistrySettingsStore::SaveSetting(const std::string& application, const std::string& section,
                                        const std::string& key, const std::string& value) {
    const std::wstring path = sectionPath(application, section);
    const std::wstring name = valueName(key);
    unique_hkey hkey;
    LONG rc = ::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                hkey.put(), nullptr);
    if (rc != ERROR_SUCCESS) raise(rc);
    rc = setString(hkey.get(), name.c_str(), widen(value));
    if (rc != ERROR_SUCCESS) raise(rc);
}

void RegistrySettingsStore::DeleteSetting(const std::string& application, const std::string& section,
                                          const std::string& key) {
    const std::wstring path = sectionPath(application, section);
    const std::wstring name = valueName(key);
    unique_hkey hkey;
    LONG rc = ::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_SET_VALUE, hkey.put());
    if (rc == ERROR_FILE_NOT_FOUND) return;
    if (rc != ERROR_SUCCESS) raise(rc);
    rc = ::RegDeleteValueW(hkey.get(), name.c_str());
    if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) raise(rc);
}

}  // namespace telvora::win32
