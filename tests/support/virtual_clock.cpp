#include "support/virtual_clock.h"

void VirtualClock::SleepUntilUs(std::int64_t deadlineUs) {
    if (deadlineUs > us_) us_ = deadlineUs + overshootUs_;
    for (auto& hook : hooks_) hook(Elapsed());
}
