#include "link/conexio.h"

#include <algorithm>
#include <cstring>

#include "datamodel/log.h"
#include "datamodel/seams.h"
#include "link/progress.h"
#include "link/socket.h"
#include "link/texts.h"

namespace {

const ConexioKindEntry kKinds[] = {
    // kind, own address, login destination, read delay, reply wait, answer time-out, poll, ack rule
    {ConexioLocal, 0x31, nullptr, 25, 500, 2000, 10, false},
    {ConexioModem, 0x10, "00", 350, 500, 2000, 2, false},
    {ConexioGsm, 0x13, "12", 500, 3500, 5000, 20, true},
    {ConexioTcpIp, 0x13, "15", 350, 2000, 4000, 20, false},
    {ConexioGprs, 0x13, "12", 350, 2000, 4000, 20, true},
    {ConexioCraLink, 0x31, "00", 350, 2000, 4000, 20, false},
};
const ConexioKindEntry kOtherKind = {ConexioNone, -1, nullptr, 350, 0, 0, 20, false};

const char* const kCancelled = kTextCancelled;
const char kOpenLocalFailed[] =
    "No se puede abrir el puerto local.\nPuede que el puerto no exista o esté ocupado por otro programa.";
const char kCloseLocalFailed[] = "No se puede cerrar el puerto local";
const char kSerialWriteFailed[] = "Error enviando datos a puerto serie";
const char kSocketFailed[] = "Error en el socket de conexión";
const char* const kLinkLost = kTextConnectionLost;

bool IsSerialKind(int kind) { return kind >= ConexioLocal && kind <= ConexioGsm; }
bool IsSocketKind(int kind) { return kind >= ConexioTcpIp && kind <= ConexioCraLink; }


}  // namespace

const ConexioKindEntry& ConexioKindTable::Get(int kind) {
    for (const ConexioKindEntry& entry : kKinds)
        if (entry.kind == kind) return entry;
    return kOtherKind;
}

CConexio::CConexio() : clock_(&SystemClock()) { SetBuiltInAtCommands(); }

CConexio::~CConexio() {
    if (open_) Close();
    ReleaseTransport();
}

// ---- parameters ----

bool CConexio::SetKind(int kind) {
    if (open_) return false;  // Close must use the transport the link was opened with
    if (kind < ConexioLocal || kind > ConexioCraLink) {
        kind_ = -1;
        return false;
    }
    kind_ = kind;
    return true;
}

bool CConexio::SetBaud(int baud) {
    static const int kRates[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
    if (std::find(std::begin(kRates), std::end(kRates), baud) == std::end(kRates)) return false;
    baud_ = baud;
    return true;
}

bool CConexio::SetDataBits(int bits) {
    if (bits < 1 || bits > 8) return false;
    dataBits_ = bits;
    return true;
}

bool CConexio::SetStopBits(int code) {
    if (code < 0 || code > 8) return false;
    stopBits_ = code;
    return true;
}

bool CConexio::SetParity(int code) {
    parity_ = code;
    return true;
}

bool CConexio::SetPort(int port) {
    if (port < 0) return false;
    port_ = port;
    return true;
}

bool CConexio::SetPhone(const std::string& phone) {
    phone_ = phone;
    return true;
}

bool CConexio::SetIp(const std::string& ip) {
    ip_ = ip;
    return true;
}

bool CConexio::SetIpPort(int port) {
    ipPort_ = port;
    return true;
}

bool CConexio::SetCallback(bool on) {
    callback_ = on;
    return true;
}

bool CConexio::SetSpecialCall(bool on) {
    specialCall_ = on;
    return true;
}

int CConexio::GetReplyWait() const { return ConexioKindTable::Get(kind_).replyWait; }
int CConexio::GetRxTimeout() const { return ConexioKindTable::Get(kind_).rxTimeout; }
int CConexio::GetPollInterval() const { return ConexioKindTable::Get(kind_).pollInterval; }

void CConexio::SetClock(Clock* clock) { clock_ = clock ? clock : &SystemClock(); }

bool CConexio::AttachTransport(ByteTransport* transport) {
    if (open_ || active_) return false;
    injected_ = transport;
    return true;
}

bool CConexio::IsDialablePhone(const std::string& phone) {
    // Digits, the tone/pulse/wait/pause/flash/quiet-answer modifiers, and the separators people
    // type; never CR, LF, ';' or anything else that ends or adds a command.
    static const char kAllowed[] = "0123456789*#+,!@WwPpTt -()";
    if (phone.empty() || phone.size() > 64) return false;
    bool digit = false;
    for (char c : phone) {
        if (c == '\0' || std::strchr(kAllowed, c) == nullptr) return false;
        if (c >= '0' && c <= '9') digit = true;
    }
    return digit;
}

// ---- open and close ----

bool CConexio::CheckParams() {
    Log("Baud: " + std::to_string(baud_) + ", Port com: " + std::to_string(port_) +
        ", bits data: " + std::to_string(dataBits_) + ", bits stop: " + std::to_string(stopBits_) +
        " paritat: " + std::to_string(parity_) + " IP: " + ip_ + " port: " + std::to_string(ipPort_) + "\n");
    bool serial = baud_ != -1 && dataBits_ != -1 && stopBits_ != -1 && parity_ != -1 && port_ != -1;
    switch (kind_) {
        case ConexioLocal: return serial;
        case ConexioModem:
        case ConexioGsm: return serial && IsDialablePhone(phone_);
        case ConexioTcpIp:
        case ConexioGprs:
        case ConexioCraLink: return !ip_.empty() && ipPort_ != 0;
        default: return false;
    }
}

bool CConexio::Open() {
    if (!CheckParams()) return false;
    if (open_) return true;
    bool ok = false;
    switch (kind_) {
        case ConexioLocal: ok = OpenLocal(); break;
        case ConexioModem:
        case ConexioGsm: ok = DialModem(); break;
        case ConexioTcpIp:
        case ConexioGprs:
        case ConexioCraLink: ok = OpenSocket(); break;
        default: ok = false;
    }
    open_ = ok;
    return ok;
}

bool CConexio::Dial() {
    if (kind_ == ConexioModem) {
        open_ = DialModem();
        return open_;
    }
    if (kind_ == ConexioGsm) return DialGsm();
    return false;
}

bool CConexio::WaitCall() {
    if (!CheckParams()) return false;
    if (open_) return true;
    callback_ = true;
    bool ok = false;
    if (kind_ == ConexioModem || kind_ == ConexioGsm) ok = AnswerModem();
    open_ = ok;
    return ok;
}

bool CConexio::Close() {
    if (!open_) {
        // A port a failed or unfinished modem step left open (the GSM callback request keeps it
        // for the answer) is closed all the same.
        ReleaseTransport();
        return true;
    }
    bool ok = false;
    switch (kind_) {
        case ConexioLocal: ok = CloseLocal(); break;
        case ConexioModem:
        case ConexioGsm: ok = HangUpModem(); break;
        case ConexioTcpIp:
        case ConexioGprs:
        case ConexioCraLink: ok = CloseSocket(); break;
        default: ok = false;
    }
    open_ = false;
    // Whatever the result, nothing stays open behind a closed link.
    ReleaseTransport();
    return ok;
}

void CConexio::ReleaseTransport() {
    serial_.Close();  // nothing when closed
    if (active_ == injected_ && injected_) injected_->Close();
    if (socket_) {
        socket_->Close();
        socket_.reset();
    }
    active_ = nullptr;
}

bool CConexio::OpenLocal() {
    if (active_) return true;
    if (injected_) {
        active_ = injected_;
        return true;
    }
    if (!serial_.Open(port_, baud_, dataBits_, stopBits_, parity_)) {
        Log(serial_.LastReason());
        error_ = kOpenLocalFailed;
        return false;
    }
    active_ = &serial_;
    return true;
}

bool CConexio::CloseLocal() {
    bool ok = true;
    if (active_ == &serial_)
        ok = serial_.Close();
    else if (active_)
        ok = active_->Close();
    active_ = nullptr;
    if (!ok) error_ = kCloseLocalFailed;
    return ok;
}

bool CConexio::OpenSocket() {
    if (injected_) {
        active_ = injected_;
    } else {
        try {
            socket_ = std::make_unique<SocketClient>(ip_, ipPort_, *clock_, [this] { return Cancelled(); });
        } catch (const SocketError& e) {
            socket_.reset();
            error_ = e.Cancelled() ? kCancelled : e.what();
            return false;
        }
        active_ = socket_.get();
    }
    Sleep(500);
    return true;
}

bool CConexio::CloseSocket() {
    if (active_ == injected_ && injected_) injected_->Close();
    if (socket_) {
        socket_->Close();  // the descriptor is closed here, and only here
        socket_.reset();
    }
    active_ = nullptr;
    return true;
}

// ---- bytes ----

int CConexio::LineTime(int length) const {
    if (baud_ <= 0 || length < 0) return 0;
    // The time the link has always allowed for a frame...
    long long allowed = (static_cast<long long>(dataBits_ + stopBits_) * 1000 + 1000) * (length + 1) / baud_ + 1;
    // ...but never less than the frame really needs on the wire (start bit, data, parity, stop
    // bits), so that releasing RTS does not cut its last bytes at low rates with parity.
    int parityBits = parity_ > 0 ? 1 : 0;
    int stopHalves = stopBits_ == 1 ? 3 : stopBits_ == 2 ? 4 : 2;
    long long halfBits = 2LL * (1 + std::max(dataBits_, 0) + parityBits) + stopHalves;
    long long needed = (halfBits * length * 1000 + 2LL * baud_ - 1) / (2LL * baud_);
    return static_cast<int>(std::max(allowed, needed));
}

bool CConexio::SerialWrite(const unsigned char* bytes, int length) {
    int written = active_ ? active_->Write(bytes, length) : 0;
    bool ok = written == length;
    if (!ok) error_ = kSerialWriteFailed;
    Sleep(LineTime(length));
    return ok;
}

bool CConexio::Send(const unsigned char* bytes, int length) {
    if (bytes == nullptr || length < 0) return false;
    if (length > 3 && bytes[3] == 0x51) Sleep(100);
    switch (kind_) {
        case ConexioLocal: return SerialWrite(bytes, length);
        case ConexioModem:
        case ConexioGsm: {
            SetRts(1, kind_);
            Sleep(35);
            bool ok = SerialWrite(bytes, length);
            SetRts(0, kind_);
            return ok;
        }
        case ConexioTcpIp:
        case ConexioGprs:
        case ConexioCraLink:
            // A failed or short socket write is a failed write.
            if (!active_ || active_->Write(bytes, length) != length) {
                error_ = kSocketFailed;
                return false;
            }
            return true;
        default: return false;
    }
}

int CConexio::Receive(unsigned char* buffer, int maximum) {
    if (IsSerialKind(kind_)) {
        if (!active_) return 0;
        int n = active_->Read(buffer, maximum);
        if (n < 0) error_ = kLinkLost;  // the device went away (an unplugged USB adapter)
        return n;
    }
    if (IsSocketKind(kind_)) {
        // At most what fits is read from the socket; the rest waits in the kernel for the next
        // call, so nothing piles up here.
        int n = active_ ? active_->Read(buffer, maximum) : -1;
        if (n < 0) {
            error_ = kSocketFailed;
            return -1;
        }
        return n;
    }
    return -1;
}

bool CConexio::SetRts(int state, int kind) {
    if (!active_) return false;
    return active_->SetRts(state, kind);
}

// ---- progress and cancel ----

bool CConexio::UpdateProgress(const std::string& message) {
    if (!progress_) {
        if (ui_) ui_->Yield();
        return true;
    }
    if (progress_->Step(1, message)) return true;
    error_ = kCancelled;
    cancelled_ = true;
    return false;
}

bool CConexio::IsCancelled() {
    if (!progress_) {
        if (ui_) ui_->Yield();
        return false;
    }
    if (!progress_->Cancelled()) return false;
    error_ = kCancelled;
    cancelled_ = true;
    return true;
}

bool CConexio::Cancelled() { return IsCancelled(); }

void CConexio::Sleep(int ms) { clock_->SleepMs(ms); }

void CConexio::Log(const std::string& line) {
    if (log_) log_->LogLine(line);
}

void CConexio::LogTrace(char direction, const std::string& text) {
    if (!log_) return;
    log_->LogChar(direction);
    log_->LogLine(text);
}
