#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "resources/resource.h"
#include "tests/automation/WindowAutomation.h"
#include "ui/AppState.h"
#include "ui/ProgressDialog.h"

namespace {

using automation::itemText;
using automation::waitFor;

// The engine as the dialog sees it, with the run driven by the test: start
// only reports Running, and the test moves jobs and state itself.
class ScriptedCore : public ConvertCore {
  public:
    bool start() override {
        ++starts;
        if (!startSucceeds) {
            return false;
        }
        state = EngineState::Running;
        return true;
    }

    void queue(int count) {
        for (int i = 0; i < count; ++i) {
            addJob((L"D:\\music\\track " + std::to_wstring(i) + L".flac").c_str());
        }
    }
    void makeCurrent(int32_t index, int32_t percent) {
        jobs[index]->outputPath = L"D:\\out\\track " + std::to_wstring(index) + L".mp3";
        setJobProgress(percent, index);
        currentIndex = index;
    }

    bool startSucceeds = true;
    std::atomic<int> starts{0};
};

// Runs template 130 modally on a thread of its own, as Convert does on the
// user-interface thread, so the test can act as the user meanwhile.
class ProgressDialogTest : public testing::Test {
  protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS};
        ::InitCommonControlsEx(&controls);
        dialogWindow = nullptr;
        result = -1;
        ended = false;
        auto core = std::make_unique<ScriptedCore>();
        engine = core.get();
        app::engine = std::move(core);
    }

    void TearDown() override {
        if (dialogThread.joinable()) {
            // Whatever the test left open goes, so the next test starts clean.
            if (HWND box = findBox()) {
                automation::pressButton(box, IDNO);
            }
            engine->state = EngineState::Completed;
            if (HWND dialog = dialogWindow.load()) {
                automation::pressButton(dialog, IDC_CLOSE);
            }
            dialogThread.join();
        }
        app::engine.reset();
    }

    // Opens the dialog and returns its window once it is up.
    HWND open() {
        dialogThread = std::thread([this] {
            threadId = ::GetCurrentThreadId();
            result = ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_PROGRESS),
                                       nullptr, progressDialogProc, 0);
            ended = true;
        });
        HWND dialog = automation::waitForDialog(::GetCurrentProcessId(), L"Progress");
        dialogWindow = dialog;
        return dialog;
    }

    bool waitForEnd() {
        if (!waitFor([this] { return ended.load(); })) {
            return false;
        }
        dialogThread.join();
        return true;
    }

    HWND findBox() const {
        HWND dialog = dialogWindow.load();
        return dialog ? automation::findDialog(::GetCurrentProcessId(), L"Velquorn", dialog)
                      : nullptr;
    }
    HWND waitForBox() const {
        HWND box = nullptr;
        waitFor([&] { return (box = findBox()) != nullptr; });
        return box;
    }

    // Presses Stop and returns the question it opens. A box showing up also
    // proves every message posted before it has been handled.
    HWND pressStop(HWND dialog) const {
        automation::pressButton(dialog, IDC_STOP);
        return waitForBox();
    }

    static bool visible(HWND dialog, int id) {
        return ::IsWindowVisible(::GetDlgItem(dialog, id)) != FALSE;
    }
    static LRESULT barPosition(HWND dialog) {
        return ::SendMessageW(::GetDlgItem(dialog, IDC_PROGRESS_BAR), PBM_GETPOS, 0, 0);
    }
    static LRESULT barMaximum(HWND dialog) {
        return ::SendMessageW(::GetDlgItem(dialog, IDC_PROGRESS_BAR), PBM_GETRANGE, FALSE, 0);
    }

    void completeRun(int done) {
        for (int i = 0; i < static_cast<int>(engine->jobs.size()); ++i) {
            engine->setJobProgress(i < done ? 100 : 0, i);
        }
        engine->currentIndex = -1;
        engine->state = EngineState::Completed;
    }

    ScriptedCore* engine = nullptr;
    std::thread dialogThread;
    std::atomic<DWORD> threadId{0};
    std::atomic<HWND> dialogWindow{nullptr};
    std::atomic<INT_PTR> result{-1};
    std::atomic<bool> ended{false};
};

TEST_F(ProgressDialogTest, BeforeTheFirstFileTemplateTextsStayAndStopIsOffered) {
    engine->queue(3);
    HWND dialog = open();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(engine->starts, 1);
    EXPECT_EQ(engine->overwriteCallback, &confirmOverwrite);
    EXPECT_EQ(engine->callbackContext, reinterpret_cast<INT_PTR>(dialog));
    EXPECT_EQ(itemText(dialog, IDC_SUMMARY), L"Total 1/10");
    EXPECT_EQ(itemText(dialog, IDC_CURRENT_FILE), L"File Name");
    EXPECT_EQ(barPosition(dialog), 0);
    EXPECT_EQ(barMaximum(dialog), 0);
    EXPECT_TRUE(visible(dialog, IDC_STOP));
    EXPECT_FALSE(visible(dialog, IDC_CLOSE));
    EXPECT_TRUE(visible(dialog, IDC_PROGRESS_BAR));
}

TEST_F(ProgressDialogTest, RunningJobIsFollowedOnTheTimer) {
    struct Case {
        int count;
        int index;
        int percent;
        const wchar_t* summary;
        LRESULT position;
        LRESULT maximum;
    };
    // 1000 files need the 32-bit bar range: 100000 does not fit 16 bits.
    const Case cases[] = {{3, 1, 50, L"2 / 3 (50%)", 150, 300},
                          {1000, 999, 40, L"1000 / 1000 (99%)", 99940, 100000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.summary);
        SetUp();
        engine->queue(c.count);
        HWND dialog = open();
        ASSERT_TRUE(dialog);
        engine->makeCurrent(c.index, c.percent);
        ASSERT_TRUE(waitFor([&] { return itemText(dialog, IDC_SUMMARY) == c.summary; }))
            << "summary: " << testing::PrintToString(itemText(dialog, IDC_SUMMARY));
        EXPECT_EQ(itemText(dialog, IDC_CURRENT_FILE), engine->jobs[c.index]->sourcePath);
        EXPECT_TRUE(waitFor([&] { return barPosition(dialog) == c.position; }));
        EXPECT_EQ(barMaximum(dialog), c.maximum);
        EXPECT_TRUE(visible(dialog, IDC_STOP));
        EXPECT_FALSE(visible(dialog, IDC_CLOSE));
        TearDown();
    }
}

TEST_F(ProgressDialogTest, CompletedRunShowsTotalsHidesBarAndEndsOnClose) {
    struct Case {
        int done;
        const wchar_t* summary;
    };
    const Case cases[] = {{2, L"2 / 3 (67%)"}, {1, L"1 / 3 (33%)"}, {3, L"3 / 3 (100%)"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.summary);
        SetUp();
        engine->queue(3);
        HWND dialog = open();
        ASSERT_TRUE(dialog);
        engine->makeCurrent(1, 50);
        ASSERT_TRUE(waitFor([&] { return itemText(dialog, IDC_SUMMARY) == L"2 / 3 (50%)"; }));
        completeRun(c.done);
        ASSERT_TRUE(waitFor([&] { return itemText(dialog, IDC_SUMMARY) == c.summary; }))
            << "summary: " << testing::PrintToString(itemText(dialog, IDC_SUMMARY));
        EXPECT_EQ(itemText(dialog, IDC_CURRENT_FILE), L"Complete");
        EXPECT_FALSE(visible(dialog, IDC_PROGRESS_BAR));
        EXPECT_FALSE(visible(dialog, IDC_STOP));
        EXPECT_TRUE(visible(dialog, IDC_CLOSE));

        // A completed run waits for the user: the dialog must not close itself.
        HWND box = pressStop(dialog);
        ASSERT_TRUE(box) << "the dialog should still be there to ask";
        automation::pressButton(box, IDNO);
        ASSERT_TRUE(automation::waitForGone(box));
        EXPECT_FALSE(ended);

        automation::pressButton(dialog, IDC_CLOSE);
        ASSERT_TRUE(waitForEnd());
        EXPECT_EQ(result, kProgressClosed);
        TearDown();
    }
}

TEST_F(ProgressDialogTest, FailedStartEndsAtOnceWithResult2AndNoMessage) {
    engine->startSucceeds = false;
    engine->queue(1);
    dialogThread = std::thread([this] {
        result = ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_PROGRESS),
                                   nullptr, progressDialogProc, 0);
        ended = true;
    });
    // A message box would keep the dialog thread from ending.
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(result, kProgressStartFailed);
    EXPECT_EQ(engine->starts, 1);
}

TEST_F(ProgressDialogTest, DecliningStopLetsTheRunGoOn) {
    engine->queue(3);
    HWND dialog = open();
    ASSERT_TRUE(dialog);
    engine->makeCurrent(1, 50);
    ASSERT_TRUE(waitFor([&] { return itemText(dialog, IDC_SUMMARY) == L"2 / 3 (50%)"; }));

    HWND box = pressStop(dialog);
    ASSERT_TRUE(box);
    EXPECT_EQ(automation::messageBoxText(box), L"Are you sure you want to stop the conversion?");
    EXPECT_TRUE(::GetDlgItem(box, IDYES) && ::GetDlgItem(box, IDNO));
    EXPECT_FALSE(::GetDlgItem(box, IDOK)) << "a Yes/No question";
    automation::pressButton(box, IDNO);
    ASSERT_TRUE(automation::waitForGone(box));

    EXPECT_EQ(engine->state, EngineState::Running);
    engine->makeCurrent(2, 10);
    EXPECT_TRUE(waitFor([&] { return itemText(dialog, IDC_SUMMARY) == L"3 / 3 (70%)"; }))
        << "the timer should go on after No";
    EXPECT_TRUE(visible(dialog, IDC_STOP));
    EXPECT_FALSE(ended);
}

TEST_F(ProgressDialogTest, ConfirmedStopClosesTheDialogByItselfWithoutTotals) {
    engine->queue(3);
    HWND dialog = open();
    ASSERT_TRUE(dialog);
    engine->makeCurrent(1, 50);
    ASSERT_TRUE(waitFor([&] { return itemText(dialog, IDC_SUMMARY) == L"2 / 3 (50%)"; }));

    HWND box = pressStop(dialog);
    ASSERT_TRUE(box);
    automation::pressButton(box, IDYES);
    ASSERT_TRUE(waitFor([&] { return engine->state == EngineState::StopRequested; }))
        << "Yes should ask the engine to stop";
    // The worker ends the file in hand and the run becomes Stopped.
    engine->currentIndex = -1;
    engine->state = EngineState::Stopped;

    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(result, kProgressClosed);
}

TEST_F(ProgressDialogTest, RunCompletingWhileStopIsAskedKeepsItsTotals) {
    engine->queue(3);
    HWND dialog = open();
    ASSERT_TRUE(dialog);
    engine->makeCurrent(2, 90);
    HWND box = pressStop(dialog);
    ASSERT_TRUE(box);

    completeRun(3);
    ASSERT_TRUE(waitFor([&] { return itemText(dialog, IDC_SUMMARY) == L"3 / 3 (100%)"; }))
        << "ticks should go on while the question is open";
    automation::pressButton(box, IDYES);
    ASSERT_TRUE(automation::waitForGone(box));

    // A second question proves the answer has been handled and the dialog stayed.
    HWND again = pressStop(dialog);
    ASSERT_TRUE(again);
    automation::pressButton(again, IDNO);
    ASSERT_TRUE(automation::waitForGone(again));
    EXPECT_EQ(engine->state, EngineState::Completed);
    EXPECT_EQ(itemText(dialog, IDC_SUMMARY), L"3 / 3 (100%)");
    EXPECT_EQ(itemText(dialog, IDC_CURRENT_FILE), L"Complete");
    EXPECT_TRUE(visible(dialog, IDC_CLOSE));
    EXPECT_FALSE(ended);
}

TEST_F(ProgressDialogTest, CloseRequestsEscAndAltF4DoNotEndTheDialog) {
    engine->queue(2);
    HWND dialog = open();
    ASSERT_TRUE(dialog);
    engine->makeCurrent(0, 30);
    ::PostMessageW(dialog, WM_CLOSE, 0, 0);
    ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    HWND focus = ::GetDlgItem(dialog, IDC_STOP);
    ::PostMessageW(focus, WM_KEYDOWN, VK_ESCAPE, 1);
    ::PostMessageW(focus, WM_KEYUP, VK_ESCAPE, 0xC0000001);

    HWND box = pressStop(dialog);
    ASSERT_TRUE(box) << "the dialog should still be open";
    automation::pressButton(box, IDNO);
    ASSERT_TRUE(automation::waitForGone(box));
    EXPECT_TRUE(::IsWindow(dialog));
    EXPECT_FALSE(ended);
    EXPECT_EQ(engine->state, EngineState::Running);
}

class OverwriteQuestionTest : public ProgressDialogTest {
  protected:
    // Asks from a worker thread, as the engine does, and returns the answer.
    // A box that should not appear is dismissed and reported.
    int32_t askFromWorker(int32_t code, int answerWith, std::wstring* shownText) {
        std::atomic<int32_t> answer{-1};
        std::atomic<bool> returned{false};
        HWND dialog = dialogWindow.load();
        std::thread worker([&] {
            answer = confirmOverwrite(code, reinterpret_cast<INT_PTR>(dialog));
            returned = true;
        });
        HWND box = nullptr;
        waitFor([&] { return returned || (box = findBox()) != nullptr; });
        if (box) {
            *shownText = automation::messageBoxText(box);
            automation::pressButton(box, answerWith);
        }
        worker.join();
        return answer;
    }
};

TEST_F(OverwriteQuestionTest, YesReplacesNoKeepsAndTheQuestionNamesTheOutput) {
    engine->queue(3);
    HWND dialog = open();
    ASSERT_TRUE(dialog);
    engine->makeCurrent(1, 0);
    const std::wstring expected =
        L"'D:\\out\\track 1.mp3' already exists.\nDo you want to replace it?";
    struct Case {
        int button;
        int32_t answer;
    };
    for (const Case c : {Case{IDYES, kOverwriteAllowed}, Case{IDNO, 0}}) {
        SCOPED_TRACE(c.button);
        std::wstring text;
        EXPECT_EQ(askFromWorker(kOverwriteQuestion, c.button, &text), c.answer);
        EXPECT_EQ(text, expected);
    }
}

TEST_F(OverwriteQuestionTest, OtherCodesAreRefusedWithoutAsking) {
    engine->queue(1);
    HWND dialog = open();
    ASSERT_TRUE(dialog);
    engine->makeCurrent(0, 0);
    for (int32_t code : {0, 2, -1}) {
        SCOPED_TRACE(code);
        std::wstring text;
        EXPECT_EQ(askFromWorker(code, IDYES, &text), 0);
        EXPECT_TRUE(text.empty()) << "no box should have been shown";
    }
}

}  // namespace
