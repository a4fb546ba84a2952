// Counting the process's GDI and USER objects.
#include "gui_counts.h"

#include <windows.h>

#include <cstdint>

namespace telvora::win32::test {
namespace {

// Wine keeps its GDI handle table where Windows does, in the process environment block, with a
// 24-byte entry per handle whose type byte (offset 12) is zero while the entry is free.
long countWineGdiObjects() {
#if defined(_WIN64)
    // The thread environment block holds the process environment block's address at 0x60.
    const unsigned char* peb = nullptr;
    asm("movq %%gs:0x60, %0" : "=r"(peb));
    const auto* table = *reinterpret_cast<const unsigned char* const*>(peb + 0xF8);
    if (!table) return -1;
    long n = 0;
    for (std::size_t i = 0; i < 0x10000; ++i) {
        if (table[24 * i + 12] != 0) ++n;
    }
    return n;
#else
    return -1;
#endif
}

// USER handles are 16-bit indexes underneath (the high word only tells generations apart), so
// every window and icon of the process can be found by trying each index.
long countWineUserObjects() {
    long n = 0;
    const DWORD self = ::GetCurrentProcessId();
    for (std::uintptr_t h = 0x20; h < 0x10000; h += 2) {
        const auto window = reinterpret_cast<HWND>(h);
        DWORD process = 0;
        if (::IsWindow(window) && ::GetWindowThreadProcessId(window, &process) && process == self) {
            ++n;
            continue;
        }
        ICONINFO info{};
        if (::GetIconInfo(reinterpret_cast<HICON>(h), &info)) {
            ++n;
            if (info.hbmColor) ::DeleteObject(info.hbmColor);
            if (info.hbmMask) ::DeleteObject(info.hbmMask);
        }
    }
    return n;
}

}  // namespace

GuiCounts guiCounts() {
    const HANDLE process = ::GetCurrentProcess();
    ::SetLastError(ERROR_SUCCESS);
    const DWORD gdi = ::GetGuiResources(process, GR_GDIOBJECTS);
    if (gdi != 0 || ::GetLastError() != ERROR_CALL_NOT_IMPLEMENTED)
        return {static_cast<long>(gdi), static_cast<long>(::GetGuiResources(process, GR_USEROBJECTS))};
    // The icon probe makes and deletes bitmaps of its own, so GDI objects are counted first.
    const long wineGdi = countWineGdiObjects();
    return {wineGdi, countWineUserObjects()};
}

}  // namespace telvora::win32::test
