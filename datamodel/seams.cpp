#include "datamodel/seams.h"

#include <sys/prctl.h>

#include <cerrno>
#include <ctime>

void Clock::Resume(std::int64_t nowUs) {
    if (!started_ || nowUs - lastEndUs_ > std::int64_t{kIdleGapMs} * 1000) scheduleUs_ = nowUs;
    started_ = true;
}

void Clock::SleepMs(int ms) {
    const std::int64_t now = MonotonicUs();
    Resume(now);
    const std::int64_t asked = ms > 0 ? std::int64_t{ms} * 1000 : 0;
    // From now, whatever the schedule says: a pause is a minimum. The lateness it comes with
    // stays on the schedule for the next poll.
    SleepUntilUs(now + asked);
    scheduleUs_ += asked;
    lastEndUs_ = MonotonicUs();
}

void Clock::PollMs(int ms) {
    Resume(MonotonicUs());
    scheduleUs_ += ms > 0 ? std::int64_t{ms} * 1000 : 0;
    SleepUntilUs(scheduleUs_);
    lastEndUs_ = MonotonicUs();
}

namespace {

std::int64_t SteadyUs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::int64_t{ts.tv_sec} * 1000000 + ts.tv_nsec / 1000;
}

}  // namespace

LocalTime RealClock::Now() const {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::int64_t RealClock::MonotonicUs() const { return SteadyUs(); }

void RealClock::SleepUntilUs(std::int64_t deadlineUs) {
    // The kernel may wake a sleeper up to its timer slack late (50 us by default); the waiting
    // thread asks for the smallest once.
    thread_local const bool slack = prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL) == 0;
    (void)slack;
    if (deadlineUs <= SteadyUs()) return;
    timespec at{static_cast<std::time_t>(deadlineUs / 1000000), static_cast<long>(deadlineUs % 1000000) * 1000};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
    }
}

Clock& SystemClock() {
    static RealClock clock;
    return clock;
}
