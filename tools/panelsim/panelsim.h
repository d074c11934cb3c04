// A simulated control panel for tests and for trying Orvane without hardware.
//
// It speaks the panel's side of the bus protocol: it assembles the frames that the PC sends,
// checks their CRC, acknowledges them with the toggle bit, executes the requests against its
// own RAM, EEPROM and flash images and sends the answers, repeating them until the PC
// acknowledges. It is written on its own (its own CRC and frame reader, nothing shared with the
// link library), so that a fault in one side is not mirrored in the other.
//
// It is driven by time and bytes only: Step() takes the bytes that arrived and the current time
// in milliseconds and gives back the bytes to send at that time. The same object therefore runs
// in-process on a test's virtual clock, behind a TCP socket or behind a pseudo-terminal.
//
// It can be told to misbehave (SimFaults): stay silent, NAK, corrupt a CRC, answer late or not at
// all, repeat an old answer, lose the PC's acknowledgements, talk to another address, send noise,
// split a frame by a pause, and drop the connection. It can also answer in other forms a panel may
// use (0xF0 or 0xB1 answers to memory reads, any byte 2 in memory answers, block answers without
// the block address).
//
// The toggle bit: one bit for the whole link, kept as the PC's frame layer keeps its own. A data
// frame for us that starts with 0x16 sets it to the frame's bit 7; a repeat (0x02) leaves it; the
// acknowledgement carries it; then it inverts. An ACK for us inverts it. Each frame we send
// carries it as it stands when the frame first goes out; its repeats keep that bit.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace panelsim {

// CRC-16 with polynomial 0x1021, initial value 0, no reflection and no final XOR.
std::uint16_t Crc(std::span<const std::uint8_t> bytes);

// Frame bytes as upper-case hexadecimal pairs separated by blanks ("16 01 90 01 03 C4").
std::string Hex(std::span<const std::uint8_t> bytes);

// Memory kinds, numbered as the model files number them.
enum class Memory : int { Ram = 1, Eeprom = 2 };

// One addressable unit on the bus (the central or a bus component) with its memories.
// - EEPROM is flat: 64 KiB, erased bytes read 0xFF.
// - RAM is addressed by variable and byte index (a read or write names a variable address and
//   an offset into it), so the clock at variable 0x0003 and the outputs at 0x0006 do not
//   overlap. Bytes never written read 0.
// - Flash is counted in 16-byte blocks with a 16-bit block address; erased blocks read 0xFF.
class SimComponent {
public:
    SimComponent();

    std::uint8_t Eeprom(std::uint32_t address) const;
    void SetEeprom(std::uint32_t address, std::span<const std::uint8_t> bytes);
    std::vector<std::uint8_t> EepromBytes(std::uint32_t address, std::size_t count) const;

    std::uint8_t Ram(std::uint16_t variable, std::uint32_t index) const;
    void SetRam(std::uint16_t variable, std::uint32_t index, std::span<const std::uint8_t> bytes);
    std::vector<std::uint8_t> RamBytes(std::uint16_t variable, std::uint32_t index,
                                       std::size_t count) const;

    std::array<std::uint8_t, 16> FlashBlock(std::uint16_t block) const;
    void SetFlashBlock(std::uint16_t block, std::span<const std::uint8_t> bytes);
    void EraseFlash(std::uint16_t firstBlock, int blockCount);
    // Blocks written or erased so far (erased ones read 0xFF).
    std::size_t FlashBlockCount() const { return flash_.size(); }

    // The bytes of a programming code as the PC addresses them: RAM at (code number, offset),
    // EEPROM at code number + offset. This is the seam through which a model file's codes and
    // values can fill the images.
    void SetCode(Memory kind, std::uint16_t codeNumber, int offset, std::span<const std::uint8_t> bytes);
    std::vector<std::uint8_t> Code(Memory kind, std::uint16_t codeNumber, int offset,
                                   std::size_t count) const;

    // The ten bytes of the general status answer (command 0xA1): detect 0-7, alarm 0-7, detect
    // 8-15, alarm 8-15, bypass 0-7, bypass 8-15, area status (bit n: area n+1 armed), panel
    // status, trouble 0-7, trouble 8-15.
    std::array<std::uint8_t, 10> status{};

    // The answers to the code-address query (command 0x24), by keypad address; a user code is
    // found under its keypad address plus kUserCode.
    static constexpr std::uint32_t kUserCode = 0x10000;
    std::map<std::uint32_t, std::array<std::uint8_t, 2>> descriptors;

    // Keeps the current EEPROM as what the deep reset (control 5) returns to, and what the
    // factory restore (control 29) returns to until control 28 stores another copy.
    void MarkEepromAsFactory();

private:
    friend class PanelSim;
    std::vector<std::uint8_t> eeprom_;
    std::vector<std::uint8_t> initialEeprom_;
    std::vector<std::uint8_t> factoryEeprom_;
    std::map<std::uint32_t, std::uint8_t> ram_;  // key: variable << 16 | index
    std::map<std::uint16_t, std::array<std::uint8_t, 16>> flash_;
};

// Misbehaviour on demand. Each counter is the number of times the fault still happens; it is
// counted down as the fault is applied. Requests means data frames addressed to a component.
struct SimFaults {
    int ignoreRequests = 0;     // neither acknowledged nor executed (silence)
    int nakRequests = 0;        // answered with a NAK and not executed
    int badCrcAcks = 0;         // the acknowledgement goes out with a corrupted CRC
    int badCrcAnswers = 0;      // an answer frame goes out with a corrupted CRC (the repeat is good)
    int missingAnswers = 0;     // acknowledged and executed, but the answer is never sent
    int keepAnswers = -1;       // >= 0: the next request with answers sends only its first keepAnswers
    int lateAnswers = 0;        // the answer waits lateAnswerMs before it goes out
    int lateAnswerMs = 0;
    int answerBeforeAck = 0;    // the answer goes out before the acknowledgement
    int answersWithoutAck = 0;  // executed and answered, but never acknowledged
    int staleDuplicates = 0;    // once acknowledged, the answer is sent again as a repeat (0x02)
    int lostAcks = 0;           // the PC's ACK of a frame's first transmission is lost: the frame
                                // goes out again as a repeat (0x02), whose ACK is taken
    int foreignFrames = 0;      // a well-formed frame for another bus address precedes the answer
    std::uint8_t foreignAddress = 0x22;
    std::vector<std::uint8_t> noise;  // bytes sent once, right before the next answer or ACK
    int splitFrames = 0;        // the next frame sent is split in two halves ...
    int splitGapMs = 0;         // ... this many milliseconds apart
    int dropAfterBytes = -1;    // >= 0: the connection drops after this many bytes of the next frame
    // The next faultsAfter requests pass unharmed, with everything sent for them (acknowledgement,
    // answers, their repeats): the faults above wait for the request after them.
    int faultsAfter = 0;

    // Answer forms that a panel may use besides the usual ones. Unlike the faults above they are
    // not counted down: each holds until it is changed.
    // Memory reads (0x51) answered with 0xF0 frames: 18-byte payload, the address echoed in
    // bytes 0-2 as usual, 15 data bytes from byte 3 on. The fixed RAM variables (event pointer
    // 0002, clock 0003, outputs 0006, measures 0010, radio flags 0016, relays 0032), whose reads
    // take 0xB1 answers only, are still answered with 0xB1.
    bool memoryAnswersF0 = false;
    // EEPROM reads answered with 0xB1 (as RAM reads are) instead of 0xB0.
    bool eepromAnswersB1 = false;
    // >= 0: byte 2 of every memory read's answer carries this value instead of the offset of the
    // answer's first byte.
    int memoryByte2 = -1;
    // Block read (0x44) answers carry no block address in bytes 0-1 (its complement instead).
    bool blockAnswersNoEcho = false;
};

// What the simulated panel saw and did, for assertions.
struct SimEvent {
    std::int64_t timeMs = 0;
    enum Kind {
        ReceivedFrame,   // a good frame (data or acknowledgement) for one of our addresses
        ReceivedBadCrc,  // a complete frame whose CRC is wrong
        ReceivedForeign, // a good frame for an address that is not ours
        DroppedPartial,  // a partial frame that died of silence
        Sent,            // bytes written (one frame, or noise)
        Executed,        // a request carried out (its frame in bytes)
        Duplicate,       // a repeat of the last executed request: acknowledged again only
        GaveUp,          // an answer frame abandoned after its attempts
        LostAck,         // an acknowledgement from the PC thrown away (lostAcks)
    } kind = ReceivedFrame;
    std::vector<std::uint8_t> bytes;
};

class PanelSim {
public:
    // A panel whose central answers at centralAddress and at the usual login destinations
    // (0x00, 0x12, 0x15) as aliases. The installer code 8371 and the alarm-receiving-centre
    // access code C7D2 are accepted.
    explicit PanelSim(std::uint8_t centralAddress = 0x01);

    // Feeds the bytes received at nowMs and runs the timers; returns the bytes to write now.
    std::vector<std::uint8_t> Step(std::int64_t nowMs, std::span<const std::uint8_t> input = {});
    // Earliest time at which Step has something to do without input (-1 when nothing is due).
    std::int64_t NextDueMs() const;

    // True once a dropAfterBytes fault has cut the connection; the host then closes its end.
    bool Dropped() const { return dropped_; }
    // A new connection: forgets the partial frame, pending answers and the dropped flag (the
    // memories stay).
    void Reconnect();

    // Components. The central exists from the start; Component() adds one when missing.
    SimComponent& Component(std::uint8_t busAddress);
    SimComponent& Central() { return Component(central_); }
    std::uint8_t CentralAddress() const { return central_; }
    // Frames for alias are handled by the component at target (they still answer as alias).
    void AddAlias(std::uint8_t alias, std::uint8_t target);
    bool Serves(std::uint8_t busAddress) const;

    void AcceptCode(const std::string& fourHexDigits);
    void ClearCodes() { codes_.clear(); }

    // Milliseconds between a request and its acknowledgement and answer (0 by default).
    void SetLatencyMs(int ms) { latencyMs_ = ms; }
    // How long an answer frame waits for the PC's acknowledgement before it is repeated.
    void SetAckTimeoutMs(int ms) { ackTimeoutMs_ = ms; }
    // A partial frame older than this is dropped.
    void SetInterByteTimeoutMs(int ms) { interByteTimeoutMs_ = ms; }

    SimFaults& Faults() { return faults_; }
    const std::vector<SimEvent>& Events() const { return events_; }
    void ClearEvents() { events_.clear(); }
    // The good frames received from the PC (data and acknowledgements), in order.
    std::vector<std::vector<std::uint8_t>> ReceivedFrames() const;
    int ExecutedCount() const { return executed_; }
    // Control codes received (broadcast or addressed), in order.
    const std::vector<int>& ControlCodes() const { return controls_; }
    bool LoggedIn() const { return loggedIn_; }

private:
    struct TxFrame {
        std::vector<std::uint8_t> bytes;
        std::uint8_t from = 0;       // the component address it answers as
        std::uint8_t to = 0;         // the PC's address
        bool wantsAck = true;
        bool corruptFirst = false;
        int attempts = 0;
        std::int64_t notBefore = 0;
    };
    struct OutChunk {
        std::int64_t dueMs = 0;
        std::vector<std::uint8_t> bytes;
        bool dropAfter = false;
    };

    void Feed(std::int64_t now, std::uint8_t byte);
    void HandleFrame(std::int64_t now);
    // True when the lostAcks fault swallows this acknowledgement.
    bool LoseAck(const std::vector<std::uint8_t>& f);
    void HandleAckFrame(std::int64_t now, const std::vector<std::uint8_t>& f);
    void HandleDataFrame(std::int64_t now, const std::vector<std::uint8_t>& f);
    std::vector<TxFrame> Execute(std::int64_t now, std::uint8_t self, std::uint8_t pc, const std::vector<std::uint8_t>& f);
    void Control(SimComponent& c, int code);
    void Remote(SimComponent& c, std::uint8_t sub, const std::uint8_t* args);

    std::vector<std::uint8_t> DataFrame(std::uint8_t to, std::uint8_t from, std::uint8_t command,
                                        std::span<const std::uint8_t> payload);
    // While held (faultsAfter), no counted fault strikes; Strike applies one when it may and
    // counts it down.
    bool Held() const { return passing_ || faults_.faultsAfter > 0; }
    bool Strike(int& count) {
        if (Held() || count <= 0) return false;
        --count;
        return true;
    }
    void SendAck(std::int64_t at, std::uint8_t code, std::uint8_t to, std::uint8_t self, bool toggle);
    // Queues bytes to go out at `at`, or once the bytes already queued are out; returns when the
    // last of them goes out.
    std::int64_t Emit(std::int64_t at, std::vector<std::uint8_t> bytes);
    void Transmit(std::int64_t now, TxFrame& frame);
    void Pump(std::int64_t now);
    void Log(std::int64_t now, SimEvent::Kind kind, std::vector<std::uint8_t> bytes);

    std::uint8_t central_;
    std::map<std::uint8_t, SimComponent> components_;
    std::map<std::uint8_t, std::uint8_t> aliases_;
    std::vector<std::uint16_t> codes_;
    int latencyMs_ = 0;
    int ackTimeoutMs_ = 250;
    int interByteTimeoutMs_ = 150;
    SimFaults faults_;

    // Receiving.
    std::vector<std::uint8_t> rx_;
    int rxExpected_ = -1;
    std::int64_t rxLastMs_ = 0;
    std::map<std::uint8_t, std::vector<std::uint8_t>> lastAccepted_;  // by PC address

    // Sending.
    std::deque<TxFrame> pending_;
    bool awaitingAck_ = false;
    std::int64_t ackDeadline_ = 0;
    std::optional<TxFrame> acked_;  // the last answer acknowledged (for stale duplicates)
    std::deque<OutChunk> outbox_;
    bool toggle_ = false;  // the link's toggle bit (see the top of this file)
    bool dropped_ = false;
    bool passing_ = false;  // the request being served is one of faultsAfter's

    std::vector<SimEvent> events_;
    std::vector<int> controls_;
    int executed_ = 0;
    bool loggedIn_ = false;
};

}  // namespace panelsim
