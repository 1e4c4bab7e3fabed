#include <windows.h>

#include <cstdio>
#include <string>

#include "engine/ConvertCore.h"
#include "engine/ConverterTool.h"
#include "engine/ProgressParser.h"
#include "utils/event_lock.h"

bool ConvertCore::convert(const std::wstring& sourcePath, const std::wstring& outputPath) {
    ::OutputDebugStringA("----- convert -----\n");
    conversionInterrupted = false;
    const int32_t duration = probeDuration(sourcePath);
    {
        utils::EventLock lock(queueLock.get());
        char line[64];
        std::snprintf(line, sizeof(line), "duration:%ld\n", static_cast<long>(duration));
        ::OutputDebugStringA(line);
        const int32_t index = currentIndex;
        if (index >= 0 && static_cast<size_t>(index) < jobs.size()) {
            jobs[index]->duration = duration;
        }
        ::OutputDebugStringA("----------\n");
    }
    // After a stop no conversion starts, so an output it would replace stays.
    if (state == EngineState::StopRequested) {
        conversionInterrupted = true;
        return true;
    }

    const std::wstring scriptPath =
        writeBatchScript(sourcePath, arguments.c_str(), outputPath.c_str());
    pendingOutput.clear();
    parsing = true;
    runProcess(scriptPath);
    parsing = false;
    deleteScript(scriptPath);
    // What a stopped converter leaves is a fragment, never a converted file.
    if (conversionInterrupted) {
        ::DeleteFileW(outputPath.c_str());
    }
    return true;
}

int32_t ConvertCore::probeDuration(const std::wstring& sourcePath) {
    const std::wstring scriptPath = writeBatchScript(sourcePath, nullptr, nullptr);
    std::string text;
    runProcess2(scriptPath, &text);
    deleteScript(scriptPath);
    if (text.empty()) {
        return 0;
    }
    const size_t marker = text.find(converter::kDurationMarker);
    if (marker == std::string::npos) {
        return 0;
    }
    const size_t end = text.find(converter::kDurationEnd, marker);
    if (end == std::string::npos) {
        return 0;
    }
    const size_t start = marker + sizeof(converter::kDurationMarker) - 1;
    return parseClockTime(text.substr(start, end - start));
}
