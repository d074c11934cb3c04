// The modem strings from the settings, kept apart from the rest of the link so that the link
// reads "config.xml" through one small function.
#include "datamodel/config.h"
#include "link/conexio.h"

void CConexio::LoadAtCommands(CConfig* config) {
    if (!config) {
        SetBuiltInAtCommands();
        return;
    }
    // The section of the current link kind (the caller selected it). A missing key reads as an
    // empty text (and is added to the section for the next save), and an empty text is used as
    // it is: an empty OK text takes any reply to a command as its OK, an empty command sends a
    // bare line. Two texts keep their built-in value when empty, because their match completes a
    // call: the connect text (the data call is up) and the rejected-call text (the callback
    // request is done). Empty, they would be found in any reply, "BUSY" or "ERROR" too, and a
    // failed call would pass for a made one.
    const AtCommands builtIn = BuiltInAtCommands();
    auto text = [config](const char* key) { return config->GetParam(key); };
    auto completing = [config](const char* key, const std::string& fallback) {
        const std::string& value = config->GetParam(key);
        return value.empty() ? fallback : value;
    };
    at_.iniciar = text("ATIniciar");
    at_.trucar = text("ATTrucar");
    at_.penjar = text("ATPenjar");
    at_.reset = text("ATReset");
    at_.despenjar = text("ATDespenjar");
    at_.perduda = completing("ATPerduda", builtIn.perduda);
    at_.ok = text("ATOk");
    at_.ring = text("ATRing");
    at_.connect = completing("ATConnect", builtIn.connect);
    at_.busy = text("ATBusy");
    at_.noDialTone = text("ATNoDialTone");
    at_.noCarrier = text("ATNoCarrier");
    SetFixedAtCommands();
}
