#include "panelsim.h"

#include <algorithm>
#include <cstdio>

namespace panelsim {

namespace {

constexpr std::uint8_t kFirst = 0x16;
constexpr std::uint8_t kRepeat = 0x02;
constexpr std::uint8_t kAck = 0x06;
constexpr std::uint8_t kNak = 0x15;
constexpr std::uint8_t kBroadcast = 0x40;
constexpr int kMaxAttempts = 4;

// Length of a data frame from its command byte.
int DataFrameLength(std::uint8_t command) { return command == 0xF0 ? 24 : (command >> 4) + 6; }

void PutCrc(std::vector<std::uint8_t>& frame) {
    std::uint16_t crc = Crc(std::span<const std::uint8_t>(frame.data(), frame.size() - 2));
    frame[frame.size() - 2] = static_cast<std::uint8_t>(crc >> 8);
    frame[frame.size() - 1] = static_cast<std::uint8_t>(crc & 0xFF);
}

bool CrcOk(const std::vector<std::uint8_t>& f) {
    if (f.size() < 3) return false;
    std::uint16_t crc = Crc(std::span<const std::uint8_t>(f.data(), f.size() - 2));
    return f[f.size() - 2] == (crc >> 8) && f[f.size() - 1] == (crc & 0xFF);
}

// Same frame apart from the start byte and the CRC.
bool SameContent(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
    return a.size() == b.size() && a.size() > 3 && std::equal(a.begin() + 1, a.end() - 2, b.begin() + 1);
}

}  // namespace

std::uint16_t Crc(std::span<const std::uint8_t> bytes) {
    std::uint16_t crc = 0;
    for (std::uint8_t b : bytes) {
        for (int bit = 7; bit >= 0; --bit) {
            bool in = ((b >> bit) & 1) != 0;
            bool top = (crc & 0x8000) != 0;
            crc = static_cast<std::uint16_t>(crc << 1);
            if (in != top) crc ^= 0x1021;
        }
    }
    return crc;
}

std::string Hex(std::span<const std::uint8_t> bytes) {
    std::string out;
    char buf[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(buf, sizeof buf, "%02X", bytes[i]);
        if (i) out += ' ';
        out += buf;
    }
    return out;
}

// ---- SimComponent ----

SimComponent::SimComponent() : eeprom_(0x10000, 0xFF), initialEeprom_(eeprom_), factoryEeprom_(eeprom_) {}

std::uint8_t SimComponent::Eeprom(std::uint32_t address) const { return eeprom_[address & 0xFFFF]; }

void SimComponent::SetEeprom(std::uint32_t address, std::span<const std::uint8_t> bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) eeprom_[(address + i) & 0xFFFF] = bytes[i];
}

std::vector<std::uint8_t> SimComponent::EepromBytes(std::uint32_t address, std::size_t count) const {
    std::vector<std::uint8_t> out(count);
    for (std::size_t i = 0; i < count; ++i) out[i] = Eeprom(static_cast<std::uint32_t>(address + i));
    return out;
}

std::uint8_t SimComponent::Ram(std::uint16_t variable, std::uint32_t index) const {
    auto it = ram_.find(static_cast<std::uint32_t>(variable) << 16 | (index & 0xFFFF));
    return it == ram_.end() ? 0 : it->second;
}

void SimComponent::SetRam(std::uint16_t variable, std::uint32_t index, std::span<const std::uint8_t> bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i)
        ram_[static_cast<std::uint32_t>(variable) << 16 | ((index + i) & 0xFFFF)] = bytes[i];
}

std::vector<std::uint8_t> SimComponent::RamBytes(std::uint16_t variable, std::uint32_t index,
                                                 std::size_t count) const {
    std::vector<std::uint8_t> out(count);
    for (std::size_t i = 0; i < count; ++i) out[i] = Ram(variable, static_cast<std::uint32_t>(index + i));
    return out;
}

std::array<std::uint8_t, 16> SimComponent::FlashBlock(std::uint16_t block) const {
    auto it = flash_.find(block);
    if (it != flash_.end()) return it->second;
    std::array<std::uint8_t, 16> erased;
    erased.fill(0xFF);
    return erased;
}

void SimComponent::SetFlashBlock(std::uint16_t block, std::span<const std::uint8_t> bytes) {
    std::array<std::uint8_t, 16> data;
    data.fill(0xFF);
    std::copy_n(bytes.begin(), std::min<std::size_t>(bytes.size(), 16), data.begin());
    flash_[block] = data;
}

void SimComponent::EraseFlash(std::uint16_t firstBlock, int blockCount) {
    for (int i = 0; i < blockCount; ++i) flash_.erase(static_cast<std::uint16_t>(firstBlock + i));
}

void SimComponent::SetCode(Memory kind, std::uint16_t codeNumber, int offset,
                           std::span<const std::uint8_t> bytes) {
    if (kind == Memory::Ram)
        SetRam(codeNumber, static_cast<std::uint32_t>(offset), bytes);
    else
        SetEeprom(static_cast<std::uint32_t>(codeNumber + offset), bytes);
}

std::vector<std::uint8_t> SimComponent::Code(Memory kind, std::uint16_t codeNumber, int offset,
                                             std::size_t count) const {
    if (kind == Memory::Ram) return RamBytes(codeNumber, static_cast<std::uint32_t>(offset), count);
    return EepromBytes(static_cast<std::uint32_t>(codeNumber + offset), count);
}

void SimComponent::MarkEepromAsFactory() {
    initialEeprom_ = eeprom_;
    factoryEeprom_ = eeprom_;
}

// ---- PanelSim ----

PanelSim::PanelSim(std::uint8_t centralAddress) : central_(static_cast<std::uint8_t>(centralAddress & 0x7F)) {
    components_[central_];
    for (std::uint8_t alias : {0x00, 0x12, 0x15})
        if (alias != central_) aliases_[alias] = central_;
    AcceptCode("8371");
    AcceptCode("C7D2");
}

SimComponent& PanelSim::Component(std::uint8_t busAddress) {
    busAddress &= 0x7F;
    auto alias = aliases_.find(busAddress);
    if (alias != aliases_.end()) busAddress = alias->second;
    return components_[busAddress];
}

void PanelSim::AddAlias(std::uint8_t alias, std::uint8_t target) {
    aliases_[static_cast<std::uint8_t>(alias & 0x7F)] = static_cast<std::uint8_t>(target & 0x7F);
    components_[static_cast<std::uint8_t>(target & 0x7F)];
}

bool PanelSim::Serves(std::uint8_t busAddress) const {
    busAddress &= 0x7F;
    return components_.count(busAddress) != 0 || aliases_.count(busAddress) != 0;
}

void PanelSim::AcceptCode(const std::string& fourHexDigits) {
    codes_.push_back(static_cast<std::uint16_t>(std::stoul(fourHexDigits, nullptr, 16)));
}

void PanelSim::Reconnect() {
    rx_.clear();
    rxExpected_ = -1;
    pending_.clear();
    awaitingAck_ = false;
    acked_.reset();
    outbox_.clear();
    lastAccepted_.clear();
    toggle_ = false;
    dropped_ = false;
}

std::vector<std::vector<std::uint8_t>> PanelSim::ReceivedFrames() const {
    std::vector<std::vector<std::uint8_t>> out;
    for (const SimEvent& e : events_)
        if (e.kind == SimEvent::ReceivedFrame) out.push_back(e.bytes);
    return out;
}

void PanelSim::Log(std::int64_t now, SimEvent::Kind kind, std::vector<std::uint8_t> bytes) {
    events_.push_back(SimEvent{now, kind, std::move(bytes)});
}

std::int64_t PanelSim::NextDueMs() const {
    std::int64_t due = -1;
    auto take = [&](std::int64_t t) { due = due < 0 ? t : std::min(due, t); };
    if (!outbox_.empty()) take(outbox_.front().dueMs);
    if (awaitingAck_) take(ackDeadline_);
    else if (!pending_.empty()) take(pending_.front().notBefore);
    if (!rx_.empty()) take(rxLastMs_ + interByteTimeoutMs_ + 1);
    return due;
}

std::vector<std::uint8_t> PanelSim::Step(std::int64_t nowMs, std::span<const std::uint8_t> input) {
    std::vector<std::uint8_t> out;
    if (dropped_) return out;
    if (!rx_.empty() && nowMs - rxLastMs_ > interByteTimeoutMs_) {
        Log(nowMs, SimEvent::DroppedPartial, rx_);
        rx_.clear();
    }
    for (std::uint8_t b : input) Feed(nowMs, b);
    Pump(nowMs);
    while (!outbox_.empty() && outbox_.front().dueMs <= nowMs) {
        OutChunk chunk = std::move(outbox_.front());
        outbox_.pop_front();
        out.insert(out.end(), chunk.bytes.begin(), chunk.bytes.end());
        if (chunk.dropAfter) {
            dropped_ = true;
            outbox_.clear();
            pending_.clear();
            awaitingAck_ = false;
            break;
        }
    }
    return out;
}

void PanelSim::Feed(std::int64_t now, std::uint8_t byte) {
    if (!rx_.empty() && now - rxLastMs_ > interByteTimeoutMs_) {
        Log(now, SimEvent::DroppedPartial, rx_);
        rx_.clear();
    }
    rxLastMs_ = now;
    if (rx_.empty()) {
        if (byte == kFirst || byte == kRepeat) {
            rx_.push_back(byte);
            rxExpected_ = -1;
        } else if (byte == kAck || byte == kNak) {
            rx_.push_back(byte);
            rxExpected_ = 5;
        }
        return;  // anything else between frames is line noise
    }
    rx_.push_back(byte);
    if (rxExpected_ < 0 && rx_.size() == 4) rxExpected_ = DataFrameLength(byte);
    if (rxExpected_ > 0 && static_cast<int>(rx_.size()) >= rxExpected_) {
        HandleFrame(now);
        rx_.clear();
        rxExpected_ = -1;
    }
}

void PanelSim::HandleFrame(std::int64_t now) {
    std::vector<std::uint8_t> f = rx_;
    bool isAck = f[0] == kAck || f[0] == kNak;
    if (!CrcOk(f)) {
        Log(now, SimEvent::ReceivedBadCrc, f);
        std::uint8_t dest = f[1] & 0x7F;
        if (!isAck && Serves(dest)) SendAck(now + latencyMs_, kNak, f[2] & 0x7F, dest, toggle_);
        return;
    }
    std::uint8_t dest = f[1] & 0x7F;
    if (!(isAck ? Serves(dest) : (dest == kBroadcast || Serves(dest)))) {
        Log(now, SimEvent::ReceivedForeign, f);
        return;
    }
    if (isAck && LoseAck(f)) {
        Log(now, SimEvent::LostAck, f);
        return;
    }
    Log(now, SimEvent::ReceivedFrame, f);
    if (isAck)
        HandleAckFrame(now, f);
    else
        HandleDataFrame(now, f);
}

bool PanelSim::LoseAck(const std::vector<std::uint8_t>& f) {
    if (f[0] != kAck || Held() || faults_.lostAcks <= 0 || !awaitingAck_ || pending_.empty()) return false;
    const TxFrame& front = pending_.front();
    if ((f[1] & 0x7F) != front.from || front.attempts != 1) return false;
    --faults_.lostAcks;
    return true;
}

void PanelSim::HandleAckFrame(std::int64_t now, const std::vector<std::uint8_t>& f) {
    if (f[0] == kAck) toggle_ = !toggle_;  // every ACK for us, whichever frame it answers
    if (!awaitingAck_ || pending_.empty()) return;  // a stray acknowledgement
    TxFrame& front = pending_.front();
    if ((f[1] & 0x7F) != front.from) return;
    if (f[0] == kAck) {
        acked_ = front;
        pending_.pop_front();
        awaitingAck_ = false;
        if (Strike(faults_.staleDuplicates)) {
            std::vector<std::uint8_t> again = acked_->bytes;
            again[0] = kRepeat;
            PutCrc(again);
            Emit(now, std::move(again));
        }
        return;
    }
    // NAK: repeat at once, unless the attempts are used up.
    if (front.attempts >= kMaxAttempts) {
        Log(now, SimEvent::GaveUp, front.bytes);
        pending_.pop_front();
        awaitingAck_ = false;
        return;
    }
    Transmit(now, front);
}

void PanelSim::HandleDataFrame(std::int64_t now, const std::vector<std::uint8_t>& f) {
    std::uint8_t dest = f[1] & 0x7F;
    std::uint8_t src = f[2] & 0x7F;
    bool wantsAck = (f[2] & 0x80) != 0;
    bool repeat = f[0] == kRepeat;
    auto last = lastAccepted_.find(src);
    bool duplicate = repeat && last != lastAccepted_.end() && SameContent(last->second, f);

    if (dest == kBroadcast) {
        if (duplicate) {
            Log(now, SimEvent::Duplicate, f);
            return;
        }
        lastAccepted_[src] = f;
        Execute(now, central_, src, f);  // broadcasts are executed and never answered
        return;
    }
    // Requests are counted as they come, over every connection: the first faultsAfter pass
    // unharmed, and so does everything sent for them.
    passing_ = faults_.faultsAfter > 0;
    if (passing_) --faults_.faultsAfter;
    if (Strike(faults_.ignoreRequests)) return;
    if (Strike(faults_.nakRequests)) {
        SendAck(now + latencyMs_, kNak, src, dest, toggle_);
        return;
    }
    // Only a first transmission gives the toggle bit; the acknowledgement carries the bit as it
    // then stands, and the bit inverts whether or not an acknowledgement goes out.
    if (!repeat) toggle_ = (f[1] & 0x80) != 0;
    const bool toggle = toggle_;
    toggle_ = !toggle_;
    if (duplicate) {
        // Our acknowledgement got lost: acknowledge again, do not execute twice.
        Log(now, SimEvent::Duplicate, f);
        if (wantsAck) SendAck(now + latencyMs_, kAck, src, dest, toggle);
        return;
    }
    lastAccepted_[src] = f;
    // A new request abandons whatever was still going out for the one before.
    pending_.clear();
    awaitingAck_ = false;

    std::vector<TxFrame> answers = Execute(now, dest, src, f);
    std::int64_t at = now + latencyMs_;
    bool ackFirst = true;
    if (!answers.empty() && Strike(faults_.answerBeforeAck)) ackFirst = false;
    bool ack = wantsAck;
    if (Strike(faults_.answersWithoutAck)) ack = false;
    if (ack && ackFirst) SendAck(at, kAck, src, dest, toggle);
    if (!answers.empty()) {
        if (Strike(faults_.missingAnswers))
            answers.clear();
        else if (Strike(faults_.lateAnswers))
            at += faults_.lateAnswerMs;
    }
    if (!answers.empty() && !Held() && faults_.keepAnswers >= 0) {
        if (answers.size() > static_cast<std::size_t>(faults_.keepAnswers))
            answers.resize(static_cast<std::size_t>(faults_.keepAnswers));
        faults_.keepAnswers = -1;
    }
    if (!answers.empty() && Strike(faults_.badCrcAnswers)) answers.front().corruptFirst = true;
    for (TxFrame& a : answers) {
        a.notBefore = at;
        pending_.push_back(std::move(a));
    }
    if (!ackFirst) {
        Pump(at);
        if (ack) SendAck(at, kAck, src, dest, toggle);
    }
}

std::vector<std::uint8_t> PanelSim::DataFrame(std::uint8_t to, std::uint8_t from, std::uint8_t command,
                                              std::span<const std::uint8_t> payload) {
    std::vector<std::uint8_t> f(static_cast<std::size_t>(DataFrameLength(command)), 0);
    f[0] = kFirst;
    f[1] = to;  // the toggle bit is put in when the frame goes out
    f[2] = static_cast<std::uint8_t>(from | 0x80);
    f[3] = command;
    std::copy_n(payload.begin(), std::min(payload.size(), f.size() - 6), f.begin() + 4);
    PutCrc(f);
    return f;
}

std::vector<PanelSim::TxFrame> PanelSim::Execute(std::int64_t now, std::uint8_t self, std::uint8_t pc,
                                                 const std::vector<std::uint8_t>& f) {
    ++executed_;
    Log(now, SimEvent::Executed, f);
    SimComponent& c = Component(self);
    const std::uint8_t* p = f.data() + 4;
    std::vector<TxFrame> out;
    auto answer = [&](std::uint8_t command, std::span<const std::uint8_t> payload) {
        TxFrame t;
        t.bytes = DataFrame(pc, self, command, payload);
        t.from = self;
        t.to = pc;
        out.push_back(std::move(t));
    };
    switch (f[3]) {
    case 0x10:  // control
        Control(c, p[0]);
        break;
    case 0x23: {  // code-address query
        std::uint32_t key = static_cast<std::uint32_t>((p[0] & 0xEF) << 8 | p[1]);
        if (p[0] & 0x10) key += SimComponent::kUserCode;
        auto it = c.descriptors.find(key);
        std::array<std::uint8_t, 2> d = it != c.descriptors.end() ? it->second : std::array<std::uint8_t, 2>{0x70, 0x00};
        answer(0x24, d);
        break;
    }
    case 0x25:  // flash-table erase: one sector of 256 blocks
        c.EraseFlash(static_cast<std::uint16_t>(p[0] | p[1] << 8), 256);
        break;
    case 0x41: {  // login or callback request
        std::uint16_t code = static_cast<std::uint16_t>(p[1] << 8 | p[2]);
        bool ok = std::find(codes_.begin(), codes_.end(), code) != codes_.end();
        if (ok && p[0] == 0) loggedIn_ = true;
        std::array<std::uint8_t, 7> reply{static_cast<std::uint8_t>(ok ? 1 : 0), 0, 0, 0, 0, 0, 0};
        answer(0x70, reply);
        break;
    }
    case 0x44: {  // block read: one 0xF0 frame per 16-byte block
        std::uint16_t block = static_cast<std::uint16_t>(p[0] | p[1] << 8);
        for (int i = 0; i < p[2]; ++i) {
            std::uint16_t b = static_cast<std::uint16_t>(block + i);
            std::array<std::uint8_t, 18> payload{};
            const std::uint16_t named = faults_.blockAnswersNoEcho ? static_cast<std::uint16_t>(~b) : b;
            payload[0] = static_cast<std::uint8_t>(named & 0xFF);
            payload[1] = static_cast<std::uint8_t>(named >> 8);
            auto data = c.FlashBlock(b);
            std::copy(data.begin(), data.end(), payload.begin() + 2);
            answer(0xF0, payload);
        }
        break;
    }
    case 0x51: {  // memory read: 8 bytes per 0xB0/0xB1 answer (15 per 0xF0), each with the echoed address
        bool ram = (p[0] & 0x80) != 0;
        std::uint16_t address = static_cast<std::uint16_t>((p[0] & 0x3F) << 8 | p[1]);
        int count = p[3];
        int offset = p[4];
        std::vector<std::uint8_t> data = ram ? c.RamBytes(address, static_cast<std::uint32_t>(offset), count)
                                             : c.EepromBytes(static_cast<std::uint32_t>(address + offset), count);
        const bool fixed = ram && (address == 0x0002 || address == 0x0003 || address == 0x0006 ||
                                   address == 0x0010 || address == 0x0016 || address == 0x0032);
        std::uint8_t command = ram || faults_.eepromAnswersB1 ? 0xB1 : 0xB0;
        if (faults_.memoryAnswersF0 && !fixed) command = 0xF0;
        const int perAnswer = command == 0xF0 ? 15 : 8;
        for (int at = 0; at < count; at += perAnswer) {
            std::array<std::uint8_t, 18> payload{};
            payload[0] = p[0];
            payload[1] = p[1];
            payload[2] = static_cast<std::uint8_t>(faults_.memoryByte2 >= 0 ? faults_.memoryByte2 : offset + at);
            for (int i = 0; i < perAnswer && at + i < count; ++i)
                payload[static_cast<std::size_t>(3 + i)] = data[static_cast<std::size_t>(at + i)];
            answer(command, payload);  // DataFrame keeps the payload length of the command
        }
        break;
    }
    case 0x5B: {  // remote command; bit 7 asks for the status afterwards
        std::uint8_t sub = p[0];
        if (sub != 0xFF) Remote(c, static_cast<std::uint8_t>(sub & 0x7F), p + 1);
        if (sub & 0x80) answer(0xA1, c.status);
        break;
    }
    case 0xB0:
    case 0xB1: {  // memory write
        int count = p[0] >> 5;
        if (count == 0) count = 8;
        std::uint16_t address = static_cast<std::uint16_t>((p[0] & 0x1F) << 8 | p[1]);
        std::span<const std::uint8_t> data(p + 3, static_cast<std::size_t>(count));
        if (f[3] == 0xB1)
            c.SetRam(address, p[2], data);
        else
            c.SetEeprom(static_cast<std::uint32_t>(address + p[2]), data);
        break;
    }
    case 0xF0:  // flash write of one block
        c.SetFlashBlock(static_cast<std::uint16_t>(p[0] | p[1] << 8), std::span<const std::uint8_t>(p + 2, 16));
        break;
    default:  // keep-alive, phone test, file erase and anything unknown: acknowledged only
        break;
    }
    return out;
}

void PanelSim::Control(SimComponent& c, int code) {
    controls_.push_back(code);
    switch (code) {
    case 5: c.eeprom_ = c.initialEeprom_; break;
    case 8: loggedIn_ = false; break;
    case 28: c.factoryEeprom_ = c.eeprom_; break;
    case 29: c.eeprom_ = c.factoryEeprom_; break;
    default: break;
    }
}

void PanelSim::Remote(SimComponent& c, std::uint8_t sub, const std::uint8_t* args) {
    const std::uint8_t on = 1, off = 0;
    switch (sub) {
    case 0:  // zone bypass: the mask toggles the bypass of its zones
        if (args[0] == 0x3F) c.status[4] ^= args[1];
        if (args[0] == 0x7F) c.status[5] ^= args[1];
        break;
    case 2: c.status[6] |= args[0]; break;
    case 3: c.status[6] &= static_cast<std::uint8_t>(~args[0]); break;
    case 4: c.SetRam(0x0006, args[0], std::span(&on, 1)); break;
    case 5: c.SetRam(0x0006, args[0], std::span(&off, 1)); break;
    case 12: c.SetRam(0x0032, args[0], std::span(&on, 1)); break;
    case 13: c.SetRam(0x0032, args[0], std::span(&off, 1)); break;
    default: break;
    }
}

void PanelSim::SendAck(std::int64_t at, std::uint8_t code, std::uint8_t to, std::uint8_t self, bool toggle) {
    std::vector<std::uint8_t> f{code, static_cast<std::uint8_t>((to & 0x7F) | (toggle ? 0x80 : 0)),
                                static_cast<std::uint8_t>(self & 0x7F), 0, 0};
    PutCrc(f);
    if (code == kAck && Strike(faults_.badCrcAcks)) f[4] ^= 0x5A;
    Emit(at, std::move(f));
}

std::int64_t PanelSim::Emit(std::int64_t at, std::vector<std::uint8_t> bytes) {
    // The line carries one thing after the other: nothing goes out before the last chunk queued,
    // so a frame once started (a split one with its pause) ends before the next one starts.
    auto put = [&](std::int64_t due, std::vector<std::uint8_t> b, bool dropAfter) {
        if (!outbox_.empty()) due = std::max(due, outbox_.back().dueMs);
        Log(due, SimEvent::Sent, b);
        outbox_.push_back(OutChunk{due, std::move(b), dropAfter});
        return due;
    };
    if (!faults_.noise.empty() && !Held()) {
        put(at, faults_.noise, false);
        faults_.noise.clear();
    }
    if (faults_.dropAfterBytes >= 0 && !Held()) {
        std::size_t keep = std::min(bytes.size(), static_cast<std::size_t>(faults_.dropAfterBytes));
        faults_.dropAfterBytes = -1;
        return put(at, std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + static_cast<long>(keep)), true);
    }
    if (bytes.size() >= 2 && Strike(faults_.splitFrames)) {
        std::size_t half = bytes.size() / 2;
        std::int64_t first =
            put(at, std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + static_cast<long>(half)), false);
        return put(first + faults_.splitGapMs,
                   std::vector<std::uint8_t>(bytes.begin() + static_cast<long>(half), bytes.end()), false);
    }
    return put(at, std::move(bytes), false);
}

void PanelSim::Transmit(std::int64_t now, TxFrame& frame) {
    if (frame.attempts == 0) {  // the toggle bit as it stands now; the repeats keep it
        frame.bytes[1] = static_cast<std::uint8_t>((frame.to & 0x7F) | (toggle_ ? 0x80 : 0));
        PutCrc(frame.bytes);
    }
    std::vector<std::uint8_t> bytes = frame.bytes;
    if (frame.attempts > 0) bytes[0] = kRepeat;
    PutCrc(bytes);
    if (frame.attempts == 0 && frame.corruptFirst) bytes.back() ^= 0x5A;
    ++frame.attempts;
    if (Strike(faults_.foreignFrames)) {
        std::vector<std::uint8_t> other = frame.bytes;
        other[0] = kFirst;
        other[1] = static_cast<std::uint8_t>((faults_.foreignAddress & 0x7F) | (bytes[1] & 0x80));
        PutCrc(other);
        Emit(now, std::move(other));
    }
    // The wait for the PC's acknowledgement starts when the frame's last byte has gone out.
    std::int64_t lastDue = Emit(now, std::move(bytes));
    if (frame.wantsAck) {
        awaitingAck_ = true;
        ackDeadline_ = lastDue + ackTimeoutMs_;
    }
}

void PanelSim::Pump(std::int64_t now) {
    for (;;) {
        if (awaitingAck_) {
            if (now < ackDeadline_ || pending_.empty()) return;
            TxFrame& front = pending_.front();
            if (front.attempts >= kMaxAttempts) {
                Log(now, SimEvent::GaveUp, front.bytes);
                pending_.pop_front();
                awaitingAck_ = false;
                continue;
            }
            Transmit(now, front);
            return;
        }
        if (pending_.empty() || pending_.front().notBefore > now) return;
        Transmit(now, pending_.front());
        if (!pending_.front().wantsAck) pending_.pop_front();
    }
}

}  // namespace panelsim
