// A timer that only records how it was driven, standing in for the window's wx timers.
#pragma once

#include "datamodel/seams.h"

class FakeTimer final : public Timer {
public:
    bool Start(int milliseconds) override {
        interval = milliseconds;
        ++starts;
        return running = true;
    }
    void Stop() override {
        running = false;
        ++stops;
    }
    bool IsRunning() const override { return running; }
    int interval = 0;
    bool running = false;
    int starts = 0;
    int stops = 0;
};
