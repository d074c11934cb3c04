// A Hayes modem for tests, bytes in and out on virtual time. It echoes and answers AT commands,
// dials with a scripted outcome, rings for an incoming call and answers it, passes bytes through
// in data mode, leaves data mode on "+++" framed by one second of silence on each side, and
// drops the call on ATH or when the port closes (DTR falls).
// Drive it with Receive (bytes from the link), Tick (the time now) and TakeOutput (bytes for the
// link); the link tests pump it from the virtual clock.
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
    Outcome dataDialOutcome = Outcome::Connect;  // ATD<number>: after dialResultMs
    Outcome voiceDialOutcome = Outcome::Reject;  // ATD<number>;
    int dialResultMs = 3000;                     // from a dial's CR to its result
    int resultDelayMs = 100;                     // from a command's CR to its result
    bool silent = false;                         // never sends anything
    std::set<std::string> errorCommands;         // command bodies (after "AT") answered ERROR

    void Receive(std::string_view bytes, std::int64_t now);
    void Tick(std::int64_t now);
    std::string TakeOutput();
    void PortClosed();
    // The far end calls: RING every 2 s, 10 times, from `at`.
    void StartIncomingCall(std::int64_t at);
    // Bytes from the far end, delivered in data mode.
    void SendData(std::string_view bytes);

    bool InCall() const { return inCall_; }
    bool DataMode() const { return dataMode_; }
    const std::vector<std::string>& Commands() const { return commands_; }  // every line from "AT" on
    const std::vector<std::string>& Dialled() const { return dialled_; }
    const std::string& DataFromLink() const { return data_; }
    int Escapes() const { return escapes_; }
    int HangUps() const { return hangUps_; }  // by ATH
    int PortCloses() const { return portCloses_; }

private:
    struct Pending {
        std::int64_t at;
        std::string text;
        bool connects;  // enters data mode
    };
    void Result(const std::string& text, std::int64_t at, bool connects = false);
    void Command(const std::string& line, std::int64_t now);

    bool echo_ = true, inCall_ = false, dataMode_ = false;
    int ringsLeft_ = 0;
    std::int64_t nextRing_ = 0;
    std::string line_, output_, data_;
    std::vector<Pending> pending_;
    std::int64_t lastDataByte_ = -1000000, plusTime_ = 0;
    int pluses_ = 0;
    std::vector<std::string> commands_, dialled_;
    int escapes_ = 0, hangUps_ = 0, portCloses_ = 0;
};
