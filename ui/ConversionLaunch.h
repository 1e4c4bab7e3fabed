#pragma once

#include <windows.h>

#include <string>

// Command 1001 of the main window: checks the inputs, fills the engine's
// queue from the source list and runs the progress dialog. True when the
// progress dialog was shown.
bool onConvert();

// core\nyvrel.exe beside the program's own executable.
std::wstring buildCorePath();
// Selects the list entries whose job ended at 100 percent, unselects the rest.
void selectConvertedEntries();
// SendMessageW(control, message, 0, 0); -1 when the control is not a window.
LRESULT sendItemMessage(HWND dialog, int controlId, UINT message);

// The first input problem Convert names, in the order it checks them; None
// when all is in place.
enum class ConvertProblem {
    None,
    NoSources,
    NoOutputFolder,
    OutputFolderMissing,
    NoCore,
};

// The message box text for a problem; empty for None.
std::wstring convertProblemText(ConvertProblem problem);
// The folder of the program path given plus "\core\nyvrel.exe": the
// executable's name is cut at its last backslash, a path without any is kept
// whole.
std::wstring corePathBeside(const std::wstring& programPath);
