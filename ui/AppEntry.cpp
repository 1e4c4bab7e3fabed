#include <windows.h>

#include <memory>

#include "engine/ConvertCore.h"
#include "presets/FlacMp3.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    auto catalogue = std::make_unique<FlacMp3>();
    auto engine = std::make_unique<ConvertCore>();
    if (!engine->initialize()) {
        return 1;
    }
    ::MessageBoxW(nullptr, L"Velquorn 1.0", L"Velquorn", MB_OK);
    return 0;
}
