#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "resources/resource.h"
#include "tests/automation/WindowAutomation.h"
#include "tests/e2e/AppDriver.h"
#include "utils/unique_resource.h"

namespace {

using automation::itemText;
using automation::pressButton;
using automation::waitFor;
using driver::joinPath;

constexpr int kShortSeconds = 3;
// Long enough that Stop always lands while this file converts.
constexpr int kLongSeconds = 1200;

// The real program and the real converter, installed once for the suite.
class EndToEndTest : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        converter = driver::environmentValue(L"VELQUORN_FFMPEG");
        program = driver::environmentValue(L"VELQUORN_EXE");
        root = driver::makeScratchFolder(L"velquorn-e2e-");
        appFolder = joinPath(root, L"app");
        samples = joinPath(root, L"samples");
        ::CreateDirectoryW(samples.c_str(), nullptr);
        ready = !root.empty() && driver::installApp(program, converter, appFolder) &&
                driver::makeFlac(converter, sample(L"a.flac"), kShortSeconds) &&
                driver::makeFlac(converter, sample(L"c.flac"), kShortSeconds) &&
                driver::makeFlac(converter, sample(L"b long.flac"), kLongSeconds) &&
                driver::writeFileBytes(sample(L"b broken.flac"), "this is not FLAC at all\n");
    }

    void SetUp() override {
        ASSERT_TRUE(ready) << "install " << testing::PrintToString(program) << " with "
                           << testing::PrintToString(converter);
        output = driver::makeScratchFolder(L"out-", root);
        ASSERT_FALSE(output.empty());
        ASSERT_TRUE(app.launch(joinPath(appFolder, L"Velquorn.exe")));
    }

    void TearDown() override {
        // Whatever a failed test left open is the process's problem, not the next test's.
        if (::WaitForSingleObject(app.process(), 0) == WAIT_TIMEOUT) {
            ::TerminateProcess(app.process(), 1);
            ::WaitForSingleObject(app.process(), driver::kRunTimeoutMs);
        }
        waitFor([] { return driver::countConvertersUnder(appFolder) == 0; });
    }

    static std::wstring sample(const wchar_t* name) { return joinPath(samples, name); }
    std::wstring outputOf(const wchar_t* name) const { return joinPath(output, name); }

    void addFiles(const std::vector<std::wstring>& paths) {
        for (const auto& path : paths) {
            ASSERT_TRUE(app.addFile(path)) << testing::PrintToString(path);
        }
    }

    // Convert with a message box expected: its text, after pressing its OK.
    std::wstring convertExpectingProblem() {
        app.pressConvert();
        HWND box = app.waitForMessageBox(app.mainWindow());
        if (!box) {
            return L"(no message box)";
        }
        const std::wstring text = automation::messageBoxText(box);
        EXPECT_TRUE(::GetDlgItem(box, IDOK)) << "an OK box";
        EXPECT_FALSE(::GetDlgItem(box, IDYES));
        pressButton(box, IDOK);
        EXPECT_TRUE(automation::waitForGone(box));
        return text;
    }

    // Presses Convert, follows the run to "Complete", presses Close; the
    // summary shown at the end.
    std::wstring convertToCompletion() {
        app.pressConvert();
        HWND progress = app.waitForProgress();
        if (!progress) {
            return L"(no progress dialog)";
        }
        const std::wstring summary = app.waitForCompletion(progress);
        EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(progress, IDC_CLOSE)));
        EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(progress, IDC_PROGRESS_BAR)));
        pressButton(progress, IDC_CLOSE);
        EXPECT_TRUE(automation::waitForGone(progress));
        return summary;
    }

    // Waits until the progress dialog shows this source being converted.
    static bool waitForConverting(HWND progress, const std::wstring& source) {
        HWND bar = ::GetDlgItem(progress, IDC_PROGRESS_BAR);
        return waitFor(
            [&] {
                const LRESULT position = ::SendMessageW(bar, PBM_GETPOS, 0, 0);
                return itemText(progress, IDC_CURRENT_FILE) == source && position % 100 > 0;
            },
            driver::kRunTimeoutMs);
    }
    static LRESULT barPosition(HWND progress) {
        return ::SendMessageW(::GetDlgItem(progress, IDC_PROGRESS_BAR), PBM_GETPOS, 0, 0);
    }

    // Presses Stop and answers the question; false when no question came.
    bool stopAnswering(HWND progress, int answer) {
        pressButton(progress, IDC_STOP);
        HWND box = app.waitForMessageBox(progress);
        if (!box) {
            return false;
        }
        EXPECT_EQ(automation::messageBoxText(box),
                  L"Are you sure you want to stop the conversion?");
        pressButton(box, answer);
        return automation::waitForGone(box);
    }

    static std::wstring converter;
    static std::wstring program;
    static std::wstring root;
    static std::wstring appFolder;
    static std::wstring samples;
    static bool ready;

    std::wstring output;
    driver::RunningApp app;
};

std::wstring EndToEndTest::converter;
std::wstring EndToEndTest::program;
std::wstring EndToEndTest::root;
std::wstring EndToEndTest::appFolder;
std::wstring EndToEndTest::samples;
bool EndToEndTest::ready = false;

TEST_F(EndToEndTest, ConvertNamesTheFirstProblemInItsOrder) {
    app.setOutputFolder(L"");
    EXPECT_EQ(convertExpectingProblem(), L"Please add source files.")
        << "an empty list comes first, even with no folder";

    addFiles({sample(L"a.flac")});
    EXPECT_EQ(convertExpectingProblem(), L"Please select output folder.");

    for (const std::wstring& folder : {sample(L"a.flac"), joinPath(root, L"no such folder")}) {
        app.setOutputFolder(folder);
        EXPECT_EQ(convertExpectingProblem(), L"The output folder doesn't exist.")
            << testing::PrintToString(folder);
    }

    const std::wstring core = joinPath(appFolder, L"core\\nyvrel.exe");
    const std::wstring aside = joinPath(appFolder, L"core\\nyvrel.exe.aside");
    ASSERT_TRUE(::MoveFileW(core.c_str(), aside.c_str()));
    app.setOutputFolder(output);
    const std::wstring text = convertExpectingProblem();
    ASSERT_TRUE(::MoveFileW(aside.c_str(), core.c_str()));
    EXPECT_EQ(text, L"There isn't a core file.");
    EXPECT_FALSE(driver::fileExists(outputOf(L"a.mp3"))) << "no run may start";

    // With everything in place the same window converts.
    EXPECT_EQ(convertToCompletion(), L"1 / 1 (100%)");
    EXPECT_TRUE(driver::fileExists(outputOf(L"a.mp3")));
}

TEST_F(EndToEndTest, BrokenSecondFileIsReportedAndOnlyConvertedEntriesAreSelected) {
    addFiles({sample(L"c.flac"), sample(L"b broken.flac"), sample(L"a.flac")});
    const std::vector<std::wstring> sorted = {sample(L"a.flac"), sample(L"b broken.flac"),
                                              sample(L"c.flac")};
    ASSERT_EQ(app.listEntries(), sorted) << "the list keeps its sorted order";
    app.select(1, true);  // the selection before the run must not survive it
    app.setOutputFolder(output);

    EXPECT_EQ(convertToCompletion(), L"2 / 3 (67%)");
    EXPECT_TRUE(app.isSelected(0));
    EXPECT_FALSE(app.isSelected(1));
    EXPECT_TRUE(app.isSelected(2));
    EXPECT_TRUE(driver::fileExists(outputOf(L"a.mp3")));
    EXPECT_FALSE(driver::fileExists(outputOf(L"b broken.mp3")));
    EXPECT_TRUE(driver::fileExists(outputOf(L"c.mp3")));
}

TEST_F(EndToEndTest, ExistingOutputIsReplacedOnlyAfterYes) {
    addFiles({sample(L"a.flac")});
    app.setOutputFolder(output);
    const std::wstring target = outputOf(L"a.mp3");
    const std::string previous = "an older a.mp3 the user wants to keep\n";
    ASSERT_TRUE(driver::writeFileBytes(target, previous));
    FILETIME old{};
    {
        SYSTEMTIME when{2001, 2, 0, 3, 4, 5, 6, 0};
        ::SystemTimeToFileTime(&when, &old);
        utils::unique_hfile file(::CreateFileW(target.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                               OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(file && ::SetFileTime(file.get(), nullptr, nullptr, &old));
    }
    const std::wstring question = L"'" + target + L"' already exists.\nDo you want to replace it?";

    struct Case {
        int answer;
        bool replaced;
    };
    for (const Case c : {Case{IDNO, false}, Case{IDYES, true}}) {
        SCOPED_TRACE(c.answer == IDYES ? "Yes" : "No");
        app.pressConvert();
        HWND progress = app.waitForProgress();
        ASSERT_TRUE(progress);
        HWND box = app.waitForMessageBox(progress);
        ASSERT_TRUE(box) << "the run should ask before touching the file";
        EXPECT_EQ(automation::messageBoxText(box), question);
        pressButton(box, c.answer);
        EXPECT_EQ(app.waitForCompletion(progress), L"1 / 1 (100%)");
        pressButton(progress, IDC_CLOSE);
        ASSERT_TRUE(automation::waitForGone(progress));
        EXPECT_TRUE(app.isSelected(0));

        const std::string bytes = driver::readFileBytes(target);
        WIN32_FILE_ATTRIBUTE_DATA data{};
        ASSERT_TRUE(::GetFileAttributesExW(target.c_str(), GetFileExInfoStandard, &data));
        const bool sameTime = ::CompareFileTime(&data.ftLastWriteTime, &old) == 0;
        if (c.replaced) {
            EXPECT_NE(bytes, previous);
            EXPECT_GT(bytes.size(), 10000u) << "three seconds of MP3";
            EXPECT_FALSE(sameTime);
        } else {
            EXPECT_EQ(bytes, previous);
            EXPECT_TRUE(sameTime);
        }
    }
}

TEST_F(EndToEndTest, StopAsksThenEndsTheRunAndASecondConvertRunsNormally) {
    addFiles({sample(L"a.flac"), sample(L"b long.flac"), sample(L"c.flac")});
    app.setOutputFolder(output);
    app.pressConvert();
    HWND progress = app.waitForProgress();
    ASSERT_TRUE(progress);
    ASSERT_TRUE(waitForConverting(progress, sample(L"b long.flac")));

    ASSERT_TRUE(stopAnswering(progress, IDNO));
    const LRESULT afterNo = barPosition(progress);
    EXPECT_TRUE(waitFor([&] { return barPosition(progress) > afterNo; }))
        << "No should let the conversion go on";
    EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(progress, IDC_STOP)));

    ASSERT_TRUE(stopAnswering(progress, IDYES));
    ASSERT_TRUE(automation::waitForGone(progress)) << "a stopped run closes its dialog";
    EXPECT_TRUE(app.isSelected(0));
    EXPECT_FALSE(app.isSelected(1)) << "the interrupted file";
    EXPECT_FALSE(app.isSelected(2)) << "never reached";
    EXPECT_TRUE(driver::fileExists(outputOf(L"a.mp3")));
    EXPECT_TRUE(waitFor([&] { return !driver::fileExists(outputOf(L"b long.mp3")); }))
        << "a half-made output must not be left behind";
    EXPECT_FALSE(driver::fileExists(outputOf(L"c.mp3")));

    // At once, while the stopped worker may still be winding down.
    const std::wstring second = outputOf(L"again");
    ASSERT_TRUE(::CreateDirectoryW(second.c_str(), nullptr));
    app.setOutputFolder(second);
    EXPECT_EQ(convertToCompletion(), L"3 / 3 (100%)");
    for (const wchar_t* name : {L"a.mp3", L"b long.mp3", L"c.mp3"}) {
        EXPECT_TRUE(driver::fileExists(joinPath(second, name))) << testing::PrintToString(name);
    }
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(app.isSelected(i)) << i;
    }
}

TEST_F(EndToEndTest, ClosingRightAfterAStopLeavesNoConverterAndSavesTheFolder) {
    addFiles({sample(L"b long.flac")});
    app.setOutputFolder(output);
    app.pressConvert();
    HWND progress = app.waitForProgress();
    ASSERT_TRUE(progress);
    ASSERT_TRUE(waitForConverting(progress, sample(L"b long.flac")));
    ASSERT_TRUE(stopAnswering(progress, IDYES));
    ASSERT_TRUE(automation::waitForGone(progress));

    DWORD exitCode = 1;
    ASSERT_TRUE(app.close(&exitCode)) << "the program should end";
    EXPECT_EQ(exitCode, 0u) << "no crash";
    EXPECT_EQ(driver::countConvertersUnder(appFolder), 0) << "no converter may outlive the program";

    utils::unique_hkey key;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Tovarel Voviz Ezorirudo\\mp3", 0,
                              KEY_READ, key.put()),
              ERROR_SUCCESS);
    wchar_t saved[MAX_PATH + 1] = {};
    DWORD size = sizeof(saved) - sizeof(wchar_t);
    DWORD type = 0;
    ASSERT_EQ(::RegQueryValueExW(key.get(), L"out_dir", nullptr, &type,
                                 reinterpret_cast<BYTE*>(saved), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(std::wstring(saved, size / sizeof(wchar_t)), output);
}

TEST_F(EndToEndTest, EscAndAltF4DoNotCloseTheProgressDialog) {
    addFiles({sample(L"b long.flac")});
    app.setOutputFolder(output);
    app.pressConvert();
    HWND progress = app.waitForProgress();
    ASSERT_TRUE(progress);
    ASSERT_TRUE(waitForConverting(progress, sample(L"b long.flac")));

    HWND stop = ::GetDlgItem(progress, IDC_STOP);
    ::PostMessageW(stop, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    ::PostMessageW(stop, WM_KEYUP, VK_ESCAPE, 0xC0010001);
    // Alt held: bit 29 of the key data.
    ::PostMessageW(progress, WM_SYSKEYDOWN, VK_F4, 0x203E0001);
    ::PostMessageW(progress, WM_SYSKEYUP, VK_F4, 0xE03E0001);
    ::PostMessageW(progress, WM_CLOSE, 0, 0);

    // The question can only come from a dialog that is still open, and only
    // after the keys above have been handled.
    ASSERT_TRUE(stopAnswering(progress, IDNO));
    EXPECT_TRUE(::IsWindowVisible(progress));
    ASSERT_TRUE(stopAnswering(progress, IDYES));
    EXPECT_TRUE(automation::waitForGone(progress));
}

TEST_F(EndToEndTest, AccentsCjkAndPercentInNamesConvert) {
    // One of each, then all together, so a failure names its character.
    const std::vector<std::wstring> names = {L"Björk café", L"音楽 テスト", L"100% done",
                                             L"Björk 音楽 100% café"};
    std::vector<std::wstring> sources;
    for (const auto& name : names) {
        sources.push_back(sample((name + L".flac").c_str()));
        ASSERT_TRUE(::CopyFileW(sample(L"a.flac").c_str(), sources.back().c_str(), FALSE));
    }
    addFiles(sources);
    app.setOutputFolder(output);

    const std::vector<std::wstring> listed = app.listEntries();
    EXPECT_EQ(convertToCompletion(), L"4 / 4 (100%)");
    for (size_t i = 0; i < listed.size(); ++i) {
        const std::wstring file = listed[i].substr(samples.size() + 1);
        const std::wstring mp3 = file.substr(0, file.size() - 5) + L".mp3";
        SCOPED_TRACE(testing::PrintToString(mp3));
        EXPECT_TRUE(app.isSelected(static_cast<int>(i)));
        EXPECT_GT(driver::readFileBytes(outputOf(mp3.c_str())).size(), 10000u)
            << "three seconds of MP3 under the same name";
    }
}

}  // namespace
