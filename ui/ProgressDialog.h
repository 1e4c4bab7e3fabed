#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "engine/ConvertCore.h"

// The modal window that follows a run: template 130, run by Convert.
INT_PTR CALLBACK progressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Installs the overwrite question, starts the engine and the poll timer.
bool startProgress(HWND dialog);
// One poll of the engine: texts, bar, buttons, and the self-close after a stop.
void updateProgress(HWND dialog);
// Stop, after the user has confirmed it.
void onStop(HWND dialog);
// The engine's OverwriteCallback; context is the progress dialog's window.
int32_t confirmOverwrite(int32_t code, INT_PTR context);

// Dialog results.
constexpr INT_PTR kProgressClosed = 1;
constexpr INT_PTR kProgressStartFailed = 2;

constexpr UINT_PTR kProgressTimerId = 100;
constexpr UINT kProgressTimerMs = 100;

// What one poll puts on the screen, worked out without a window.
struct ProgressView {
    std::wstring summary;  // empty: the summary line keeps its text
    std::wstring name;     // empty: the name line keeps its text
    int32_t barMaximum = 0;
    int32_t barPosition = 0;
    bool runCompleted = false;  // hide the bar, kill the timer
};

// current is the engine's current job, or nullptr when none is current.
ProgressView progressViewFor(EngineState state,
                             int32_t jobCount,
                             const ConvertJob* current,
                             int32_t completedCount);

// "%ld / %ld (%ld%%)"
std::wstring formatSummary(long number, long total, long percent);
// Whole-run percent at the end of a run, rounded half up; 0 for an empty run.
long completedPercent(long done, long total);

std::wstring stopQuestion();
std::wstring overwriteQuestion(const std::wstring& outputPath);
