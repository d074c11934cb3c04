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
class Clock {
public:
    virtual ~Clock() = default;
    virtual void SleepMs(int ms) = 0;
    virtual LocalTime Now() const = 0;
    // Milliseconds on a steady clock, for measuring waits.
    virtual std::int64_t MonotonicMs() const = 0;
};

// The real clock: std::this_thread::sleep_for and the C runtime's localtime.
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
