#include "support/virtual_clock.h"

void VirtualClock::SleepMs(int ms) {
    if (ms > 0) ms_ += ms;
    for (auto& hook : hooks_) hook(ms_);
}
