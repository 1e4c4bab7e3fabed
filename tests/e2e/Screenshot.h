#pragma once

#include <windows.h>

#include <string>

namespace driver {

// Saves what the screen shows inside the window's rectangle as a PNG file.
// GDI+ must be started.
bool saveWindowShot(HWND window, const std::wstring& pngPath);

}  // namespace driver
