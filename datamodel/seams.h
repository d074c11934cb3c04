// The few interfaces through which the wx-free libraries (datamodel, link, core) reach the
// toolkit. The window implements them with thin wx adapters; tests use fakes (a capturing log
// sink, a virtual clock that makes every sleep free, scripted progress dialogs).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

// The text control the log writer appends to. Text is cp1252.
class LogSink {
public:
    virtual ~LogSink() = default;
    virtual void Append(const std::string& text) = 0;
    // Number of characters held (the control's last position).
    virtual long GetLastPosition() const = 0;
    // Removes the characters in [from, to).
    virtual void Remove(long from, long to) = 0;
};

struct LocalTime {
    int year = 2000;  // four digits
    int month = 1;    // 1..12
    int day = 1;      // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Sleeping and the local time. Every timed wait of the program (link and frame-layer waits, modem
// pauses, the core's pauses between requests) sleeps through this, so tests run them on a
// virtual clock.
//
// Waits go to absolute deadlines on a schedule: the time at which the waits asked so far would
// have ended had none of them woken up late. Two kinds of wait keep the panel's timing whole:
// - SleepMs is a pause (a prescribed pause between frames, the line time of a write): at least ms
//   from the moment it is asked, never shortened, even when the steps before it ran late;
// - PollMs is one interval of a polling wait: cadence, due one interval after the schedule, so
//   it returns at once when that moment has passed and so absorbs the lateness of the steps
//   before it.
// The schedule moves by exactly what each wait asks, so the time an operation takes is never less
// than the sum of its waits. It restarts at the first wait after Restart (an operation starts:
// what ran late before it is not repaid in it) and after time spent outside any wait for longer
// than kIdleGapMs (idle time between operations is never repaid).
// A clock serves one thread.
class Clock {
public:
    static constexpr int kIdleGapMs = 20;

    virtual ~Clock() = default;
    void SleepMs(int ms);
    void PollMs(int ms);
    void Restart() { started_ = false; }
    virtual LocalTime Now() const = 0;
    // Milliseconds on a steady clock, for measuring waits.
    std::int64_t MonotonicMs() const { return MonotonicUs() / 1000; }

protected:
    // Microseconds on the same steady clock.
    virtual std::int64_t MonotonicUs() const = 0;
    // Returns once the steady clock reads deadlineUs or later (at once when it already does).
    virtual void SleepUntilUs(std::int64_t deadlineUs) = 0;

private:
    // Restarts the schedule when the last wait ended more than kIdleGapMs ago (or none was made).
    void Resume(std::int64_t nowUs);

    std::int64_t scheduleUs_ = 0;
    std::int64_t lastEndUs_ = 0;
    bool started_ = false;
};

// The real clock: CLOCK_MONOTONIC with absolute-deadline sleeps (clock_nanosleep), the waiting
// thread's timer slack at its smallest, and the C runtime's localtime.
class RealClock : public Clock {
public:
    LocalTime Now() const override;

protected:
    std::int64_t MonotonicUs() const override;
    void SleepUntilUs(std::int64_t deadlineUs) override;
};

// The program's one real clock.
Clock& SystemClock();

// A repeating timer owned by the window (the link pump, the idle poll).
class Timer {
public:
    virtual ~Timer() = default;
    virtual bool Start(int milliseconds) = 0;  // (re)starts with this interval
    virtual void Stop() = 0;
    virtual bool IsRunning() const = 0;
};

// How a progress dialog looks: a Cancel button, the elapsed time ("Conectando..." shows it).
struct ProgressOptions {
    bool canCancel = true;
    bool showElapsed = false;
};

// The modal progress dialog of a running operation.
class ProgressDialog {
public:
    virtual ~ProgressDialog() = default;
    // Moves to value; an empty message keeps the current one. False once Cancel was pressed.
    virtual bool Update(int value, const std::string& message = std::string()) = 0;
    virtual bool WasCancelled() const = 0;
};

// What the wx-free code needs of the application: yielding to the event loop, progress
// dialogs and message boxes.
class UiServices {
public:
    virtual ~UiServices() = default;
    // Lets pending GUI events run. Without a progress dialog on screen no user input is delivered.
    virtual void Yield() = 0;
    virtual std::unique_ptr<ProgressDialog> OpenProgress(const std::string& title,
                                                         const std::string& message, int maximum,
                                                         const ProgressOptions& options) = 0;
    virtual void ShowMessage(const std::string& text, const std::string& caption) = 0;
};
