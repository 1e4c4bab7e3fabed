#include "engine/ConvertCore.h"

#include "utils/event_lock.h"

ConvertCore::ConvertCore() : queueLock(::CreateEventW(nullptr, FALSE, TRUE, nullptr)) {}

ConvertCore::~ConvertCore() {
    // The worker uses the engine to its last step; ending it first is bounded
    // by the runner's end of a converter that ignores the stop request.
    EngineState expected = EngineState::Running;
    state.compare_exchange_strong(expected, EngineState::StopRequested);
    waitForWorker();
    deleteJobs();
}

bool ConvertCore::initialize() {
    return true;
}

bool ConvertCore::reset() {
    return clearJobs();
}

void ConvertCore::onFinished() {}

bool ConvertCore::addJob(const wchar_t* path) {
    if (!path || jobsByPath.count(path) != 0) {
        return false;
    }
    utils::EventLock lock(queueLock.get());
    auto job = std::make_unique<ConvertJob>();
    job->index = static_cast<int32_t>(jobs.size());
    job->sourcePath = path;
    jobsByPath.emplace(job->sourcePath, job.get());
    jobs.push_back(std::move(job));
    return true;
}

void ConvertCore::deleteJobs() {
    utils::EventLock lock(queueLock.get());
    jobsByPath.clear();
    jobs.clear();
    currentIndex = -1;
}

bool ConvertCore::clearJobs() {
    // The worker reads the queue without the lock.
    waitForWorker();
    deleteJobs();
    return true;
}

bool ConvertCore::getCurrentJob(ConvertJob& job) {
    utils::EventLock lock(queueLock.get());
    const int32_t current = currentIndex;
    if (current < 0 || static_cast<size_t>(current) >= jobs.size()) {
        return false;
    }
    job = *jobs[current];
    return true;
}

void ConvertCore::setJobProgress(int32_t percent, int32_t index) {
    if (index < 0 || static_cast<size_t>(index) >= jobs.size()) {
        return;
    }
    if (percent < 0) {
        percent = 0;
    } else if (percent > 100) {
        percent = 100;
    }
    utils::EventLock lock(queueLock.get());
    jobs[index]->percent = percent;
}

int32_t ConvertCore::countCompleted() {
    utils::EventLock lock(queueLock.get());
    int32_t count = 0;
    for (const auto& job : jobs) {
        if (job->percent == 100) {
            ++count;
        }
    }
    return count;
}
