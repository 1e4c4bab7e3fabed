#pragma once

#include <windows.h>

// The dialog procedure of both main-window templates.
INT_PTR CALLBACK mainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Returns the engine's initialize result; false makes the window close again.
bool onInitDialog(HWND window);
// Saves the folder, releases the engine and the tips, ends the dialog.
void onClose();
void onDrawItem(const DRAWITEMSTRUCT& record);
void createTooltips();
void fillPresetCombo();

// A control of the main window, or nullptr when there is none.
HWND findControl(int controlId);

// Where a picture goes inside its control: centred (halves rounded down, so a
// picture larger than the control overhangs both sides equally), one pixel
// right and down while the button is pressed or just released.
POINT imageDrawOffset(const RECT& item,
                      int imageWidth,
                      int imageHeight,
                      UINT itemAction,
                      UINT itemState);
