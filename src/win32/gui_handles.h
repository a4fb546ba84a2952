// Owners for what a dialog holds of the window system: windows, GDI fonts and brushes, icons. Each
// is released exactly once, when its owner goes.
#pragma once

#include <windows.h>

#include "win32/handles.h"

namespace telvora::win32 {

using unique_hwnd = unique_any<NullIsNoneTraits<HWND, &::DestroyWindow>>;
using unique_hfont = unique_any<NullIsNoneTraits<HFONT, &::DeleteObject>>;
using unique_hbrush = unique_any<NullIsNoneTraits<HBRUSH, &::DeleteObject>>;
using unique_hicon = unique_any<NullIsNoneTraits<HICON, &::DestroyIcon>>;

}  // namespace telvora::win32
