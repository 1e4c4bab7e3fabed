#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Drives windows the way a user would, from this process or another one:
// finds them, reads their texts and presses their buttons with window
// messages. Commands that open modal windows are posted, never sent.
namespace automation {

// Generous: the machines that run the tests are small and shared.
constexpr DWORD kDefaultTimeoutMs = 60000;

// Polls cond until it holds or the time is up; the last answer of cond.
bool waitFor(const std::function<bool()>& cond, DWORD timeoutMs = kDefaultTimeoutMs);

// Visible and hidden top-level windows of the process.
std::vector<HWND> topWindowsOf(DWORD processId);
std::wstring className(HWND window);
// Text through WM_GETTEXT; empty when the window does not answer.
std::wstring windowText(HWND window);
std::wstring itemText(HWND dialog, int id);

// A top-level dialog (class "#32770") of the process with this exact title,
// optionally owned by owner; nullptr when there is none.
HWND findDialog(DWORD processId, const std::wstring& title, HWND owner = nullptr);
HWND waitForDialog(DWORD processId,
                   const std::wstring& title,
                   HWND owner = nullptr,
                   DWORD timeoutMs = kDefaultTimeoutMs);
// The text of a message box: its longest static text.
std::wstring messageBoxText(HWND box);
// Presses a button of a dialog or message box (IDOK, IDYES, IDNO...).
void pressButton(HWND dialog, int id);
// Waits for the window to be gone.
bool waitForGone(HWND window, DWORD timeoutMs = kDefaultTimeoutMs);

}  // namespace automation
