#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/BatchScript.h"
#include "utils/unique_resource.h"

// The run state. The numeric order matters: a stop request waits while the
// state is at most StopRequested.
enum class EngineState : int32_t {
    Idle = 0,
    Running = 1,
    StopRequested = 2,
    Stopped = 3,
    Completed = 4,
};

// One queued source file.
struct ConvertJob {
    int32_t index = 0;  // position in the queue
    std::wstring sourcePath;
    std::wstring outputPath;  // empty until the worker reaches the job
    int32_t duration = 0;     // whole seconds; 0 until probed
    int32_t percent = 0;      // 0..100; 100 means done
};

// Asked on the worker thread before an existing output is replaced. The only
// code is kOverwriteQuestion; only the answer 1 allows the replacement.
using OverwriteCallback = int32_t (*)(int32_t code, INT_PTR context);
constexpr int32_t kOverwriteQuestion = 1;
constexpr int32_t kOverwriteAllowed = 1;

// The conversion engine: the settings of a run, the job queue, the run state
// and the lock the user-interface thread shares with the worker thread.
//
// The queue and the four settings may change only while no worker runs.
class ConvertCore {
  public:
    ConvertCore();
    virtual ~ConvertCore();

    virtual bool initialize();
    virtual bool reset();
    // Converts one file on the worker thread.
    virtual bool convert(const std::wstring& sourcePath, const std::wstring& outputPath);
    // Begins a run on a new worker thread.
    virtual bool start();
    // Called on the worker thread once a run has reached its final state.
    virtual void onFinished();

    // Asks a running conversion to stop after the file in hand; waits up to a
    // second for the worker to end. The outcome is read from state.
    void requestStop();
    // True while a worker thread of an earlier run has not yet ended.
    bool isWorkerRunning() const;
    // Blocks until the worker thread, if any, has ended.
    void waitForWorker();

    bool addJob(const wchar_t* path);
    bool clearJobs();
    // Copies the current job into job; false (job untouched) when there is none.
    bool getCurrentJob(ConvertJob& job);
    void setJobProgress(int32_t percent, int32_t index);
    int32_t countCompleted();

    // The worker: its thread entry (receives the engine) and the loop over the queue.
    static DWORD WINAPI threadEntry(LPVOID engine);
    void runProc();
    // The output path of sourcePath in folder, with outputExt.
    std::wstring makeOutputPath(const std::wstring& sourcePath, const std::wstring& folder) const;

    // Writes a conversion script (outputPath given) or a probe script (outputPath
    // null, arguments unused) and returns its path; empty when it cannot be written.
    std::wstring writeBatchScript(const std::wstring& sourcePath,
                                  const wchar_t* arguments,
                                  const wchar_t* outputPath);
    // Runs a conversion script, handing its console output to parseProgressOutput
    // while parsing is set; false when the child cannot be started.
    bool runProcess(const std::wstring& scriptPath);
    // Takes in what the converter's output pipe holds without ever blocking.
    void readProcessOutput(HANDLE pipe);
    // Runs a probe script; text (when given) receives its captured error output.
    bool runProcess2(const std::wstring& scriptPath, std::string* text);
    // The source's duration in whole seconds from a probe; 0 when not found.
    int32_t probeDuration(const std::wstring& sourcePath);
    // Moves the current job's percent by the first "time=" of each completed line.
    void parseProgressOutput(const char* chunk);

    ConvertCore(const ConvertCore&) = delete;
    ConvertCore& operator=(const ConvertCore&) = delete;

    // Auto-reset event created signalled: waiting takes it, SetEvent frees it.
    utils::unique_handle queueLock;
    utils::unique_handle workerThread;
    std::wstring corePath;
    std::wstring outputDir;
    std::wstring arguments;
    std::wstring outputExt;
    std::vector<std::unique_ptr<ConvertJob>> jobs;
    std::map<std::wstring, ConvertJob*> jobsByPath;
    // Both threads read and write these without the lock.
    std::atomic<EngineState> state{EngineState::Idle};
    std::atomic<int32_t> currentIndex{-1};
    bool parsing = false;  // worker thread only
    OverwriteCallback overwriteCallback = nullptr;
    INT_PTR callbackContext = 0;

  private:
    void deleteJobs();
    void deleteScript(const std::wstring& scriptPath);
    // Drops the child's output for periodMs or until the child ends; returns
    // the wait result for the child (WAIT_TIMEOUT while it still runs).
    DWORD discardProcessOutput(HANDLE pipe, HANDLE process, DWORD periodMs);

    // Converter output since the last completed line. Per engine, and emptied
    // when a conversion starts, so no file's leftovers reach the next one.
    std::string pendingOutput;
    // The variables each written script expects in its child's environment.
    std::map<std::wstring, script::Variables> scriptVariables;
    // Set when a stop request reached the file in hand (during its probe or
    // after "q" was sent): the job is not a converted file.
    bool conversionInterrupted = false;
};
