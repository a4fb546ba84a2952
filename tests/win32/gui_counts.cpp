// Counting the process's GDI and USER objects.
#include "gui_counts.h"

#include <windows.h>

#include <cstdint>
#include <cstring>

namespace telvora::win32::test {
namespace {

// Wine keeps its GDI handle table where Windows does, in the process environment block, with a
// 24-byte entry per handle in either bitness whose type byte (offset 12) is zero while the entry is
// free. A 32-bit process on 64-bit Wine has it in its 64-bit environment block, found through the
// 64-bit thread block whose address the 32-bit one keeps in its GdiBatchCount field.
const unsigned char* wineGdiHandleTable() {
    const unsigned char* table = nullptr;
#if defined(_WIN64)
    const unsigned char* peb = nullptr;
    asm("movq %%gs:0x60, %0" : "=r"(peb));
    std::memcpy(&table, peb + 0xF8, sizeof table);
#else
    const unsigned char* teb = nullptr;
    asm("movl %%fs:0x18, %0" : "=r"(teb));
    std::uint32_t teb64 = 0;
    std::memcpy(&teb64, teb + 0xF70, sizeof teb64);
    if (teb64 != 0) {
        std::uint64_t peb64 = 0;
        std::uint64_t table64 = 0;
        std::memcpy(&peb64, reinterpret_cast<const unsigned char*>(teb64) + 0x60, sizeof peb64);
        std::memcpy(&table64, reinterpret_cast<const unsigned char*>(static_cast<std::uintptr_t>(peb64)) + 0xF8,
                    sizeof table64);
        return reinterpret_cast<const unsigned char*>(static_cast<std::uintptr_t>(table64));
    }
    const unsigned char* peb = nullptr;
    asm("movl %%fs:0x30, %0" : "=r"(peb));
    std::memcpy(&table, peb + 0x94, sizeof table);
#endif
    return table;
}

long countWineGdiObjects() {
    const unsigned char* table = wineGdiHandleTable();
    if (!table) return -1;
    long n = 0;
    for (std::size_t i = 0; i < 0x10000; ++i) {
        if (table[24 * i + 12] != 0) ++n;
    }
    return n;
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
