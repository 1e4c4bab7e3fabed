#pragma once

#include <windows.h>

#include <shellapi.h>

#include <cstddef>
#include <string>
#include <vector>

// A list entry fits a MAX_PATH buffer with its terminator; a longer path is
// left out, never cut (a cut path names another file or none).
constexpr size_t kMaxSourcePathLength = MAX_PATH - 1;
// The Add dialog's file-name buffer, in UTF-16 units.
constexpr size_t kAddDialogBufferLength = 8320;

// Enables the list and hides the drop hint while the list holds entries.
void updateListState();
// True when the text from the path's last dot holds an accepted extension.
bool isAcceptedPath(const std::wstring& path);
// True when the list holds exactly this text (letter case counts).
bool isInSourceList(const std::wstring& path);
// The sorted position of the new entry, or -1 when the path was left out.
int addSourcePath(const std::wstring& path);

void onAddFiles();
void onRemoveSelected();
void onClearList();
void onDropFiles(HDROP drop);

// The paths an open-file dialog returned in buffer (capacity units long).
// fileOffset is the dialog's nFileOffset: in a multiple selection the folder
// ends with a NUL right before it, in a single one a separator does.
std::vector<std::wstring> splitOpenFileSelection(const wchar_t* buffer,
                                                 size_t capacity,
                                                 size_t fileOffset);
// The pieces of a ";" separated list, as the extension filter reads it.
std::vector<std::wstring> splitExtensionList(const std::wstring& list);
