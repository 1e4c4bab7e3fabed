#include "ui/OutputFolder.h"

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include "resources/resource.h"
#include "ui/AppState.h"
#include "ui/MainWindow.h"

namespace {

const wchar_t kChooserTitle[] = L"Select a folder";

// Carries the initial selection into the chooser and receives its result.
wchar_t folderBuffer[MAX_PATH];

int CALLBACK chooserCallback(HWND chooser, UINT message, LPARAM, LPARAM) {
    if (message == BFFM_INITIALIZED) {
        ::SendMessageW(chooser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(folderBuffer));
    }
    return 0;
}

// The new-style chooser needs COM on this thread.
class ComApartment {
  public:
    ComApartment() : initialized_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComApartment() {
        if (initialized_) {
            ::CoUninitialize();
        }
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

  private:
    bool initialized_;
};

}  // namespace

std::wstring getOutputFolder(HWND mainWindow) {
    if (!mainWindow || !::IsWindow(mainWindow)) {
        return {};
    }
    HWND edit = ::GetDlgItem(mainWindow, IDC_OUTPUT_FOLDER);
    if (!edit || !::IsWindow(edit)) {
        return {};
    }
    const int length = ::GetWindowTextLengthW(edit);
    if (length <= 0) {
        return {};
    }
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(edit, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

std::wstring browseForFolder(const std::wstring& initialPath, HWND owner) {
    folderBuffer[0] = L'\0';
    // A text too long for the buffer opens the chooser without a selection
    // rather than on some cut-off folder.
    if (!initialPath.empty() && initialPath.size() < MAX_PATH) {
        initialPath.copy(folderBuffer, initialPath.size());
        folderBuffer[initialPath.size()] = L'\0';
    }
    ComApartment com;
    BROWSEINFOW info = {};
    info.hwndOwner = owner;
    info.lpszTitle = kChooserTitle;
    info.ulFlags = BIF_NEWDIALOGSTYLE | BIF_EDITBOX;
    info.lpfn = chooserCallback;
    PIDLIST_ABSOLUTE item = ::SHBrowseForFolderW(&info);
    if (!item) {
        return {};
    }
    std::wstring chosen;
    if (::SHGetPathFromIDListW(item, folderBuffer)) {
        chosen = folderBuffer;
    }
    ::CoTaskMemFree(item);
    return chosen;
}

void onBrowseFolder() {
    const std::wstring chosen = browseForFolder(getOutputFolder(app::mainWindow), app::mainWindow);
    if (chosen.empty()) {
        return;
    }
    if (HWND edit = findControl(IDC_OUTPUT_FOLDER)) {
        ::SetWindowTextW(edit, chosen.c_str());
    }
}

void onOpenFolder() {
    const std::wstring folder = getOutputFolder(app::mainWindow);
    if (!folder.empty()) {
        ::ShellExecuteW(nullptr, L"open", folder.c_str(), nullptr, nullptr, SW_SHOW);
    }
}
