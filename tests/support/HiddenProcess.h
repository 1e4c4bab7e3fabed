#pragma once

// Starting a console program with no window and waiting for it, for the tests
// and the benchmark alike.
#include <windows.h>

#include <string>

#include "utils/unique_resource.h"

namespace testsupport {

// Runs commandLine hidden, with NUL as its standard input, and waits for it.
// With output, what it prints on its standard output and error is collected
// there; without, both go to NUL. Returns the exit code, or -1 when it cannot
// be started or its exit code cannot be read.
inline int runAndWait(std::wstring commandLine, std::string* output = nullptr) {
    SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
    utils::unique_hfile nul(::CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                                          OPEN_EXISTING, 0, nullptr));
    utils::unique_handle readEnd;
    utils::unique_handle writeEnd;
    if (output) {
        if (!::CreatePipe(readEnd.put(), writeEnd.put(), &inheritable, 0)) {
            return -1;
        }
        ::SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);
    }
    const HANDLE printed = output ? writeEnd.get() : nul.get();
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nul.get();
    startup.hStdOutput = printed;
    startup.hStdError = printed;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                          nullptr, nullptr, &startup, &info)) {
        return -1;
    }
    utils::unique_handle process(info.hProcess);
    utils::unique_handle thread(info.hThread);
    if (output) {
        // Only the child may hold the write end, or the reads never see its end.
        writeEnd.reset();
        std::string collected;
        char buffer[4096];
        DWORD read = 0;
        while (::ReadFile(readEnd.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) {
            collected.append(buffer, read);
        }
        *output = collected;
    }
    ::WaitForSingleObject(process.get(), INFINITE);
    DWORD code = 0;
    if (!::GetExitCodeProcess(process.get(), &code)) {
        return -1;
    }
    return static_cast<int>(code);
}

}  // namespace testsupport
