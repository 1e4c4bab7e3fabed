#include "ui/MainWindow.h"

#include <objidl.h>

#include <commctrl.h>
#include <gdiplus.h>
#include <shellapi.h>

#include <string>

#include "resources/resource.h"
#include "ui/AppState.h"
#include "ui/ButtonImages.h"
#include "ui/ConversionLaunch.h"
#include "ui/OutputFolder.h"
#include "ui/Settings.h"
#include "ui/SourceList.h"

namespace {

constexpr wchar_t kVersionSuffix[] = L" 1.0";
constexpr INT_PTR kMainDialogResult = IDCANCEL;

// Floor division by two, also for negative values.
int halfRoundedDown(int value) {
    return value >= 0 ? value / 2 : -((1 - value) / 2);
}

bool dispatchCommand(int controlId) {
    switch (controlId) {
        case IDCANCEL:
            onClose();
            return true;
        case IDC_CONVERT:
            onConvert();
            return true;
        case IDC_BROWSE_FOLDER:
            onBrowseFolder();
            return true;
        case IDC_ADD:
            onAddFiles();
            return true;
        case IDC_REMOVE:
            onRemoveSelected();
            return true;
        case IDC_CLEAR:
            onClearList();
            return true;
        case IDC_OPEN_FOLDER:
            onOpenFolder();
            return true;
        default:
            return false;
    }
}

}  // namespace

HWND findControl(int controlId) {
    if (!app::mainWindow || !::IsWindow(app::mainWindow)) {
        return nullptr;
    }
    HWND control = ::GetDlgItem(app::mainWindow, controlId);
    return control && ::IsWindow(control) ? control : nullptr;
}

POINT imageDrawOffset(const RECT& item,
                      int imageWidth,
                      int imageHeight,
                      UINT itemAction,
                      UINT itemState) {
    POINT offset{halfRoundedDown((item.right - item.left) - imageWidth),
                 halfRoundedDown((item.bottom - item.top) - imageHeight)};
    if ((itemAction & ODA_SELECT) || (itemState & ODS_SELECTED)) {
        offset.x += 1;
        offset.y += 1;
    }
    return offset;
}

void onDrawItem(const DRAWITEMSTRUCT& record) {
    if (record.CtlType != ODT_BUTTON) {
        return;
    }
    auto found = buttonImages.find(static_cast<int>(record.CtlID));
    if (found == buttonImages.end() || !found->second || !found->second->image) {
        return;
    }
    Gdiplus::Image* image = found->second->image.get();
    const int width = static_cast<int>(image->GetWidth());
    const int height = static_cast<int>(image->GetHeight());
    const POINT offset =
        imageDrawOffset(record.rcItem, width, height, record.itemAction, record.itemState);

    const int background = record.CtlID == IDC_DROP_HINT ? COLOR_WINDOW : COLOR_BTNFACE;
    ::FillRect(record.hDC, &record.rcItem, ::GetSysColorBrush(background));
    Gdiplus::Graphics graphics(record.hDC);
    graphics.DrawImage(image, record.rcItem.left + offset.x, record.rcItem.top + offset.y, width,
                       height);
}

void createTooltips() {
    HWND tips = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                  app::mainWindow, nullptr, app::instance, nullptr);
    if (!tips) {
        return;
    }
    app::tooltipWindow.reset(tips);
    for (const ButtonArtEntry* row = kButtonArt; row->controlId != 0; ++row) {
        HWND control = findControl(row->controlId);
        if (!control) {
            continue;
        }
        TTTOOLINFOW tool = {};
        tool.cbSize = sizeof(tool);
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = app::mainWindow;
        tool.uId = reinterpret_cast<UINT_PTR>(control);
        tool.lpszText = const_cast<wchar_t*>(row->tooltip);
        ::SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void fillPresetCombo() {
    HWND combo = findControl(IDC_PRESET);
    if (!combo || !app::catalogue) {
        return;
    }
    const int count = app::catalogue->presetCount();
    for (int index = 0; index < count; ++index) {
        const std::wstring name = app::catalogue->presetName(index);
        if (!name.empty()) {
            ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
        }
    }
    ::SendMessageW(combo, CB_SETCURSEL, 0, 0);
}

bool onInitDialog(HWND window) {
    app::mainWindow = window;
    app::appIcon = ::LoadIconW(app::instance, MAKEINTRESOURCEW(IDI_APP));
    ::DragAcceptFiles(window, TRUE);
    ::SetWindowTextW(window, (std::wstring(app::kProductName) + kVersionSuffix).c_str());
    ::SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(app::appIcon));
    ::SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(app::appIcon));

    app::engine = std::make_unique<ConvertCore>();
    const bool initialized = app::engine->initialize();
    if (initialized) {
        fillPresetCombo();
    }
    if (HWND folder = findControl(IDC_OUTPUT_FOLDER)) {
        ::SetWindowTextW(folder, loadOutputFolder().c_str());
    }
    createTooltips();
    updateListState();
    return initialized;
}

void onClose() {
    HWND window = app::mainWindow;
    saveOutputFolder(getOutputFolder(window));
    if (app::engine) {
        // A stopped run's worker may still be finishing its file.
        app::engine->waitForWorker();
        app::engine->reset();
        app::engine.reset();
    }
    app::tooltipWindow.reset();
    if (window && ::IsWindow(window)) {
        ::EndDialog(window, kMainDialogResult);
    }
    app::mainWindow = nullptr;
}

INT_PTR CALLBACK mainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DRAWITEM:
            if (lParam) {
                onDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            }
            return TRUE;
        case WM_INITDIALOG:
            if (!onInitDialog(window)) {
                ::PostMessageW(window, WM_CLOSE, 0, 0);
            }
            return TRUE;
        case WM_COMMAND:
            return dispatchCommand(LOWORD(wParam)) ? TRUE : FALSE;
        case WM_DROPFILES:
            onDropFiles(reinterpret_cast<HDROP>(wParam));
            return TRUE;
        default:
            return FALSE;
    }
}
