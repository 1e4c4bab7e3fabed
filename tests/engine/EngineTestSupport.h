#pragma once

// Helpers shared by the engine's tests: temporary folders, files, waiting for
// conditions, running programs and finding processes.
#include <windows.h>

#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "tests/support/HiddenProcess.h"
#include "utils/unique_resource.h"

namespace testsupport {

inline std::string narrow(const std::wstring& text) {
    if (text.empty()) {
        return {};
    }
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string bytes(size, '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[0], size,
                          nullptr, nullptr);
    return bytes;
}

inline void writeFile(const std::wstring& path, const std::string& content) {
    if (FILE* file = ::_wfopen(path.c_str(), L"wb")) {
        ::fwrite(content.data(), 1, content.size(), file);
        ::fclose(file);
    }
}

inline std::string readFile(const std::wstring& path) {
    std::string content;
    if (FILE* file = ::_wfopen(path.c_str(), L"rb")) {
        char buffer[4096];
        for (size_t read; (read = ::fread(buffer, 1, sizeof(buffer), file)) > 0;) {
            content.append(buffer, read);
        }
        ::fclose(file);
    }
    return content;
}

inline bool exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline void removeTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    utils::unique_hfind search(::FindFirstFileW((folder + L"\\*").c_str(), &found));
    if (search) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            const std::wstring path = folder + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeTree(path);
            } else {
                ::DeleteFileW(path.c_str());
            }
        } while (::FindNextFileW(search.get(), &found));
    }
    ::RemoveDirectoryW(folder.c_str());
}

// A fresh folder under the temporary folder, removed with all it holds.
class TempFolder {
  public:
    explicit TempFolder(const std::wstring& name = L"") {
        wchar_t base[MAX_PATH];
        ::GetTempPathW(MAX_PATH, base);
        static unsigned counter = 0;
        path_ = std::wstring(base) + L"velquorn-engine-" +
                std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++counter) + name;
        ::CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~TempFolder() { removeTree(path_); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::wstring& path() const { return path_; }

  private:
    std::wstring path_;
};

// Polls condition until it holds or timeoutMs has passed; true when it held.
inline bool waitFor(const std::function<bool()>& condition, DWORD timeoutMs = 60000) {
    const ULONGLONG start = ::GetTickCount64();
    while (!condition()) {
        if (::GetTickCount64() - start > timeoutMs) {
            return condition();
        }
        ::Sleep(20);
    }
    return true;
}

inline std::wstring moduleFolder() {
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.rfind(L'\\'));
}

// Built beside the test programs.
inline std::wstring fakeConverterPath() {
    return moduleFolder() + L"\\fake_converter.exe";
}

// The real Windows FFmpeg, handed to the tests by ctest.
inline std::wstring ffmpegPath() {
    const wchar_t* path = ::_wgetenv(L"VELQUORN_FFMPEG");
    return path ? path : L"";
}

// Makes a FLAC sine tone of the given seconds with the real converter.
inline bool makeFlac(const std::wstring& path, int seconds, const std::wstring& extra = L"") {
    const std::wstring command =
        L"\"" + ffmpegPath() + L"\" -v error -y -f lavfi -i sine=frequency=440:duration=" +
        std::to_wstring(seconds) + L" -ac 2 " + extra + L" \"" + path + L"\"";
    return runAndWait(command) == 0 && exists(path);
}

// How many running processes have this executable file name.
inline int processCount(const wchar_t* exeName) {
    utils::unique_hfile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) {
        return -1;
    }
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    int count = 0;
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
         more = ::Process32NextW(snapshot.get(), &entry)) {
        if (_wcsicmp(entry.szExeFile, exeName) == 0) {
            ++count;
        }
    }
    return count;
}

}  // namespace testsupport
