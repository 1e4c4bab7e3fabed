#include "tests/automation/WindowAutomation.h"

namespace automation {

namespace {

constexpr DWORD kPollMs = 20;
constexpr UINT kAnswerTimeoutMs = 5000;

struct EnumContext {
    DWORD processId;
    std::vector<HWND>* windows;
};

BOOL CALLBACK collectTopWindow(HWND window, LPARAM param) {
    auto* context = reinterpret_cast<EnumContext*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == context->processId) {
        context->windows->push_back(window);
    }
    return TRUE;
}

BOOL CALLBACK collectChild(HWND window, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    return TRUE;
}

}  // namespace

bool waitFor(const std::function<bool()>& cond, DWORD timeoutMs) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        if (cond()) {
            return true;
        }
        if (::GetTickCount64() >= deadline) {
            return cond();
        }
        ::Sleep(kPollMs);
    }
}

std::vector<HWND> topWindowsOf(DWORD processId) {
    std::vector<HWND> windows;
    EnumContext context{processId, &windows};
    ::EnumWindows(collectTopWindow, reinterpret_cast<LPARAM>(&context));
    return windows;
}

std::wstring className(HWND window) {
    wchar_t name[256] = {};
    const int length = ::GetClassNameW(window, name, 256);
    return std::wstring(name, length > 0 ? length : 0);
}

std::wstring windowText(HWND window) {
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs,
                               &length)) {
        return std::wstring();
    }
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]),
                               SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &copied)) {
        return std::wstring();
    }
    text.resize(copied);
    return text;
}

std::wstring itemText(HWND dialog, int id) {
    HWND item = ::GetDlgItem(dialog, id);
    return ::IsWindow(item) ? windowText(item) : std::wstring();
}

HWND findDialog(DWORD processId, const std::wstring& title, HWND owner) {
    for (HWND window : topWindowsOf(processId)) {
        if (!::IsWindowVisible(window) || className(window) != L"#32770") {
            continue;
        }
        if (owner && ::GetWindow(window, GW_OWNER) != owner) {
            continue;
        }
        if (windowText(window) == title) {
            return window;
        }
    }
    return nullptr;
}

HWND waitForDialog(DWORD processId, const std::wstring& title, HWND owner, DWORD timeoutMs) {
    HWND found = nullptr;
    waitFor([&] { return (found = findDialog(processId, title, owner)) != nullptr; }, timeoutMs);
    return found;
}

std::wstring messageBoxText(HWND box) {
    std::vector<HWND> children;
    ::EnumChildWindows(box, collectChild, reinterpret_cast<LPARAM>(&children));
    std::wstring longest;
    for (HWND child : children) {
        if (_wcsicmp(className(child).c_str(), L"Static") != 0) {
            continue;
        }
        std::wstring text = windowText(child);
        if (text.size() > longest.size()) {
            longest = text;
        }
    }
    return longest;
}

void pressButton(HWND dialog, int id) {
    HWND button = ::GetDlgItem(dialog, id);
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(button));
}

bool waitForGone(HWND window, DWORD timeoutMs) {
    return waitFor([&] { return !::IsWindow(window); }, timeoutMs);
}

}  // namespace automation
