// A clock for tests: sleeping costs nothing, it only moves the virtual time forward and runs the
// hooks (for example a simulated panel that answers after its delay).
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "datamodel/seams.h"

class VirtualClock final : public Clock {
public:
    void SleepMs(int ms) override;
    LocalTime Now() const override { return now_; }
    std::int64_t MonotonicMs() const override { return ms_; }

    void SetNow(const LocalTime& t) { now_ = t; }
    // Total virtual time slept so far.
    std::int64_t Elapsed() const { return ms_; }
    // Called after every sleep with the new virtual time.
    void OnSleep(std::function<void(std::int64_t)> hook) { hooks_.push_back(std::move(hook)); }

private:
    std::int64_t ms_ = 0;
    LocalTime now_{2026, 12, 9, 10, 30, 0};
    std::vector<std::function<void(std::int64_t)>> hooks_;
};
