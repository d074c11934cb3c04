// The link to the control panel: its kind and parameters, opening and closing the physical link
// of each kind (serial cable, modem call, TCP connection), the modem dialogue, and moving raw
// bytes for the frame layer. Every wait sleeps through the Clock seam and lets the window run
// through the progress dialog or the UI services, so Cancel works and tests run on a virtual clock.
#pragma once

#include <initializer_list>
#include <memory>
#include <string>

#include "link/serial.h"
#include "link/transport.h"

class CConfig;
class CLog;
class Clock;
class Progress;
class SocketClient;
class UiServices;

// The link kinds. Kinds 1-3 run over the serial port, 4-6 over a TCP client.
enum ConexioKind : int {
    ConexioNone = 0,
    ConexioLocal = 1,    // local serial cable
    ConexioModem = 2,    // PSTN modem
    ConexioGsm = 3,      // GSM data call
    ConexioTcpIp = 4,    // TCP/IP
    ConexioGprs = 5,     // GPRS
    ConexioCraLink = 6,  // link through the alarm-receiving centre
};

// The per-kind constants of the link and the frame layer (times in milliseconds).
struct ConexioKindEntry {
    int kind;
    // Own bus address of the frame layer; -1 leaves it unchanged.
    int ownAddress;
    // Bus address (hexadecimal text) the login goes to; null for kind 1 (the central's own bus
    // address) and for kinds without a link (unchanged).
    const char* loginDestination;
    int readDelay;       // sleep before building a memory read
    int replyWait;       // wait for an acknowledgement
    int rxTimeout;       // wait for an answer
    int pollInterval;    // step of every wait loop of the frame layer
    bool ackOnlyWithSourceBit7;  // received frames are acknowledged only when they ask for it
};

class ConexioKindTable {
public:
    // The entry of a kind; any kind outside 1-6 gets the "other" entry.
    static const ConexioKindEntry& Get(int kind);
};

class CConexio {
public:
    CConexio();
    ~CConexio();
    CConexio(const CConexio&) = delete;
    CConexio& operator=(const CConexio&) = delete;

    // Parameters. Each returns false and leaves the field unchanged on a refused value.
    bool SetKind(int kind);  // 1-6; another value sets -1. Refused while the link is open.
    bool SetBaud(int baud);
    bool SetDataBits(int bits);
    bool SetStopBits(int code);  // 0 one, 1 one and a half, 2 two
    bool SetParity(int code);    // 0 none, 1 odd, 2 even, 3 mark, 4 space
    bool SetPort(int port);      // "COM" number, see SerialDevicePath
    bool SetPhone(const std::string& phone);
    bool SetIp(const std::string& ip);
    bool SetIpPort(int port);
    bool SetCallback(bool on);
    bool SetSpecialCall(bool on);

    int GetKind() const { return kind_; }
    int GetBaud() const { return baud_; }
    int GetDataBits() const { return dataBits_; }
    int GetStopBits() const { return stopBits_; }
    int GetParity() const { return parity_; }
    int GetPort() const { return port_; }
    const std::string& GetPhone() const { return phone_; }
    const std::string& GetIp() const { return ip_; }
    int GetIpPort() const { return ipPort_; }
    bool GetCallback() const { return callback_; }
    bool GetSpecialCall() const { return specialCall_; }
    bool IsOpen() const { return open_; }
    const std::string& GetError() const { return error_; }
    const std::string& GetLastReply() const { return lastReply_; }

    // Timing of the current kind (ConexioKindTable).
    int GetReplyWait() const;
    int GetRxTimeout() const;
    int GetPollInterval() const;

    // Wiring (non-owning; null detaches). The clock defaults to SystemClock().
    // The progress of the running operation: the modem steps advance it, every wait checks its
    // Cancel (null: the waits only yield through the UI services).
    void SetProgress(Progress* progress) { progress_ = progress; }
    void SetUiServices(UiServices* ui) { ui_ = ui; }
    void SetLog(CLog* log) { log_ = log; }
    void SetClock(Clock* clock);
    Clock& GetClock() const { return *clock_; }
    // Carries the bytes of every kind through this transport instead of the serial port or a
    // TCP client; the kinds keep their timing and behaviour. Null goes back to the real ones.
    // Refused while the link is open. The transport must outlive the link (or be detached).
    bool AttachTransport(ByteTransport* transport);

    // The modem strings: from the settings section of the current kind, or built in (null).
    void LoadAtCommands(CConfig* config);

    bool CheckParams();
    bool Open();
    bool Dial();
    bool WaitCall();
    bool Close();
    bool Send(const unsigned char* bytes, int length);
    int Receive(unsigned char* buffer, int maximum);
    bool SetRts(int state, int kind);

    // One step of the running operation with its message; false (with "Cancelado por el usuario")
    // when Cancel was pressed.
    bool UpdateProgress(const std::string& message);
    // True (with "Cancelado por el usuario") when Cancel was pressed.
    bool IsCancelled();

    static bool PortExists(int port) { return CSerial::PortExists(port); }

    // Modem dialogue (normally reached through Open, Dial, WaitCall and Close).
    bool SendAtCommand(const std::string& command, bool waitOk);
    bool WaitAtResponse(const std::string& expected, const std::string& echo);
    void Drain();
    bool DialModem();
    bool DialGsm();
    bool AnswerModem();
    bool HangUpModem();

    // A telephone number the modem may dial: digits and dial modifiers only, nothing that could
    // end the command line or start another command.
    static bool IsDialablePhone(const std::string& phone);

    // The modem strings (settings keys "ATIniciar" ... "ATNoCarrier") and the fixed ones.
    struct AtCommands {
        std::string iniciar, trucar, penjar, reset, despenjar, perduda;
        std::string ok, ring, connect, busy, noDialTone, noCarrier;
        std::string escape, hangUp, echoOff, verbal;
    };
    const AtCommands& GetAtCommands() const { return at_; }
    // The built-in values of the twelve configurable strings (the fixed four left empty).
    static AtCommands BuiltInAtCommands();

private:
    // Tests run a link opened on an in-memory pipe with the timing of another kind.
    friend struct ConexioTestAccess;

    bool OpenLocal();
    bool CloseLocal();
    bool OpenSocket();
    bool CloseSocket();
    void ReleaseTransport();
    int LineTime(int length) const;
    bool SerialWrite(const unsigned char* bytes, int length);
    bool WriteModem(const std::string& text);
    bool WriteEscape();
    int ReadModem(std::string& into);
    bool ModemFailure();
    bool Cancelled();
    // Ends a cancelled modem step: hangs up when a call may be up, closes the port; false.
    bool Abort(bool callMayBeUp);
    bool FinishModemConnect();
    // Up to `tries` times: sleep 1 s, check Cancel, wait for a reply holding `expected`. A reply
    // holding an ending's text instead ends the tries: with its error, or as a match when the
    // error is null. Failed without an ending leaves the last wait's error.
    enum class TriesEnd { Matched, Failed, Cancelled };
    struct ReplyEnding {
        const std::string* text;
        const char* error;
    };
    TriesEnd WaitTries(int tries, const std::string& expected, std::initializer_list<ReplyEnding> endings);
    void SetBuiltInAtCommands();
    void SetFixedAtCommands();
    void Sleep(int ms);
    void Log(const std::string& line);
    void LogTrace(char direction, const std::string& text);

    int kind_ = ConexioNone;
    int baud_ = -1;
    int dataBits_ = -1;
    int stopBits_ = -1;
    int parity_ = -1;
    int port_ = -1;
    bool open_ = false;
    CSerial serial_;
    bool callback_ = false;
    bool specialCall_ = false;
    std::string phone_;
    std::unique_ptr<SocketClient> socket_;
    std::string ip_;
    int ipPort_ = 0;
    AtCommands at_;
    std::string lastReply_;
    std::string error_;
    bool cancelled_ = false;  // the running modem step saw Cancel

    Progress* progress_ = nullptr;
    UiServices* ui_ = nullptr;
    CLog* log_ = nullptr;
    Clock* clock_ = nullptr;
    ByteTransport* injected_ = nullptr;
    // The transport that carries the bytes now: the serial port, the TCP client or the
    // injected one; null while nothing is open.
    ByteTransport* active_ = nullptr;
};
