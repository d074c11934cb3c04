// The frame layer of the panel's bus protocol: it builds request frames, sends them and waits
// for their acknowledgement with repeats, assembles the incoming bytes into frames (checking the
// CRC, acknowledging good frames, rejecting bad ones) and keeps the good frames in a queue from
// which the application core takes its answers. Bytes go through the link (CConexio), whose kind
// also gives the timing (ConexioKindTable).
//
// The core drives every exchange as: build a request (Build...), Send, WaitAnswer, GetAnswer.
//
// Safety rules of this layer:
// - Only one exchange at a time: a send, a wait or a build while a send or wait runs (reached
//   through the event loop's yield) is refused with "Espere, Proceso automático en curso".
// - Every write of a new frame starts from an empty queue, so nothing received before it (a
//   late acknowledgement, an old answer) can be taken for its acknowledgement or answer.
// - An exchange that ends unanswered (cancelled, timed out, its answers abandoned) may still have
//   answers on their way, and many answers name nothing of the request they answer. The next
//   send therefore first drains the link until the link kind's answer time-out has passed since
//   that end and, when the drain took bytes, on until the line has stayed quiet for the kind's
//   acknowledgement wait (a panel sends its next answer frame once the previous one is
//   acknowledged, so the drain's own acknowledgements keep a late answer coming): what arrives
//   is traced and acknowledged as usual, then discarded.
// - Nothing is written while bytes wait in the link: they are read and acknowledged first, and
//   the line must then stay quiet as after a drain.
// - A read that follows trouble (a drain that took bytes, bytes found before a write, a repeated
//   request, an exchange that ended unanswered) may still meet an answer that crossed its
//   request on the line. Once it has its bytes it waits until the line has stayed quiet for the
//   acknowledgement wait; an answer that comes in that time shows that the read cannot tell its
//   own answers from late ones: what it took is dropped and, for a read or the status request
//   (asking twice changes nothing in the panel), the request is asked again, at most
//   kMaxReadRepeats times; otherwise the exchange ends as a time-out ("Timeout"). A read after
//   trouble that ends short drops its bytes too. On a clean line nothing waits longer.
// - Every request goes out with the toggle bit current when it is written (also on its repeats),
//   whatever was received and acknowledged since it was built.
// - A frame the panel repeats (start 0x02, same content as the last frame queued) is
//   acknowledged again but not queued a second time. Like every repeat it leaves the toggle bit
//   to the receive rule: the acknowledgement carries the current bit, then the bit inverts.
// - The queue holds at most kQueueLimit frames; the oldest goes first.
// - A send that gets no acknowledgement counts as a time-out (TimedOut), so callers may retry.
// - A link that breaks is reported: LinkLost() and the handler given to SetLinkLostHandler.
// - A builder that refuses its arguments leaves nothing to send (a later Send says "Nada que
//   enviar"); fields that do not fit their bits are refused, never cut or spilled.
// - The destructor touches neither the link nor the timers: whoever owns them stops this layer
//   with Disconnect first.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "link/frame.h"
#include "link/texts.h"

class CConexio;
class CLog;
class Clock;
class Progress;
class Timer;
class UiServices;

// The destination of a request: a bus address as hexadecimal text (the data model's form) or as
// a number. Text is read whole, so "0001" is 0x01 and "0101" does not fit.
class BusDestination {
public:
    BusDestination(int address) : address_(address) {}
    BusDestination(const std::string& text) : text_(text), isText_(true) {}
    BusDestination(const char* text) : text_(text ? text : ""), isText_(true) {}
    // The address, or -1 when it is not one.
    int Resolve() const;

private:
    int address_ = 0;
    std::string text_;
    bool isText_ = false;
};

// The answer commands that may follow a request (kCmdNone marks an unused slot).
struct ExpectedAnswers {
    std::uint8_t c[3] = {kCmdNone, kCmdNone, kCmdNone};
    bool Has(std::uint8_t command) const {
        return command != kCmdNone && (c[0] == command || c[1] == command || c[2] == command);
    }
};

// How a multi-frame read ended (CProtocol::CollectAnswers).
enum class CollectEnd {
    Complete,   // wanted bytes came (with oneAnswer: the first own answer came)
    Stopped,    // the answers stopped first: the wait's error (TimedOut tells a time-out)
    Foreign,    // too many answers were not the request's own
    Cancelled,  // afterAnswer said stop
};
struct CollectOptions {
    bool oneAnswer = false;  // take the first own answer only
    // Called after each own answer that did not complete the read; false stops it.
    std::function<bool()> afterAnswer;
    // The answer commands the read takes (a fixed RAM read: 0xB1 only).
    ExpectedAnswers commands{{kCmdWriteEeprom, kCmdWriteRam, kCmdFlashData}};
    // A single code's memory read: an answer is the read's own only when its byte 0 (masked
    // with 0x1F) and byte 1 echo the request's address bytes.
    bool checkAddress = false;
};

class CProtocol {
public:
    static constexpr std::size_t kQueueLimit = 64;
    static constexpr int kReadBufferSize = 128;
    static constexpr int kPartialFrameTimeout = 150;  // ms of silence that kill a partial frame
    static constexpr int kIdleQueueTimeout = 2000;    // ms of silence that empty the queue
    static constexpr int kPumpInterval = kPumpIntervalMs;
    static constexpr int kIdlePollInterval = kIdlePollIntervalMs;
    // The refusal of an exchange or build while another exchange runs.
    static constexpr const char* kBusyError = kTextBusy;

    CProtocol();
    ~CProtocol();
    CProtocol(const CProtocol&) = delete;
    CProtocol& operator=(const CProtocol&) = delete;

    // Wiring (all non-owning; null detaches).
    void SetLink(CConexio* link) { link_ = link; }
    CConexio* GetLink() const { return link_; }
    void SetLog(CLog* log) { log_ = log; }
    void SetTimers(Timer* pump, Timer* idlePoll) {
        pump_ = pump;
        idlePoll_ = idlePoll;
    }
    void SetUiServices(UiServices* ui) { ui_ = ui; }
    // The progress of the running operation, checked for Cancel in every wait (null: the waits
    // only yield through the UI services).
    void SetProgress(Progress* progress) { progress_ = progress; }
    // The clock of every wait; without one the link's clock, without a link the system clock.
    void SetClock(Clock* clock) { clock_ = clock; }
    // Called once when a read finds the link broken (after this layer disconnected itself).
    void SetLinkLostHandler(std::function<void()> handler) { linkLost_ = std::move(handler); }

    // Starts the layer: own address (255: by the link's kind), toggle 0, both timers running.
    // An own address of 0x80 to 0xFE does not fit the address bits: refused ("Dirección no
    // válida"), nothing changes.
    bool Connect(int ownAddress = 255);
    bool ConnectTo(const std::string& ownAddressHex);
    // Stops both timers, empties the queue, forgets the frames.
    void Disconnect();
    bool IsConnected() const { return connected_; }
    // A send or wait is running (the idle poll must not start another).
    bool InOperation() const { return busy_; }
    // The link broke while connected (cleared by Connect).
    bool LinkLost() const { return lost_; }

    // Sends the frame last built; true once acknowledged (a broadcast: once written 4 times).
    bool Send();
    // Waits for a queued answer with one of the commands (kCmdNone for an unused slot) and takes
    // it out of the queue. Acknowledgements met on the way are dropped.
    bool WaitAnswer(std::uint8_t command1, std::uint8_t command2, std::uint8_t command3);
    // The payload of the answer taken by WaitAnswer (from byte 4) and its length; null and 0
    // when there is none.
    const unsigned char* GetAnswer(int& length) const;
    // The last WaitAnswer, or the last Send, ended without hearing from the panel in time.
    bool TimedOut() const { return lastTimedOut_; }

    // ---- Multi-frame reads. After a memory read (0x51) or a block read (0x44) was sent, collects
    // the data of its answers into data (appended) until wanted bytes came. An answer counts when
    // its command is one of options.commands (0xB0, 0xB1 or 0xF0 unless told otherwise); a memory
    // read's data begins at byte 3, a block read's at byte 2. Byte 2 of a memory read's answer is
    // never read, and no answer is checked for an echoed block or command kind: what an earlier,
    // unanswered exchange still sends is drained before the next send (EndUnanswered). Only with
    // options.checkAddress (a single code) is an answer whose bytes 0 and 1 do not echo the
    // request's address skipped, after a pause of kForeignAnswerPauseMs; the kMaxForeignAnswers-th
    // one ends the collection with the queue emptied and "Address doesn't match" logged.
    static constexpr int kForeignAnswerPauseMs = 500;
    static constexpr int kMaxReadRepeats = 3;
    // Logged when an answer came after a suspect exchange had its answer.
    static constexpr const char* kExtraAnswerLine = "Extra answer: the answers taken are dropped";
    // How long a drain may go on past its time while the line keeps bringing bytes.
    static constexpr int kMaxDrainExtensionMs = 60000;
    static constexpr int kMaxForeignAnswers = 4;
    CollectEnd CollectAnswers(std::vector<unsigned char>& data, std::size_t wanted,
                              const CollectOptions& options = CollectOptions{});

    // One step of the receive state machine (the pump timer's tick with 20, every wait with its
    // poll interval).
    void Receive(int elapsedMs);
    void ClearQueue();
    std::size_t QueueSize() const { return queue_.size(); }

    const std::string& GetError() const { return error_; }
    // True when the user pressed Cancel on the running operation's dialog.
    bool CheckCancel();

    // The last two characters of the text as hexadecimal digits (one character: the low nibble;
    // empty: 0; a character that is not a hexadecimal digit counts as 0).
    static std::uint8_t AddressFromHex(const std::string& text);

    bool SendAck(std::uint8_t address);
    bool SendNak(std::uint8_t address);

    void SetLoginDestination(const std::string& destination) { loginDestination_ = destination; }
    const std::string& GetLoginDestination() const { return loginDestination_; }
    std::uint8_t GetOwnAddress() const { return ownAddress_; }
    bool GetToggle() const { return toggle_; }
    // The frame in the send buffer (empty when nothing is built).
    const PanelFrame& GetSendFrame() const { return send_; }

    // ---- Requests. Each fills the send buffer with one complete frame and returns true, or
    // returns false with nothing to send (the error text says why). Destinations are bus
    // addresses 0x00 to 0x40 (the broadcast address), given as hexadecimal text or as a number.
    // Memory and flash addresses are hexadecimal text of at most four significant digits.

    // Keep-alive (0x01): built and sent at once; the result is the send's.
    bool BuildPing(const BusDestination& destination);
    // Control (0x10). Broadcast: to 0x40 without the toggle bit, asking for no acknowledgement.
    bool BuildControl(const BusDestination& destination, std::uint8_t code, bool broadcast);
    bool BuildLogout(const BusDestination& destination);  // code 8, always broadcast
    bool BuildApply(const BusDestination& destination, bool broadcast);  // code 9
    // Code-address query (0x23) for a keypad address of four hexadecimal digits; bit 4 of its
    // high byte is the user-code flag, so an address that already has it is refused.
    bool BuildCodiAddressQuery(const BusDestination& destination, const std::string& id, bool userCode);
    // Flash-table erase (0x25) at a block address.
    bool BuildFlashErase(const BusDestination& destination, const std::string& address);
    // Flash-file erase (0x26) of file area 0..255.
    bool BuildFlashLength(const BusDestination& destination, int value);
    bool BuildPhoneTest(const BusDestination& destination);  // 0x40
    // Login or callback request (0x41) with a 4-character access code.
    bool BuildLogin(const BusDestination& destination, const std::string& code, bool callback);
    // Block read (0x44) of 0..255 blocks of 16 bytes from a block address.
    bool BuildBlockRead(const BusDestination& destination, const std::string& address, int count);
    // Memory read (0x51) of 1..255 bytes at offset 0..255; the address's high byte must leave
    // the two flag bits free (at most 0x3F). Sleeps the link kind's read delay first.
    bool BuildRead(const BusDestination& destination, const std::string& address, bool ram, int count, int offset);
    bool BuildReadGrup(const BusDestination& destination, const std::string& address, bool ram, int count);
    // Remote command (0x5B); on link kind 1 bit 7 is added except for sub-commands 4, 5, 12, 13.
    bool BuildRemote(const BusDestination& destination, std::uint8_t command, std::uint8_t arg1,
                     std::uint8_t arg2, std::uint8_t arg3, std::uint8_t arg4);
    // Memory write (0xB1 RAM, 0xB0 EEPROM) of 1..8 bytes (more are cut to 8) at offset 0..255.
    // The high address byte shares its byte with the count: at most 0x1F. An EEPROM offset is
    // added to the address (carrying into the high byte), a RAM offset travels in its own byte.
    bool BuildWrite(const BusDestination& destination, const std::string& address, bool ram,
                    const unsigned char* data, int count, int offset);
    // Flash write (0xF0) of up to 16 bytes (more are cut) at a block address.
    bool BuildFlashWrite(const BusDestination& destination, const std::string& address, const unsigned char* data,
                         int count);

    // Fixed RAM reads.
    bool BuildReadClock(const BusDestination& destination);
    bool BuildReadEventPointer(const BusDestination& destination);
    bool BuildReadMesures(const BusDestination& destination, int count);
    bool BuildReadOutputs(const BusDestination& destination, int count);
    bool BuildReadRelays(const BusDestination& destination, int count);
    bool BuildReadRadio(const BusDestination& destination, int count);  // asks for count / 2 bytes
    // RAM write of the 6 clock bytes (hour, minute, second, day, month, year - 2000) at 0x0003,
    // after 100 ms.
    bool BuildWriteClock(const BusDestination& destination, const unsigned char* clock);
    // Event records from base + index * size: a memory read of EEPROM (byBytes, size * count
    // bytes) or a block read (base + index * size / 16, in 16-byte blocks). Addresses past
    // 0xFFFF are refused.
    bool BuildReadRecord(const BusDestination& destination, const std::string& base, bool byBytes, int index,
                         int size, int count);

    // Remote-command wrappers. Zones: mask byte 0 (zones 1-8) or 1 (zones 9-16).
    bool BuildZoneCommand(const BusDestination& destination, int maskByte, std::uint8_t mask);
    bool BuildArmAreas(const BusDestination& destination, std::uint8_t areas);
    bool BuildDisarmAreas(const BusDestination& destination, std::uint8_t areas);
    bool BuildOutputOn(const BusDestination& destination, int output);
    bool BuildOutputOff(const BusDestination& destination, int output);
    bool BuildRelayOn(const BusDestination& destination, int relay);
    bool BuildRelayOff(const BusDestination& destination, int relay);
    bool BuildStatusRequest(const BusDestination& destination);

    // On the frame already built: no acknowledgement wanted (a missing one is then success).
    void ClearAnswerWanted();

private:
    // Sets a flag for the lifetime of the guard (an exchange running, a collection running).
    class Guard {
    public:
        explicit Guard(bool& flag) : flag_(flag) { flag_ = true; }
        ~Guard() { flag_ = false; }
        Guard(const Guard&) = delete;
        Guard& operator=(const Guard&) = delete;

    private:
        bool& flag_;
    };

    Clock& GetClock() const;
    void Sleep(int ms);
    void Yield();
    int Kind() const;
    int PollInterval() const;
    void Trace(char direction, const std::uint8_t* bytes, int length);
    void LogLine(const std::string& text);

    // Finds the oldest queued frame that answers the last request: an acknowledgement from its
    // destination (or from 0), or a data frame with one of the commands. Copies it into the
    // answer buffer and, when asked, removes it from the queue.
    bool FindAnswer(const ExpectedAnswers& commands, bool remove);
    bool HasAnswer(const ExpectedAnswers& commands) { return FindAnswer(commands, false); }
    void ConsumeAnswer(const ExpectedAnswers& commands);
    // Polls the link (sleep, one receive step) until a frame answering `commands` is queued or
    // `limit` polls were made; `made` counts across calls, so one count serves a whole wait.
    // Stopped: cancelled, or the link broke (the error says which).
    enum class PollEnd { Found, Expired, Stopped };
    PollEnd PollFor(const ExpectedAnswers& commands, int poll, int limit, int& made, bool yieldFirst);
    // The exchange under way ends without all of its answers: whatever of it is still on the way
    // is drained before the next send.
    void EndUnanswered();
    // Receives and discards until the drain time set by EndUnanswered has passed and, when bytes
    // came, until the line has stayed quiet for QuietMs (at least one receive step). False when
    // cancelled or the link broke (the error says which).
    bool DrainLateAnswers(int poll);
    // Before the next send, drain for forMs from now and then until the line is quiet; trouble:
    // the exchange after the drain is suspect.
    void ExpectLateAnswers(int forMs, bool trouble);
    // Before a write: reads what waits in the link; bytes found are drained as late answers and
    // make the exchange suspect. False when cancelled or the link broke.
    bool SettleLine(int poll);
    // How long the line must stay silent before no more frames of an answer are expected: the
    // link kind's acknowledgement wait.
    int QuietMs() const;
    // After a suspect exchange got its answer: waits until the line has stayed quiet for QuietMs.
    enum class QuietEnd { Quiet, Extra, Stopped };
    QuietEnd AwaitQuiet(const ExpectedAnswers& commands);
    // The request in the send buffer written again as a new one, when asking twice changes
    // nothing in the panel (a read, the status request); otherwise "Timeout", false.
    bool RepeatRequest();
    // One wait of WaitAnswer: Quiet when the answer was taken, Extra when, after trouble, another
    // answer followed it (none is taken), Stopped when none came or the wait was stopped.
    QuietEnd WaitOnce(std::uint8_t command1, std::uint8_t command2, std::uint8_t command3);
    void QueueFrame(const PanelFrame& frame);
    void HandleFrame();
    void ResetReceiver();
    bool WriteAcknowledgement(bool ack, std::uint8_t address, bool toggle);
    void LoseLink();

    // Builders' helpers.
    bool BeginBuild();
    bool Refuse(const std::string& error);
    bool Resolve(const BusDestination& destination, std::uint8_t& address);
    bool Finish(std::uint8_t destination, std::uint8_t command, std::span<const std::uint8_t> payload,
                ExpectedAnswers expected = ExpectedAnswers{});
    bool ReadAt(std::uint8_t destination, unsigned address, bool ram, int count, int offset);
    bool BlockReadAt(std::uint8_t destination, unsigned address, int count);
    // True when the answer taken last is the sent read's own (see CollectAnswers).
    bool IsOwnAnswer(const CollectOptions& options) const;

    PanelFrame send_;
    PanelFrame answer_;
    ExpectedAnswers sendExpected_;   // answers that may stand in for the acknowledgement of send_
    ExpectedAnswers waitExpected_;   // the commands of the last WaitAnswer

    // Receive state.
    std::uint8_t rx_[kReadBufferSize] = {};
    bool inFrame_ = false;
    bool rxAckFrame_ = false;
    int rxCount_ = 0;
    int rxExpected_ = -1;
    int partialMs_ = 0;
    int idleMs_ = 0;
    bool inReceive_ = false;
    PanelFrame lastQueuedData_;  // for recognising the panel's repeats

    std::deque<PanelFrame> queue_;
    std::string error_;
    std::string loginDestination_;
    std::uint8_t lastDestination_ = 0;
    std::uint8_t ownAddress_ = 0x10;
    bool connected_ = false;
    bool toggle_ = false;
    bool lastTimedOut_ = false;
    bool busy_ = false;
    bool lost_ = false;
    bool drainPending_ = false;      // an exchange ended unanswered: drain before the next send
    std::int64_t drainUntilMs_ = 0;  // the clock's monotonic time the drain lasts until
    bool drainSuspect_ = false;      // the pending drain follows trouble
    bool suspect_ = false;           // the exchange under way follows trouble (see the top)
    bool collecting_ = false;        // CollectAnswers runs (its waits check no surplus)
    std::uint64_t bytesIn_ = 0;      // bytes read from the link so far
    std::int64_t lastByteMs_ = 0;    // the clock's monotonic time bytes last came

    CConexio* link_ = nullptr;
    CLog* log_ = nullptr;
    Timer* pump_ = nullptr;
    Timer* idlePoll_ = nullptr;
    UiServices* ui_ = nullptr;
    Progress* progress_ = nullptr;
    Clock* clock_ = nullptr;
    std::function<void()> linkLost_;
};
