#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "engine/ConvertCore.h"

namespace {

int32_t percentOf(ConvertCore& engine, size_t index) {
    return engine.jobs.at(index)->percent;
}

TEST(ConvertCoreTest, NewEngineIsIdleAndEmpty) {
    ConvertCore engine;
    EXPECT_TRUE(engine.queueLock);
    EXPECT_EQ(::WaitForSingleObject(engine.queueLock.get(), 0), WAIT_OBJECT_0)
        << "the lock must start free";
    ::SetEvent(engine.queueLock.get());
    EXPECT_FALSE(engine.workerThread);
    EXPECT_TRUE(engine.corePath.empty() && engine.outputDir.empty() && engine.arguments.empty() &&
                engine.outputExt.empty());
    EXPECT_TRUE(engine.jobs.empty());
    EXPECT_TRUE(engine.jobsByPath.empty());
    EXPECT_EQ(engine.state, EngineState::Idle);
    EXPECT_EQ(engine.currentIndex, -1);
    EXPECT_FALSE(engine.parsing);
    EXPECT_EQ(engine.overwriteCallback, nullptr);
    EXPECT_EQ(engine.callbackContext, 0);
    ConvertJob job;
    EXPECT_FALSE(engine.getCurrentJob(job));
}

TEST(ConvertCoreTest, StateValuesKeepTheirOrder) {
    EXPECT_EQ(static_cast<int32_t>(EngineState::Idle), 0);
    EXPECT_EQ(static_cast<int32_t>(EngineState::Running), 1);
    EXPECT_EQ(static_cast<int32_t>(EngineState::StopRequested), 2);
    EXPECT_EQ(static_cast<int32_t>(EngineState::Stopped), 3);
    EXPECT_EQ(static_cast<int32_t>(EngineState::Completed), 4);
}

TEST(ConvertCoreTest, AddJobQueuesEachExactPathOnce) {
    ConvertCore engine;
    EXPECT_TRUE(engine.addJob(L"C:\\Music\\a.flac"));
    EXPECT_FALSE(engine.addJob(L"C:\\Music\\a.flac"));
    EXPECT_TRUE(engine.addJob(L"c:\\music\\A.FLAC")) << "letter case counts";
    EXPECT_FALSE(engine.addJob(nullptr));
    ASSERT_EQ(engine.jobs.size(), 2u);
    ASSERT_EQ(engine.jobsByPath.size(), 2u);
    for (size_t i = 0; i < engine.jobs.size(); ++i) {
        const ConvertJob& job = *engine.jobs[i];
        EXPECT_EQ(job.index, static_cast<int32_t>(i));
        EXPECT_TRUE(job.outputPath.empty());
        EXPECT_EQ(job.duration, 0);
        EXPECT_EQ(job.percent, 0);
        EXPECT_EQ(engine.jobsByPath.at(job.sourcePath), &job);
    }
    EXPECT_EQ(engine.jobs[1]->sourcePath, L"c:\\music\\A.FLAC");
}

TEST(ConvertCoreTest, ClearJobsRestartsIndicesAndLeavesState) {
    ConvertCore engine;
    engine.addJob(L"a.flac");
    engine.addJob(L"b.flac");
    engine.currentIndex = 1;
    engine.state = EngineState::Completed;
    EXPECT_TRUE(engine.clearJobs());
    EXPECT_TRUE(engine.jobs.empty());
    EXPECT_TRUE(engine.jobsByPath.empty());
    EXPECT_EQ(engine.currentIndex, -1);
    EXPECT_EQ(engine.state, EngineState::Completed);
    ConvertJob job;
    EXPECT_FALSE(engine.getCurrentJob(job));
    EXPECT_TRUE(engine.addJob(L"b.flac")) << "a cleared path may be queued again";
    EXPECT_EQ(engine.jobs[0]->index, 0);
}

TEST(ConvertCoreTest, ResetEmptiesQueueAndKeepsStateInitializeChangesNothing) {
    ConvertCore engine;
    engine.addJob(L"a.flac");
    EXPECT_TRUE(engine.initialize());
    EXPECT_EQ(engine.jobs.size(), 1u);
    engine.state = EngineState::Stopped;
    EXPECT_TRUE(engine.reset());
    EXPECT_TRUE(engine.jobs.empty());
    EXPECT_EQ(engine.state, EngineState::Stopped);
}

TEST(ConvertCoreTest, SetJobProgressClampsAndIgnoresBadIndices) {
    struct Case {
        int32_t percent;
        int32_t index;
        int32_t expectFirst;
        int32_t expectSecond;
    };
    const Case cases[] = {
        {50, 0, 50, 7}, {150, 0, 100, 7}, {-5, 0, 0, 7},          {100, 1, 7, 100},
        {42, 2, 7, 7},  {42, -1, 7, 7},   {INT32_MAX, 1, 7, 100}, {INT32_MIN, 0, 0, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.percent << " at " << c.index);
        ConvertCore engine;
        engine.addJob(L"first.flac");
        engine.addJob(L"second.flac");
        engine.jobs[0]->percent = 7;
        engine.jobs[1]->percent = 7;
        engine.setJobProgress(c.percent, c.index);
        EXPECT_EQ(percentOf(engine, 0), c.expectFirst);
        EXPECT_EQ(percentOf(engine, 1), c.expectSecond);
    }
}

TEST(ConvertCoreTest, CountCompletedCountsOnlyExactHundred) {
    ConvertCore engine;
    EXPECT_EQ(engine.countCompleted(), 0);
    const int32_t percents[] = {100, 99, 0, 100, 1};
    for (int32_t i = 0; i < 5; ++i) {
        engine.addJob(std::to_wstring(i).c_str());
        engine.setJobProgress(percents[i], i);
    }
    EXPECT_EQ(engine.countCompleted(), 2);
}

TEST(ConvertCoreTest, GetCurrentJobCopiesTheCurrentJobOnly) {
    ConvertCore engine;
    engine.addJob(L"a.flac");
    engine.addJob(L"b.flac");
    ConvertJob job;
    job.sourcePath = L"untouched";
    EXPECT_FALSE(engine.getCurrentJob(job));
    EXPECT_EQ(job.sourcePath, L"untouched");

    engine.jobs[1]->outputPath = L"out\\b.mp3";
    engine.jobs[1]->duration = 205;
    engine.jobs[1]->percent = 40;
    engine.currentIndex = 1;
    ASSERT_TRUE(engine.getCurrentJob(job));
    EXPECT_EQ(job.index, 1);
    EXPECT_EQ(job.sourcePath, L"b.flac");
    EXPECT_EQ(job.outputPath, L"out\\b.mp3");
    EXPECT_EQ(job.duration, 205);
    EXPECT_EQ(job.percent, 40);
}

// A writer thread moves the percentage and the output path of the current job
// under the lock while this thread takes snapshots; every snapshot must be one
// consistent state, never half of one write and half of the next.
TEST(ConvertCoreTest, SnapshotIsNeverTornByConcurrentWrites) {
    ConvertCore engine;
    engine.addJob(L"C:\\in\\long source path for the snapshot test.flac");
    engine.currentIndex = 0;
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int round = 0; round < 3000; ++round) {
            const int32_t percent = round % 101;
            {
                // The worker's per-job setup writes strings under the lock too.
                ::WaitForSingleObject(engine.queueLock.get(), INFINITE);
                engine.jobs[0]->outputPath.assign(static_cast<size_t>(percent) + 1,
                                                  static_cast<wchar_t>(L'a' + percent % 26));
                engine.jobs[0]->duration = percent;
                ::SetEvent(engine.queueLock.get());
            }
            engine.setJobProgress(percent, 0);
        }
        done = true;
    });
    int snapshots = 0;
    while (!done) {
        ConvertJob job;
        ASSERT_TRUE(engine.getCurrentJob(job));
        const size_t length = job.outputPath.size();
        if (length == 0) {
            continue;  // before the first write
        }
        ASSERT_EQ(job.outputPath, std::wstring(length, job.outputPath[0]));
        ASSERT_EQ(job.outputPath[0], static_cast<wchar_t>(L'a' + job.duration % 26));
        ASSERT_EQ(static_cast<size_t>(job.duration) + 1, length);
        ASSERT_GE(job.percent, 0);
        ASSERT_LE(job.percent, 100);
        ++snapshots;
    }
    writer.join();
    EXPECT_GT(snapshots, 0);
}

}  // namespace
