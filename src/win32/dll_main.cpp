// The DLL's exported entry points. Each runs behind the barrier: whatever happens inside comes out
// as an HRESULT.
#include <windows.h>

#include "win32/com_errors.h"
#include "win32/module.h"
#include "win32/server.h"

using namespace telvora::win32;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        module::setInstance(instance);
        ::DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    return barrier([&] { return getClassObject(clsid, riid, object); });
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return barrier([] { return module::canUnload() ? S_OK : S_FALSE; });
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
    return barrier([] { return registerTable(registrationTable(modulePath())); });
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
    return barrier([] { return unregisterTable(registrationTable(modulePath())); });
}
