#include "link/protocol.h"

#include <algorithm>

#include "datamodel/log.h"
#include "datamodel/seams.h"
#include "datamodel/strings.h"
#include "link/conexio.h"
#include "link/progress.h"

namespace {

const char* const kBusyText = kTextBusy;
const char* const kNotConnected = kTextNotConnected;
const char* const kLinkLostText = kTextConnectionLost;

}  // namespace

CProtocol::CProtocol() = default;

// The link and the timers may already be gone when this runs (they belong to others), so the
// destructor leaves them alone; the queue's frames are values and go with it.
CProtocol::~CProtocol() = default;

Clock& CProtocol::GetClock() const {
    if (clock_) return *clock_;
    if (link_) return link_->GetClock();
    return SystemClock();
}

void CProtocol::Sleep(int ms) { GetClock().SleepMs(ms); }

void CProtocol::Yield() {
    if (ui_) ui_->Yield();
}

int CProtocol::Kind() const { return link_ ? link_->GetKind() : ConexioNone; }

int CProtocol::PollInterval() const {
    int p = ConexioKindTable::Get(Kind()).pollInterval;
    return p > 0 ? p : 20;
}

void CProtocol::Trace(char direction, const std::uint8_t* bytes, int length) {
    if (!log_) return;
    log_->LogChar(direction);
    log_->LogHex(bytes, static_cast<std::size_t>(length));
}

void CProtocol::LogLine(const std::string& text) {
    if (log_) log_->LogLine(text);
}

std::uint8_t CProtocol::AddressFromHex(const std::string& text) {
    if (text.empty()) return 0;
    if (text.size() == 1) return static_cast<std::uint8_t>(HexCharToValue(text[0]));
    std::size_t n = text.size();
    return static_cast<std::uint8_t>(HexCharToValue(text[n - 2]) << 4 | HexCharToValue(text[n - 1]));
}

bool CProtocol::Connect(int ownAddress) {
    if (ownAddress != 255 && (ownAddress < 0 || ownAddress > PanelFrame::kAddressMask)) {
        error_ = kTextBadAddress;
        return false;
    }
    if (ownAddress == 255) {
        int byKind = ConexioKindTable::Get(Kind()).ownAddress;
        if (byKind >= 0) ownAddress_ = static_cast<std::uint8_t>(byKind);
    } else {
        ownAddress_ = static_cast<std::uint8_t>(ownAddress);
    }
    if (pump_) pump_->Start(kPumpInterval);
    if (idlePoll_) idlePoll_->Start(kIdlePollInterval);
    send_.Clear();
    answer_.Clear();
    connected_ = true;
    lost_ = false;
    toggle_ = false;
    lastQueuedData_.Clear();
    ResetReceiver();
    idleMs_ = 0;
    drainPending_ = false;
    drainSuspect_ = false;
    suspect_ = false;
    lastByteMs_ = GetClock().MonotonicMs() - kMaxDrainExtensionMs;
    return true;
}

bool CProtocol::ConnectTo(const std::string& ownAddressHex) { return Connect(AddressFromHex(ownAddressHex)); }

void CProtocol::Disconnect() {
    if (pump_) pump_->Stop();
    if (idlePoll_) idlePoll_->Stop();
    ClearQueue();
    send_.Clear();
    answer_.Clear();
    lastQueuedData_.Clear();
    connected_ = false;
    ResetReceiver();
}

void CProtocol::ResetReceiver() {
    inFrame_ = false;
    rxAckFrame_ = false;
    rxCount_ = 0;
    rxExpected_ = -1;
    partialMs_ = 0;
}

void CProtocol::ClearQueue() { queue_.clear(); }

bool CProtocol::CheckCancel() {
    if (!progress_) {
        Yield();
        return false;
    }
    if (!progress_->Cancelled()) return false;
    error_ = kTextCancelled;
    return true;
}

// ---- Sending ----

bool CProtocol::Send() {
    if (busy_) {  // refused before touching anything the running exchange uses
        error_ = kBusyText;
        return false;
    }
    lastTimedOut_ = false;
    if (send_.Empty()) {
        error_ = "Nada que enviar";
        return false;
    }
    if (!connected_ || !link_) {
        error_ = kNotConnected;
        return false;
    }
    Guard guard(busy_);
    const int poll = PollInterval();
    const bool broadcast = (send_[1] & PanelFrame::kBroadcast) != 0;
    const ConexioKindEntry& timing = ConexioKindTable::Get(Kind());

    // Answers of an earlier exchange that ended unanswered may still be on their way.
    suspect_ = drainPending_ && drainSuspect_;
    if (!DrainLateAnswers(poll)) return false;
    // Nothing that arrived before this frame goes out can acknowledge or answer it.
    ClearQueue();
    answer_.Clear();

    bool done = false;
    bool wentOut = false;
    for (int attempt = 0; attempt < 4; ++attempt) {
        if (!connected_) {
            error_ = kLinkLostText;
            return false;
        }
        // A repeat may meet the answers of the attempt before it as well as its own.
        if (attempt > 0) suspect_ = true;
        if (!SettleLine(poll)) {
            if (broadcast && wentOut) return true;
            EndUnanswered();
            return false;
        }
        // The frame goes out with the toggle bit of this moment: the drain above, the pump timer
        // and the waits of earlier attempts acknowledge frames, and each of those moves the bit
        // after the request was built. A broadcast carries none.
        if (!broadcast) send_.SetToggleBit(toggle_);
        if (!link_->Send(send_.Bytes(), send_.Length())) {
            // A link that can no longer write is gone, as one that can no longer read: the
            // connection is lost (once), not only this frame.
            LoseLink();
            return broadcast && wentOut;
        }
        wentOut = true;
        Trace('>', send_.Bytes(), send_.Length());
        send_.MakeRepeat();
        if (broadcast) {
            Sleep(500);
            done = true;
            continue;
        }
        int made = 0;
        PollEnd end = PollFor(sendExpected_, poll, timing.replyWait / poll + 1, made, true);
        if (end == PollEnd::Stopped) {
            EndUnanswered();
            return false;
        }
        if (end == PollEnd::Found) {
            if (!answer_.IsNak()) {
                done = true;
                break;
            }
            Sleep(Kind() == ConexioModem ? 70 : 20);
            ConsumeAnswer(sendExpected_);
            continue;
        }
        if (!send_.AnswerWanted()) return true;
    }
    if (!broadcast && answer_.IsAck()) ConsumeAnswer(sendExpected_);
    if (!done) {
        EndUnanswered();
        error_ = "Sin respuesta";
        lastTimedOut_ = true;  // no acknowledgement: callers retry as after a time-out
    }
    return done;
}

bool CProtocol::WaitAnswer(std::uint8_t command1, std::uint8_t command2, std::uint8_t command3) {
    for (int repeats = 0;; ++repeats) {
        const QuietEnd end = WaitOnce(command1, command2, command3);
        if (end != QuietEnd::Extra) return end == QuietEnd::Quiet;
        // The answer taken may have been a late one: whatever still comes is drained, then the
        // request is asked again when asking twice changes nothing in the panel.
        LogLine(kExtraAnswerLine);
        ExpectLateAnswers(0, true);
        if (repeats >= kMaxReadRepeats || !RepeatRequest()) {
            if (repeats >= kMaxReadRepeats) EndUnanswered();
            error_ = "Timeout";
            lastTimedOut_ = true;
            return false;
        }
    }
}

CProtocol::QuietEnd CProtocol::WaitOnce(std::uint8_t command1, std::uint8_t command2, std::uint8_t command3) {
    if (busy_) {
        error_ = kBusyText;
        return QuietEnd::Stopped;
    }
    waitExpected_.c[0] = command1;
    waitExpected_.c[1] = command2;
    waitExpected_.c[2] = command3;
    lastTimedOut_ = false;
    answer_.Clear();
    if (!connected_) return QuietEnd::Stopped;
    Guard guard(busy_);
    const int poll = PollInterval();
    const int polls = ConexioKindTable::Get(Kind()).rxTimeout / poll;

    Receive(poll);
    int made = 0;
    for (;;) {
        PollEnd end = PollFor(waitExpected_, poll, polls + 1, made, false);
        if (end == PollEnd::Stopped) {
            EndUnanswered();
            return QuietEnd::Stopped;
        }
        if (end == PollEnd::Expired) break;
        if (answer_.IsAckFrame()) {
            // An acknowledgement is no answer (a NAK neither): drop it and wait on.
            ConsumeAnswer(waitExpected_);
            continue;
        }
        FindAnswer(waitExpected_, true);
        Sleep(100);
        if (!suspect_ || collecting_) return QuietEnd::Quiet;
        // A single answer after trouble: one more coming means this one may be late.
        const PanelFrame taken = answer_;
        const QuietEnd quiet = AwaitQuiet(waitExpected_);
        answer_ = taken;
        if (quiet == QuietEnd::Quiet) return quiet;
        answer_.Clear();
        if (quiet == QuietEnd::Stopped) EndUnanswered();
        return quiet;
    }
    error_ = "Timeout";
    lastTimedOut_ = true;
    answer_.Clear();
    EndUnanswered();
    return QuietEnd::Stopped;
}

CProtocol::PollEnd CProtocol::PollFor(const ExpectedAnswers& commands, int poll, int limit, int& made,
                                      bool yieldFirst) {
    while (!HasAnswer(commands)) {
        if (made >= limit) return PollEnd::Expired;
        if (yieldFirst) Yield();
        if (CheckCancel()) return PollEnd::Stopped;
        // Cadence: due one interval after the waits before it, so a poll whose time has come
        // reads at once and the lateness of the steps before it does not add up.
        GetClock().PollMs(poll);
        Receive(poll);
        ++made;
        if (!connected_) {
            error_ = kLinkLostText;
            return PollEnd::Stopped;
        }
    }
    return PollEnd::Found;
}

void CProtocol::EndUnanswered() { ExpectLateAnswers(ConexioKindTable::Get(Kind()).rxTimeout, true); }

void CProtocol::ExpectLateAnswers(int forMs, bool trouble) {
    const std::int64_t until = GetClock().MonotonicMs() + forMs;
    drainUntilMs_ = drainPending_ ? std::max(drainUntilMs_, until) : until;
    drainPending_ = true;
    drainSuspect_ = drainSuspect_ || trouble;
}

int CProtocol::QuietMs() const { return ConexioKindTable::Get(Kind()).replyWait; }

bool CProtocol::DrainLateAnswers(int poll) {
    if (!drainPending_) return true;
    const std::uint64_t bytesBefore = bytesIn_;
    for (bool first = true;; first = false) {
        const std::int64_t now = GetClock().MonotonicMs();
        // Past its time the drain goes on while the line still brings frames (bounded).
        const bool due = now < drainUntilMs_ ||
                         (now - lastByteMs_ < QuietMs() && now - drainUntilMs_ < kMaxDrainExtensionMs);
        if (!first && !due) break;
        if (CheckCancel()) return false;
        if (due) Sleep(poll);
        Receive(poll);  // traced and acknowledged like any frame, so the panel does not repeat
        ClearQueue();
        if (!connected_) {
            error_ = kLinkLostText;
            return false;
        }
    }
    // Bytes taken here may be the head of an answer whose tail is still on the line.
    if (bytesIn_ != bytesBefore) suspect_ = true;
    drainPending_ = false;
    drainSuspect_ = false;
    answer_.Clear();
    return true;
}

bool CProtocol::SettleLine(int poll) {
    const std::uint64_t before = bytesIn_;
    Receive(0);
    if (!connected_) {
        error_ = kLinkLostText;
        return false;
    }
    if (bytesIn_ == before && !inFrame_) return true;
    ExpectLateAnswers(0, true);
    suspect_ = true;
    if (!DrainLateAnswers(poll)) return false;
    ClearQueue();
    answer_.Clear();
    return true;
}

CProtocol::QuietEnd CProtocol::AwaitQuiet(const ExpectedAnswers& commands) {
    const int poll = PollInterval();
    auto extra = [&] {
        return std::any_of(queue_.begin(), queue_.end(),
                           [&](const PanelFrame& f) { return !f.IsAckFrame() && commands.Has(f.Command()); });
    };
    for (;;) {
        if (extra()) return QuietEnd::Extra;
        if (GetClock().MonotonicMs() - lastByteMs_ >= QuietMs()) return QuietEnd::Quiet;
        if (CheckCancel()) return QuietEnd::Stopped;
        GetClock().PollMs(poll);
        Receive(poll);
        if (!connected_) {
            error_ = kLinkLostText;
            return QuietEnd::Stopped;
        }
    }
}

bool CProtocol::RepeatRequest() {
    // Reads, and the status request (remote sub-command 0xFF), change nothing in the panel.
    const bool harmless = !send_.Empty() && (send_.Command() == kCmdMemoryRead || send_.Command() == kCmdBlockRead ||
                                             (send_.Command() == kCmdRemote && send_.Payload()[0] == 0xFF));
    if (!harmless) {
        error_ = "Timeout";  // nothing that may be asked twice: the read ends as unanswered
        lastTimedOut_ = true;
        return false;
    }
    send_.MakeFirst();
    return Send();
}

const unsigned char* CProtocol::GetAnswer(int& length) const {
    std::span<const std::uint8_t> payload = answer_.Payload();
    if (answer_.Empty() || answer_.IsAckFrame()) {
        length = 0;
        return nullptr;
    }
    length = static_cast<int>(payload.size());
    return payload.data();
}

bool CProtocol::FindAnswer(const ExpectedAnswers& commands, bool remove) {
    answer_.Clear();
    for (auto it = queue_.begin(); it != queue_.end(); ++it) {
        const PanelFrame& f = *it;
        bool match = f.IsAckFrame() ? (f.Source() == (lastDestination_ & PanelFrame::kAddressMask) || f.Source() == 0)
                                    : commands.Has(f.Command());
        if (!match) continue;
        answer_ = f;
        if (remove) queue_.erase(it);
        return true;
    }
    return false;
}

void CProtocol::ConsumeAnswer(const ExpectedAnswers& commands) {
    FindAnswer(commands, true);
    answer_.Clear();
}

void CProtocol::QueueFrame(const PanelFrame& frame) {
    if (queue_.size() >= kQueueLimit) {
        queue_.pop_front();
        LogLine("Cola de recepción llena: trama antigua descartada");
    }
    queue_.push_back(frame);
}

bool CProtocol::SendAck(std::uint8_t address) { return WriteAcknowledgement(true, address, toggle_); }

bool CProtocol::SendNak(std::uint8_t address) { return WriteAcknowledgement(false, address, toggle_); }

bool CProtocol::WriteAcknowledgement(bool ack, std::uint8_t address, bool toggle) {
    PanelFrame f = PanelFrame::Acknowledgement(ack, address, toggle, ownAddress_);
    if (!link_ || !link_->Send(f.Bytes(), f.Length())) {
        error_ = "Error enviando datos";
        return false;
    }
    Trace('>', f.Bytes(), f.Length());
    return true;
}

void CProtocol::LoseLink() {
    error_ = kLinkLostText;
    Disconnect();
    lost_ = true;
    if (linkLost_) linkLost_();
}

// ---- Receiving ----

void CProtocol::Receive(int elapsedMs) {
    if (!connected_ || !link_ || inReceive_) return;
    Guard guard(inReceive_);
    std::uint8_t input[kReadBufferSize];
    int n = link_->Receive(input, kReadBufferSize);
    if (n < 0) {
        LoseLink();
        return;
    }
    if (n > 0) {
        bytesIn_ += static_cast<std::uint64_t>(n);
        lastByteMs_ = GetClock().MonotonicMs();
    }
    if (n == 0) {
        if (inFrame_) {
            partialMs_ += elapsedMs;
            if (partialMs_ > kPartialFrameTimeout) ResetReceiver();
        } else {
            idleMs_ += elapsedMs;
            if (idleMs_ > kIdleQueueTimeout) {
                answer_.Clear();
                idleMs_ = 0;
                ClearQueue();
            }
        }
        return;
    }
    for (int i = 0; i < n && connected_; ++i) {
        std::uint8_t b = input[i];
        if (!inFrame_) {
            rx_[0] = b;
            if (b == PanelFrame::kStart || b == PanelFrame::kRepeatStart) {
                inFrame_ = true;
                rxAckFrame_ = false;
                rxExpected_ = -1;
            } else if (b == PanelFrame::kAck || b == PanelFrame::kNak) {
                inFrame_ = true;
                rxAckFrame_ = true;
                rxExpected_ = 0;
            } else {
                continue;  // noise between frames
            }
            rxCount_ = 1;
            partialMs_ = 0;
            continue;
        }
        partialMs_ = 0;
        if (!rxAckFrame_ && rxCount_ < 4 && rx_[0] == PanelFrame::kRepeatStart && b == PanelFrame::kStart) {
            rx_[0] = b;  // a fresh frame starts inside a repeat's header
            rxCount_ = 1;
            rxExpected_ = -1;
            continue;
        }
        rx_[rxCount_++] = b;
        if (!rxAckFrame_ && rxCount_ == 4 && rxExpected_ < 0) rxExpected_ = PanelFrame::PayloadLength(b);
        bool complete = rxAckFrame_ ? rxCount_ >= PanelFrame::kAckLength
                                    : (rxExpected_ >= 0 && rxCount_ >= rxExpected_ + 6);
        if (complete) {
            HandleFrame();
            ResetReceiver();
        }
    }
    idleMs_ = 0;
}

void CProtocol::HandleFrame() {
    PanelFrame f(rx_, rxCount_);
    const std::uint8_t destination = f.Destination();
    if (destination != ownAddress_ && destination != PanelFrame::kBroadcast) {
        Trace('?', f.Bytes(), f.Length());
        return;
    }
    if (!f.CrcOk()) {
        Trace('c', f.Bytes(), f.Length());
        SendNak(f.Source());
        return;
    }
    if (f.IsAckFrame()) {
        QueueFrame(f);
        Trace('<', f.Bytes(), f.Length());
        if (f.IsAck() && destination != PanelFrame::kBroadcast) toggle_ = !toggle_;
        return;
    }
    const bool wanted = !ConexioKindTable::Get(Kind()).ackOnlyWithSourceBit7 || f.AnswerWanted();
    // The panel did not hear our acknowledgement and repeats the frame it last sent: its data is
    // already queued, and queueing it again would hand a multi-frame read the same bytes twice.
    const bool duplicate = f.IsRepeat() && f.SameContent(lastQueuedData_);
    if (!duplicate) {
        QueueFrame(f);
        lastQueuedData_ = f;
    }
    Trace('<', f.Bytes(), f.Length());
    Sleep(10);
    if (destination == PanelFrame::kBroadcast) {
        if (f.Source() == 0) SendAck(0);
        return;
    }
    // Only a first transmission (0x16) gives the toggle bit; a repeat (0x02) is acknowledged with
    // the bit as it stands. Either way the bit inverts after the frame.
    if (!f.IsRepeat()) toggle_ = f.ToggleBit();
    if (wanted) SendAck(f.Source());
    toggle_ = !toggle_;
}
