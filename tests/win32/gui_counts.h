// How many GDI and USER objects this process holds, for leak checks. Windows answers through
// GetGuiResources; Wine does not implement it, so there the objects are counted directly.
#pragma once

namespace telvora::win32::test {

struct GuiCounts {
    long gdi = 0;
    long user = 0;
    bool operator==(const GuiCounts&) const = default;
};

GuiCounts guiCounts();

}  // namespace telvora::win32::test
