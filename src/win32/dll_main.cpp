// The DLL's exported entry points. Each is a barrier: whatever happens inside comes out as an HRESULT.
#include <windows.h>
#include <olectl.h>

#include <new>

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
    return getClassObject(clsid, riid, object);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return module::canUnload() ? S_OK : S_FALSE; }

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
    try {
        return registerTable(registrationTable(modulePath()));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return SELFREG_E_CLASS;
    }
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
    try {
        return unregisterTable(registrationTable(modulePath()));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return SELFREG_E_CLASS;
    }
}
