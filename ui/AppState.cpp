#include "ui/AppState.h"

namespace app {

HINSTANCE instance = nullptr;
HWND mainWindow = nullptr;
HICON appIcon = nullptr;
utils::unique_hwnd tooltipWindow;
std::unique_ptr<ConvertCore> engine;
std::unique_ptr<MediaPreset> catalogue;
ULONG_PTR gdiplusToken = 0;

}  // namespace app
