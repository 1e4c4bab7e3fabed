#pragma once

#include <windows.h>

#include <string>

// The whole text of the output-folder edit; empty when there is none.
std::wstring getOutputFolder(HWND mainWindow);
// The folder the user picks in the shell's chooser, opened on initialPath;
// empty when the user cancels.
std::wstring browseForFolder(const std::wstring& initialPath, HWND owner);

void onBrowseFolder();
void onOpenFolder();
