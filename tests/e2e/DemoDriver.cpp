// Shows the program's main job: installs Velquorn with the real converter,
// makes a few FLAC files, and converts them through the program's own
// windows as a user would, taking screenshots on the way.
//
// Environment: VELQUORN_EXE, VELQUORN_FFMPEG and VELQUORN_DEMO_DIR (all
// Windows paths). Prints the MP3 files made and the screenshots saved.

#include <windows.h>
#include <commctrl.h>
#include <objidl.h>
#include <gdiplus.h>

#include <cstdio>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "tests/automation/WindowAutomation.h"
#include "tests/e2e/AppDriver.h"
#include "tests/e2e/Screenshot.h"
#include "utils/unique_resource.h"

namespace {

using driver::joinPath;

constexpr int kSampleSeconds = 240;
const wchar_t* const kSampleNames[] = {L"Aria in G.flac", L"Bourrée.flac", L"Cello Suite 1.flac"};

int fail(const char* step) {
    std::printf("demo: FAILED at: %s\n", step);
    std::fflush(stdout);
    return 1;
}

void say(const std::wstring& line) {
    std::printf("%ls\n", line.c_str());
    std::fflush(stdout);
}

// Waits until the bar has moved past the first file's start.
bool waitForMidRun(HWND progress) {
    HWND bar = ::GetDlgItem(progress, IDC_PROGRESS_BAR);
    return automation::waitFor(
        [&] {
            const LRESULT position = ::SendMessageW(bar, PBM_GETPOS, 0, 0);
            const LRESULT maximum = ::SendMessageW(bar, PBM_GETRANGE, FALSE, 0);
            return maximum > 0 && position * 3 >= maximum / 2;
        },
        driver::kRunTimeoutMs);
}

int runDemo() {
    const std::wstring program = driver::environmentValue(L"VELQUORN_EXE");
    const std::wstring converter = driver::environmentValue(L"VELQUORN_FFMPEG");
    const std::wstring base = driver::environmentValue(L"VELQUORN_DEMO_DIR");
    if (program.empty() || converter.empty() || base.empty()) {
        return fail("VELQUORN_EXE, VELQUORN_FFMPEG and VELQUORN_DEMO_DIR must be set");
    }
    const std::wstring appFolder = joinPath(base, L"Velquorn");
    const std::wstring music = joinPath(base, L"Music");
    const std::wstring output = joinPath(base, L"MP3");
    const std::wstring shots = joinPath(base, L"screenshots");
    for (const auto& folder : {base, music, output, shots}) {
        ::CreateDirectoryW(folder.c_str(), nullptr);
    }
    if (!driver::installApp(program, converter, appFolder)) {
        return fail("installing Velquorn.exe and core\\nyvrel.exe");
    }
    say(L"demo: program in " + appFolder);
    std::vector<std::wstring> sources;
    for (const wchar_t* name : kSampleNames) {
        sources.push_back(joinPath(music, name));
        if (!driver::fileExists(sources.back()) &&
            !driver::makeFlac(converter, sources.back(), kSampleSeconds)) {
            return fail("making the sample FLAC files");
        }
    }
    say(L"demo: sample FLAC files in " + music);

    driver::RunningApp app;
    if (!app.launch(joinPath(appFolder, L"Velquorn.exe"))) {
        return fail("starting Velquorn.exe");
    }
    for (const auto& source : sources) {
        if (!app.addFile(source)) {
            return fail("adding a file through the Add dialog");
        }
    }
    app.setOutputFolder(output);
    driver::saveWindowShot(app.mainWindow(), joinPath(shots, L"main-window.png"));

    app.pressConvert();
    HWND progress = app.waitForProgress();
    if (!progress) {
        return fail("waiting for the progress dialog");
    }
    if (waitForMidRun(progress)) {
        driver::saveWindowShot(app.mainWindow(), joinPath(shots, L"progress-mid-run.png"));
    }
    const std::wstring summary = app.waitForCompletion(progress);
    driver::saveWindowShot(app.mainWindow(), joinPath(shots, L"progress-complete.png"));
    say(L"demo: run ended with \"" + automation::itemText(progress, IDC_CURRENT_FILE) + L"\" " +
        summary);
    automation::pressButton(progress, IDC_CLOSE);
    if (!automation::waitForGone(progress)) {
        return fail("closing the progress dialog");
    }
    // The converted entries are selected once the dialog has gone; show them.
    automation::waitFor([&] { return app.isSelected(0); });
    ::RedrawWindow(app.mainWindow(), nullptr, nullptr,
                   RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    driver::saveWindowShot(app.mainWindow(), joinPath(shots, L"main-window-after-run.png"));
    DWORD exitCode = 1;
    if (!app.close(&exitCode)) {
        return fail("closing the main window");
    }

    say(L"demo: MP3 files made in " + output + L":");
    WIN32_FIND_DATAW found{};
    utils::unique_hfind search(::FindFirstFileW(joinPath(output, L"*.mp3").c_str(), &found));
    if (search) {
        do {
            say(L"  " + std::wstring(found.cFileName) + L"  (" +
                std::to_wstring(found.nFileSizeLow) + L" bytes)");
        } while (::FindNextFileW(search.get(), &found));
    }
    say(L"demo: screenshots in " + shots);
    return exitCode == 0 ? 0 : fail("the program's exit code");
}

}  // namespace

int wmain() {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    const int result = runDemo();
    Gdiplus::GdiplusShutdown(token);
    return result;
}
