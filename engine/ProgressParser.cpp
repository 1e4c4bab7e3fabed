#include "engine/ProgressParser.h"

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "engine/ConvertCore.h"
#include "engine/ConverterTool.h"
#include "utils/event_lock.h"

namespace {

// Text without a line end this long is no progress line; dropping it keeps a
// converter that never ends its lines from growing the buffer without bound.
constexpr size_t kMaxPendingOutput = 64 * 1024;

bool endsInLineEnd(const std::string& text) {
    return !text.empty() && (text.back() == '\r' || text.back() == '\n');
}

}  // namespace

int32_t parseClockTime(const std::string& text) {
    std::vector<std::string> fields;
    std::istringstream stream(text);
    for (std::string field; std::getline(stream, field, ':');) {
        fields.push_back(field);
    }
    if (fields.size() != 3) {
        return 0;
    }
    const double hours = std::atof(fields[0].c_str());
    const double minutes = std::atof(fields[1].c_str());
    const double seconds = std::atof(fields[2].c_str());
    const double total = (hours * 3600.0 + minutes * 60.0) + seconds + 0.5;
    // Beyond the 64-bit range the truncation has no defined value.
    if (!std::isfinite(total) || std::fabs(total) >= 9.2e18) {
        return 0;
    }
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<int64_t>(total)));
}

void ConvertCore::parseProgressOutput(const char* chunk) {
    const int32_t index = currentIndex;
    int32_t duration = 0;
    {
        utils::EventLock lock(queueLock.get());
        if (index >= 0 && static_cast<size_t>(index) < jobs.size()) {
            duration = jobs[index]->duration;
        }
    }
    if (duration == 0 || !chunk) {
        return;
    }
    pendingOutput += chunk;
    if (!endsInLineEnd(pendingOutput)) {
        if (pendingOutput.size() > kMaxPendingOutput) {
            pendingOutput.clear();
        }
        return;
    }
    int32_t seconds = 0;
    const size_t marker = pendingOutput.find(converter::kTimeMarker);
    if (marker != std::string::npos) {
        const size_t start = marker + sizeof(converter::kTimeMarker) - 1;
        const size_t end = pendingOutput.find(converter::kTimeEnd, start);
        if (end != std::string::npos) {
            seconds = parseClockTime(pendingOutput.substr(start, end - start));
        }
    }
    if (seconds != 0) {
        const double percent =
            static_cast<uint32_t>(seconds) * 100.0 / static_cast<uint32_t>(duration);
        setJobProgress(static_cast<int32_t>(static_cast<uint32_t>(static_cast<int64_t>(percent))),
                       index);
    }
    pendingOutput.clear();
}
