// The COM server: its table of creatable classes, their class factory, and what registration
// writes for them.
#pragma once

#include <windows.h>

#include <span>
#include <string>
#include <variant>
#include <vector>

namespace telvora::win32 {

struct ComClass {
    const CLSID* clsid;
    const wchar_t* progId;
    const wchar_t* description;
    // The class's dispatch interface in the type library and its name there; null for a class the
    // type library does not describe.
    const IID* typeLibInterface;
    const wchar_t* typeLibInterfaceName;
    // Creates an object and hands out `riid` on it.
    HRESULT (*create)(REFIID riid, void** object) noexcept;
};

std::span<const ComClass> comClasses() noexcept;

// DllGetClassObject's work: a class factory for a class of the table.
[[nodiscard]] HRESULT getClassObject(REFCLSID clsid, REFIID riid, void** object) noexcept;

// One value registration writes: under `root`\`key`, `name` (empty: the key's default value).
struct RegistryEntry {
    HKEY root;
    std::wstring key;
    std::wstring name;
    std::variant<std::wstring, DWORD> value;
};

// A key the 32-bit and the 64-bit DLL both write into, which a 64-bit Windows keeps in one place
// for programs of both bitnesses (the type library's, the programmatic identifiers, Word's add-in
// entry): removed with everything below it only once `inUse`, as programs of the bitness `view`
// names see it (KEY_WOW64_32KEY, KEY_WOW64_64KEY; 0 for this build's own), has no subkey left, so
// removing one build leaves the other's registration whole.
struct SharedKey {
    HKEY root;
    std::wstring key;
    std::wstring inUse;
    REGSAM view = 0;
};

// What registration writes, and the keys it owns (removed, with everything below them, when
// unregistering or rolling back). Keys above them (Software\Classes\CLSID, Word's Addins) are
// shared with other software and are never removed.
struct RegistrationTable {
    std::vector<RegistryEntry> entries;
    std::vector<std::pair<HKEY, std::wstring>> ownedKeys;
    std::vector<SharedKey> sharedKeys;  // removed after the owned keys, when no longer in use
};

// The add-in's registration for the current user (no administrator rights needed), for the DLL
// at `dllPath`: its classes, its type library for this build's architecture ("win64" or
// "win32") and Word's add-in entry.
RegistrationTable registrationTable(const std::wstring& dllPath);

// Writes every entry. On the first failure removes every owned key again and answers that failure:
// a failed registration leaves nothing half-written.
[[nodiscard]] HRESULT registerTable(const RegistrationTable& table) noexcept;
// Removes every owned key, then every shared key no longer in use; one that is already gone is
// not a failure.
[[nodiscard]] HRESULT unregisterTable(const RegistrationTable& table) noexcept;

// The full path of the module this server was loaded from.
std::wstring modulePath();

}  // namespace telvora::win32
