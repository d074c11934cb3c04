// The waiting rules of the clock, on the virtual clock with lateness injected: pauses are minimums,
// polls keep their cadence and absorb the lateness of the steps before them, idle time is not
// repaid, and an operation never takes less than the sum of its waits.
#include <gtest/gtest.h>

#include <vector>

#include "support/virtual_clock.h"

namespace {

struct Step {
    enum Kind { Pause, Poll, Work, Late, Restart } kind;
    int ms;               // a wait's length, the work's duration, or the overshoot from now on
    std::int64_t at = -1;  // the virtual time expected when the step has ended (-1: not checked)
};

TEST(Clock, PausesAreMinimumsPollsAbsorbLatenessIdleIsNotRepaid) {
    using S = Step;
    struct Case {
        const char* name;
        std::vector<Step> steps;
    } cases[] = {
        {"on time every wait lasts what it asks",
         {{S::Pause, 100, 100}, {S::Poll, 20, 120}, {S::Poll, 20, 140}, {S::Pause, 0, 140}}},
        {"a late pause is absorbed by the next poll",
         {{S::Late, 3}, {S::Pause, 100, 103}, {S::Late, 0}, {S::Poll, 20, 120}}},
        {"a late poll is absorbed by the next one",
         {{S::Late, 4}, {S::Poll, 20, 24}, {S::Late, 0}, {S::Poll, 20, 40}}},
        {"lateness beyond an interval: the polls read at once until they are due again",
         {{S::Late, 30}, {S::Pause, 100, 130}, {S::Late, 0}, {S::Poll, 20, 130}, {S::Poll, 20, 140}}},
        {"lateness builds up over pauses and the polls pay it back",
         {{S::Late, 5}, {S::Pause, 350, 355}, {S::Pause, 100, 460}, {S::Pause, 10, 475}, {S::Late, 0},
          {S::Poll, 20, 480}, {S::Poll, 20, 500}}},
        {"work between waits is lateness too",
         {{S::Poll, 20, 20}, {S::Work, 5, 25}, {S::Poll, 20, 40}}},
        {"a pause is never shortened, however late",
         {{S::Late, 50}, {S::Pause, 100, 150}, {S::Late, 0}, {S::Pause, 10, 160}, {S::Work, 5, 165},
          {S::Pause, 10, 175}, {S::Poll, 20, 175}, {S::Poll, 20, 175}, {S::Poll, 20, 180}}},
        {"idle time between operations is not repaid",
         {{S::Poll, 20, 20}, {S::Work, 5000, 5020}, {S::Poll, 20, 5040}, {S::Poll, 20, 5060}}},
        {"lateness is not carried into the next operation",
         {{S::Late, 15}, {S::Pause, 100, 115}, {S::Late, 0}, {S::Restart, 0}, {S::Poll, 20, 135}}},
        {"lateness from before an idle gap is forgotten with it",
         {{S::Late, 15}, {S::Pause, 100, 115}, {S::Late, 0}, {S::Work, 1000, 1115}, {S::Poll, 20, 1135}}},
        {"a gap just over the allowance counts as idle, one at it as work",
         {{S::Poll, 20, 20}, {S::Work, Clock::kIdleGapMs + 1, 41}, {S::Poll, 20, 61},
          {S::Work, Clock::kIdleGapMs, 81}, {S::Poll, 20, 81}, {S::Poll, 20, 101}}},
    };
    for (const Case& c : cases) {
        VirtualClock clock;
        std::int64_t asked = 0, from = 0;  // the waits asked since the operation started at from
        for (std::size_t i = 0; i < c.steps.size(); ++i) {
            const Step& s = c.steps[i];
            const std::int64_t before = clock.Elapsed();
            switch (s.kind) {
                case S::Pause:
                    clock.SleepMs(s.ms);
                    asked += s.ms;
                    EXPECT_GE(clock.Elapsed() - before, s.ms) << c.name << ", step " << i;
                    break;
                case S::Poll:
                    clock.PollMs(s.ms);
                    asked += s.ms;
                    break;
                case S::Work: clock.Advance(s.ms); break;
                case S::Late: clock.SetOvershoot(s.ms); break;
                case S::Restart:
                    clock.Restart();
                    asked = 0;
                    from = clock.Elapsed();
                    break;
            }
            if (s.at >= 0) {
                EXPECT_EQ(clock.Elapsed(), s.at) << c.name << ", step " << i;
            }
            EXPECT_GE(clock.Elapsed() - from, asked) << c.name << ", step " << i;
        }
    }
}

}  // namespace
