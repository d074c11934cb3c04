#include "datamodel/log.h"

#include <cstdio>

#include "datamodel/strings.h"

CLog::CLog(LogSink* sink, Clock* clock) : sink_(sink), clock_(clock ? clock : &SystemClock()) {}

void CLog::SetClock(Clock* clock) { clock_ = clock ? clock : &SystemClock(); }

void CLog::Append(const std::string& text) {
    if (!sink_) return;
    // A NUL byte (read from a file) is no text for the pane, which would drop the whole write:
    // it is shown as "\0".
    if (text.find('\0') == std::string::npos) {
        sink_->Append(text);
        return;
    }
    std::string shown;
    shown.reserve(text.size() + 16);
    for (char c : text) {
        if (c == '\0') {
            shown += "\\0";
        } else {
            shown += c;
        }
    }
    sink_->Append(shown);
}

void CLog::AppendRaw(const std::string& text) {
    if (text.size() > static_cast<std::size_t>(kTrimLimit)) {
        const bool endsLine = text.back() == '\n';
        Append(text.substr(0, static_cast<std::size_t>(kTrimLimit)) + (endsLine ? " [...]\n" : " [...]"));
    } else {
        Append(text);
    }
    Trim();
}

void CLog::WriteTimestamp() {
    LocalTime now = clock_->Now();
    char stamp[48];
    std::snprintf(stamp, sizeof stamp, "[%02d:%02d:%02d] ", now.hour, now.minute, now.second);
    Append(stamp);
}

void CLog::Trim() {
    if (sink_ && sink_->GetLastPosition() > kTrimLimit) sink_->Remove(0, kTrimCount);
}

void CLog::LogLine(const std::string& text) {
    if (atLineStart_) WriteTimestamp();
    Append(text + '\n');
    atLineStart_ = true;
    Trim();
}

void CLog::LogChar(char c) {
    if (atLineStart_) WriteTimestamp();
    Append(std::string(1, c));
    atLineStart_ = false;
    Trim();
}

void CLog::LogHex(const unsigned char* bytes, std::size_t count) {
    if (atLineStart_) WriteTimestamp();
    if (!bytes) count = 0;
    std::string text;
    text.reserve(count * 4 + 1);
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) text += ", ";
        text += NibbleToHexChar(bytes[i] >> 4);
        text += NibbleToHexChar(bytes[i]);
    }
    text += '\n';
    Append(text);
    atLineStart_ = true;
    Trim();
}
