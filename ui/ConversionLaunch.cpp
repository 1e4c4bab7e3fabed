#include "ui/ConversionLaunch.h"

#include <algorithm>

#include "engine/ConvertCore.h"
#include "engine/ConverterTool.h"
#include "resources/resource.h"
#include "ui/AppState.h"
#include "ui/OutputFolder.h"
#include "ui/ProgressDialog.h"
#include "utils/event_lock.h"

namespace {

HWND dialogItem(HWND dialog, int id) {
    HWND item = ::GetDlgItem(dialog, id);
    return ::IsWindow(item) ? item : nullptr;
}

void showProblem(HWND owner, ConvertProblem problem) {
    ::MessageBoxW(owner, convertProblemText(problem).c_str(), app::kProductName, MB_OK);
}

bool isDirectory(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool isFile(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

int chosenPreset(HWND dialog) {
    if (!app::catalogue || app::catalogue->presetCount() <= 1) {
        return 0;
    }
    const LRESULT selection = sendItemMessage(dialog, IDC_PRESET, CB_GETCURSEL);
    return selection < 0 ? 0 : static_cast<int>(selection);
}

// A stopped run's worker may still be finishing its file after the progress
// dialog has closed; the queue and settings must not change under it.
void waitForPreviousRun(ConvertCore& engine) {
    if (!engine.isWorkerRunning()) {
        return;
    }
    HCURSOR previous = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
    engine.waitForWorker();
    ::SetCursor(previous);
}

void queueListEntries(HWND list, LRESULT count, ConvertCore& engine) {
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = ::SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length <= 0 || length >= MAX_PATH) {
            // Longer texts would overrun the list's 260-unit entries.
            continue;
        }
        wchar_t entry[MAX_PATH] = {};
        if (::SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i),
                           reinterpret_cast<LPARAM>(entry)) > 0) {
            engine.addJob(entry);
        }
    }
}

}  // namespace

std::wstring convertProblemText(ConvertProblem problem) {
    switch (problem) {
        case ConvertProblem::NoSources:
            return L"Please add source files.";
        case ConvertProblem::NoOutputFolder:
            return L"Please select output folder.";
        case ConvertProblem::OutputFolderMissing:
            return L"The output folder doesn't exist.";
        case ConvertProblem::NoCore:
            return L"There isn't a core file.";
        case ConvertProblem::None:
            break;
    }
    return std::wstring();
}

std::wstring corePathBeside(const std::wstring& programPath) {
    std::wstring path = programPath;
    const size_t lastSeparator = path.rfind(L'\\');
    if (lastSeparator != std::wstring::npos) {
        path.resize(lastSeparator);
    }
    return path + L"\\" + converter::kCoreFolder + L"\\" + converter::kExecutableName;
}

std::wstring buildCorePath() {
    wchar_t programPath[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, programPath, MAX_PATH);
    return corePathBeside(std::wstring(programPath, std::min<DWORD>(length, MAX_PATH)));
}

LRESULT sendItemMessage(HWND dialog, int controlId, UINT message) {
    HWND item = dialogItem(dialog, controlId);
    return item ? ::SendMessageW(item, message, 0, 0) : -1;
}

void selectConvertedEntries() {
    HWND list = dialogItem(app::mainWindow, IDC_SOURCE_LIST);
    ConvertCore* engine = app::engine.get();
    if (!list || !engine) {
        return;
    }
    const LRESULT count = ::SendMessageW(list, LB_GETCOUNT, 0, 0);
    if (count <= 0) {
        return;
    }
    utils::EventLock lock(engine->queueLock.get());
    const size_t matched = std::min(static_cast<size_t>(count), engine->jobs.size());
    for (size_t i = 0; i < matched; ++i) {
        const BOOL converted = engine->jobs[i]->percent == 100;
        ::SendMessageW(list, LB_SETSEL, converted, static_cast<LPARAM>(i));
    }
}

bool onConvert() {
    HWND dialog = app::mainWindow;
    HWND list = dialogItem(dialog, IDC_SOURCE_LIST);
    ConvertCore* engine = app::engine.get();
    if (!list || !engine) {
        return false;
    }
    const LRESULT count = ::SendMessageW(list, LB_GETCOUNT, 0, 0);
    if (count <= 0) {
        showProblem(dialog, ConvertProblem::NoSources);
        return false;
    }
    const std::wstring folder = getOutputFolder(dialog);
    if (folder.empty()) {
        showProblem(dialog, ConvertProblem::NoOutputFolder);
        return false;
    }
    if (!isDirectory(folder)) {
        showProblem(dialog, ConvertProblem::OutputFolderMissing);
        return false;
    }
    const int preset = chosenPreset(dialog);
    const std::wstring corePath = buildCorePath();
    if (!isFile(corePath)) {
        showProblem(dialog, ConvertProblem::NoCore);
        return false;
    }

    waitForPreviousRun(*engine);
    engine->corePath = corePath;
    engine->outputDir = folder;
    if (app::catalogue) {
        const wchar_t* extension = app::catalogue->outputExtension(preset);
        engine->outputExt = extension ? extension : L"";
        engine->arguments = app::catalogue->presetArguments(preset);
    }
    engine->clearJobs();
    queueListEntries(list, count, *engine);
    if (engine->jobs.empty()) {
        return false;
    }

    HINSTANCE module = app::instance ? app::instance : ::GetModuleHandleW(nullptr);
    ::DialogBoxParamW(module, MAKEINTRESOURCEW(IDD_PROGRESS), dialog, progressDialogProc, 0);
    selectConvertedEntries();
    return true;
}
