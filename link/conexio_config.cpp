// The modem strings from the settings, kept apart from the rest of the link so that the link
// reads "config.xml" through one small function.
#include "datamodel/config.h"
#include "link/conexio.h"

void CConexio::LoadAtCommands(CConfig* config) {
    if (!config) {
        SetBuiltInAtCommands();
        return;
    }
    // The section of the current link kind (the caller selected it). An empty or missing value
    // keeps the built-in string: an empty result text would match every reply, so a failed dial
    // would look like success, and an empty command would send a bare line.
    AtCommands builtIn = BuiltInAtCommands();
    auto pick = [config](const char* key, const std::string& fallback) {
        const std::string& value = config->GetParam(key);
        return value.empty() ? fallback : value;
    };
    at_.iniciar = pick("ATIniciar", builtIn.iniciar);
    at_.trucar = pick("ATTrucar", builtIn.trucar);
    at_.penjar = pick("ATPenjar", builtIn.penjar);
    at_.reset = pick("ATReset", builtIn.reset);
    at_.despenjar = pick("ATDespenjar", builtIn.despenjar);
    at_.perduda = pick("ATPerduda", builtIn.perduda);
    at_.ok = pick("ATOk", builtIn.ok);
    at_.ring = pick("ATRing", builtIn.ring);
    at_.connect = pick("ATConnect", builtIn.connect);
    at_.busy = pick("ATBusy", builtIn.busy);
    at_.noDialTone = pick("ATNoDialTone", builtIn.noDialTone);
    at_.noCarrier = pick("ATNoCarrier", builtIn.noCarrier);
    SetFixedAtCommands();
}
