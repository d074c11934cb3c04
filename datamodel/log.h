// The writer of the log pane. Every line starts with the local time; frames are traced as a
// direction character followed by their bytes in hexadecimal; a NUL byte is shown as "\0". The pane is kept short by cutting
// its front once it grows past a limit.
#pragma once

#include <cstddef>
#include <string>

#include "datamodel/seams.h"

class CLog {
public:
    // The pane holds at most about this many characters: past it, every write cuts kTrimCount
    // characters from the front.
    static constexpr long kTrimLimit = 64000;
    static constexpr long kTrimCount = 2000;

    // Without a sink the output is dropped; without a clock the system clock is used.
    explicit CLog(LogSink* sink = nullptr, Clock* clock = nullptr);

    void SetSink(LogSink* sink) { sink_ = sink; }
    LogSink* GetSink() const { return sink_; }
    void SetClock(Clock* clock);
    Clock* GetClock() const { return clock_; }

    // The time stamp if at line start, the text and a line feed.
    void LogLine(const std::string& text);
    // The time stamp if at line start, then the character. The next output continues this line,
    // even after a line feed written this way.
    void LogChar(char c);
    // The time stamp if at line start, then each byte as two upper-case hexadecimal digits with
    // ", " between bytes, then a line feed.
    void LogHex(const unsigned char* bytes, std::size_t count);
    // "[hh:mm:ss] " of the local time.
    void WriteTimestamp();
    // Past kTrimLimit characters, removes the first kTrimCount (once per call).
    void Trim();

    // Text that goes straight into the pane, as the installation loader echoes what it reads:
    // no time stamp, and the at-line-start state is left as it was. It is trimmed like every
    // other write, and a text longer than the pane's limit keeps only its first kTrimLimit
    // characters, so a large file never leaves megabytes of echo in the pane.
    void AppendRaw(const std::string& text);

    bool AtLineStart() const { return atLineStart_; }

private:
    void Append(const std::string& text);

    bool atLineStart_ = true;
    LogSink* sink_ = nullptr;
    Clock* clock_ = nullptr;
};
