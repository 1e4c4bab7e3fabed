#include "ui/ProgressDialog.h"

#include <commctrl.h>

#include <cwchar>

#include "resources/resource.h"
#include "ui/AppState.h"

namespace {

constexpr size_t kSummaryBufferLength = 256;
constexpr wchar_t kCompleteText[] = L"Complete";

// The id SetTimer handed out; the one that is killed.
UINT_PTR progressTimer = 0;

HWND dialogItem(HWND dialog, int id) {
    HWND item = ::GetDlgItem(dialog, id);
    return ::IsWindow(item) ? item : nullptr;
}

void showItem(HWND dialog, int id, bool visible) {
    if (HWND item = dialogItem(dialog, id)) {
        ::ShowWindow(item, visible ? SW_SHOW : SW_HIDE);
    }
}

void setItemText(HWND dialog, int id, const std::wstring& text) {
    if (HWND item = dialogItem(dialog, id)) {
        ::SetWindowTextW(item, text.c_str());
    }
}

void stopTimer(HWND dialog) {
    if (progressTimer != 0) {
        ::KillTimer(dialog, progressTimer);
        progressTimer = 0;
    }
}

void onCloseCommand(HWND dialog) {
    stopTimer(dialog);
    ::EndDialog(dialog, kProgressClosed);
}

}  // namespace

std::wstring formatSummary(long number, long total, long percent) {
    wchar_t buffer[kSummaryBufferLength] = {};
    std::swprintf(buffer, kSummaryBufferLength, L"%ld / %ld (%ld%%)", number, total, percent);
    return buffer;
}

long completedPercent(long done, long total) {
    if (total <= 0) {
        return 0;
    }
    return static_cast<long>(done * 100.0 / total + 0.5);
}

ProgressView progressViewFor(EngineState state,
                             int32_t jobCount,
                             const ConvertJob* current,
                             int32_t completedCount) {
    ProgressView view;
    if (state == EngineState::Running) {
        // Before the worker picks its first file, and on a job from a queue
        // that no longer matches, the template texts stay and the bar is empty.
        if (current && jobCount > 0 && current->index >= 0 && current->index < jobCount) {
            view.barPosition = current->index * 100 + current->percent;
            view.barMaximum = jobCount * 100;
            view.name = current->sourcePath;
            view.summary = formatSummary(current->index + 1, jobCount, view.barPosition / jobCount);
        }
    } else if (state == EngineState::Completed) {
        view.name = kCompleteText;
        view.summary =
            formatSummary(completedCount, jobCount, completedPercent(completedCount, jobCount));
        view.runCompleted = true;
    }
    return view;
}

std::wstring stopQuestion() {
    return L"Are you sure you want to stop the conversion?";
}

std::wstring overwriteQuestion(const std::wstring& outputPath) {
    return L"'" + outputPath + L"' already exists.\nDo you want to replace it?";
}

bool startProgress(HWND dialog) {
    ConvertCore* engine = app::engine.get();
    if (!engine) {
        return false;
    }
    engine->overwriteCallback = confirmOverwrite;
    engine->callbackContext = reinterpret_cast<INT_PTR>(dialog);
    if (!engine->start()) {
        return false;
    }
    showItem(dialog, IDC_STOP, true);
    showItem(dialog, IDC_CLOSE, false);
    progressTimer = ::SetTimer(dialog, kProgressTimerId, kProgressTimerMs, nullptr);
    updateProgress(dialog);
    return true;
}

void updateProgress(HWND dialog) {
    ConvertCore* engine = app::engine.get();
    if (!engine) {
        return;
    }
    const auto count = static_cast<int32_t>(engine->jobs.size());
    const EngineState state = engine->state;
    ConvertJob job;
    const bool haveJob = state == EngineState::Running && engine->getCurrentJob(job);
    const int32_t completed = state == EngineState::Completed ? engine->countCompleted() : 0;
    const ProgressView view = progressViewFor(state, count, haveJob ? &job : nullptr, completed);

    if (view.runCompleted) {
        showItem(dialog, IDC_PROGRESS_BAR, false);
        stopTimer(dialog);
    }
    if (!view.summary.empty()) {
        setItemText(dialog, IDC_SUMMARY, view.summary);
    }
    if (!view.name.empty()) {
        setItemText(dialog, IDC_CURRENT_FILE, view.name);
    }
    if (HWND bar = dialogItem(dialog, IDC_PROGRESS_BAR)) {
        // The 32-bit range: runs of more than 655 files overflow PBM_SETRANGE.
        ::SendMessageW(bar, PBM_SETRANGE32, 0, view.barMaximum);
        ::SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(view.barPosition), 0);
    }

    const EngineState after = engine->state;
    if (after != EngineState::Running) {
        showItem(dialog, IDC_STOP, false);
        showItem(dialog, IDC_CLOSE, true);
        if (after != EngineState::Completed) {
            ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_CLOSE, BN_CLICKED), 0);
        }
    }
}

void onStop(HWND dialog) {
    const int answer = ::MessageBoxW(dialog, stopQuestion().c_str(), app::kProductName, MB_YESNO);
    ConvertCore* engine = app::engine.get();
    if (answer != IDYES || !engine) {
        return;
    }
    // The run may have ended while the question was open; then the dialog
    // keeps showing its totals and there is nothing to stop.
    if (engine->state == EngineState::Running) {
        engine->requestStop();
    }
}

int32_t confirmOverwrite(int32_t code, INT_PTR context) {
    if (code != kOverwriteQuestion) {
        return 0;
    }
    ConvertJob job;
    if (ConvertCore* engine = app::engine.get()) {
        engine->getCurrentJob(job);
    }
    const std::wstring question = overwriteQuestion(job.outputPath);
    const int answer = ::MessageBoxW(reinterpret_cast<HWND>(context), question.c_str(),
                                     app::kProductName, MB_YESNO);
    return answer == IDYES ? kOverwriteAllowed : 0;
}

INT_PTR CALLBACK progressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
    switch (message) {
        case WM_INITDIALOG:
            if (!startProgress(dialog)) {
                ::EndDialog(dialog, kProgressStartFailed);
            }
            return TRUE;
        case WM_CLOSE:
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDC_STOP:
                    onStop(dialog);
                    return TRUE;
                case IDC_CLOSE:
                    onCloseCommand(dialog);
                    return TRUE;
                default:
                    return FALSE;
            }
        case WM_TIMER:
            updateProgress(dialog);
            return TRUE;
        default:
            return FALSE;
    }
}
