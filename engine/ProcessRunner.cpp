#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/BatchScript.h"
#include "engine/ConvertCore.h"
#include "engine/ConverterTool.h"
#include "utils/unique_resource.h"

namespace {

constexpr DWORD kConversionPollMs = 300;
constexpr DWORD kProbePollMs = 100;
constexpr DWORD kReadChunkSize = 4096;
constexpr DWORD kLogPieceSize = 256;
// A converter that has not ended this long after the first "q" is ended.
constexpr ULONGLONG kStopGraceMs = 10000;
// Bounds on one poll's reading, so a converter that never stops printing
// cannot keep the loop from looking at the state.
constexpr int kMaxChunksPerPoll = 16;
// While output is dropped, the pause between looks at an empty pipe.
constexpr DWORD kDrainIdleMs = 5;
// How long the processes of an ended script may take to go away before its
// files are read and deleted.
constexpr DWORD kProcessEndWaitMs = 5000;
constexpr DWORD kProcessEndPollMs = 10;

void trace(const char* text) {
    ::OutputDebugStringA(text);
}

// A started script: cmd and everything it starts run in one job object that
// ends them all when the last handle to it closes.
struct ChildProcess {
    utils::unique_handle job;
    utils::unique_handle process;
    utils::unique_handle thread;
};

utils::unique_handle createKillOnCloseJob() {
    utils::unique_handle job(::CreateJobObjectW(nullptr, nullptr));
    if (job) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        ::SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits,
                                  sizeof(limits));
    }
    return job;
}

bool startChild(std::wstring commandLine,
                STARTUPINFOW& startup,
                const script::Variables* variables,
                ChildProcess& child) {
    std::vector<wchar_t> environment;
    DWORD flags = CREATE_NO_WINDOW | CREATE_SUSPENDED;
    if (variables && !variables->empty()) {
        environment = script::environmentBlockWith(*variables);
        flags |= CREATE_UNICODE_ENVIRONMENT;
    }
    child.job = createKillOnCloseJob();
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, flags,
                          environment.empty() ? nullptr : environment.data(), nullptr, &startup,
                          &info)) {
        return false;
    }
    child.process.reset(info.hProcess);
    child.thread.reset(info.hThread);
    if (child.job) {
        ::AssignProcessToJobObject(child.job.get(), child.process.get());
    }
    ::ResumeThread(child.thread.get());
    return true;
}

// cmd can end before the converter it started, which inherited its handles
// (the script's redirection among them); a file they hold cannot be deleted.
void waitForJobToEmpty(HANDLE job) {
    if (!job) {
        return;
    }
    const ULONGLONG end = ::GetTickCount64() + kProcessEndWaitMs;
    for (;;) {
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
        if (!::QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &accounting,
                                         sizeof(accounting), nullptr) ||
            accounting.ActiveProcesses == 0 || ::GetTickCount64() >= end) {
            return;
        }
        ::Sleep(kProcessEndPollMs);
    }
}

DWORD bytesWaiting(HANDLE pipe) {
    DWORD waiting = 0;
    if (!pipe || !::PeekNamedPipe(pipe, nullptr, 0, nullptr, &waiting, nullptr)) {
        return 0;
    }
    return waiting;
}

std::wstring quoted(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

}  // namespace

void ConvertCore::readProcessOutput(HANDLE pipe) {
    const HANDLE ownOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
    trace("----------\n");
    char buffer[kReadChunkSize + 1];
    for (int chunk = 0; chunk < kMaxChunksPerPoll; ++chunk) {
        const DWORD waiting = bytesWaiting(pipe);
        DWORD read = 0;
        if (waiting == 0 ||
            !::ReadFile(pipe, buffer, std::min(waiting, kReadChunkSize), &read, nullptr) ||
            read == 0) {
            return;
        }
        buffer[read] = '\0';
        trace(buffer);
        if (parsing) {
            parseProgressOutput(buffer);
        }
        DWORD written = 0;
        if (!ownOutput || ownOutput == INVALID_HANDLE_VALUE ||
            !::WriteFile(ownOutput, buffer, read, &written, nullptr)) {
            return;
        }
    }
}

DWORD ConvertCore::discardProcessOutput(HANDLE pipe, HANDLE process, DWORD periodMs) {
    char buffer[kReadChunkSize];
    const ULONGLONG end = ::GetTickCount64() + periodMs;
    for (;;) {
        const DWORD waiting = bytesWaiting(pipe);
        DWORD read = 0;
        if (waiting > 0 &&
            ::ReadFile(pipe, buffer, std::min(waiting, kReadChunkSize), &read, nullptr) &&
            read > 0) {
            continue;
        }
        const ULONGLONG now = ::GetTickCount64();
        if (now >= end) {
            return ::WaitForSingleObject(process, 0);
        }
        const DWORD wait = ::WaitForSingleObject(
            process, static_cast<DWORD>(std::min<ULONGLONG>(end - now, kDrainIdleMs)));
        if (wait != WAIT_TIMEOUT) {
            return wait;
        }
    }
}

bool ConvertCore::runProcess(const std::wstring& scriptPath) {
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    utils::unique_handle outputRead;
    utils::unique_handle outputWrite;
    utils::unique_handle inputRead;
    utils::unique_handle inputWrite;
    if (!::CreatePipe(outputRead.put(), outputWrite.put(), &inheritable, 0)) {
        trace("StdoutRd CreatePipe");
        trace("\n");
    }
    if (!::SetHandleInformation(outputRead.get(), HANDLE_FLAG_INHERIT, 0)) {
        trace("Stdout SetHandleInformation");
        trace("\n");
    }
    if (!::CreatePipe(inputRead.put(), inputWrite.put(), &inheritable, 0)) {
        trace("Stdin CreatePipe");
        trace("\n");
    }
    if (!::SetHandleInformation(inputWrite.get(), HANDLE_FLAG_INHERIT, 0)) {
        trace("Stdin SetHandleInformation");
        trace("\n");
    }

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inputRead.get();
    startup.hStdOutput = outputWrite.get();
    startup.hStdError = outputWrite.get();
    const auto variables = scriptVariables.find(scriptPath);
    ChildProcess child;
    // Quoted: the script folder's name holds a blank, and an unquoted path
    // would let a program named after its first word run instead.
    if (scriptPath.empty() ||
        !startChild(quoted(scriptPath), startup,
                    variables == scriptVariables.end() ? nullptr : &variables->second, child)) {
        ::OutputDebugStringW(L"CreateProcess");
        ::OutputDebugStringW(L"\n");
        return false;
    }
    // Only the child holds its ends now, so reads see the end of its output.
    outputWrite.reset();
    inputRead.reset();
    trace("----- ConvertCore::runProcess -----\n");

    ULONGLONG firstStopTick = 0;
    bool ended = false;
    DWORD wait = ::WaitForSingleObject(child.process.get(), kConversionPollMs);
    while (wait == WAIT_TIMEOUT) {
        const EngineState now = state;
        if (now == EngineState::Running) {
            readProcessOutput(outputRead.get());
            wait = ::WaitForSingleObject(child.process.get(), kConversionPollMs);
            continue;
        }
        if (now == EngineState::StopRequested) {
            DWORD written = 0;
            ::WriteFile(inputWrite.get(), &converter::kStopByte, 1, &written, nullptr);
            conversionInterrupted = true;
            const ULONGLONG tick = ::GetTickCount64();
            if (firstStopTick == 0) {
                firstStopTick = tick;
            } else if (!ended && tick - firstStopTick >= kStopGraceMs) {
                trace("----- runProcess : converter ended -----\n");
                if (!child.job || !::TerminateJobObject(child.job.get(), 1)) {
                    ::TerminateProcess(child.process.get(), 1);
                }
                ended = true;
            }
        }
        // Whatever the converter prints while it shuts down must not fill the
        // pipe, so the poll interval is spent emptying it.
        wait = discardProcessOutput(outputRead.get(), child.process.get(), kConversionPollMs);
    }
    waitForJobToEmpty(child.job.get());
    child.process.reset();
    child.thread.reset();
    trace("----- runProcess : CloseHandle -----\n");
    return true;
}

bool ConvertCore::runProcess2(const std::wstring& scriptPath, std::string* text) {
    std::wstring logPath;
    const std::wstring appData = script::appDataFolder();
    const int32_t tick = static_cast<int32_t>(::GetTickCount());
    // Created empty here so no other probe, of this or another copy of the
    // program, can be given the same name; cmd's redirection replaces it.
    if (!script::createNumberedFile(appData, script::kLogPrefix, tick, script::kLogExtension,
                                    logPath)) {
        logPath =
            script::numberedFileName(appData, script::kLogPrefix, tick, script::kLogExtension);
    }
    const std::wstring commandLine = quoted(scriptPath) + L" 2> " + quoted(logPath);

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    const auto variables = scriptVariables.find(scriptPath);
    ChildProcess child;
    if (scriptPath.empty() ||
        !startChild(commandLine, startup,
                    variables == scriptVariables.end() ? nullptr : &variables->second, child)) {
        ::OutputDebugStringW(L"CreateProcess");
        ::OutputDebugStringW(L"\n");
        ::DeleteFileW(logPath.c_str());
        return false;
    }
    trace("----- ConvertCore::runProcess2 -----\n");
    DWORD wait = ::WaitForSingleObject(child.process.get(), kProbePollMs);
    while (wait == WAIT_TIMEOUT && state == EngineState::Running) {
        wait = ::WaitForSingleObject(child.process.get(), kProbePollMs);
    }
    if (wait == WAIT_TIMEOUT) {
        // A stop ends the job here: the probe's result is no longer wanted.
        if (!child.job || !::TerminateJobObject(child.job.get(), 1)) {
            ::TerminateProcess(child.process.get(), 1);
        }
        ::WaitForSingleObject(child.process.get(), kProcessEndWaitMs);
    }
    waitForJobToEmpty(child.job.get());
    child.process.reset();
    child.thread.reset();
    child.job.reset();
    trace("----- runProcess2 : CloseHandle -----\n");

    std::string collected;
    utils::unique_hfile log(::CreateFileW(logPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (log) {
        char piece[kLogPieceSize + 1];
        DWORD read = 0;
        while (::ReadFile(log.get(), piece, kLogPieceSize, &read, nullptr) && read > 0) {
            piece[read] = '\0';
            collected += piece;
        }
        log.reset();
    }
    if (text) {
        *text = collected;
    }
    ::DeleteFileW(logPath.c_str());
    return true;
}
