// The COM server's process-wide state, kept in one place: the DLL's module handle, the count of
// live objects and server locks, and the add-in state shared by every object.
#pragma once

#include <windows.h>

#include "app/addin.h"

namespace telvora::win32::module {

void setInstance(HMODULE instance) noexcept;
HMODULE instance() noexcept;

// Every COM object and class factory counts itself while it lives.
void objectCreated() noexcept;
void objectDestroyed() noexcept;
void lockServer(bool lock) noexcept;
// No live object and no lock: the DLL may go. The shared add-in state goes with it.
[[nodiscard]] bool canUnload() noexcept;

// The add-in state and its Windows ports, created by the first object that needs it (from any
// thread) and shared by all of them. Raises when it cannot be created.
Addin& addin();

}  // namespace telvora::win32::module
