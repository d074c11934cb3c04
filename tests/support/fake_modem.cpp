#include "support/fake_modem.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <utility>

namespace {
constexpr std::int64_t kGuardMs = 1000;

const char* OutcomeText(FakeModem::Outcome outcome) {
    switch (outcome) {
        case FakeModem::Outcome::Connect: return "CONNECT 9600";
        case FakeModem::Outcome::Busy: return "BUSY";
        case FakeModem::Outcome::NoCarrier: return "NO CARRIER";
        case FakeModem::Outcome::NoDialTone: return "NO DIALTONE";
        case FakeModem::Outcome::Reject: return "ECAV,1";
        case FakeModem::Outcome::Silence: break;
    }
    return "";
}
}  // namespace

void FakeModem::Result(const std::string& text, std::int64_t at, bool connects) {
    pending_.push_back(Pending{at, "\r\n" + text + "\r\n", connects});
}

std::string FakeModem::TakeOutput() {
    std::string out;
    if (!silent) out.swap(output_);
    output_.clear();
    return out;
}

void FakeModem::Receive(std::string_view bytes, std::int64_t now) {
    for (char c : bytes) {
        if (!dataMode_) {
            if (echo_) output_ += c;
            if (c == '\r')
                Command(std::exchange(line_, std::string()), now);
            else if (c != '\n' && line_.size() < 256)
                line_ += c;
            continue;
        }
        // Data mode: up to three '+' after a second of silence may start the escape; any other
        // byte inside the guard time makes them data.
        if (c == '+' && pluses_ < 3 && (pluses_ > 0 || now - lastDataByte_ >= kGuardMs)) {
            ++pluses_;
            plusTime_ = now;
        } else {
            data_.append(static_cast<std::size_t>(pluses_), '+');
            pluses_ = 0;
            data_ += c;
        }
        lastDataByte_ = now;
    }
}

void FakeModem::Command(const std::string& line, std::int64_t now) {
    std::string upper = line;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    std::size_t at = upper.find("AT");
    if (at == std::string::npos) return;
    commands_.push_back(line.substr(at));
    std::string body = upper.substr(at + 2);
    std::int64_t due = now + resultDelayMs;
    if (errorCommands.count(body)) return Result("ERROR", due);
    if (!body.empty() && body[0] == 'D') {
        std::string number = line.substr(at + 3);
        if (!number.empty() && std::strchr("TPtp", number[0])) number.erase(0, 1);
        bool voice = !number.empty() && number.back() == ';';
        if (voice) number.pop_back();
        dialled_.push_back(number);
        Outcome outcome = voice ? voiceDialOutcome : dataDialOutcome;
        if (outcome != Outcome::Silence)
            Result(OutcomeText(outcome), now + dialResultMs, outcome == Outcome::Connect && !voice);
        return;
    }
    if (body == "H" || body == "H0") {
        ++hangUps_;
        inCall_ = false;
    } else if (body == "A") {
        if (ringsLeft_ == 0) return Result("NO CARRIER", due);
        ringsLeft_ = 0;
        return Result("CONNECT 9600", now + 2000, true);
    } else if (!body.empty() && body[0] == 'Z') {
        echo_ = true;
    } else if (body.find("E0") != std::string::npos) {
        echo_ = false;
    }
    Result("OK", due);
}

void FakeModem::Tick(std::int64_t now) {
    if (dataMode_ && pluses_ == 3 && now - plusTime_ >= kGuardMs) {
        pluses_ = 0;
        dataMode_ = false;
        ++escapes_;
        output_ += "\r\nOK\r\n";
    }
    if (ringsLeft_ > 0 && now >= nextRing_) {
        output_ += "\r\nRING\r\n";
        nextRing_ += 2000;
        --ringsLeft_;
    }
    std::stable_sort(pending_.begin(), pending_.end(), [](const Pending& a, const Pending& b) { return a.at < b.at; });
    while (!pending_.empty() && pending_.front().at <= now) {
        Pending p = pending_.front();
        pending_.erase(pending_.begin());
        output_ += p.text;
        if (p.connects) {
            inCall_ = dataMode_ = true;
            lastDataByte_ = now;
        }
    }
}

void FakeModem::PortClosed() {
    ++portCloses_;
    inCall_ = dataMode_ = false;
    ringsLeft_ = pluses_ = 0;
    pending_.clear();
    line_.clear();
}

void FakeModem::StartIncomingCall(std::int64_t at) {
    ringsLeft_ = 10;
    nextRing_ = at;
}

void FakeModem::SendData(std::string_view bytes) {
    if (dataMode_) output_ += bytes;
}
