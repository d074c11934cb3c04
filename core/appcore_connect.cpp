// The connection to the panel: filling the link from the installation and the settings, storing
// the link dialogue's choices, connecting (direct, callback or special call), logging in, the
// clock write at connect, and disconnecting.
#include <tuple>

#include "core/appcore.h"
#include "datamodel/dades.h"
#include "datamodel/model.h"
#include "datamodel/strings.h"
#include "link/frame.h"

namespace {

const char* const kLoginRefused = "Conexión no aceptada.\n Quizá el código de instalador sea incorrecto.\n";
const char* const kSpecialCallText =
    "Llamada Especial:\n Cuando oiga los rings remotos presione \"Cancelar\"\n y el programa efectuará la segunda llamada";
// The toolkit's caption of a message box that names none.
const char* const kDefaultCaption = "Message";

// Everything of the installation header that the link dialogue may change.
auto LinkFields(const CDades& d) {
    return std::make_tuple(d.GetTipusConexio(), d.GetTelfConexio(), d.GetTelfConexioCSD(), d.GetCallback(),
                           d.GetEspecial(), d.GetIpDest(), d.GetIpPort(), d.GetIpGprsDest(), d.GetIpGprsPort(),
                           d.GetIpCraLnkDest(), d.GetIpCraLnkPort());
}

}  // namespace

bool CAppCore::ConfigureConexio() {
    const CDades& dades = instalacio_.GetDades();
    const int kind = dades.GetTipusConexio();
    config_.SetTipusConexio(kind);
    bool ok = conexio_.SetKind(kind);
    if (ok && kind >= ConexioLocal && kind <= ConexioGsm) {
        int baud = (kind == ConexioLocal && dades.GetBaudRate() != 0) ? dades.GetBaudRate()
                                                                        : StringToInt(config_.GetParam("baud"));
        ok = conexio_.SetBaud(baud) && conexio_.SetDataBits(StringToInt(config_.GetParam("bitsdata"))) &&
             conexio_.SetStopBits(StringToInt(config_.GetParam("bitsstop"))) &&
             conexio_.SetParity(StringToInt(config_.GetParam("paritat"))) &&
             conexio_.SetPort(StringToInt(config_.GetParam("portcom")));
    }
    if (ok) {
        // Callback and special call belong to the modem kinds only; a flag left from an earlier
        // kind must not turn a cable or TCP connection into a callback.
        bool callback = false;
        bool special = false;
        switch (kind) {
            case ConexioModem:
                ok = conexio_.SetPhone(dades.GetTelfConexio());
                callback = dades.GetCallback();
                special = dades.GetEspecial();
                break;
            case ConexioGsm:
                ok = conexio_.SetPhone(dades.GetTelfConexioCSD());
                callback = dades.GetCallback();
                break;
            case ConexioTcpIp:
                ok = conexio_.SetIp(dades.GetIpDest()) && conexio_.SetIpPort(dades.GetIpPort());
                break;
            case ConexioGprs:
                ok = conexio_.SetIp(dades.GetIpGprsDest()) && conexio_.SetIpPort(dades.GetIpGprsPort());
                break;
            case ConexioCraLink:
                ok = conexio_.SetIp(dades.GetIpCraLnkDest()) && conexio_.SetIpPort(dades.GetIpCraLnkPort());
                break;
            default: break;
        }
        if (ok) ok = conexio_.SetCallback(callback) && conexio_.SetSpecialCall(special);
    }
    if (ok && (kind == ConexioModem || kind == ConexioGsm)) conexio_.LoadAtCommands(&config_);
    return ok && conexio_.CheckParams();
}

bool CAppCore::NeedsConexioSettings() { return !ConfigureConexio(); }

bool CAppCore::SetConexioSettings(int kind, int port, const std::string& phone, bool callback, bool special,
                                  const std::string& address, int ipPort) {
    if (connected_ || conexio_.IsOpen()) {
        // The open link keeps the kind and parameters it was opened with until it is closed.
        lastError_ = "No se puede cambiar la conexión mientras está conectado";
        return false;
    }
    // Kind 0 ("Ninguna") is stored as the installation's choice; the link then has no kind.
    if (!conexio_.SetKind(kind) && kind != ConexioNone) {
        lastError_ = "Tipo de conexión no válido";
        return false;
    }
    CDades& dades = instalacio_.GetDades();
    const auto before = LinkFields(dades);
    dades.SetTipusConexio(kind);
    config_.SetTipusConexio(kind);
    if (kind >= ConexioLocal && kind <= ConexioGsm) config_.SetParam("portcom", IntToString(port));
    switch (kind) {
        case ConexioModem:
            dades.SetTelfConexio(phone);
            dades.SetCallback(callback);
            dades.SetEspecial(special);
            break;
        case ConexioGsm:
            dades.SetTelfConexioCSD(phone);
            dades.SetCallback(callback);
            dades.SetEspecial(special);
            break;
        case ConexioTcpIp:
            dades.SetIpDest(address);
            dades.SetIpPort(ipPort);
            break;
        case ConexioGprs:
            dades.SetIpGprsDest(address);
            dades.SetIpGprsPort(ipPort);
            break;
        case ConexioCraLink:
            dades.SetIpCraLnkDest(address);
            dades.SetIpCraLnkPort(ipPort);
            break;
        default: break;
    }
    if (LinkFields(dades) != before) instalacio_.SetModified();
    return true;
}

bool CAppCore::Connect() {
    if (connected_) return true;
    if (instalacio_.GetCentral().GetId().empty()) {
        lastError_ = "No se encontró central para conectar";
        return false;
    }
    if (!ConfigureConexio()) {
        lastError_ = "Parámetros de configuración insuficientes";
        return false;
    }
    const bool callback = conexio_.GetCallback();
    const bool special = conexio_.GetSpecialCall();
    const int kind = conexio_.GetKind();
    CModel& central = instalacio_.GetCentral();

    OpenConnectProgress(callback ? 10 : 5);
    bool up = false;
    if (!callback && !special) {
        up = conexio_.Open();
    } else if (!callback) {
        if (ui_) ui_->ShowMessage(kSpecialCallText, kDefaultCaption);
        up = conexio_.Open();
        if (!up && conexio_.GetError() == kCancelled) {
            // The installer heard the panel ring and ended the first call: call again.
            EndProgress();
            OpenConnectProgress(5);
            up = conexio_.Open();
        }
    } else {
        up = conexio_.Dial();
        if (up) {
            if (!ProgressStep(1, "Pidiendo callback")) return FailConnect(lastError_);
            if (kind == ConexioModem) {
                protocol_.Connect(255);
                bool accepted = protocol_.BuildLogin(central.GetBusDir(), instalacio_.GetInstallerCode(), true) &&
                                protocol_.Send() && protocol_.WaitAnswer(kCmdLoginReply, kCmdWriteEeprom, kCmdWriteRam);
                protocol_.Disconnect();
                conexio_.Close();
                if (!accepted)
                    return FailConnect("Callback no aceptado.\n Puede que la central no soporte esa opción o\n que "
                                       "el código de instalador no se el correcto.");
            }
            if (!ProgressStep(1, "Esperando llamada...")) return FailConnect(lastError_);
            GetClock().SleepMs(1000);
            up = conexio_.WaitCall();
        }
    }
    if (!up) return FailConnect("Error al intentar iniciar la conexión:\n" + conexio_.GetError());
    if (!ProgressStep(1, "Estableciendo comunicación...")) return FailConnect(lastError_);

    protocol_.Connect(255);
    busy_ = true;
    const char* byKind = ConexioKindTable::Get(kind).loginDestination;
    const std::string destination = kind == ConexioLocal ? central.GetBusDir() : std::string(byKind ? byKind : "");
    protocol_.SetLoginDestination(destination);
    const std::string code = kind == ConexioCraLink ? instalacio_.GetCraLinkCode() : instalacio_.GetInstallerCode();
    // A refused request (a code that is not four characters) is never sent.
    if (!protocol_.BuildLogin(destination, code, false) || !protocol_.Send())
        return FailConnect(kLoginRefused + protocol_.GetError());
    if (kind != ConexioCraLink) {
        if (!protocol_.WaitAnswer(kCmdLoginReply, kCmdNone, kCmdNone)) return FailConnect(protocol_.GetError());
        if (kind != ConexioLocal) {
            int length = 0;
            const unsigned char* answer = protocol_.GetAnswer(length);
            if (!answer || length < 1 || answer[0] == 0) return FailConnect(kLoginRefused);
        }
    }

    // The login is accepted: from here on the core is connected, so the link pump (which stops
    // itself while the core is not connected) and the idle poll run, and the clock write goes out.
    connected_ = true;
    if (pumpTimer_) pumpTimer_->Start(CProtocol::kPumpInterval);
    if (pollTimer_) pollTimer_->Start(CProtocol::kIdlePollInterval);
    GetClock().SleepMs(50);
    WritePanelClock(central, {});  // the central's clock, whatever component was selected
    busy_ = false;
    if (!ProgressStep(1, "Conectado")) return FailConnect(lastError_);
    EndProgress();
    return true;
}

void CAppCore::OpenConnectProgress(int maximum) {
    // The installer sees how long the call has been trying.
    BeginProgress("Conectando...", maximum, ProgressOptions{true, true});
}

bool CAppCore::FailConnect(const std::string& error) {
    ResetConnection();
    lastError_ = error;
    return false;
}

void CAppCore::ResetConnection() {
    conexio_.Close();
    // The frame layer stops with the link, so no timer or queue outlives the failed connect.
    protocol_.Disconnect();
    connected_ = false;
    busy_ = false;
    EndProgress();
}

bool CAppCore::SetPanelClock(std::span<const unsigned char> clock) {
    if (!connected_) {
        lastError_ = kNotConnected;
        return false;
    }
    return WritePanelClock(*UseCurrentComponent(), clock);
}

bool CAppCore::WritePanelClock(CModel& target, std::span<const unsigned char> clock) {
    unsigned char bytes[6];
    if (clock.empty()) {
        LocalTime now = GetClock().Now();
        bytes[0] = static_cast<unsigned char>(now.hour);
        bytes[1] = static_cast<unsigned char>(now.minute);
        bytes[2] = static_cast<unsigned char>(now.second);
        bytes[3] = static_cast<unsigned char>(now.day);
        bytes[4] = static_cast<unsigned char>(now.month);
        bytes[5] = static_cast<unsigned char>(now.year - 2000);
        clock = bytes;
    } else if (clock.size() < 6) {
        lastError_ = kBadValue;  // a clock is six bytes; fewer are never read past
        return false;
    }
    const std::string& dest = target.GetBusDir();
    if (!protocol_.BuildWriteClock(dest, clock.data()) || !protocol_.Send() ||
        !protocol_.BuildControl(dest, kCtrlClockWritten, false) || !protocol_.Send()) {
        lastError_ = protocol_.GetError();
        return false;
    }
    return true;
}

bool CAppCore::Disconnect() {
    if (!connected_) return true;
    busy_ = true;
    if (!protocol_.BuildApply("40", true) || !protocol_.Send()) return DropLink(protocol_.GetError());
    GetClock().SleepMs(2000);
    if (!protocol_.BuildLogout("40") || !protocol_.Send()) return DropLink(protocol_.GetError());
    GetClock().SleepMs(500);
    connected_ = false;
    busy_ = false;
    const bool closed = conexio_.Close();
    // The frame layer stops in both cases: the link is no longer in use.
    protocol_.Disconnect();
    if (!closed) {
        lastError_ = "Error al intentar cerrar la conexión:\n" + conexio_.GetError();
        return false;
    }
    return true;
}

bool CAppCore::DropLink(const std::string& error) {
    lastError_ = error;
    conexio_.Close();
    protocol_.Disconnect();
    connected_ = false;
    busy_ = false;
    return false;
}
