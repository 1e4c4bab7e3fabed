#pragma once

#include <windows.h>

#include <memory>

#include "engine/ConvertCore.h"
#include "presets/MediaPreset.h"
#include "utils/unique_resource.h"

// The program-wide single instances. Everything here is touched on the
// user-interface thread only.
namespace app {

constexpr wchar_t kProductName[] = L"Velquorn";

extern HINSTANCE instance;
extern HWND mainWindow;
extern HICON appIcon;  // shared resource icon: never destroyed
extern utils::unique_hwnd tooltipWindow;
// Owned by the main window from its initialisation to its closing.
extern std::unique_ptr<ConvertCore> engine;
extern std::unique_ptr<MediaPreset> catalogue;
extern ULONG_PTR gdiplusToken;

}  // namespace app
