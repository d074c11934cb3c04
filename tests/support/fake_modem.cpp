#include "support/fake_modem.h"

#include <algorithm>
#include <cctype>

namespace {
std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}
constexpr std::int64_t kGuardMs = 1000;
}  // namespace

void FakeModem::Emit(const std::string& bytes) {
    if (!silent) output_ += bytes;
}

void FakeModem::Result(const std::string& text, std::int64_t at, int action) {
    pending_.push_back(Pending{at, "\r\n" + text + "\r\n", action});
}

std::string FakeModem::TakeOutput() {
    std::string out;
    out.swap(output_);
    return out;
}

void FakeModem::Receive(std::string_view bytes, std::int64_t now) {
    for (char c : bytes) {
        if (dataMode_) {
            DataByte(c, now);
            continue;
        }
        if (echo_) Emit(std::string(1, c));
        if (c == '\r') {
            std::string line;
            line.swap(line_);
            Command(line, now);
        } else if (c != '\n' && line_.size() < 256) {
            line_ += c;
        }
    }
}

void FakeModem::DataByte(char c, std::int64_t now) {
    if (c == '+') {
        if (pluses_ == 0 && now - lastDataByte_ >= kGuardMs) {
            pluses_ = 1;
            plusTime_ = now;
        } else if (pluses_ > 0 && pluses_ < 3) {
            ++pluses_;
            plusTime_ = now;
        } else {
            FlushPluses();
            data_ += c;
        }
    } else {
        FlushPluses();  // a byte inside the guard time: the pluses were data
        data_ += c;
    }
    lastDataByte_ = now;
}

void FakeModem::FlushPluses() {
    data_.append(static_cast<std::size_t>(pluses_), '+');
    pluses_ = 0;
}

std::string FakeModem::OutcomeText(Outcome outcome, const std::string& connect, const std::string& reject) {
    switch (outcome) {
        case Outcome::Connect: return connect;
        case Outcome::Busy: return "BUSY";
        case Outcome::NoCarrier: return "NO CARRIER";
        case Outcome::NoDialTone: return "NO DIALTONE";
        case Outcome::Reject: return reject;
        case Outcome::Silence: return std::string();
    }
    return std::string();
}

void FakeModem::Command(const std::string& line, std::int64_t now) {
    std::size_t at = Upper(line).find("AT");
    if (at == std::string::npos) return;  // no command on this line
    commands_.push_back(line.substr(at));
    std::string body = Upper(line.substr(at + 2));
    std::int64_t due = now + resultDelayMs;
    if (errorCommands.count(body)) {
        Result("ERROR", due);
        return;
    }
    if (!body.empty() && body[0] == 'D') {
        std::string number = line.substr(at + 3);
        if (!number.empty() && (number[0] == 'T' || number[0] == 'P' || number[0] == 't' || number[0] == 'p'))
            number.erase(0, 1);
        bool voice = !number.empty() && number.back() == ';';
        if (voice) number.pop_back();
        dialled_.push_back(number);
        Outcome outcome = voice ? voiceDialOutcome : dataDialOutcome;
        if (outcome == Outcome::Silence) return;
        Result(OutcomeText(outcome, connectText, rejectText), now + dialDelayMs,
               outcome == Outcome::Connect && !voice ? 1 : 0);
        return;
    }
    if (body == "H" || body == "H0") {
        ++hangUps_;
        inCall_ = false;
        Result("OK", due);
        return;
    }
    if (!body.empty() && body[0] == 'Z') {
        echo_ = true;
        Result("OK", due);
        return;
    }
    if (body == "A") {
        if (ringing_) {
            ringing_ = false;
            Result(connectText, now + answerDelayMs, 1);
        } else {
            Result("NO CARRIER", due);
        }
        return;
    }
    if (body.find("E0") != std::string::npos) echo_ = false;
    if (body.find("E1") != std::string::npos) echo_ = true;
    Result("OK", due);
}

void FakeModem::Tick(std::int64_t now) {
    if (dataMode_ && pluses_ == 3 && now - plusTime_ >= kGuardMs) {
        pluses_ = 0;
        dataMode_ = false;
        ++escapes_;
        Emit("\r\nOK\r\n");
    }
    if (ringing_ && now >= nextRing_) {
        Emit("\r\nRING\r\n");
        nextRing_ += ringInterval_;
        if (--ringsLeft_ <= 0) ringing_ = false;
    }
    std::stable_sort(pending_.begin(), pending_.end(),
                     [](const Pending& a, const Pending& b) { return a.at < b.at; });
    while (!pending_.empty() && pending_.front().at <= now) {
        Pending p = pending_.front();
        pending_.erase(pending_.begin());
        Emit(p.text);
        if (p.action == 1) {
            inCall_ = true;
            dataMode_ = true;
            lastDataByte_ = now;
        }
    }
}

void FakeModem::PortClosed() {
    ++portCloses_;
    inCall_ = false;
    dataMode_ = false;
    ringing_ = false;
    pending_.clear();
    line_.clear();
    pluses_ = 0;
}

void FakeModem::StartIncomingCall(std::int64_t now, int rings, int intervalMs) {
    ringing_ = rings > 0;
    ringsLeft_ = rings;
    ringInterval_ = intervalMs;
    nextRing_ = now;
}

void FakeModem::DropCall() {
    if (!inCall_) return;
    inCall_ = false;
    dataMode_ = false;
    Emit("\r\nNO CARRIER\r\n");
}

void FakeModem::SendData(std::string_view bytes) {
    if (dataMode_) Emit(std::string(bytes));
}
