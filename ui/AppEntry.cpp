#include "ui/AppEntry.h"

#include <windows.h>

#include <objidl.h>

#include <gdiplus.h>

#include "presets/FlacMp3.h"
#include "resources/resource.h"
#include "ui/AppState.h"
#include "ui/ButtonImages.h"

bool initApplication() {
    Gdiplus::GdiplusStartupInput input;  // version 1, no callback, nothing suppressed
    // A failed start only costs the pictures; the window still works.
    Gdiplus::GdiplusStartup(&app::gdiplusToken, &input, nullptr);

    app::instance = nullptr;
    app::mainWindow = nullptr;
    app::appIcon = nullptr;
    app::tooltipWindow.reset();
    app::engine.reset();
    app::catalogue.reset();

    app::catalogue = std::make_unique<FlacMp3>();
    return true;
}

void shutdownApplication() {
    // Images go before GDI+ does; the map visits them in ascending id order.
    for (auto& entry : buttonImages) {
        entry.second.reset();
    }
    buttonImages.clear();
    if (app::gdiplusToken) {
        Gdiplus::GdiplusShutdown(app::gdiplusToken);
        app::gdiplusToken = 0;
    }
}

int mainTemplateId(const MediaPreset* catalogue) {
    return catalogue && catalogue->presetCount() > 1 ? IDD_MAIN_WITH_PRESETS : IDD_MAIN;
}
