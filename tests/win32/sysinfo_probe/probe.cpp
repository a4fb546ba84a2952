// A stand-in for Windows' System Information program: it proves that it was started by leaving a
// file named after itself, with ".started" added, beside itself.
#include <windows.h>

#include <string>
#include <vector>

int main() {
    std::vector<wchar_t> buffer(32768);
    const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return 1;
    const std::wstring marker = std::wstring(buffer.data(), n) + L".started";
    const HANDLE file = ::CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                      nullptr);
    if (file == INVALID_HANDLE_VALUE) return 2;
    ::CloseHandle(file);
    return 0;
}
