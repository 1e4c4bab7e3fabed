// A stand-in for the converter that tests steer exactly. It takes the two
// command lines the engine writes: "-i <source>" (probe) and
// "-y -i <source> <arguments...> <output>" (conversion). Its behaviour is the
// first word of the source file's text, or of VELQUORN_FAKE_MODE when the
// source cannot be read. Beside the output it leaves marker files:
// <output>.started once it has begun, <output>.gotq when it read "q", and
// <output>.done when it ended on its own after a "q".
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

#include "utils/unique_resource.h"

namespace {

enum class Mode {
    Normal,       // ten progress lines, one write each, then the output
    Split,        // one progress line split across two writes, then hold
    Hold,         // progress at 3 s, then waits for "q"
    IgnoreQ,      // progress, then never ends on its own
    Silent,       // prints nothing until "q"
    SilentProbe,  // the probe prints nothing for a long time
    Flood,        // floods its output; after "q" floods on a while, then ends
    Crash,        // ends abnormally mid-conversion without an output
    Quit,         // the conversion exits at once, writing nothing
};

struct ModeName {
    const char* name;
    Mode mode;
};

const ModeName kModes[] = {
    {"normal", Mode::Normal},   {"split", Mode::Split},   {"hold", Mode::Hold},
    {"ignoreq", Mode::IgnoreQ}, {"silent", Mode::Silent}, {"silentprobe", Mode::SilentProbe},
    {"flood", Mode::Flood},     {"crash", Mode::Crash},   {"quit", Mode::Quit},
};

constexpr int kDurationSeconds = 10;
// Even a fake that waits for "q" ends by itself in the end, so a broken test
// never leaves it behind for long.
constexpr DWORD kLongestWaitMs = 120000;
constexpr size_t kFloodAfterStopBytes = 2 * 1024 * 1024;

std::atomic<bool> gotStop{false};

Mode modeNamed(const std::string& word) {
    for (const ModeName& entry : kModes) {
        if (word == entry.name) {
            return entry.mode;
        }
    }
    return Mode::Normal;
}

Mode modeOf(const wchar_t* source) {
    std::string word;
    if (FILE* file = _wfopen(source, L"rb")) {
        char text[64] = {};
        const size_t read = fread(text, 1, sizeof(text) - 1, file);
        fclose(file);
        word.assign(text, read);
    } else if (const char* fromEnvironment = getenv("VELQUORN_FAKE_MODE")) {
        word = fromEnvironment;
    }
    const size_t end = word.find_first_of(" \r\n\t");
    return modeNamed(word.substr(0, end));
}

void writeTo(HANDLE handle, const std::string& text) {
    DWORD written = 0;
    WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

void out(const std::string& text) {
    writeTo(GetStdHandle(STD_ERROR_HANDLE), text);
}

void touch(const std::wstring& path, const std::string& content = "") {
    if (FILE* file = _wfopen(path.c_str(), L"wb")) {
        fwrite(content.data(), 1, content.size(), file);
        fclose(file);
    }
}

std::string progressLine(int seconds) {
    char line[128];
    snprintf(line, sizeof(line),
             "size=     %d kB time=00:00:%02d.00 bitrate= 160.0kbits/s speed=20x    \r",
             seconds * 20, seconds);
    return line;
}

DWORD WINAPI readStdin(LPVOID) {
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    char byte = 0;
    DWORD read = 0;
    while (ReadFile(input, &byte, 1, &read, nullptr) && read == 1) {
        if (byte == 'q') {
            gotStop = true;
        }
    }
    return 0;
}

// Waits for "q" (true) or the longest wait (false), printing nothing.
bool waitForStop() {
    const ULONGLONG start = GetTickCount64();
    while (!gotStop) {
        if (GetTickCount64() - start > kLongestWaitMs) {
            return false;
        }
        Sleep(20);
    }
    return true;
}

int probe(Mode mode) {
    if (mode == Mode::SilentProbe) {
        Sleep(kLongestWaitMs);
    }
    out("Input #0, flac, from 'source':\n");
    char line[128];
    snprintf(line, sizeof(line), "  Duration: 00:00:%02d.00, start: 0.000000, bitrate: 1411 kb/s\n",
             kDurationSeconds);
    out(line);
    out("At least one output file must be specified\n");
    return 1;
}

int convert(Mode mode, const std::wstring& output) {
    // The reader runs until the process ends; nobody waits on it.
    const utils::unique_handle reader(CreateThread(nullptr, 0, readStdin, nullptr, 0, nullptr));
    const std::string converted = "converted by the fake\n";
    if (mode == Mode::Quit) {
        return 1;
    }
    out("Stream mapping:\n  Stream #0:0 -> #0:0 (flac (native) -> mp3 (libmp3lame))\n"
        "Press [q] to stop, [?] for help\n");
    touch(output + L".started");
    switch (mode) {
        case Mode::Normal:
            for (int second = 1; second <= kDurationSeconds && !gotStop; ++second) {
                out(progressLine(second));
                Sleep(10);
            }
            break;
        case Mode::Split: {
            const std::string line = progressLine(5);
            out(line.substr(0, 20));
            Sleep(1000);
            out(line.substr(20));
            waitForStop();
            break;
        }
        case Mode::Hold:
            out(progressLine(3));
            waitForStop();
            break;
        case Mode::IgnoreQ:
            out(progressLine(3));
            Sleep(kLongestWaitMs);
            break;
        case Mode::Silent:
            waitForStop();
            break;
        case Mode::Flood: {
            std::string block;
            while (block.size() < 8192) {
                block += progressLine(2);
            }
            const ULONGLONG start = GetTickCount64();
            while (!gotStop && GetTickCount64() - start < kLongestWaitMs) {
                out(block);
            }
            for (size_t sent = 0; gotStop && sent < kFloodAfterStopBytes; sent += block.size()) {
                out(block);
            }
            break;
        }
        case Mode::Crash:
            out(progressLine(2));
            // As an access violation ends a process, without Wine's crash dialog.
            TerminateProcess(GetCurrentProcess(), 0xC0000005);
            break;
        default:
            break;
    }
    if (gotStop) {
        touch(output + L".gotq");
    }
    touch(output, converted);
    if (gotStop) {
        touch(output + L".done");
    }
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 3 && wcscmp(argv[1], L"-i") == 0) {
        return probe(modeOf(argv[2]));
    }
    if (argc >= 5 && wcscmp(argv[1], L"-y") == 0 && wcscmp(argv[2], L"-i") == 0) {
        return convert(modeOf(argv[3]), argv[argc - 1]);
    }
    out("fake converter: unknown command line\n");
    return 2;
}
