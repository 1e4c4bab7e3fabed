#include <windows.h>

#include "ui/AppEntry.h"
#include "ui/AppState.h"
#include "ui/ButtonImages.h"
#include "ui/MainWindow.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    initApplication();
    loadButtonImages(instance);
    const int templateId = mainTemplateId(app::catalogue.get());
    ::DialogBoxParamW(instance, MAKEINTRESOURCEW(templateId), nullptr, mainDialogProc, 0);
    shutdownApplication();
    return 0;
}
