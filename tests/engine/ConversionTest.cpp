// The engine end to end without a window: scripts, converter processes, the
// worker. The real Windows FFmpeg where a user meets it, the fake converter
// where a case needs exact control of timing and output.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <iostream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/BatchScript.h"
#include "engine/ConvertCore.h"
#include "engine/ConverterTool.h"
#include "tests/engine/EngineTestSupport.h"
#include "utils/unique_resource.h"

namespace {

using testsupport::exists;
using testsupport::readFile;
using testsupport::TempFolder;
using testsupport::waitFor;
using testsupport::writeFile;

constexpr wchar_t kPresetArguments[] = L"-acodec libmp3lame -b:a 160k -ac 2 -ar 44100";
constexpr wchar_t kFakeExe[] = L"fake_converter.exe";
constexpr char kFakeOutput[] = "converted by the fake\n";
// Generous bounds for conditions on a loaded two-core machine.
constexpr DWORD kRunTimeoutMs = 120000;

std::set<std::wstring> filesMatching(const std::wstring& folder, const wchar_t* pattern) {
    std::set<std::wstring> names;
    WIN32_FIND_DATAW found;
    utils::unique_hfind search(::FindFirstFileW((folder + L"\\" + pattern).c_str(), &found));
    if (search) {
        do {
            names.insert(folder + L"\\" + found.cFileName);
        } while (::FindNextFileW(search.get(), &found));
    }
    return names;
}

// Every script and probe log there is now.
std::set<std::wstring> temporaryFiles() {
    std::set<std::wstring> files = filesMatching(script::scriptFolder(), L"rorez*.bat");
    const std::set<std::wstring> logs = filesMatching(script::appDataFolder(), L"nyvrel*.txt");
    files.insert(logs.begin(), logs.end());
    return files;
}

// Counts the end-of-run hook and waits for its worker before its own parts go.
class TestEngine : public ConvertCore {
  public:
    ~TestEngine() override {
        EngineState expected = EngineState::Running;
        state.compare_exchange_strong(expected, EngineState::StopRequested);
        waitForWorker();
    }
    void onFinished() override { ++finished; }
    std::atomic<int> finished{0};
};

struct CallbackLog {
    int32_t answer = 0;
    int calls = 0;
    std::wstring askedFor;
    ConvertCore* engine = nullptr;
};

int32_t answerOverwrite(int32_t code, INT_PTR context) {
    auto* log = reinterpret_cast<CallbackLog*>(context);
    ++log->calls;
    ConvertJob job;
    if (code == kOverwriteQuestion && log->engine->getCurrentJob(job)) {
        log->askedFor = job.outputPath;
    }
    return log->answer;
}

class ConversionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        before = temporaryFiles();
        source = std::make_unique<TempFolder>(L"-src");
        output = std::make_unique<TempFolder>(L"-out");
        engine = std::make_unique<TestEngine>();
        engine->corePath = testsupport::fakeConverterPath();
        engine->outputDir = output->path();
        engine->arguments = kPresetArguments;
        engine->outputExt = L"mp3";
    }

    void TearDown() override {
        engine.reset();
        std::set<std::wstring> left = temporaryFiles();
        for (const std::wstring& file : before) {
            left.erase(file);
        }
        for (const std::wstring& file : left) {
            ADD_FAILURE() << "left behind: " << testsupport::narrow(file);
        }
        EXPECT_TRUE(waitFor([] { return testsupport::processCount(kFakeExe) == 0; }, 30000))
            << "a converter outlived its run";
    }

    // A source file for the fake converter, which reads its mode from it.
    std::wstring fakeSource(const std::wstring& name, const char* mode) {
        const std::wstring path = source->path() + L"\\" + name;
        writeFile(path, mode);
        return path;
    }

    std::wstring outputOf(const std::wstring& name) const { return output->path() + L"\\" + name; }

    bool runEnded() const {
        return engine->state >= EngineState::Stopped && !engine->isWorkerRunning();
    }

    void runToEnd() {
        ASSERT_TRUE(engine->start());
        ASSERT_TRUE(waitFor([this] { return runEnded(); }, kRunTimeoutMs));
    }

    int32_t percent(size_t index) const { return engine->jobs.at(index)->percent; }

    std::set<std::wstring> before;
    std::unique_ptr<TempFolder> source;
    std::unique_ptr<TempFolder> output;
    std::unique_ptr<TestEngine> engine;
};

TEST_F(ConversionTest, RealConverterConvertsARunOfThree) {
    engine->corePath = testsupport::ffmpegPath();
    ASSERT_TRUE(exists(engine->corePath)) << "VELQUORN_FFMPEG must name the Windows FFmpeg";
    const std::wstring tagged = source->path() + L"\\tagged.flac";
    ASSERT_TRUE(testsupport::makeFlac(source->path() + L"\\one.flac", 2));
    ASSERT_TRUE(testsupport::makeFlac(
        tagged, 3, L"-metadata title=\"Velquorn Tone\" -metadata artist=\"Tovarel Voviz\""));
    ASSERT_TRUE(testsupport::makeFlac(source->path() + L"\\three.flac", 2));
    for (const wchar_t* name : {L"one.flac", L"tagged.flac", L"three.flac"}) {
        engine->addJob((source->path() + L"\\" + name).c_str());
    }

    runToEnd();
    EXPECT_EQ(engine->state, EngineState::Completed);
    EXPECT_EQ(engine->finished, 1);
    EXPECT_EQ(engine->currentIndex, -1);
    const int32_t durations[] = {2, 3, 2};
    const wchar_t* outputs[] = {L"one.mp3", L"tagged.mp3", L"three.mp3"};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(percent(i), 100) << i;
        EXPECT_EQ(engine->jobs[i]->duration, durations[i]) << "probed duration of job " << i;
        EXPECT_EQ(engine->jobs[i]->outputPath, outputOf(outputs[i]));
        EXPECT_GT(readFile(outputOf(outputs[i])).size(), 1000u) << "an MP3 of some seconds";
    }
    EXPECT_EQ(engine->countCompleted(), 3);

    std::string report;
    testsupport::runAndWait(
        L"\"" + engine->corePath + L"\" -hide_banner -i \"" + outputOf(L"tagged.mp3") + L"\"",
        &report);
    std::cout << "What the MP3 carries over:\n" << report << std::endl;
    EXPECT_NE(report.find("Velquorn Tone"), std::string::npos) << "the title tag";
    EXPECT_NE(report.find("Tovarel Voviz"), std::string::npos) << "the artist tag";
    EXPECT_NE(report.find("Audio: mp3, 44100 Hz, stereo"), std::string::npos);
    EXPECT_NE(report.find("160 kb/s"), std::string::npos);
}

TEST_F(ConversionTest, PathsOutsidePlainAsciiReachTheConverterWhole) {
    const struct {
        bool realConverter;
        const wchar_t* converterFolder;  // empty: the converter where it lies
        const wchar_t* sourceName;
        const wchar_t* outputFolder;
    } cases[] = {
        {true, L"", L"Bj\u00f6rk \u2013 \u97f3\u697d.flac", L"Jos\u00e9 \u97f3"},
        {false, L"core Jos\u00e9 \u97f3", L"plain.flac", L"plain"},
        {true, L"", L"100% %PATH% caf\u00e9.flac", L"50% off"},
        {false, L"core 100%", L"a^b.flac", L"x^y"},
        {false, L"", L"wow!.flac", L"x!y"},
    };
    // Not here: "!" in a script that also names a "%" path. Wine's cmd
    // rescans a !NAME! value for "!" (Windows' cmd does not), so under Wine
    // that one combination still arrives mangled.
    for (const auto& c : cases) {
        SCOPED_TRACE(testsupport::narrow(c.sourceName));
        std::wstring converter =
            c.realConverter ? testsupport::ffmpegPath() : testsupport::fakeConverterPath();
        TempFolder core;
        if (*c.converterFolder) {
            const std::wstring folder = core.path() + L"\\" + c.converterFolder;
            ::CreateDirectoryW(folder.c_str(), nullptr);
            const std::wstring copy = folder + L"\\" + converter::kExecutableName;
            ASSERT_TRUE(::CopyFileW(converter.c_str(), copy.c_str(), FALSE));
            converter = copy;
        }
        const std::wstring folder = output->path() + L"\\" + c.outputFolder;
        ::CreateDirectoryW(folder.c_str(), nullptr);
        const std::wstring sourcePath = source->path() + L"\\" + c.sourceName;
        if (c.realConverter) {
            ASSERT_TRUE(testsupport::makeFlac(sourcePath, 2));
        } else {
            writeFile(sourcePath, "normal");
        }
        ASSERT_TRUE(engine->clearJobs());
        engine->corePath = converter;
        engine->outputDir = folder;
        engine->addJob(sourcePath.c_str());

        runToEnd();
        const std::wstring expected =
            folder + L"\\" + std::wstring(c.sourceName).substr(0, wcslen(c.sourceName) - 4) +
            L"mp3";
        EXPECT_EQ(engine->jobs[0]->outputPath, expected);
        EXPECT_EQ(percent(0), 100);
        EXPECT_GT(readFile(expected).size(), 0u) << "the converter wrote the output it was named";
        EXPECT_GT(engine->jobs[0]->duration, 0) << "the probe reached the source";
    }
}

TEST_F(ConversionTest, StopWhileTheSecondOfThreeConverts) {
    engine->addJob(fakeSource(L"a.flac", "normal").c_str());
    engine->addJob(fakeSource(L"b.flac", "hold").c_str());
    engine->addJob(fakeSource(L"c.flac", "normal").c_str());
    ASSERT_TRUE(engine->start());
    // The fake reports 3 of its 10 seconds, then waits for "q".
    ASSERT_TRUE(
        waitFor([this] { return engine->currentIndex == 1 && percent(1) == 30; }, kRunTimeoutMs))
        << "the percentage follows the converter's progress lines";
    EXPECT_EQ(percent(0), 100);

    engine->requestStop();
    ASSERT_TRUE(waitFor([this] { return runEnded(); }, kRunTimeoutMs));
    EXPECT_EQ(engine->state, EngineState::Stopped);
    EXPECT_EQ(engine->finished, 1);
    EXPECT_TRUE(exists(outputOf(L"b.mp3.gotq"))) << "the converter was told to stop";
    EXPECT_FALSE(exists(outputOf(L"b.mp3"))) << "an interrupted output is not kept";
    EXPECT_EQ(percent(1), 0) << "an interrupted file is not counted as converted";
    EXPECT_EQ(percent(2), 0);
    EXPECT_TRUE(engine->jobs[2]->outputPath.empty()) << "the job after the stop is not touched";
    EXPECT_FALSE(exists(outputOf(L"c.mp3.started")));
    EXPECT_EQ(engine->countCompleted(), 1);
    EXPECT_EQ(engine->currentIndex, -1);
}

TEST_F(ConversionTest, AProgressLineSplitAcrossReadsCounts) {
    // The fake writes the line for 5 of its 10 seconds in two parts a second
    // apart, then waits for "q".
    engine->addJob(fakeSource(L"a.flac", "split").c_str());
    ASSERT_TRUE(engine->start());
    EXPECT_TRUE(waitFor([this] { return percent(0) == 50; }, kRunTimeoutMs));
    engine->requestStop();
    ASSERT_TRUE(waitFor([this] { return runEnded(); }, kRunTimeoutMs));
    EXPECT_EQ(percent(0), 0);
}

TEST_F(ConversionTest, StopDuringTheProbeStartsNoConversion) {
    CallbackLog log{1, 0, L"", engine.get()};
    engine->overwriteCallback = answerOverwrite;
    engine->callbackContext = reinterpret_cast<INT_PTR>(&log);
    writeFile(outputOf(L"a.mp3"), "the user's earlier file");
    engine->addJob(fakeSource(L"a.flac", "silentprobe").c_str());
    engine->addJob(fakeSource(L"b.flac", "normal").c_str());
    ASSERT_TRUE(engine->start());
    ASSERT_TRUE(waitFor([] { return testsupport::processCount(kFakeExe) == 1; }, kRunTimeoutMs))
        << "the probe is running";
    EXPECT_EQ(log.calls, 1);

    engine->requestStop();
    ASSERT_TRUE(waitFor([this] { return runEnded(); }, kRunTimeoutMs))
        << "the probe's wait ends with the stop request";
    EXPECT_EQ(engine->state, EngineState::Stopped);
    EXPECT_EQ(readFile(outputOf(L"a.mp3")), "the user's earlier file")
        << "no conversion replaced the existing output";
    EXPECT_FALSE(exists(outputOf(L"a.mp3.started")));
    EXPECT_EQ(percent(0), 0);
    EXPECT_EQ(engine->jobs[0]->duration, 0);
    EXPECT_TRUE(engine->jobs[1]->outputPath.empty());
}

TEST_F(ConversionTest, MissingConverterOrOutputFolderEndsTheJobAtZero) {
    const struct {
        const wchar_t* what;
        bool missingConverter;
    } cases[] = {{L"converter", true}, {L"output folder", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testsupport::narrow(c.what));
        ASSERT_TRUE(engine->clearJobs());
        engine->corePath = c.missingConverter ? source->path() + L"\\core\\nyvrel.exe"
                                              : testsupport::fakeConverterPath();
        engine->outputDir = c.missingConverter ? output->path() : output->path() + L"\\absent";
        engine->addJob(fakeSource(L"a.flac", "normal").c_str());
        engine->addJob(fakeSource(L"b.flac", "normal").c_str());
        runToEnd();
        EXPECT_EQ(engine->state, EngineState::Completed);
        for (size_t i = 0; i < 2; ++i) {
            EXPECT_EQ(percent(i), 0) << "every job is tried and fails alone";
            EXPECT_FALSE(exists(engine->jobs[i]->outputPath));
        }
        EXPECT_EQ(engine->jobs[0]->duration, c.missingConverter ? 0 : 10);
    }
}

TEST_F(ConversionTest, ExistingOutputIsReplacedOnlyOnTheCallbacksWord) {
    const struct {
        bool installed;
        int32_t answer;
        const char* content;
    } cases[] = {
        {true, 1, kFakeOutput},
        {true, 0, "kept"},
        {true, 2, "kept"},
        {false, 1, "kept"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.installed) + " " + std::to_string(c.answer));
        ASSERT_TRUE(engine->clearJobs());
        CallbackLog log{c.answer, 0, L"", engine.get()};
        engine->overwriteCallback = c.installed ? answerOverwrite : nullptr;
        engine->callbackContext = reinterpret_cast<INT_PTR>(&log);
        writeFile(outputOf(L"a.mp3"), "kept");
        engine->addJob(fakeSource(L"a.flac", "normal").c_str());
        runToEnd();
        EXPECT_EQ(readFile(outputOf(L"a.mp3")), c.content);
        EXPECT_EQ(percent(0), 100) << "a kept output counts as done";
        EXPECT_EQ(log.calls, c.installed ? 1 : 0);
        if (c.installed) {
            EXPECT_EQ(log.askedFor, outputOf(L"a.mp3")) << "the question names the output";
        }
    }
}

TEST_F(ConversionTest, ConverterThatIgnoresTheStopIsEnded) {
    engine->addJob(fakeSource(L"a.flac", "ignoreq").c_str());
    ASSERT_TRUE(engine->start());
    ASSERT_TRUE(waitFor([this] { return percent(0) == 30; }, kRunTimeoutMs));
    const ULONGLONG requested = ::GetTickCount64();
    engine->requestStop();
    EXPECT_EQ(engine->state, EngineState::StopRequested) << "it is still refusing to end";
    ASSERT_TRUE(waitFor([this] { return runEnded(); }, kRunTimeoutMs));
    EXPECT_GE(::GetTickCount64() - requested, 9500u) << "ten seconds of grace after the first q";
    EXPECT_EQ(engine->state, EngineState::Stopped);
    EXPECT_EQ(testsupport::processCount(kFakeExe), 0) << "the converter was ended with its cmd";
    EXPECT_FALSE(exists(outputOf(L"a.mp3")));
    EXPECT_EQ(percent(0), 0);
}

TEST_F(ConversionTest, QuietOrFloodingConverterHearsTheStopAndEndsByItself) {
    // A silent one is told at the first poll after the request, however long
    // it has been quiet; a flooding one is drained, so it is not held by a
    // full pipe while it prints on during its shutdown.
    for (const char* mode : {"silent", "flood"}) {
        SCOPED_TRACE(mode);
        ASSERT_TRUE(engine->clearJobs());
        engine->addJob(fakeSource(L"a.flac", mode).c_str());
        ASSERT_TRUE(engine->start());
        ASSERT_TRUE(waitFor([this] { return exists(outputOf(L"a.mp3.started")); }, kRunTimeoutMs));
        engine->requestStop();
        ASSERT_TRUE(waitFor([this] { return runEnded(); }, kRunTimeoutMs));
        EXPECT_TRUE(exists(outputOf(L"a.mp3.gotq")));
        EXPECT_TRUE(exists(outputOf(L"a.mp3.done"))) << "it ended by itself, not by the kill";
        EXPECT_FALSE(exists(outputOf(L"a.mp3")));
        EXPECT_EQ(percent(0), 0);
        for (const wchar_t* marker : {L"a.mp3.started", L"a.mp3.gotq", L"a.mp3.done"}) {
            ::DeleteFileW(outputOf(marker).c_str());
        }
    }
}

TEST_F(ConversionTest, CrashingOrQuittingConverterFailsItsJobOnly) {
    engine->addJob(fakeSource(L"a.flac", "crash").c_str());
    engine->addJob(fakeSource(L"b.flac", "quit").c_str());
    engine->addJob(fakeSource(L"c.flac", "normal").c_str());
    runToEnd();
    EXPECT_EQ(engine->state, EngineState::Completed);
    EXPECT_EQ(percent(0), 0);
    EXPECT_EQ(percent(1), 0);
    EXPECT_EQ(percent(2), 100);
    EXPECT_EQ(readFile(outputOf(L"c.mp3")), kFakeOutput);
}

TEST_F(ConversionTest, TheSameFileUnderAnotherSpellingIsNeverConverted) {
    const std::wstring music = source->path() + L"\\Music";
    ::CreateDirectoryW(music.c_str(), nullptr);
    const std::wstring song = music + L"\\Song.mp3";
    std::wstring upper = source->path();
    for (wchar_t& ch : upper) {
        ch = towupper(ch);
    }
    const std::wstring folders[] = {music, upper + L"\\MUSIC", music + L"\\sub\\..",
                                    music + L"\\."};
    ::CreateDirectoryW((music + L"\\sub").c_str(), nullptr);
    for (const std::wstring& folder : folders) {
        SCOPED_TRACE(testsupport::narrow(folder));
        ASSERT_TRUE(engine->clearJobs());
        CallbackLog log{1, 0, L"", engine.get()};
        engine->overwriteCallback = answerOverwrite;
        engine->callbackContext = reinterpret_cast<INT_PTR>(&log);
        engine->outputDir = folder;
        writeFile(song, "normal");
        engine->addJob(song.c_str());
        runToEnd();
        EXPECT_EQ(percent(0), 100);
        EXPECT_EQ(log.calls, 0) << "no question about overwriting the source";
        EXPECT_EQ(readFile(song), "normal") << "the converter never wrote over its input";
        EXPECT_FALSE(exists(music + L"\\Song.mp3.started"));
    }
}

TEST_F(ConversionTest, ALineCutOffInOneFileDoesNotMoveTheNext) {
    engine->addJob(fakeSource(L"a.flac", "normal").c_str());
    engine->addJob(fakeSource(L"b.flac", "quit").c_str());
    engine->state = EngineState::Running;
    engine->currentIndex = 0;
    engine->jobs[0]->duration = 10;
    engine->parseProgressOutput("size=  100 kB time=00:00:09.00 bitrate= 160.0kbits/s");
    EXPECT_EQ(percent(0), 0) << "the line has not ended yet";

    engine->currentIndex = 1;
    ASSERT_TRUE(engine->convert(engine->jobs[1]->sourcePath, outputOf(L"b.mp3")));
    ASSERT_EQ(engine->jobs[1]->duration, 10);
    engine->parseProgressOutput("Press [q] to stop\r");
    EXPECT_EQ(percent(1), 0) << "the first file's leftover moved the second file";
    engine->state = EngineState::Completed;
    engine->currentIndex = -1;
}

TEST_F(ConversionTest, StartWaitsForTheWorkerOfAStoppedRun) {
    const std::wstring a = fakeSource(L"a.flac", "ignoreq");
    engine->addJob(a.c_str());
    ASSERT_TRUE(engine->start());
    ASSERT_TRUE(waitFor([this] { return percent(0) == 30; }, kRunTimeoutMs));
    engine->requestStop();
    ASSERT_EQ(engine->state, EngineState::StopRequested);
    ASSERT_TRUE(engine->isWorkerRunning());

    // At once a new run over the same queue, now with a converter that obeys.
    writeFile(a, "normal");
    ASSERT_TRUE(engine->start());
    ASSERT_TRUE(waitFor([this] { return runEnded(); }, kRunTimeoutMs));
    EXPECT_EQ(engine->state, EngineState::Completed) << "the old worker must not end the new run";
    EXPECT_EQ(engine->finished, 2);
    EXPECT_EQ(percent(0), 100);
    EXPECT_EQ(readFile(outputOf(L"a.mp3")), kFakeOutput);

    // And clearJobs waits for a worker before it empties the queue.
    engine->addJob(fakeSource(L"b.flac", "hold").c_str());
    ASSERT_TRUE(engine->start());
    ASSERT_TRUE(waitFor([this] { return exists(outputOf(L"b.mp3.started")); }, kRunTimeoutMs));
    engine->state = EngineState::StopRequested;
    EXPECT_TRUE(engine->clearJobs());
    EXPECT_FALSE(engine->isWorkerRunning());
    EXPECT_TRUE(engine->jobs.empty());
    EXPECT_EQ(engine->state, EngineState::Stopped);
}

TEST_F(ConversionTest, DestroyingTheEngineEndsItsRunFirst) {
    auto plain = std::make_unique<ConvertCore>();
    plain->corePath = testsupport::fakeConverterPath();
    plain->outputDir = output->path();
    plain->outputExt = L"mp3";
    plain->addJob(fakeSource(L"a.flac", "hold").c_str());
    plain->addJob(fakeSource(L"b.flac", "normal").c_str());
    ASSERT_TRUE(plain->start());
    ASSERT_TRUE(waitFor([this] { return exists(outputOf(L"a.mp3.started")); }, kRunTimeoutMs));
    plain.reset();
    EXPECT_EQ(testsupport::processCount(kFakeExe), 0);
    EXPECT_FALSE(exists(outputOf(L"a.mp3")));
    EXPECT_FALSE(exists(outputOf(L"b.mp3.started")));
}

TEST_F(ConversionTest, EmptyQueueCompletesAtOnce) {
    runToEnd();
    EXPECT_EQ(engine->state, EngineState::Completed);
    EXPECT_EQ(engine->finished, 1);
    EXPECT_EQ(engine->currentIndex, -1);
}

TEST_F(ConversionTest, RequestStopWaitsByState) {
    const struct {
        EngineState state;
        bool fullWait;
    } cases[] = {
        {EngineState::Idle, true},
        {EngineState::Completed, false},
        {EngineState::Stopped, false},
    };
    for (const auto& c : cases) {
        engine->state = c.state;
        const ULONGLONG start = ::GetTickCount64();
        engine->requestStop();
        const ULONGLONG waited = ::GetTickCount64() - start;
        EXPECT_EQ(engine->state, c.state) << "only a running state turns into a stop request";
        // Ten sleeps of 100 ms against one. The bounds leave room for a clock
        // that steps coarsely and for a loaded machine that oversleeps.
        if (c.fullWait) {
            EXPECT_GE(waited, 900u) << "an idle engine is waited on for the full second";
        } else {
            EXPECT_GE(waited, 50u) << "the first look comes after one sleep";
            EXPECT_LT(waited, 900u) << "an ended run is seen at the first look";
        }
    }
}

TEST_F(ConversionTest, ScriptsAreWrittenUnderTheirNamesWithTheirBytes) {
    engine->corePath = L"C:\\core\\nyvrel.exe";
    const std::wstring first =
        engine->writeBatchScript(L"D:\\m\\a.flac", kPresetArguments, L"D:\\o\\a.mp3");
    const std::wstring second =
        engine->writeBatchScript(L"D:\\m\\Bj\u00f6rk.flac", nullptr, nullptr);
    ASSERT_FALSE(first.empty());
    ASSERT_FALSE(second.empty());
    EXPECT_NE(first, second) << "two scripts in one tick get two names";
    const std::wstring folder = script::scriptFolder();
    for (const std::wstring& path : {first, second}) {
        EXPECT_EQ(path.rfind(folder + L"\\rorez", 0), 0u) << testsupport::narrow(path);
        EXPECT_EQ(path.substr(path.size() - 4), L".bat");
    }
    const std::string acp = std::to_string(::GetACP());
    EXPECT_EQ(readFile(first), "chcp " + acp +
                                   "\r\n\r\n\"C:\\core\\nyvrel.exe\" -y -i \"D:\\m\\a.flac\" "
                                   "-acodec libmp3lame -b:a 160k -ac 2 -ar 44100 "
                                   "\"D:\\o\\a.mp3\"\r\n\r\ndel \"" +
                                   testsupport::narrow(first) + "\"");
    EXPECT_EQ(readFile(second), "chcp " + acp +
                                    "\r\n\r\n\"C:\\core\\nyvrel.exe\" -i \"%VELQUORN_SOURCE%\""
                                    "\r\n\r\ndel \"" +
                                    testsupport::narrow(second) + "\"");
    ::DeleteFileW(first.c_str());
    ::DeleteFileW(second.c_str());
}

}  // namespace
