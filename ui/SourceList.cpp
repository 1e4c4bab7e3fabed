#include "ui/SourceList.h"

#include <commdlg.h>

#include <cwchar>
#include <memory>

#include "resources/resource.h"
#include "ui/AppState.h"
#include "ui/MainWindow.h"

namespace {

// Lower case, without dots, separated by ";".
const wchar_t kAcceptedExtensions[] = L"flac";
const wchar_t kAddDialogFilter[] = L"Audio Files (*.flac)\0*.flac\0";
const wchar_t kAddDialogTitle[] = L"Select Files";

// Filled from kAcceptedExtensions at the first path tested.
std::vector<std::wstring> acceptedExtensionList;

int listCount(HWND list) {
    return list ? static_cast<int>(::SendMessageW(list, LB_GETCOUNT, 0, 0)) : -1;
}

std::wstring listEntry(HWND list, int index) {
    const LRESULT length = ::SendMessageW(list, LB_GETTEXTLEN, index, 0);
    if (length <= 0) {
        return {};
    }
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied =
        ::SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

wchar_t asciiLower(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

}  // namespace

std::vector<std::wstring> splitExtensionList(const std::wstring& list) {
    std::vector<std::wstring> pieces;
    size_t start = 0;
    for (size_t separator = list.find(L';'); separator != std::wstring::npos;
         separator = list.find(L';', start)) {
        pieces.push_back(list.substr(start, separator - start));
        start = separator + 1;
    }
    if (start < list.size()) {
        pieces.push_back(list.substr(start));
    }
    return pieces;
}

bool isAcceptedPath(const std::wstring& path) {
    const std::wstring accepted = kAcceptedExtensions;
    if (accepted.empty()) {
        return true;
    }
    if (acceptedExtensionList.empty()) {
        acceptedExtensionList = splitExtensionList(accepted);
    }
    const size_t dot = path.rfind(L'.');
    if (dot == std::wstring::npos) {
        return false;
    }
    std::wstring ending = path.substr(dot);
    for (wchar_t& c : ending) {
        c = asciiLower(c);
    }
    for (const std::wstring& extension : acceptedExtensionList) {
        if (ending.find(extension) != std::wstring::npos) {
            return true;
        }
    }
    return false;
}

void updateListState() {
    HWND list = findControl(IDC_SOURCE_LIST);
    const int count = listCount(list);
    if (list) {
        ::EnableWindow(list, count > 0);
    }
    if (HWND hint = findControl(IDC_DROP_HINT)) {
        ::ShowWindow(hint, count == 0 ? SW_SHOW : SW_HIDE);
    }
}

bool isInSourceList(const std::wstring& path) {
    HWND list = findControl(IDC_SOURCE_LIST);
    const int count = listCount(list);
    for (int index = 0; index < count; ++index) {
        // Exact text: a locale-aware comparison may call two different names equal.
        const std::wstring entry = listEntry(list, index);
        if (!entry.empty() && entry == path) {
            return true;
        }
    }
    return false;
}

int addSourcePath(const std::wstring& path) {
    HWND list = findControl(IDC_SOURCE_LIST);
    if (!list || path.empty() || path.size() > kMaxSourcePathLength) {
        return -1;
    }
    if (isInSourceList(path) || !isAcceptedPath(path)) {
        return -1;
    }
    const LRESULT position =
        ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path.c_str()));
    updateListState();
    return position >= 0 ? static_cast<int>(position) : -1;
}

std::vector<std::wstring> splitOpenFileSelection(const wchar_t* buffer,
                                                 size_t capacity,
                                                 size_t fileOffset) {
    std::vector<std::wstring> paths;
    if (!buffer || capacity == 0) {
        return paths;
    }
    const std::wstring first(buffer, ::wcsnlen(buffer, capacity));
    if (first.empty()) {
        return paths;
    }
    const bool multiple =
        fileOffset > 0 && fileOffset < capacity && buffer[fileOffset - 1] == L'\0';
    if (!multiple) {
        paths.push_back(first);
        return paths;
    }
    const bool folderEndsWithSeparator = first.back() == L'\\';
    for (size_t at = fileOffset; at < capacity && buffer[at] != L'\0';) {
        const size_t length = ::wcsnlen(buffer + at, capacity - at);
        std::wstring path = first;
        if (!folderEndsWithSeparator) {
            path += L'\\';
        }
        path.append(buffer + at, length);
        paths.push_back(std::move(path));
        at += length + 1;
    }
    return paths;
}

void onAddFiles() {
    auto buffer = std::make_unique<wchar_t[]>(kAddDialogBufferLength);  // zero-filled
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = app::mainWindow;
    dialog.hInstance = app::instance;
    dialog.lpstrFilter = kAddDialogFilter;
    dialog.lpstrFile = buffer.get();
    dialog.nMaxFile = static_cast<DWORD>(kAddDialogBufferLength);
    dialog.lpstrTitle = kAddDialogTitle;
    dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT;
    if (!::GetOpenFileNameW(&dialog)) {
        return;
    }
    for (const std::wstring& path :
         splitOpenFileSelection(buffer.get(), kAddDialogBufferLength, dialog.nFileOffset)) {
        addSourcePath(path);
    }
}

void onRemoveSelected() {
    HWND list = findControl(IDC_SOURCE_LIST);
    if (!list) {
        return;
    }
    for (int index = listCount(list) - 1; index >= 0; --index) {
        if (::SendMessageW(list, LB_GETSEL, index, 0) > 0) {
            ::SendMessageW(list, LB_DELETESTRING, index, 0);
        }
    }
    updateListState();
}

void onClearList() {
    HWND list = findControl(IDC_SOURCE_LIST);
    if (!list) {
        return;
    }
    for (int index = listCount(list) - 1; index >= 0; --index) {
        ::SendMessageW(list, LB_DELETESTRING, index, 0);
    }
    updateListState();
}

void onDropFiles(HDROP drop) {
    if (!drop) {
        return;
    }
    if (app::engine && app::engine->state == EngineState::Running) {
        ::DragFinish(drop);
        return;
    }
    const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT index = 0; index < count; ++index) {
        const UINT length = ::DragQueryFileW(drop, index, nullptr, 0);
        if (length == 0 || length > kMaxSourcePathLength) {
            continue;
        }
        std::wstring path(length + 1, L'\0');
        const UINT copied = ::DragQueryFileW(drop, index, path.data(), length + 1);
        path.resize(copied);
        addSourcePath(path);
    }
    ::DragFinish(drop);
}
