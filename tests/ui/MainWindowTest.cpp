#include <gtest/gtest.h>

#include <windows.h>

#include <objidl.h>

#include <commctrl.h>
#include <gdiplus.h>
#include <shellapi.h>
#include <shlobj.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "presets/FlacMp3.h"
#include "resources/resource.h"
#include "ui/AppEntry.h"
#include "ui/AppState.h"
#include "ui/ButtonImages.h"
#include "ui/MainWindow.h"
#include "utils/unique_resource.h"

// The real main window from the program's own templates, run modally on a
// thread of its own exactly as the entry point runs it; this thread drives it
// with messages, as a user's input would arrive.
namespace {

constexpr DWORD kWaitMs = 30000;
const wchar_t kCompanyKey[] = L"Software\\Tovarel Voviz Ezorirudo";
const wchar_t kSettingsKey[] = L"Software\\Tovarel Voviz Ezorirudo\\mp3";

bool waitFor(const std::function<bool()>& condition, DWORD timeoutMs = kWaitMs) {
    const DWORD start = ::GetTickCount();
    while (!condition()) {
        if (::GetTickCount() - start > timeoutMs) {
            return false;
        }
        ::Sleep(10);
    }
    return true;
}

class AppEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        initApplication();
        loadButtonImages(::GetModuleHandleW(nullptr));
        ::CreateDirectoryW(L"screenshots", nullptr);
    }
    void TearDown() override { shutdownApplication(); }
};
const auto* const environment = ::testing::AddGlobalTestEnvironment(new AppEnvironment);

std::wstring windowClass(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

std::wstring windowText(HWND window) {
    wchar_t text[512] = {};
    ::SendMessageW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
    return text;
}

class MainWindowSession {
  public:
    explicit MainWindowSession(int templateId) {
        done_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        thread_ = std::thread([this, templateId] {
            threadId_ = ::GetCurrentThreadId();
            result_ = ::DialogBoxParamW(app::instance, MAKEINTRESOURCEW(templateId), nullptr,
                                        mainDialogProc, 0);
            ::SetEvent(done_.get());
        });
        waitFor([this] {
            return (window_ = findOnThread(L"#32770", L"Velquorn 1.0")) &&
                   ::IsWindowVisible(window_);
        });
    }
    ~MainWindowSession() {
        if (!ended() && window_) {
            ::PostMessageW(window_, WM_CLOSE, 0, 0);
        }
        waitForEnd();
        thread_.join();
    }
    MainWindowSession(const MainWindowSession&) = delete;
    MainWindowSession& operator=(const MainWindowSession&) = delete;

    HWND window() const { return window_; }
    HWND control(int id) const { return ::GetDlgItem(window_, id); }
    bool ended() const { return ::WaitForSingleObject(done_.get(), 0) == WAIT_OBJECT_0; }
    bool waitForEnd() const { return ::WaitForSingleObject(done_.get(), kWaitMs) == WAIT_OBJECT_0; }
    INT_PTR result() const { return result_; }
    HWND focus() const {
        GUITHREADINFO info = {};
        info.cbSize = sizeof(info);
        return ::GetGUIThreadInfo(threadId_, &info) ? info.hwndFocus : nullptr;
    }
    HWND findOnThread(const wchar_t* className, const wchar_t* text = nullptr) const {
        struct Search {
            const wchar_t* className;
            const wchar_t* text;
            HWND found;
        } search{className, text, nullptr};
        if (!threadId_) {
            return nullptr;
        }
        ::EnumThreadWindows(
            threadId_,
            [](HWND window, LPARAM param) -> BOOL {
                auto* s = reinterpret_cast<Search*>(param);
                if (windowClass(window) == s->className &&
                    (!s->text || windowText(window) == s->text)) {
                    s->found = window;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }
    void command(int id) const {
        ::SendMessageW(window_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    }

    std::vector<std::wstring> listEntries() const {
        std::vector<std::wstring> entries;
        HWND list = control(IDC_SOURCE_LIST);
        const LRESULT count = ::SendMessageW(list, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            wchar_t text[MAX_PATH + 1] = {};
            ::SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
            entries.push_back(text);
        }
        return entries;
    }

  private:
    utils::unique_handle done_;
    std::thread thread_;
    std::atomic<DWORD> threadId_{0};
    std::atomic<INT_PTR> result_{-1};
    HWND window_ = nullptr;
};

// An HDROP as the shell hands it over: DROPFILES then the wide paths.
HDROP makeDrop(const std::vector<std::wstring>& paths) {
    size_t units = 1;
    for (const auto& p : paths) {
        units += p.size() + 1;
    }
    HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + units * sizeof(wchar_t));
    auto* header = static_cast<DROPFILES*>(::GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    wchar_t* out = reinterpret_cast<wchar_t*>(header + 1);
    for (const auto& p : paths) {
        p.copy(out, p.size());
        out += p.size() + 1;
    }
    ::GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

void drop(const MainWindowSession& session, const std::vector<std::wstring>& paths) {
    ::SendMessageW(session.window(), WM_DROPFILES, reinterpret_cast<WPARAM>(makeDrop(paths)), 0);
}

struct StoredFolder {
    bool present = false;
    std::wstring text;
};

StoredFolder storedFolder() {
    StoredFolder stored;
    utils::unique_hkey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
        return stored;
    }
    wchar_t data[300] = {};
    DWORD size = sizeof(data) - sizeof(wchar_t);
    DWORD type = 0;
    if (::RegQueryValueExW(key.get(), L"out_dir", nullptr, &type, reinterpret_cast<BYTE*>(data),
                           &size) == ERROR_SUCCESS &&
        type == REG_SZ) {
        stored.present = true;
        stored.text.assign(data, size / sizeof(wchar_t));
    }
    return stored;
}

void storeFolder(const std::wstring& folder) {
    utils::unique_hkey key;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                                key.put(), nullptr),
              ERROR_SUCCESS);
    ::RegSetValueExW(key.get(), L"out_dir", 0, REG_SZ,
                     reinterpret_cast<const BYTE*>(folder.c_str()),
                     static_cast<DWORD>(folder.size() * sizeof(wchar_t)));
}

// Saves what the screen shows of the window. PrintWindow would leave the
// children out under Wine, so the pixels come from the screen itself.
bool saveScreenshot(HWND window, const wchar_t* path) {
    ::RedrawWindow(window, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    // The client area only: without a window manager nobody draws the frame.
    RECT bounds = {};
    ::GetClientRect(window, &bounds);
    ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&bounds), 2);
    const int width = bounds.right - bounds.left;
    const int height = bounds.bottom - bounds.top;
    utils::unique_screen_dc screen(::GetDC(nullptr));
    utils::unique_hdc memory(::CreateCompatibleDC(screen.get()));
    utils::unique_hbitmap bitmap(::CreateCompatibleBitmap(screen.get(), width, height));
    HGDIOBJ old = ::SelectObject(memory.get(), bitmap.get());
    const BOOL copied =
        ::BitBlt(memory.get(), 0, 0, width, height, screen.get(), bounds.left, bounds.top, SRCCOPY);
    ::SelectObject(memory.get(), old);
    bool saved = false;
    if (copied) {
        UINT count = 0;
        UINT bytes = 0;
        Gdiplus::GetImageEncodersSize(&count, &bytes);
        std::vector<BYTE> buffer(bytes);
        auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
        Gdiplus::GetImageEncoders(count, bytes, encoders);
        for (UINT i = 0; i < count; ++i) {
            if (std::wstring(encoders[i].MimeType) == L"image/png") {
                Gdiplus::Bitmap image(bitmap.get(), nullptr);
                saved = image.Save(path, &encoders[i].Clsid, nullptr) == Gdiplus::Ok;
            }
        }
    }
    return saved;
}

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, kCompanyKey); }
    void TearDown() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, kCompanyKey); }
};

// ---- building the window ---------------------------------------------------------

struct LiveControl {
    int id;
    const wchar_t* className;
    RECT units;  // left, top, width, height in dialog units
};

TEST_F(MainWindowTest, OpensFromItsTemplateWithTitleIconAndEmptyList) {
    MainWindowSession session(IDD_MAIN);
    HWND window = session.window();
    ASSERT_NE(window, nullptr) << "the main window did not open";
    EXPECT_EQ(windowText(window), L"Velquorn 1.0");
    EXPECT_NE(::SendMessageW(window, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(::SendMessageW(window, WM_GETICON, ICON_SMALL, 0), 0);
    EXPECT_EQ(::GetWindowLongW(window, GWL_STYLE) & WS_MAXIMIZEBOX, 0);
    EXPECT_TRUE(::GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);

    const LiveControl controls[] = {
        {IDC_ADD, L"Button", {0, 0, 36, 25}},
        {IDC_REMOVE, L"Button", {36, 0, 36, 25}},
        {IDC_CLEAR, L"Button", {72, 0, 36, 25}},
        {IDC_CONVERT, L"Button", {108, 0, 36, 25}},
        {IDC_SOURCE_LIST, L"ListBox", {2, 29, 366, 125}},
        {IDC_OUTPUT_LABEL, L"Static", {7, 160, 48, 8}},
        {IDC_OUTPUT_FOLDER, L"Edit", {7, 173, 295, 14}},
        {IDC_BROWSE_FOLDER, L"Button", {305, 173, 20, 14}},
        {IDC_OPEN_FOLDER, L"Button", {325, 173, 40, 14}},
        {IDC_DROP_HINT, L"Button", {78, 84, 216, 25}},
    };
    HWND child = ::GetWindow(window, GW_CHILD);
    for (const LiveControl& want : controls) {
        SCOPED_TRACE(want.id);
        ASSERT_NE(child, nullptr) << "fewer controls than the template has";
        EXPECT_EQ(::GetDlgCtrlID(child), want.id) << "creation order";
        EXPECT_EQ(windowClass(child), want.className);
        RECT expected = want.units;  // each field converts on its own, sizes included
        ::MapDialogRect(window, &expected);
        RECT actual = {};
        ::GetWindowRect(child, &actual);
        ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&actual), 2);
        EXPECT_EQ(actual.left, expected.left);
        EXPECT_EQ(actual.top, expected.top);
        EXPECT_EQ(actual.right - actual.left, expected.right);
        EXPECT_EQ(actual.bottom - actual.top, expected.bottom);
        child = ::GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr) << "more controls than the template has";
    EXPECT_EQ(session.control(IDC_PRESET), nullptr) << "one preset: no chooser";
    EXPECT_EQ(session.control(IDC_PRESET_LABEL), nullptr);

    // Empty list: disabled, the hint over it, focus on the first tab stop.
    EXPECT_FALSE(::IsWindowEnabled(session.control(IDC_SOURCE_LIST)));
    EXPECT_TRUE(::IsWindowVisible(session.control(IDC_DROP_HINT)));
    EXPECT_EQ(session.focus(), session.control(IDC_ADD));
    EXPECT_EQ(windowText(session.control(IDC_OUTPUT_FOLDER)), L"");

    EXPECT_TRUE(saveScreenshot(window, L"screenshots\\main-empty.png"));
}

TEST_F(MainWindowTest, TabWalksTheTemplateOrderSkippingTheEmptyList) {
    MainWindowSession session(IDD_MAIN);
    ASSERT_NE(session.window(), nullptr);
    auto walk = [&] {
        std::vector<int> order;
        HWND start = session.control(IDC_ADD);
        HWND at = start;
        do {
            order.push_back(::GetDlgCtrlID(at));
            at = ::GetNextDlgTabItem(session.window(), at, FALSE);
        } while (at && at != start && order.size() < 20);
        return order;
    };
    const std::vector<int> empty = {IDC_ADD,        IDC_REMOVE,        IDC_CLEAR,
                                    IDC_CONVERT,    IDC_OUTPUT_FOLDER, IDC_BROWSE_FOLDER,
                                    IDC_OPEN_FOLDER};
    EXPECT_EQ(walk(), empty);
    drop(session, {L"C:\\Music\\a.flac"});
    const std::vector<int> filled = {IDC_ADD,           IDC_REMOVE,      IDC_CLEAR,
                                     IDC_CONVERT,       IDC_SOURCE_LIST, IDC_OUTPUT_FOLDER,
                                     IDC_BROWSE_FOLDER, IDC_OPEN_FOLDER};
    EXPECT_EQ(walk(), filled);
}

// Two presets and an unnamed one between them.
const PresetEntry kThreePresets[] = {
    {L"MP3 160k", L"-b:a 160k", nullptr},
    {L"", L"-b:a 192k", nullptr},
    {L"MP3 320k", L"-b:a 320k", nullptr},
    {nullptr, nullptr, nullptr},
};

class ThreePresets : public MediaPreset {
  public:
    ThreePresets() : MediaPreset(kThreePresets) {}
    const wchar_t* outputExtension(int) const override { return L"mp3"; }
};

TEST_F(MainWindowTest, ACatalogueWithAChoiceGetsThePresetChooser) {
    auto programCatalogue = std::move(app::catalogue);
    app::catalogue = std::make_unique<ThreePresets>();
    const int templateId = mainTemplateId(app::catalogue.get());
    EXPECT_EQ(templateId, IDD_MAIN_WITH_PRESETS);
    {
        MainWindowSession session(templateId);
        ASSERT_NE(session.window(), nullptr);
        HWND combo = session.control(IDC_PRESET);
        ASSERT_NE(combo, nullptr);
        EXPECT_EQ(windowText(session.control(IDC_PRESET_LABEL)), L"Preset:");
        ASSERT_EQ(::SendMessageW(combo, CB_GETCOUNT, 0, 0), 2) << "unnamed presets are left out";
        EXPECT_EQ(::SendMessageW(combo, CB_GETCURSEL, 0, 0), 0);
        wchar_t first[64] = {};
        ::SendMessageW(combo, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first));
        EXPECT_STREQ(first, L"MP3 160k");

        RECT client = {};
        ::GetClientRect(session.window(), &client);
        RECT expected = {0, 0, 372, 219};
        ::MapDialogRect(session.window(), &expected);
        EXPECT_EQ(client.bottom, expected.bottom);
        EXPECT_EQ(client.right, expected.right);
    }
    app::catalogue = std::move(programCatalogue);
}

// ---- the source list -------------------------------------------------------------

TEST_F(MainWindowTest, DropAddsAcceptedNewPathsInSortedOrder) {
    MainWindowSession session(IDD_MAIN);
    ASSERT_NE(session.window(), nullptr);
    const std::wstring longest = L"C:\\" + std::wstring(259 - 3 - 5, L'n') + L".flac";
    const std::wstring tooLong = L"C:\\" + std::wstring(260 - 3 - 5, L'n') + L".flac";
    ASSERT_EQ(longest.size(), 259u);
    ASSERT_EQ(tooLong.size(), 260u);
    drop(session, {
                      L"C:\\Music\\b.flac", L"C:\\Music\\a.flac",
                      L"C:\\Music\\b.flac",      // twice in one drop
                      L"C:\\Music\\notes.txt",   // wrong extension
                      L"C:\\Music\\c.flac.bak",  // wrong extension after all
                      L"C:\\Music\\D.FLAC",
                      tooLong,  // would be cut: left out
                      longest,
                      L"C:\\Music\\Album",  // a folder: no extension
                  });
    drop(session, {L"C:\\Music\\a.flac", L"C:\\Music\\e.flac"});  // a again
    const std::vector<std::wstring> expected = {
        L"C:\\Music\\a.flac",
        L"C:\\Music\\b.flac",
        L"C:\\Music\\D.FLAC",
        L"C:\\Music\\e.flac",
        longest,
    };
    EXPECT_EQ(session.listEntries(), expected);
    EXPECT_TRUE(::IsWindowEnabled(session.control(IDC_SOURCE_LIST)));
    EXPECT_FALSE(::IsWindowVisible(session.control(IDC_DROP_HINT)));
    EXPECT_TRUE(saveScreenshot(session.window(), L"screenshots\\main-files.png"));
}

TEST_F(MainWindowTest, DropWhileARunIsInProgressIsIgnored) {
    MainWindowSession session(IDD_MAIN);
    ASSERT_NE(session.window(), nullptr);
    ASSERT_TRUE(waitFor([] { return app::engine != nullptr; }));
    app::engine->state = EngineState::Running;
    drop(session, {L"C:\\Music\\a.flac"});
    EXPECT_TRUE(session.listEntries().empty());
    app::engine->state = EngineState::Completed;
    drop(session, {L"C:\\Music\\a.flac"});
    EXPECT_EQ(session.listEntries().size(), 1u) << "after the run, drops count again";
}

TEST_F(MainWindowTest, RemoveTakesTheSelectionAndClearEmptiesTheList) {
    MainWindowSession session(IDD_MAIN);
    ASSERT_NE(session.window(), nullptr);
    drop(session, {L"C:\\a.flac", L"C:\\b.flac", L"C:\\c.flac", L"C:\\d.flac"});
    HWND list = session.control(IDC_SOURCE_LIST);

    session.command(IDC_REMOVE);
    EXPECT_EQ(session.listEntries().size(), 4u) << "nothing selected, nothing removed";

    ::SendMessageW(list, LB_SETSEL, TRUE, 0);
    ::SendMessageW(list, LB_SETSEL, TRUE, 2);
    ::SendMessageW(list, LB_SETSEL, TRUE, 3);
    session.command(IDC_REMOVE);
    EXPECT_EQ(session.listEntries(), std::vector<std::wstring>{L"C:\\b.flac"});
    EXPECT_TRUE(::IsWindowEnabled(list));

    ::SendMessageW(list, LB_SETSEL, TRUE, 0);
    session.command(IDC_REMOVE);
    EXPECT_TRUE(session.listEntries().empty());
    EXPECT_FALSE(::IsWindowEnabled(list)) << "the last entry removed";
    EXPECT_TRUE(::IsWindowVisible(session.control(IDC_DROP_HINT)));

    drop(session, {L"C:\\a.flac", L"C:\\b.flac"});
    session.command(IDC_CLEAR);
    EXPECT_TRUE(session.listEntries().empty());
    EXPECT_FALSE(::IsWindowEnabled(list));
    EXPECT_TRUE(::IsWindowVisible(session.control(IDC_DROP_HINT)));
}

// A folder of real files for the Add dialog, removed with its files.
class FileFolder {
  public:
    FileFolder() {
        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        path_ = std::wstring(temp) + L"velquorn-add-" + std::to_wstring(::GetCurrentProcessId());
        ::CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~FileFolder() {
        for (const auto& file : files_) {
            ::DeleteFileW(file.c_str());
        }
        ::RemoveDirectoryW(path_.c_str());
    }
    FileFolder(const FileFolder&) = delete;
    FileFolder& operator=(const FileFolder&) = delete;

    std::wstring create(const wchar_t* name) {
        const std::wstring file = path_ + L"\\" + name;
        utils::unique_hfile handle(::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr,
                                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        files_.push_back(file);
        return file;
    }
    const std::wstring& path() const { return path_; }

  private:
    std::wstring path_;
    std::vector<std::wstring> files_;
};

// Types into the open-file dialog's name box and presses OK, as a user would.
bool chooseInAddDialog(const MainWindowSession& session, const std::wstring& typed) {
    HWND dialog = nullptr;
    if (!waitFor([&] {
            dialog = session.findOnThread(L"#32770", L"Select Files");
            return dialog && ::IsWindowVisible(dialog);
        })) {
        return false;
    }
    HWND nameBox = ::GetDlgItem(dialog, 1148);
    HWND edit = nameBox ? ::FindWindowExW(nameBox, nullptr, L"Edit", nullptr) : nullptr;
    if (!edit) {  // a ComboBoxEx nests its edit in a combo box
        HWND combo = ::FindWindowExW(nameBox, nullptr, L"ComboBox", nullptr);
        edit = combo ? ::FindWindowExW(combo, nullptr, L"Edit", nullptr) : nullptr;
    }
    if (!edit) {
        return false;
    }
    ::SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()));
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return true;
}

bool addDialogClosed(const MainWindowSession& session) {
    return waitFor([&] { return !session.findOnThread(L"#32770", L"Select Files"); });
}

TEST_F(MainWindowTest, AddDialogAddsOneOrSeveralChosenFiles) {
    FileFolder folder;
    const std::wstring b = folder.create(L"b.flac");
    const std::wstring a = folder.create(L"a.flac");
    const std::wstring c = folder.create(L"c.FLAC");
    const std::wstring text = folder.create(L"notes.txt");
    MainWindowSession session(IDD_MAIN);
    ASSERT_NE(session.window(), nullptr);

    ::PostMessageW(session.window(), WM_COMMAND, MAKEWPARAM(IDC_ADD, BN_CLICKED), 0);
    ASSERT_TRUE(chooseInAddDialog(session, b));
    ASSERT_TRUE(addDialogClosed(session));
    EXPECT_EQ(session.listEntries(), std::vector<std::wstring>{b}) << "one file";

    ::PostMessageW(session.window(), WM_COMMAND, MAKEWPARAM(IDC_ADD, BN_CLICKED), 0);
    ASSERT_TRUE(chooseInAddDialog(session, text));
    ASSERT_TRUE(addDialogClosed(session));
    EXPECT_EQ(session.listEntries(), std::vector<std::wstring>{b}) << "a typed-in .txt";

    // Several names in the folder the dialog shows: the one of the last choice, since
    // without OFN_NOCHANGEDIR a choice makes it the current folder. b is among them again.
    ::PostMessageW(session.window(), WM_COMMAND, MAKEWPARAM(IDC_ADD, BN_CLICKED), 0);
    ASSERT_TRUE(chooseInAddDialog(session, L"\"c.FLAC\" \"a.flac\" \"b.flac\""));
    ASSERT_TRUE(addDialogClosed(session));
    EXPECT_EQ(session.listEntries(), (std::vector<std::wstring>{a, b, c})) << "several files";
}

// ---- tooltips ----------------------------------------------------------------------

TEST_F(MainWindowTest, TheFourButtonsHaveTheirTips) {
    MainWindowSession session(IDD_MAIN);
    ASSERT_NE(session.window(), nullptr);
    HWND tips = session.findOnThread(TOOLTIPS_CLASSW);
    ASSERT_NE(tips, nullptr) << "no tooltip window";
    EXPECT_EQ(::GetWindow(tips, GW_OWNER), session.window());
    EXPECT_EQ(::SendMessageW(tips, TTM_GETTOOLCOUNT, 0, 0), 5);
    const std::pair<int, const wchar_t*> expected[] = {
        {IDC_ADD, L"Add"},         {IDC_REMOVE, L"Remove"}, {IDC_CLEAR, L"Clear"},
        {IDC_CONVERT, L"Convert"}, {IDC_DROP_HINT, L""},
    };
    for (const auto& [id, text] : expected) {
        wchar_t buffer[80] = {};
        TTTOOLINFOW tool = {};
        tool.cbSize = sizeof(tool);
        tool.hwnd = session.window();
        tool.uId = reinterpret_cast<UINT_PTR>(session.control(id));
        ASSERT_TRUE(::SendMessageW(tips, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool)))
            << "no tool for " << id;
        EXPECT_EQ(tool.uFlags & (TTF_IDISHWND | TTF_SUBCLASS), UINT(TTF_IDISHWND | TTF_SUBCLASS));
        tool.lpszText = buffer;
        ::SendMessageW(tips, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&tool));
        EXPECT_STREQ(buffer, text) << id;
    }
}

// ---- drawing -----------------------------------------------------------------------

// A 32-bit top-down surface to paint a control's item rectangle into.
class Canvas {
  public:
    Canvas(int width, int height) : width_(width), height_(height) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        dc_.reset(::CreateCompatibleDC(nullptr));
        bitmap_.reset(::CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS,
                                         reinterpret_cast<void**>(&bits_), nullptr, 0));
        old_ = ::SelectObject(dc_.get(), bitmap_.get());
        fill(RGB(255, 0, 255));
    }
    // The bitmap must leave the DC before either is deleted.
    ~Canvas() { ::SelectObject(dc_.get(), old_); }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    void fill(COLORREF colour) {
        ::GdiFlush();
        for (int i = 0; i < width_ * height_; ++i) {
            bits_[i] = RGB(GetBValue(colour), GetGValue(colour), GetRValue(colour));
        }
    }
    void draw(int id, UINT action, UINT state, UINT type = ODT_BUTTON) {
        DRAWITEMSTRUCT record = {};
        record.CtlType = type;
        record.CtlID = static_cast<UINT>(id);
        record.itemAction = action;
        record.itemState = state;
        record.hDC = dc_.get();
        record.rcItem = {0, 0, width_, height_};
        onDrawItem(record);
        ::GdiFlush();
    }
    COLORREF at(int x, int y) const {
        const DWORD p = bits_[y * width_ + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    int width() const { return width_; }
    int height() const { return height_; }

  private:
    int width_, height_;
    // Declared so that the bitmap is deleted before the DC.
    utils::unique_hdc dc_;
    utils::unique_hbitmap bitmap_;
    HGDIOBJ old_ = nullptr;
    DWORD* bits_ = nullptr;
};

constexpr COLORREF kUntouched = RGB(255, 0, 255);

TEST(DrawItemTest, PaintsEachPictureOnItsBackgroundColour) {
    struct Case {
        int id;
        int width, height;  // item rectangle, as the dialog gives it
        int background;
    };
    const Case cases[] = {
        {IDC_ADD, 54, 41, COLOR_BTNFACE},       {IDC_REMOVE, 54, 41, COLOR_BTNFACE},
        {IDC_CLEAR, 54, 41, COLOR_BTNFACE},     {IDC_CONVERT, 54, 41, COLOR_BTNFACE},
        {IDC_DROP_HINT, 324, 41, COLOR_WINDOW},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        Canvas canvas(c.width, c.height);
        canvas.draw(c.id, ODA_DRAWENTIRE, c.id == IDC_DROP_HINT ? ODS_DISABLED : 0);
        const COLORREF background = ::GetSysColor(c.background);
        EXPECT_EQ(canvas.at(0, 0), background);
        EXPECT_EQ(canvas.at(c.width - 1, c.height - 1), background);
        // The picture sits in the middle: some of its pixels differ from the background.
        int picturePixels = 0;
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                picturePixels += canvas.at(x, y) != background;
                EXPECT_NE(canvas.at(x, y), kUntouched) << x << "," << y;
            }
        }
        EXPECT_GT(picturePixels, 40) << "no picture painted";
    }
}

TEST(DrawItemTest, APressedButtonShowsItsPictureOnePixelRightAndDown) {
    Canvas normal(54, 41);
    Canvas pressed(54, 41);
    Canvas released(54, 41);
    normal.draw(IDC_CONVERT, ODA_DRAWENTIRE, 0);
    pressed.draw(IDC_CONVERT, ODA_SELECT, ODS_SELECTED);
    released.draw(IDC_CONVERT, ODA_SELECT, 0);
    int differing = 0;
    for (int y = 0; y + 1 < normal.height(); ++y) {
        for (int x = 0; x + 1 < normal.width(); ++x) {
            EXPECT_EQ(pressed.at(x + 1, y + 1), normal.at(x, y)) << x << "," << y;
            EXPECT_EQ(released.at(x + 1, y + 1), normal.at(x, y)) << x << "," << y;
            differing += pressed.at(x, y) != normal.at(x, y);
        }
    }
    EXPECT_GT(differing, 0) << "the pressed picture did not move";
}

TEST(DrawItemTest, PaintsNothingWithoutAPictureOrForAnotherControlType) {
    Canvas canvas(54, 41);
    canvas.draw(IDC_OPEN_FOLDER, ODA_DRAWENTIRE, 0);  // no picture for it
    canvas.draw(IDC_ADD, ODA_DRAWENTIRE, 0, ODT_STATIC);
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            ASSERT_EQ(canvas.at(x, y), kUntouched) << x << "," << y;
        }
    }
}

// ---- closing -----------------------------------------------------------------------

TEST_F(MainWindowTest, RestoresTheFolderAtStartAndEveryWayOfClosingSavesIt) {
    struct Way {
        const wchar_t* name;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        bool toFocus;  // keys go to the focused control
    };
    const Way ways[] = {
        {L"Esc", WM_KEYDOWN, VK_ESCAPE, 1, true},
        {L"close box", WM_SYSCOMMAND, SC_CLOSE, 0, false},
        {L"Alt+F4", WM_SYSKEYDOWN, VK_F4, LPARAM(1) | (LPARAM(1) << 29), true},
    };
    storeFolder(L"D:\\Restored");
    std::wstring expectedAtStart = L"D:\\Restored";
    for (const Way& way : ways) {
        SCOPED_TRACE(testing::Message() << way.name);
        MainWindowSession session(IDD_MAIN);
        ASSERT_NE(session.window(), nullptr);
        HWND edit = session.control(IDC_OUTPUT_FOLDER);
        EXPECT_EQ(windowText(edit), expectedAtStart);
        const std::wstring typed = std::wstring(L"E:\\Out ") + way.name + L"\\";
        ::SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()));

        HWND target = way.toFocus ? session.focus() : session.window();
        ASSERT_NE(target, nullptr);
        ::PostMessageW(target, way.message, way.wParam, way.lParam);
        ASSERT_TRUE(session.waitForEnd()) << "the window did not close";
        EXPECT_EQ(session.result(), IDCANCEL);
        EXPECT_EQ(app::engine, nullptr) << "the engine was not released";
        EXPECT_EQ(app::mainWindow, nullptr);
        EXPECT_FALSE(app::tooltipWindow);
        const StoredFolder stored = storedFolder();
        EXPECT_TRUE(stored.present);
        EXPECT_EQ(stored.text, typed);
        expectedAtStart = typed;
    }
}

TEST_F(MainWindowTest, AnEmptyFolderIsSavedEmpty) {
    storeFolder(L"D:\\Music");
    {
        MainWindowSession session(IDD_MAIN);
        ASSERT_NE(session.window(), nullptr);
        ::SendMessageW(session.control(IDC_OUTPUT_FOLDER), WM_SETTEXT, 0,
                       reinterpret_cast<LPARAM>(L""));
        ::PostMessageW(session.window(), WM_CLOSE, 0, 0);
        ASSERT_TRUE(session.waitForEnd());
    }
    const StoredFolder stored = storedFolder();
    EXPECT_TRUE(stored.present);
    EXPECT_EQ(stored.text, L"");
}

}  // namespace
