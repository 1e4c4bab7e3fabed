// Wall time of a batch converted by the engine against the same converter
// started directly on each file, with the same arguments and files.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "engine/ConvertCore.h"
#include "tests/support/HiddenProcess.h"
#include "utils/unique_resource.h"

namespace {

constexpr wchar_t kArguments[] = L"-acodec libmp3lame -b:a 160k -ac 2 -ar 44100";

struct Batch {
    int files;
    int seconds;
};
const Batch kBatches[] = {{20, 2}, {10, 60}};

std::wstring ffmpeg;

std::wstring quoted(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

std::wstring makeFolder(const std::wstring& path) {
    ::CreateDirectoryW(path.c_str(), nullptr);
    return path;
}

void emptyFolder(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    utils::unique_hfind search(::FindFirstFileW((folder + L"\\*.mp3").c_str(), &found));
    if (search) {
        do {
            ::DeleteFileW((folder + L"\\" + found.cFileName).c_str());
        } while (::FindNextFileW(search.get(), &found));
    }
}

double directLoop(const std::vector<std::wstring>& sources, const std::wstring& out) {
    const ULONGLONG start = ::GetTickCount64();
    for (const std::wstring& source : sources) {
        const std::wstring name = source.substr(source.rfind(L'\\') + 1);
        const std::wstring output = out + L"\\" + name.substr(0, name.size() - 4) + L"mp3";
        testsupport::runAndWait(quoted(ffmpeg) + L" -y -i " + quoted(source) + L" " + kArguments +
                                L" " + quoted(output));
    }
    return static_cast<double>(::GetTickCount64() - start);
}

double engineRun(const std::vector<std::wstring>& sources,
                 const std::wstring& out,
                 int& converted) {
    ConvertCore engine;
    engine.corePath = ffmpeg;
    engine.outputDir = out;
    engine.arguments = kArguments;
    engine.outputExt = L"mp3";
    for (const std::wstring& source : sources) {
        engine.addJob(source.c_str());
    }
    // As in the windowed program, which has no standard output to echo to.
    const HANDLE ownOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
    ::SetStdHandle(STD_OUTPUT_HANDLE, nullptr);
    const ULONGLONG start = ::GetTickCount64();
    engine.start();
    engine.waitForWorker();
    const double elapsed = static_cast<double>(::GetTickCount64() - start);
    ::SetStdHandle(STD_OUTPUT_HANDLE, ownOutput);
    converted = engine.countCompleted();
    return elapsed;
}

}  // namespace

int wmain() {
    const wchar_t* path = ::_wgetenv(L"VELQUORN_FFMPEG");
    if (!path || ::GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) {
        std::fprintf(stderr, "bench: VELQUORN_FFMPEG must name the Windows FFmpeg\n");
        return 2;
    }
    ffmpeg = path;
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring root = makeFolder(std::wstring(temp) + L"velquorn-bench");

    std::printf("%-16s %12s %12s %8s %16s\n", "batch", "direct ms", "engine ms", "ratio",
                "overhead ms/file");
    for (const Batch& batch : kBatches) {
        const std::wstring tag =
            std::to_wstring(batch.files) + L"x" + std::to_wstring(batch.seconds);
        const std::wstring in = makeFolder(root + L"\\in" + tag);
        const std::wstring outDirect = makeFolder(root + L"\\direct" + tag);
        const std::wstring outEngine = makeFolder(root + L"\\engine" + tag);
        std::vector<std::wstring> sources;
        for (int i = 0; i < batch.files; ++i) {
            const std::wstring source = in + L"\\tone" + std::to_wstring(i) + L".flac";
            if (::GetFileAttributesW(source.c_str()) == INVALID_FILE_ATTRIBUTES) {
                testsupport::runAndWait(quoted(ffmpeg) + L" -y -f lavfi -i sine=frequency=" +
                                        std::to_wstring(220 + i * 10) + L":duration=" +
                                        std::to_wstring(batch.seconds) + L" -ac 2 " +
                                        quoted(source));
            }
            sources.push_back(source);
        }
        emptyFolder(outDirect);
        emptyFolder(outEngine);
        // One conversion first, so neither side pays for a cold file cache.
        testsupport::runAndWait(quoted(ffmpeg) + L" -y -i " + quoted(sources[0]) + L" " +
                                kArguments + L" " + quoted(outDirect + L"\\warm.mp3"));

        const double direct = directLoop(sources, outDirect);
        int converted = 0;
        const double engine = engineRun(sources, outEngine, converted);
        char name[32];
        std::snprintf(name, sizeof(name), "%d x %d s", batch.files, batch.seconds);
        std::printf("%-16s %12.0f %12.0f %8.3f %16.1f\n", name, direct, engine, engine / direct,
                    (engine - direct) / batch.files);
        if (converted != batch.files) {
            std::printf("  engine converted only %d of %d files\n", converted, batch.files);
        }
        std::fflush(stdout);
    }
    return 0;
}
