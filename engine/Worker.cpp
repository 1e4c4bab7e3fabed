#include <windows.h>

#include <cstdio>
#include <string>

#include "engine/ConvertCore.h"
#include "engine/OutputNaming.h"
#include "utils/event_lock.h"

namespace {

constexpr DWORD kStopPollMs = 100;
constexpr DWORD kStopWaitMs = 1000;

}  // namespace

bool ConvertCore::start() {
    // One run at a time: a stopped run may still be finishing its file.
    waitForWorker();
    workerThread.reset();
    const EngineState previous = state;
    state = EngineState::Running;
    workerThread.reset(::CreateThread(nullptr, 0, threadEntry, this, 0, nullptr));
    if (!workerThread) {
        state = previous;
        return false;
    }
    return true;
}

DWORD WINAPI ConvertCore::threadEntry(LPVOID engine) {
    if (engine) {
        static_cast<ConvertCore*>(engine)->runProc();
    }
    return 0;
}

void ConvertCore::runProc() {
    for (int32_t i = 0; static_cast<size_t>(i) < jobs.size(); ++i) {
        if (state != EngineState::Running) {
            break;
        }
        char line[64];
        std::snprintf(line, sizeof(line), "----- runProc : %ld -----\n", static_cast<long>(i));
        ::OutputDebugStringA(line);

        std::wstring sourcePath;
        std::wstring outputPath;
        {
            utils::EventLock lock(queueLock.get());
            sourcePath = jobs[i]->sourcePath;
            outputPath = makeOutputPath(sourcePath, outputDir);
            jobs[i]->outputPath = outputPath;
            currentIndex = i;
        }
        setJobProgress(0, i);

        // The converter is never asked to write over its own input.
        if (isSameFile(sourcePath, outputPath)) {
            setJobProgress(100, i);
            continue;
        }
        bool convertIt = true;
        if (fileExists(outputPath)) {
            convertIt = overwriteCallback &&
                        overwriteCallback(kOverwriteQuestion, callbackContext) == kOverwriteAllowed;
        }
        bool interrupted = false;
        if (convertIt && state == EngineState::Running) {
            ::OutputDebugStringA("runProc : convert\n");
            convert(sourcePath, outputPath);
            interrupted = conversionInterrupted;
        }
        setJobProgress(!interrupted && fileExists(outputPath) ? 100 : 0, i);
    }

    EngineState expected = EngineState::Running;
    if (!state.compare_exchange_strong(expected, EngineState::Completed)) {
        state = EngineState::Stopped;
    }
    onFinished();
    currentIndex = -1;
}

void ConvertCore::requestStop() {
    EngineState expected = EngineState::Running;
    state.compare_exchange_strong(expected, EngineState::StopRequested);
    ::Sleep(kStopPollMs);
    for (DWORD slept = kStopPollMs; slept < kStopWaitMs && state <= EngineState::StopRequested;
         slept += kStopPollMs) {
        ::Sleep(kStopPollMs);
    }
}

bool ConvertCore::isWorkerRunning() const {
    return workerThread && ::WaitForSingleObject(workerThread.get(), 0) == WAIT_TIMEOUT;
}

void ConvertCore::waitForWorker() {
    // The worker itself (a hook run on it) must not wait for its own end.
    if (!workerThread || ::GetThreadId(workerThread.get()) == ::GetCurrentThreadId()) {
        return;
    }
    ::WaitForSingleObject(workerThread.get(), INFINITE);
}
