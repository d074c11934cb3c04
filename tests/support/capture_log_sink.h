// A log sink that keeps everything in a string, standing in for the log text control.
#pragma once

#include <string>

#include "datamodel/seams.h"

class CaptureLogSink final : public LogSink {
public:
    void Append(const std::string& text) override { text_ += text; }
    long GetLastPosition() const override { return static_cast<long>(text_.size()); }
    void Remove(long from, long to) override {
        if (from < 0) from = 0;
        if (to > GetLastPosition()) to = GetLastPosition();
        if (to > from) text_.erase(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from));
    }
    const std::string& Text() const { return text_; }
    void Clear() { text_.clear(); }

private:
    std::string text_;
};
