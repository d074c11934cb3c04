// The modem dialogue of the telephone link kinds: the Hayes commands and result texts, dialling
// (PSTN and GSM data calls, the callback request), answering the panel's call and hanging up.
#include <algorithm>
#include <cstring>

#include "datamodel/log.h"
#include "link/conexio.h"
#include "link/texts.h"

namespace {

const char kMissingParams[] = "Parámetros de configuración insuficientes";

// Modem replies are read in pieces of at most this many bytes; one reply keeps at most
// kMaxReply bytes, and one WaitAtResponse reads replies for at most kMaxWaitMs, so a modem that
// never falls silent cannot hold the link.
constexpr int kModemRead = 255;
constexpr std::size_t kMaxReply = 1024;
constexpr int kMaxWaitMs = 10000;
// The modem's replies are read every kModemPollMs: a polling wait, paced against its schedule.
constexpr int kModemPollMs = 50;

// Whether a reply ends the dial tries with one of the result texts that stop them (busy, no
// carrier, no dial tone). A text left empty in the settings names no such ending: found in
// every reply, even in the empty one of a silent try, it would end the first try of every dial
// with its reason while the modem is still dialling.
bool Contains(const std::string& reply, const std::string& text) {
    return !text.empty() && reply.find(text) != std::string::npos;
}

}  // namespace

CConexio::AtCommands CConexio::BuiltInAtCommands() {
    AtCommands at;
    at.iniciar = "ATE0V1K0C0Y0B6S10=255S99=44S120=2S13=16S0=0";
    at.trucar = "ATDT";
    at.penjar = "+++ATH";
    at.reset = "ATZ";
    at.despenjar = "ATA";
    at.perduda = "ECAV,1";
    at.ok = "OK";
    at.ring = "RING";
    at.connect = "CONNECT";
    at.busy = "BUSY";
    at.noDialTone = "NO DIALTONE";
    at.noCarrier = "NO CARRIER";
    return at;
}

// ---- modem dialogue ----

void CConexio::SetBuiltInAtCommands() {
    at_ = BuiltInAtCommands();
    SetFixedAtCommands();
}

void CConexio::SetFixedAtCommands() {
    at_.escape = "+++";
    at_.hangUp = "ATH";
    at_.echoOff = "ATE0";
    at_.verbal = "ATV1";
}

bool CConexio::WriteModem(const std::string& text) {
    LogTrace('>', text);
    return SerialWrite(reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
}

bool CConexio::SendAtCommand(const std::string& command, bool waitOk) {
    if (!WriteModem(command + "\r")) return false;
    if (!waitOk) return true;
    Sleep(500);
    return WaitAtResponse(at_.ok, command);
}

bool CConexio::WriteEscape() {
    // The escape sequence alone: the guard times around it are the sleeps of the callers, and a
    // character right after it (a CR) would cancel it.
    return WriteModem(at_.escape);
}

int CConexio::ReadModem(std::string& into) {
    if (!active_) return -1;
    unsigned char buffer[kModemRead];
    int n = active_->Read(buffer, kModemRead);
    if (n > 0 && into.size() < kMaxReply)
        into.append(reinterpret_cast<const char*>(buffer),
                    std::min<std::size_t>(static_cast<std::size_t>(n), kMaxReply - into.size()));
    return n;
}

bool CConexio::WaitAtResponse(const std::string& expected, const std::string& echo) {
    lastReply_.clear();
    std::int64_t deadline = clock_->MonotonicMs() + kMaxWaitMs;
    for (;;) {
        std::string reply;
        int idle = 0;
        for (;;) {
            clock_->PollMs(kModemPollMs);
            if (IsCancelled()) return false;
            int n = ReadModem(reply);
            if (n > 0) {
                idle = 0;
                if (reply.size() >= kMaxReply || clock_->MonotonicMs() >= deadline) break;
                continue;
            }
            if (n < 0 || !reply.empty() || ++idle >= 40) break;
        }
        if (reply.empty()) {
            error_ = "No hay respuesta del módem";
            return false;
        }
        LogTrace('<', reply);
        lastReply_ = reply;
        // An empty expected text is in every reply: any reply is the awaited one.
        if (reply.find(expected) != std::string::npos) return true;
        // An empty echo text is in every reply: read on until a reply matches or the modem
        // falls silent.
        bool isEcho = echo.empty() || reply.find(echo) != std::string::npos;
        if (!isEcho || clock_->MonotonicMs() >= deadline) {
            error_ = reply + "!=" + expected;
            return false;
        }
    }
}

void CConexio::Drain() {
    bool got = false;
    int idle = 0;
    for (int pass = 0; pass < kMaxWaitMs / kModemPollMs; ++pass) {
        clock_->PollMs(kModemPollMs);
        if (IsCancelled()) return;
        std::string discard;
        int n = ReadModem(discard);
        if (n > 0) {
            got = true;
            continue;
        }
        if (n < 0 || got || ++idle >= 10) return;
    }
}

bool CConexio::ModemFailure() {
    error_ = "La comunicación con el modem falló\n(" + error_ + ")";
    CloseLocal();
    return false;
}

bool CConexio::Abort(bool callMayBeUp) {
    std::string reason = error_;
    if (callMayBeUp && active_) {
        Sleep(1000);
        WriteEscape();
        Sleep(1000);
        SendAtCommand(at_.hangUp, false);
    }
    CloseLocal();
    error_ = reason;
    return false;
}

CConexio::TriesEnd CConexio::WaitTries(int tries, const std::string& expected,
                                      std::initializer_list<ReplyEnding> endings) {
    for (int attempt = 0; attempt < tries; ++attempt) {
        Sleep(1000);
        if (Cancelled()) return TriesEnd::Cancelled;
        if (WaitAtResponse(expected, std::string())) return TriesEnd::Matched;
        if (cancelled_) return TriesEnd::Cancelled;
        for (const ReplyEnding& ending : endings) {
            if (!Contains(lastReply_, *ending.text)) continue;
            if (!ending.error) return TriesEnd::Matched;
            error_ = ending.error;
            return TriesEnd::Failed;
        }
    }
    return TriesEnd::Failed;
}

bool CConexio::FinishModemConnect() {
    // The pulse the panel's modem interface expects once the carrier is up.
    Sleep(1000);
    SetRts(0, kind_);
    Sleep(500);
    SetRts(1, kind_);
    if (Cancelled()) return Abort(true);
    if (kind_ == ConexioModem) Sleep(4500);
    SetRts(0, kind_);
    return true;
}

bool CConexio::DialModem() {
    cancelled_ = false;
    if (!IsDialablePhone(phone_)) {
        error_ = kMissingParams;
        return false;
    }
    if (!OpenLocal()) return false;
    if (!UpdateProgress("Inicializando módem...")) return Abort(false);
    Sleep(1000);
    WriteEscape();
    Sleep(1000);
    if (!SendAtCommand(at_.hangUp, false)) return ModemFailure();
    Sleep(1000);
    if (Cancelled()) return Abort(false);
    Sleep(2000);
    Drain();
    if (!SendAtCommand(at_.reset, false)) return ModemFailure();
    Sleep(1000);
    SendAtCommand(at_.verbal, false);
    Sleep(1000);
    if (!SendAtCommand(at_.echoOff, true)) return cancelled_ ? Abort(false) : ModemFailure();
    if (!SendAtCommand(at_.iniciar, true)) return cancelled_ ? Abort(false) : ModemFailure();
    Sleep(500);
    if (!UpdateProgress("Llamando...")) return Abort(false);
    if (!SendAtCommand(at_.trucar + phone_, false)) return ModemFailure();
    Sleep(1500);

    switch (WaitTries(25, at_.connect,
                      {{&at_.busy, "Ocupado"}, {&at_.noCarrier, "No hay portadora"},
                       {&at_.noDialTone, "No hay tono de línea"}})) {
        case TriesEnd::Cancelled: return Abort(true);
        case TriesEnd::Failed: return ModemFailure();
        case TriesEnd::Matched: break;
    }
    if (!UpdateProgress("Conectando...")) return Abort(true);
    return FinishModemConnect();
}

bool CConexio::DialGsm() {
    cancelled_ = false;
    if (!IsDialablePhone(phone_)) {
        error_ = kMissingParams;
        return false;
    }
    if (!OpenLocal()) return false;
    if (!UpdateProgress("Inicializando módem...")) return Abort(false);
    Drain();
    Sleep(1000);
    WriteEscape();
    Sleep(1000);
    if (!SendAtCommand(at_.hangUp, false)) return ModemFailure();
    Drain();
    if (!SendAtCommand(at_.reset, true)) return cancelled_ ? Abort(false) : ModemFailure();
    Sleep(1000);
    SendAtCommand(at_.verbal, false);
    Sleep(1000);
    if (!SendAtCommand(at_.echoOff, true)) return cancelled_ ? Abort(false) : ModemFailure();
    if (!SendAtCommand(at_.iniciar, true)) return cancelled_ ? Abort(false) : ModemFailure();
    Sleep(500);
    if (!UpdateProgress("Llamando...")) return Abort(false);
    // A voice call (";"): the panel rejects it and calls back.
    if (!SendAtCommand(at_.trucar + phone_ + ";", false)) return ModemFailure();

    // A call that ends without carrier was rejected by the panel too: done.
    switch (WaitTries(15, at_.perduda,
                      {{&at_.busy, "Ocupado"}, {&at_.noCarrier, nullptr}, {&at_.noDialTone, "No hay tono de línea"}})) {
        case TriesEnd::Cancelled: return Abort(true);
        case TriesEnd::Failed: return ModemFailure();
        case TriesEnd::Matched: break;
    }
    if (!UpdateProgress("Conectando...")) return Abort(true);
    Sleep(1000);
    WriteEscape();
    Sleep(1000);
    if (!SendAtCommand(at_.hangUp, false)) return ModemFailure();
    Drain();
    return true;  // the port stays open for the answer
}

bool CConexio::AnswerModem() {
    cancelled_ = false;
    if (!OpenLocal()) return false;
    if (!UpdateProgress("Inicializando módem...")) return Abort(false);
    if (!SendAtCommand(at_.reset, true)) return cancelled_ ? Abort(false) : ModemFailure();
    if (!SendAtCommand(at_.iniciar, true)) return cancelled_ ? Abort(false) : ModemFailure();
    Sleep(500);
    if (!UpdateProgress("Esperando llamada...")) return Abort(false);
    TriesEnd end = WaitTries(10, at_.ring, {});
    if (end != TriesEnd::Matched) return end == TriesEnd::Cancelled ? Abort(false) : ModemFailure();
    if (!UpdateProgress("Respondiendo llamada...")) return Abort(false);
    if (!SendAtCommand(at_.despenjar, false)) return ModemFailure();
    end = WaitTries(10, at_.connect, {});
    if (end != TriesEnd::Matched) return end == TriesEnd::Cancelled ? Abort(true) : ModemFailure();
    return FinishModemConnect();
}

bool CConexio::HangUpModem() {
    Sleep(1000);
    WriteEscape();
    Sleep(1000);
    if (!SendAtCommand(at_.hangUp, false)) {
        error_ = "La comunicación con el modem falló\n(" + error_ + ")";
        return false;
    }
    return CloseLocal();
}
