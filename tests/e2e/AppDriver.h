#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "utils/unique_resource.h"

// Sets up and drives a real Velquorn.exe in another process, the way a user
// would: its Add dialog, its output-folder box, its buttons and questions.
namespace driver {

constexpr wchar_t kMainTitle[] = L"Velquorn 1.0";
constexpr wchar_t kProgressTitle[] = L"Progress";
constexpr wchar_t kProduct[] = L"Velquorn";
// Long enough for a converter run, a cold Wine start or a loaded machine.
constexpr DWORD kRunTimeoutMs = 240000;

std::wstring environmentValue(const wchar_t* name);
std::wstring joinPath(const std::wstring& folder, const std::wstring& name);
bool fileExists(const std::wstring& path);
bool writeFileBytes(const std::wstring& path, const std::string& bytes);
std::string readFileBytes(const std::wstring& path);
// A fresh, empty folder under parent, by default the temporary folder.
std::wstring makeScratchFolder(const std::wstring& prefix, const std::wstring& parent = L"");

// Copies the program and the converter (as core\nyvrel.exe) into folder.
bool installApp(const std::wstring& programExe,
                const std::wstring& converterExe,
                const std::wstring& folder);
// Runs a console program hidden and waits for it; its exit code, or -1.
int runHidden(const std::wstring& commandLine, DWORD timeoutMs = kRunTimeoutMs);
// A stereo FLAC of a sine tone, made by the converter itself.
bool makeFlac(const std::wstring& converterExe, const std::wstring& path, int seconds);

// converter processes started from the program's folder that still run.
int countConvertersUnder(const std::wstring& appFolder);

class RunningApp {
  public:
    RunningApp() = default;
    ~RunningApp();
    RunningApp(const RunningApp&) = delete;
    RunningApp& operator=(const RunningApp&) = delete;

    // Starts the program and waits for its main window.
    bool launch(const std::wstring& exe);
    DWORD processId() const { return processId_; }
    HWND mainWindow() const { return main_; }
    HANDLE process() const { return process_.get(); }

    // Adds one file through the Add button and the open-file dialog.
    bool addFile(const std::wstring& path);
    void setOutputFolder(const std::wstring& folder);
    std::vector<std::wstring> listEntries() const;
    bool isSelected(int index) const;
    void select(int index, bool selected);

    void pressConvert();
    // The progress dialog once it is up; nullptr on time-out.
    HWND waitForProgress(DWORD timeoutMs = kRunTimeoutMs) const;
    // A "Velquorn" message box owned by owner; nullptr on time-out.
    HWND waitForMessageBox(HWND owner, DWORD timeoutMs = kRunTimeoutMs) const;
    // Waits for the run to show "Complete", then returns the summary line.
    std::wstring waitForCompletion(HWND progress, DWORD timeoutMs = kRunTimeoutMs) const;

    // Closes the main window as a user would and waits for the process.
    bool close(DWORD* exitCode, DWORD timeoutMs = kRunTimeoutMs);

  private:
    utils::unique_handle process_;
    DWORD processId_ = 0;
    HWND main_ = nullptr;
};

}  // namespace driver
