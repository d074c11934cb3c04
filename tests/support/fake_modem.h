// A Hayes modem for tests, byte in and byte out on virtual time. It answers AT commands (echo,
// verbal results), dials with a scripted outcome (CONNECT, BUSY, NO CARRIER, NO DIALTONE, the
// rejection of a voice call, or silence), rings for an incoming call and answers it, passes
// bytes through in data mode, leaves data mode on "+++" framed by one second of silence on each
// side, and drops the call on ATH, when the port closes (DTR falls) or when told to.
//
// Drive it with Receive (bytes from the link, at the time they arrived), Tick (the time now) and
// TakeOutput (bytes for the link); see the adapters in the link tests.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

class FakeModem {
public:
    enum class Outcome { Connect, Busy, NoCarrier, NoDialTone, Reject, Silence };

    // Script (change before the event it governs).
    Outcome dataDialOutcome = Outcome::Connect;   // ATD<number>
    Outcome voiceDialOutcome = Outcome::Reject;   // ATD<number>;
    int dialDelayMs = 3000;                       // from the dial command to its outcome
    int resultDelayMs = 100;                      // from a command's CR to its result
    int answerDelayMs = 2000;                     // from ATA to CONNECT
    bool silent = false;                          // never sends anything
    std::string connectText = "CONNECT 9600";
    std::string rejectText = "ECAV,1";
    std::set<std::string> errorCommands;          // command bodies (after "AT") answered ERROR

    // Inputs.
    void Receive(std::string_view bytes, std::int64_t now);
    void Tick(std::int64_t now);
    std::string TakeOutput();
    void PortClosed();
    // The far end calls: RING every intervalMs, rings times, from now.
    void StartIncomingCall(std::int64_t now, int rings = 10, int intervalMs = 2000);
    // The far end hangs up: NO CARRIER, back to command mode.
    void DropCall();
    // Bytes from the far end, delivered in data mode.
    void SendData(std::string_view bytes);

    // Observations.
    bool InCall() const { return inCall_; }
    bool DataMode() const { return dataMode_; }
    bool Echo() const { return echo_; }
    const std::vector<std::string>& Commands() const { return commands_; }  // every line with "AT"
    const std::vector<std::string>& Dialled() const { return dialled_; }
    const std::string& DataFromLink() const { return data_; }
    int Escapes() const { return escapes_; }
    int HangUps() const { return hangUps_; }       // by ATH
    int PortCloses() const { return portCloses_; }

private:
    struct Pending {
        std::int64_t at;
        std::string text;
        int action;  // 0 none, 1 enter data mode
    };
    void Result(const std::string& text, std::int64_t at, int action = 0);
    void Emit(const std::string& bytes);
    void Command(const std::string& line, std::int64_t now);
    void DataByte(char c, std::int64_t now);
    void FlushPluses();
    static std::string OutcomeText(Outcome outcome, const std::string& connect, const std::string& reject);

    bool echo_ = true;
    bool inCall_ = false;
    bool dataMode_ = false;
    bool ringing_ = false;
    int ringsLeft_ = 0;
    int ringInterval_ = 0;
    std::int64_t nextRing_ = 0;
    std::string line_;
    std::string output_;
    std::vector<Pending> pending_;
    std::int64_t lastDataByte_ = -1000000;
    int pluses_ = 0;
    std::int64_t plusTime_ = 0;
    std::vector<std::string> commands_;
    std::vector<std::string> dialled_;
    std::string data_;
    int escapes_ = 0;
    int hangUps_ = 0;
    int portCloses_ = 0;
};
