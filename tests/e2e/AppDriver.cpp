#include "tests/e2e/AppDriver.h"

#include <tlhelp32.h>

#include <cwctype>

#include "resources/resource.h"
#include "tests/automation/WindowAutomation.h"

namespace driver {

namespace {

// The open-file dialog's "File name" box: a ComboBoxEx with an Edit inside.
constexpr int kFileNameCombo = 1148;
constexpr wchar_t kAddDialogTitle[] = L"Select Files";

BOOL CALLBACK findEdit(HWND window, LPARAM param) {
    if (_wcsicmp(automation::className(window).c_str(), L"Edit") == 0) {
        *reinterpret_cast<HWND*>(param) = window;
        return FALSE;
    }
    return TRUE;
}

HWND listBox(HWND main) {
    return ::GetDlgItem(main, IDC_SOURCE_LIST);
}

std::wstring lower(std::wstring text) {
    for (auto& c : text) {
        c = static_cast<wchar_t>(std::towlower(c));
    }
    return text;
}

}  // namespace

std::wstring environmentValue(const wchar_t* name) {
    wchar_t value[4096] = {};
    const DWORD length = ::GetEnvironmentVariableW(name, value, 4096);
    return length > 0 && length < 4096 ? std::wstring(value, length) : std::wstring();
}

std::wstring joinPath(const std::wstring& folder, const std::wstring& name) {
    if (!folder.empty() && folder.back() == L'\\') {
        return folder + name;
    }
    return folder + L"\\" + name;
}

bool fileExists(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool writeFileBytes(const std::wstring& path, const std::string& bytes) {
    utils::unique_hfile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file &&
           ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                       nullptr) &&
           written == bytes.size();
}

std::string readFileBytes(const std::wstring& path) {
    utils::unique_hfile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string bytes;
    if (!file) {
        return bytes;
    }
    char chunk[65536];
    DWORD got = 0;
    while (::ReadFile(file.get(), chunk, sizeof(chunk), &got, nullptr) && got > 0) {
        bytes.append(chunk, got);
    }
    return bytes;
}

std::wstring makeScratchFolder(const std::wstring& prefix, const std::wstring& parent) {
    wchar_t temp[MAX_PATH] = {};
    if (parent.empty()) {
        ::GetTempPathW(MAX_PATH, temp);
    } else {
        parent.copy(temp, MAX_PATH - 1);
    }
    for (unsigned attempt = 0;; ++attempt) {
        const std::wstring folder = joinPath(
            temp, prefix + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                      std::to_wstring(::GetTickCount64()) + L"-" + std::to_wstring(attempt));
        if (::CreateDirectoryW(folder.c_str(), nullptr)) {
            return folder;
        }
        if (attempt > 100) {
            return std::wstring();
        }
    }
}

bool installApp(const std::wstring& programExe,
                const std::wstring& converterExe,
                const std::wstring& folder) {
    const std::wstring core = joinPath(folder, L"core");
    ::CreateDirectoryW(folder.c_str(), nullptr);
    ::CreateDirectoryW(core.c_str(), nullptr);
    return ::CopyFileW(programExe.c_str(), joinPath(folder, L"Velquorn.exe").c_str(), FALSE) &&
           ::CopyFileW(converterExe.c_str(), joinPath(core, L"nyvrel.exe").c_str(), FALSE);
}

int runHidden(const std::wstring& commandLine, DWORD timeoutMs) {
    std::wstring line = commandLine;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                          nullptr, &startup, &info)) {
        return -1;
    }
    utils::unique_handle process(info.hProcess);
    utils::unique_handle thread(info.hThread);
    if (::WaitForSingleObject(process.get(), timeoutMs) != WAIT_OBJECT_0) {
        ::TerminateProcess(process.get(), 1);
        return -1;
    }
    DWORD code = 1;
    ::GetExitCodeProcess(process.get(), &code);
    return static_cast<int>(code);
}

bool makeFlac(const std::wstring& converterExe, const std::wstring& path, int seconds) {
    const std::wstring line = L"\"" + converterExe +
                              L"\" -hide_banner -loglevel error -y -f lavfi -i "
                              L"\"sine=frequency=440:duration=" +
                              std::to_wstring(seconds) + L"\" -ac 2 \"" + path + L"\"";
    return runHidden(line) == 0 && fileExists(path);
}

int countConvertersUnder(const std::wstring& appFolder) {
    utils::unique_handle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot || snapshot.get() == INVALID_HANDLE_VALUE) {
        snapshot.release();
        return -1;
    }
    const std::wstring folder = lower(appFolder);
    int count = 0;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
         more = ::Process32NextW(snapshot.get(), &entry)) {
        if (_wcsicmp(entry.szExeFile, L"nyvrel.exe") != 0) {
            continue;
        }
        utils::unique_handle process(
            ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
        wchar_t image[MAX_PATH * 2] = {};
        DWORD size = MAX_PATH * 2;
        // A converter we cannot ask about counts: better a false alarm than a miss.
        if (!process || !::QueryFullProcessImageNameW(process.get(), 0, image, &size) ||
            lower(image).rfind(folder, 0) == 0) {
            ++count;
        }
    }
    return count;
}

RunningApp::~RunningApp() {
    if (process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
        ::TerminateProcess(process_.get(), 1);
        ::WaitForSingleObject(process_.get(), kRunTimeoutMs);
    }
}

// Detached: started from the shell, the program has no console either.
bool RunningApp::launch(const std::wstring& exe) {
    std::wstring line = L"\"" + exe + L"\"";
    const size_t slash = exe.rfind(L'\\');
    const std::wstring folder = slash == std::wstring::npos ? std::wstring() : exe.substr(0, slash);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(exe.c_str(), &line[0], nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                          folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
        return false;
    }
    process_.reset(info.hProcess);
    utils::unique_handle thread(info.hThread);
    processId_ = info.dwProcessId;
    main_ = automation::waitForDialog(processId_, kMainTitle, nullptr, kRunTimeoutMs);
    return main_ != nullptr;
}

bool RunningApp::addFile(const std::wstring& path) {
    const size_t before = listEntries().size();
    automation::pressButton(main_, IDC_ADD);
    HWND dialog = automation::waitForDialog(processId_, kAddDialogTitle, nullptr, kRunTimeoutMs);
    if (!dialog) {
        return false;
    }
    HWND edit = nullptr;
    automation::waitFor([&] {
        HWND combo = ::GetDlgItem(dialog, kFileNameCombo);
        if (combo) {
            ::EnumChildWindows(combo, findEdit, reinterpret_cast<LPARAM>(&edit));
        }
        return edit != nullptr;
    });
    if (!edit) {
        return false;
    }
    ::SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    automation::pressButton(dialog, IDOK);
    if (!automation::waitForGone(dialog, kRunTimeoutMs)) {
        return false;
    }
    return automation::waitFor([&] { return listEntries().size() == before + 1; });
}

void RunningApp::setOutputFolder(const std::wstring& folder) {
    ::SendMessageW(::GetDlgItem(main_, IDC_OUTPUT_FOLDER), WM_SETTEXT, 0,
                   reinterpret_cast<LPARAM>(folder.c_str()));
}

std::vector<std::wstring> RunningApp::listEntries() const {
    std::vector<std::wstring> entries;
    HWND list = listBox(main_);
    const LRESULT count = ::SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[MAX_PATH] = {};
        const LRESULT length = ::SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i),
                                              reinterpret_cast<LPARAM>(text));
        entries.emplace_back(text, length > 0 ? static_cast<size_t>(length) : 0);
    }
    return entries;
}

bool RunningApp::isSelected(int index) const {
    return ::SendMessageW(listBox(main_), LB_GETSEL, static_cast<WPARAM>(index), 0) > 0;
}

void RunningApp::select(int index, bool selected) {
    ::SendMessageW(listBox(main_), LB_SETSEL, selected ? TRUE : FALSE, index);
}

void RunningApp::pressConvert() {
    automation::pressButton(main_, IDC_CONVERT);
}

HWND RunningApp::waitForProgress(DWORD timeoutMs) const {
    return automation::waitForDialog(processId_, kProgressTitle, main_, timeoutMs);
}

HWND RunningApp::waitForMessageBox(HWND owner, DWORD timeoutMs) const {
    return automation::waitForDialog(processId_, kProduct, owner, timeoutMs);
}

std::wstring RunningApp::waitForCompletion(HWND progress, DWORD timeoutMs) const {
    automation::waitFor(
        [&] { return automation::itemText(progress, IDC_CURRENT_FILE) == L"Complete"; }, timeoutMs);
    return automation::itemText(progress, IDC_SUMMARY);
}

bool RunningApp::close(DWORD* exitCode, DWORD timeoutMs) {
    ::PostMessageW(main_, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(process_.get(), timeoutMs) != WAIT_OBJECT_0) {
        return false;
    }
    if (exitCode) {
        ::GetExitCodeProcess(process_.get(), exitCode);
    }
    return true;
}

}  // namespace driver
