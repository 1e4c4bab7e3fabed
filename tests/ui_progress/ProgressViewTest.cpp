#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/ProgressDialog.h"

namespace {

ConvertJob jobAt(int32_t index, int32_t percent, const wchar_t* source) {
    ConvertJob job;
    job.index = index;
    job.percent = percent;
    job.sourcePath = source;
    job.outputPath = L"D:\\out\\unused.mp3";
    return job;
}

TEST(ProgressViewTest, RunningJobGivesFileNumberSourceAndWholeRunBar) {
    struct Case {
        int32_t count;
        int32_t index;
        int32_t percent;
        const wchar_t* summary;
        int32_t barPosition;
        int32_t barMaximum;
    };
    const std::vector<Case> cases = {
        {3, 1, 50, L"2 / 3 (50%)", 150, 300},
        {3, 0, 0, L"1 / 3 (0%)", 0, 300},
        {3, 2, 100, L"3 / 3 (100%)", 300, 300},
        // Truncated, not rounded: 199 / 3 = 66.3.
        {3, 1, 99, L"2 / 3 (66%)", 199, 300},
        {1000, 999, 40, L"1000 / 1000 (99%)", 99940, 100000},
        {1, 0, 7, L"1 / 1 (7%)", 7, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.count << " jobs, job " << c.index << " at " << c.percent);
        const ConvertJob job = jobAt(c.index, c.percent, L"D:\\music\\b.flac");
        const ProgressView view = progressViewFor(EngineState::Running, c.count, &job, 0);
        EXPECT_EQ(view.summary, c.summary);
        EXPECT_EQ(view.name, L"D:\\music\\b.flac");
        EXPECT_EQ(view.barPosition, c.barPosition);
        EXPECT_EQ(view.barMaximum, c.barMaximum);
        EXPECT_FALSE(view.runCompleted);
    }
}

TEST(ProgressViewTest, CompletedRunCountsFinishedJobsRoundedHalfUp) {
    struct Case {
        int32_t done;
        int32_t count;
        const wchar_t* summary;
    };
    const std::vector<Case> cases = {
        {2, 3, L"2 / 3 (67%)"},    {1, 3, L"1 / 3 (33%)"}, {3, 3, L"3 / 3 (100%)"},
        {0, 3, L"0 / 3 (0%)"},     {1, 8, L"1 / 8 (13%)"}, {1, 200, L"1 / 200 (1%)"},
        {1, 201, L"1 / 201 (0%)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.done << " of " << c.count);
        // A job left over from the run must not leak into the totals.
        const ConvertJob stale = jobAt(0, 50, L"D:\\music\\a.flac");
        const ProgressView view = progressViewFor(EngineState::Completed, c.count, &stale, c.done);
        EXPECT_EQ(view.summary, c.summary);
        EXPECT_EQ(view.name, L"Complete");
        EXPECT_TRUE(view.runCompleted);
        EXPECT_EQ(view.barMaximum, 0);
        EXPECT_EQ(view.barPosition, 0);
    }
}

TEST(ProgressViewTest, NoCurrentJobOrStoppedRunLeavesTextsAndEmptiesBar) {
    const ConvertJob job = jobAt(1, 50, L"D:\\music\\b.flac");
    struct Case {
        EngineState state;
        const ConvertJob* current;
    };
    const std::vector<Case> cases = {
        {EngineState::Running, nullptr},
        {EngineState::Idle, &job},
        {EngineState::StopRequested, &job},
        {EngineState::Stopped, &job},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.state));
        const ProgressView view = progressViewFor(c.state, 3, c.current, 1);
        EXPECT_TRUE(view.summary.empty());
        EXPECT_TRUE(view.name.empty());
        EXPECT_EQ(view.barMaximum, 0);
        EXPECT_EQ(view.barPosition, 0);
        EXPECT_FALSE(view.runCompleted);
    }
}

TEST(ProgressViewTest, EmptyCompletedRunShowsZeroPercentInsteadOfDividingByZero) {
    const ProgressView view = progressViewFor(EngineState::Completed, 0, nullptr, 0);
    EXPECT_EQ(view.summary, L"0 / 0 (0%)");
    EXPECT_EQ(completedPercent(0, 0), 0);
}

TEST(ProgressViewTest, QuestionsReadAsTheUserSeesThem) {
    EXPECT_EQ(stopQuestion(), L"Are you sure you want to stop the conversion?");
    EXPECT_EQ(overwriteQuestion(L"D:\\out\\100% Björk 音.mp3"),
              L"'D:\\out\\100% Björk 音.mp3' already exists.\nDo you want to replace it?");
}

}  // namespace
