// A clock for tests: sleeping costs nothing, it only moves the virtual time forward to the wait's
// deadline and runs the hooks (for example a simulated panel that answers after its delay). On
// time, every sleep lasts exactly what it asked, so the elapsed time is the sum of the waits.
// Lateness can be injected: sleeps that wake up late, time that passes outside any wait.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "datamodel/seams.h"

class VirtualClock final : public Clock {
public:
    LocalTime Now() const override { return now_; }

    void SetNow(const LocalTime& t) { now_ = t; }
    // Total virtual time so far.
    std::int64_t Elapsed() const { return us_ / 1000; }
    // Called after every wait with the new virtual time.
    void OnSleep(std::function<void(std::int64_t)> hook) { hooks_.push_back(std::move(hook)); }
    // From now on every sleep wakes up ms after its deadline (0: on time), as on a loaded machine.
    // A wait whose deadline has already passed does not sleep, so it is not late either.
    void SetOvershoot(int ms) { overshootUs_ = std::int64_t{ms} * 1000; }
    // Time passes outside any wait: the program's own work, or idle time between operations.
    void Advance(int ms) { us_ += std::int64_t{ms} * 1000; }

protected:
    std::int64_t MonotonicUs() const override { return us_; }
    void SleepUntilUs(std::int64_t deadlineUs) override;

private:
    std::int64_t us_ = 0;
    std::int64_t overshootUs_ = 0;
    LocalTime now_{2026, 12, 9, 10, 30, 0};
    std::vector<std::function<void(std::int64_t)>> hooks_;
};
